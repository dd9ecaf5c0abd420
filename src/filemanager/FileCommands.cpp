// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/FileCommands.h"

#include "engine/BusySection.h"
#include "engine/FileHelpers.h"
#include "engine/FileListing.h"
#include "engine/Messages.h"
#include "engine/ShowError.h"
#include "filemanager/FileManagerMessages.h"
#include "platform/AsciiText.h"
#include "platform/Attributes.h"
#include "platform/DateText.h"
#include "platform/FileOps.h"
#include "platform/FileTimes.h"
#include "reporting/LogFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace Tandemix {

namespace {

namespace M = FileManagerMsg;

} // namespace

FileMenuState PrepareFileMenu(const PaneState& pane)
{
    FileMenuState menu;
    if (pane.HasCurrent && pane.Count > 0) {
        std::string name(FirstCharacters(pane.CurrentItem, M::CaptionNameLength));
        menu.DeleteFile1.Enabled = true;
        menu.OpenFile1.Caption = std::string(ViewerStartsFile(name) ? M::Launch : M::View) + name;
        if (pane.SelectedCount < 2) {
            menu.DeleteFile1.Caption = std::string(M::DeleteFileNamed) + name;
            menu.ShowFileDetails1 = true;
            menu.OpenFile1.Enabled = true;
        } else {
            menu.DeleteFile1.Caption = std::string(M::DeleteCountFirst) + std::to_string(pane.SelectedCount)
                                       + std::string(M::DeleteCountSecond);
        }
    } else {
        menu.OpenFile1.Caption = M::OpenFile;
        menu.DeleteFile1.Caption = M::DeleteFile;
    }
    menu.ExpandFolder1 = pane.ViewCompressedEnabled;
    return menu;
}

std::string DeleteFilesQuestion(const FileDeletion& request)
{
    std::string question(M::SureToDelete);
    if (request.Selected.size() < 2) {
        const std::string& name = request.Current;
        std::string letters;
        if (!request.ArchiveView) {
            if (SysResult<std::uint32_t> attr = GetFileAttr(AddTrailingBackslash(request.Folder) + name)) {
                letters = AttrToLetters(*attr);
            }
        }
        question.append(M::QuestionFile).append(UpperAscii(name)).append("\n");
        question.append(M::QuestionAttr).append(letters);
    } else {
        question.append(M::QuestionThese)
            .append(std::to_string(request.Selected.size()))
            .append(M::QuestionFiles);
    }
    return question;
}

namespace {

// Erases one file of the pane; a link goes as a link. Deleting needs no write permission on
// the file itself, so a read-only file goes as any other.
bool EraseOne(RunContext& ctx, const std::string& folder, const std::string& name)
{
    std::string path = AddTrailingBackslash(folder) + name;
    struct stat st;
    bool known = StatEntry(path, st);
    SysStatus erased = known && S_ISDIR(st.st_mode) ? SysFail(EISDIR, "unlink") : DeleteFile(path);
    if (!erased) {
        std::string text = ProblemMessageLine(M::CouldNotDeleteFile, path) + " ("
                           + std::generic_category().message(erased.Error()) + ")";
        (void)ShowError(ctx, text, 0);
        return false;
    }
    SysResult<std::uint32_t> packed = PackFileTime(st.st_mtim.tv_sec);
    std::string when = PackedDateTimeText(packed ? *packed : PackedTimeFloor);
    std::string size = std::to_string(st.st_size);
    ctx.Report.AddReportEntry({.Name = name,
                               .Path = AddTrailingBackslash(folder),
                               .SizeText = size,
                               .Detail = when,
                               .Kind = M::FileDeleted,
                               .Category = ReportCategory::Deletions});
    return true;
}

// Puts the controls and the run state back however the walk ends.
struct DeletingFiles
{
    explicit DeletingFiles(RunContext& ctx)
        : Ctx(ctx)
        , Busy(ctx.State)
    {
        Ctx.State.EnableControls(false);
        Ctx.State.SyncActive = true;
    }
    ~DeletingFiles()
    {
        Ctx.State.EnableControls(true);
        Ctx.State.SyncActive = false;
    }
    DeletingFiles(const DeletingFiles&) = delete;
    DeletingFiles& operator=(const DeletingFiles&) = delete;

    RunContext& Ctx;
    BusySection Busy;
};

} // namespace

int DeleteMultipleFiles(RunContext& ctx, const FileDeletion& request)
{
    if (request.Selected.empty()) {
        return 0;
    }
    if (request.Ask && ctx.Hst.Ask(DeleteFilesQuestion(request), DialogButtons::YesNo) != DialogResult::Yes) {
        return -1;
    }
    int deleted = 0;
    {
        DeletingFiles deleting(ctx);
        std::vector<std::string> entries;
        for (const std::string& name : request.Selected) {
            ctx.State.StatusMsg(std::string(M::DeletingFile) + name);
            if (ctx.State.CheckForStop() > 0) {
                break;
            }
            if (request.ArchiveView) {
                entries.push_back(name);
            } else if (EraseOne(ctx, request.Folder, name)) {
                ++deleted;
            }
        }
        if (request.ArchiveView && !entries.empty()) {
            bool all = static_cast<int>(entries.size()) >= request.PaneCount;
            if (request.Archive != nullptr && request.Archive->DeleteEntries) {
                if (request.Archive->DeleteEntries(request.PaneSide, entries, all)) {
                    deleted = static_cast<int>(entries.size());
                }
            } else {
                (void)ShowError(ctx, M::ArchiveNotAvailable, 0);
            }
        }
    }
    ctx.State.StatusMsg(Msg::Ready);
    return deleted;
}

int DeleteFile1Click(RunContext& ctx, const FileDeletion& request)
{
    int deleted = DeleteMultipleFiles(ctx, request);
    // Both figures may have changed: the two sides can share a disk.
    UpdateFreeSpace(ctx, Side::Source, ctx.Engine.Source.Folder);
    if (request.PaneSide == Side::Target) {
        UpdateFreeSpace(ctx, Side::Target, ctx.Engine.Target.Folder);
        ctx.Engine.RemainingTargetSpace = ctx.Engine.Target.FreeSpaceText;
    }
    ctx.State.StatusMsg(Msg::Ready);
    return deleted;
}

std::string FileDetailsText(const TFileData& file)
{
    std::string text(M::DetailTitle);
    text.append("\r").append(M::DetailRuleLength, '-').append("\r");
    text.append(M::DetailName).append(file.FileName).append("\r");
    text.append(M::DetailSize).append(FormatSize(file.FileSize)).append("\r");
    text.append(M::DetailDate).append(PackedDateText(file.FileTime)).append("\r");
    text.append(M::DetailTime).append(PackedTimeText(file.FileTime)).append("\r");
    text.append(M::DetailAttr).append(FirstCharacters(file.AttrLetters, M::DetailAttrLength));
    if (file.CompressedSize >= 1) {
        text.append("\r\r").append(M::DetailCompressed).append(FormatSize(file.CompressedSize));
    }
    return text;
}

void OpenPaneFile(RunContext& ctx, const std::string& folder, const std::string& name)
{
    if (!name.empty()) {
        (void)OpenFileInViewer(AddTrailingBackslash(folder) + name);
    }
    ctx.State.StatusMsg(Msg::Ready);
}

} // namespace Tandemix
