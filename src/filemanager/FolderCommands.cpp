// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/FolderCommands.h"

#include "engine/BusySection.h"
#include "engine/FileListing.h"
#include "engine/Messages.h"
#include "engine/ShowError.h"
#include "filemanager/FileManagerMessages.h"
#include "platform/AsciiText.h"
#include "platform/FileOps.h"
#include "platform/Mounts.h"
#include "platform/PathText.h"
#include "unmatched/DeleteUnmatched.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

namespace Tandemix {

namespace {

namespace M = FileManagerMsg;

std::string WithReason(std::string text, int error)
{
    return error == 0 ? text : text + " (" + std::generic_category().message(error) + ")";
}

} // namespace

bool IsDriveRoot(const std::string& folder, const std::string& home)
{
    std::string_view path = WithoutTrailingSlashes(folder);
    if (path.empty() || path == "/" || (!home.empty() && path == WithoutTrailingSlashes(home))) {
        return true;
    }
    struct stat st;
    // A link is the link's own entry, never the mount it may point at.
    return !(StatEntry(std::string(path), st) && S_ISLNK(st.st_mode)) && IsMountPoint(std::string(path));
}

FolderDeletion DeleteLocalDir(RunContext& ctx, const std::string& folder, const std::string& home)
{
    if (IsDriveRoot(folder, home)) {
        return FolderDeletion::NotAllowed;
    }
    const std::string path(WithoutTrailingSlashes(folder));
    ctx.State.StatusMsg(std::string(M::DeletingFolder) + std::string(LastComponent(path)));
    std::string question = std::string(M::SureToDeleteFolder)
                           + std::string(FirstCharacters(path, M::FolderQuestionLength)) + "\n"
                           + std::string(M::AndAllContents);
    if (ctx.Hst.Ask(question, DialogButtons::YesNo) != DialogResult::Yes) {
        ctx.State.StatusMsg(Msg::Ready);
        return FolderDeletion::Declined;
    }
    bool gone = false;
    {
        BusySection busy(ctx.State);
        ctx.State.EnableControls(false);
        ctx.State.SyncActive = true;
        struct stat st;
        if (StatEntry(path, st) && !S_ISDIR(st.st_mode)) {
            // A link shown among the folders: the link goes, what it points at stays.
            SysStatus erased = DeleteFile(path);
            if (!erased) {
                (void)ShowError(ctx,
                                WithReason(ProblemMessageLine(M::CouldNotDeleteFolder, path), erased.Error()),
                                0);
            }
            gone = erased.Ok();
        } else if (DeleteFolderContents(ctx, path)) {
            ctx.State.SyncActive = false;
            SysStatus removed = RemoveFolder(path);
            if (!removed) {
                (void)ShowError(
                    ctx,
                    WithReason(ProblemMessageLine(M::CouldNotDeleteFolder, path), removed.Error()),
                    0);
            }
            gone = removed.Ok();
        }
        ctx.State.SyncActive = false;
        for (Side side : {Side::Source, Side::Target}) {
            const std::string& shown = ListingOf(ctx.Engine, side).Folder;
            if (!shown.empty()) {
                UpdateFreeSpace(ctx, side, shown);
            }
        }
        ctx.Engine.RemainingTargetSpace = ctx.Engine.Target.FreeSpaceText;
        ctx.State.EnableControls(true);
    }
    ctx.State.StatusMsg(Msg::Ready);
    return gone ? FolderDeletion::Deleted : FolderDeletion::Failed;
}

FolderRename RenameDirectory(RunContext& ctx,
                             const std::string& base,
                             const std::string& oldName,
                             const std::string& newName)
{
    if (newName == oldName || newName.empty()) {
        return FolderRename::Unchanged;
    }
    const std::string folder = AddTrailingBackslash(base);
    struct stat st;
    if (newName.find('/') == std::string::npos && newName != "." && newName != ".."
        && StatEntry(folder + newName, st)) {
        return FolderRename::Unchanged;
    }
    ctx.State.StatusMsg(std::string(M::Renaming) + oldName);
    bool valid = newName.find('/') == std::string::npos && newName != "." && newName != "..";
    SysStatus moved = valid ? MoveFile(folder + oldName, folder + newName) : SysFail(EINVAL, "rename");
    if (!moved) {
        (void)ctx.Hst.Ask(M::ErrorRenaming, DialogButtons::Ok);
    }
    ctx.State.StatusMsg(Msg::Ready);
    return moved ? FolderRename::Renamed : FolderRename::Failed;
}

bool CreateChosenFolder(RunContext& ctx, const std::string& folder)
{
    if (FolderExists(folder)) {
        return true;
    }
    std::string made;
    for (std::string_view rest = WithoutTrailingSlashes(folder); !rest.empty();) {
        std::size_t slash = rest.find('/', 1);
        made.append(rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
        if (FolderExists(made)) {
            continue;
        }
        SysStatus created = CreateFolder(made);
        if (!created && created.Error() != EEXIST) {
            (void)ShowError(ctx,
                            WithReason(std::string(M::CouldNotCreateFolder) + folder, created.Error()),
                            0);
            return false;
        }
    }
    return FolderExists(folder);
}

} // namespace Tandemix
