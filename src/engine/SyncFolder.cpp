// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/SyncFolder.h"

#include "engine/CopyMessages.h"
#include "engine/CopyOneFile.h"
#include "engine/DecideMessages.h"
#include "engine/FileHelpers.h"
#include "engine/FileListing.h"
#include "engine/LaterHooks.h"
#include "engine/ListingMessages.h"
#include "engine/MatchAndDecide.h"
#include "engine/RunMessages.h"
#include "engine/ShowError.h"
#include "platform/AsciiText.h"
#include "platform/FileOps.h"

#include <cmath>
#include <exception>
#include <optional>
#include <string>

namespace Tandemix {

namespace {

// The folder's progress after `done` of its rows: the share of its bytes, or, when every
// decided file is empty, the share of its rows.
int FolderPercent(std::int64_t bytesDone, std::int64_t totalBytes, std::size_t done, std::size_t rows)
{
    double share = totalBytes > 0 ? static_cast<double>(bytesDone) / static_cast<double>(totalBytes)
                                  : static_cast<double>(done) / static_cast<double>(rows);
    return static_cast<int>(std::lround(share * 100.0));
}

int CopyRow(RunContext& ctx, const DeltaRow& row, CopyFolders& folders)
{
    CopyRequest request{row.FileName,
                        row.SourceFolder,
                        row.TargetFolder,
                        row.Size,
                        row.PackedTime,
                        LettersToAttr(row.AttrLetters),
                        row.IsLink,
                        row.TargetName,
                        row.SourceMTime,
                        &folders};
    // A skip left over from an earlier file must not be taken for this one's.
    ctx.State.SkipFileButtonTag = 0;
    try {
        return CopyOneFile(ctx, request);
    } catch (const std::exception& error) {
        // One file's unexpected error is that file's failure, not the run's end: the copy has
        // already removed what it wrote, and the next file may well succeed.
        ctx.Engine.SkipFileEnabled = false;
        std::string what = AddTrailingBackslash(row.SourceFolder) + row.FileName + " (" + error.what() + ")";
        ctx.Report.WriteLogFile(ProblemLogLine(CopyMsg::CouldNotCopy, what), LogKind::UpdatedFile);
        ctx.Report.AddMessage(ProblemMessageLine(CopyMsg::CouldNotCopy, what));
        return static_cast<int>(CopyResult::NotCopied);
    }
}

void LogFileDone(RunContext& ctx, const DeltaRow& row, RowActions action)
{
    const bool report = ctx.Engine.PreReportRun;
    const bool add = action == RowActions::Add;
    std::string_view label = add ? (report ? RunMsg::AddLabel : RunMsg::AddedLabel)
                                 : (report ? RunMsg::UpdateLabel : RunMsg::UpdatedLabel);
    if (add) {
        ctx.Engine.Delta.AddByteValue -= row.Size;
    } else {
        ctx.Engine.Delta.UpdateByteValue -= row.Size;
    }
    ctx.Report.WriteLogFile(FileDoneLogLine(label, row.FileName),
                            add ? LogKind::AddedFile : LogKind::UpdatedFile);
    ctx.Report.AddReportEntry({.Name = row.FileName,
                               .Path = row.TargetFolder,
                               .SizeText = std::to_string(row.Size),
                               .Detail = FileDateTimeText(row.PackedTime),
                               .Kind = add ? RunMsg::ReportAdd : RunMsg::ReportUpdate,
                               .Category = add ? ReportCategory::Added : ReportCategory::Updated});
}

// Works the decision grid row by row. Returns the folder's result.
// The row's place in the progress, shown before the row is worked on.
void ShowRowStart(RunContext& ctx, std::size_t r, std::int64_t& bytesDone, std::int64_t totalBytes)
{
    EngineState& engine = ctx.Engine;
    const std::vector<DeltaRow>& rows = engine.Delta.Rows;
    // The log writer takes the size, date and time columns from the selected row.
    engine.Delta.CurrentRow = static_cast<int>(r);
    if (!ctx.Opts.UseCompression) {
        engine.Totals.CurrentFileNo = static_cast<int>(r) + 1;
        bytesDone += rows[r].Size;
        engine.DirGauge = FolderPercent(bytesDone, totalBytes, r + 1, rows.size());
    }
}

// A CopyResult code, or nothing when the row is left alone in this pass.
std::optional<int> WorkOnRow(RunContext& ctx, const DeltaRow& row, CopyFolders& folders)
{
    if (ctx.Engine.PreReportRun) {
        return 0; // reported as done; nothing is written
    }
    if (ctx.Opts.DeleteUnMatchPriorToSync) {
        return std::nullopt; // the first pass of a two-pass run only finds what is unmatched
    }
    if (ctx.Opts.UseCompression) {
        return HooksOf(ctx).ArchiveFile(ctx, row);
    }
    return CopyRow(ctx, row, folders);
}

// Counts a row that was not copied; says how the folder goes on: 0 with the next row, 3 with
// the next folder, 4 not at all (the run stops).
int CountNotCopied(RunContext& ctx, int code)
{
    RunTotals& totals = ctx.Engine.Totals;
    if (code == static_cast<int>(CopyResult::StopRun)) {
        return 4;
    }
    if (code == static_cast<int>(CopyResult::NextFolder)) {
        totals.FilesNotCopied += 1;
        return 3;
    }
    // A file the user chose to skip is not a failure of the run.
    if (ctx.State.SkipFileButtonTag != 1) {
        totals.FilesNotCopied += 1;
    }
    return 0;
}

void CountCopied(RunContext& ctx, const DeltaRow& row, RowActions action)
{
    EngineState& engine = ctx.Engine;
    RunTotals& totals = engine.Totals;
    LogFileDone(ctx, row, action);
    if (!engine.PreReportRun) {
        CountDownTargetSpace(ctx, row.Size);
    }
    if (row.Reason == Msg::NoMatch) {
        totals.TotFilesAdded += 1;
    } else {
        totals.TotFilesUpdated += 1;
    }
    if (!ctx.Opts.UseCompression) {
        totals.CurrentFileName = RunMsg::NoFile;
        totals.ActiveFileSize = 0;
    }
    ctx.Hst.ShowRunProgress(engine);
}

// However the rows ended, an archive being written is closed.
int FinishRows(RunContext& ctx, int result)
{
    if (ctx.Opts.UseCompression) {
        HooksOf(ctx).FinishArchiveSide(ctx);
    }
    // The counted-down estimate gives way to the disk's own figure once per folder.
    if (!ctx.Engine.PreReportRun) {
        UpdateFreeSpace(ctx, Side::Target, ctx.Engine.Target.Folder);
    }
    return result;
}

int HandleDecidedRows(RunContext& ctx)
{
    EngineState& engine = ctx.Engine;
    RunTotals& totals = engine.Totals;
    const std::vector<DeltaRow>& rows = engine.Delta.Rows;
    // Empty files are decided like any other and must be copied too, although they add
    // nothing to the folder's byte total.
    if (rows.empty()) {
        totals.DirFileCount = 0;
        return 0;
    }
    const std::int64_t totalBytes = engine.Delta.AddByteValue + engine.Delta.UpdateByteValue;
    totals.DirFileCount = engine.Delta.DeltaCount;

    std::int64_t bytesDone = 0;
    // Held only while this folder's rows are worked on: an open folder would keep its drive
    // from being unmounted after the run.
    CopyFolders folders;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const DeltaRow& row = rows[r];
        ShowRowStart(ctx, r, bytesDone, totalBytes);
        if (ctx.State.CheckForStop() > 0) {
            return FinishRows(ctx, 4);
        }
        totals.CurrentFileName = row.FileName;
        if (!ctx.Opts.UseCompression) {
            totals.ActiveFileSize = row.Size;
        }
        RowActions action = RowAction(ctx, r);
        if (action == RowActions::None) {
            continue;
        }
        std::optional<int> code = WorkOnRow(ctx, row, folders);
        if (!code) {
            continue;
        }
        if (*code != static_cast<int>(CopyResult::Copied)) {
            if (int end = CountNotCopied(ctx, *code); end != 0) {
                return FinishRows(ctx, end);
            }
            continue;
        }
        CountCopied(ctx, row, action);
    }
    return FinishRows(ctx, 0);
}

} // namespace

RowActions RowAction(const RunContext& ctx, std::size_t row)
{
    const DeltaRow& decided = ctx.Engine.Delta.Rows.at(row);
    bool add = decided.Reason == Msg::NoMatch;
    if (add && ctx.Opts.AddFilesOption) {
        return RowActions::Add;
    }
    if (!add && ctx.Opts.UpdateFilesOption) {
        return RowActions::Update;
    }
    return RowActions::None;
}

int SyncFolder(RunContext& ctx, RunSender sender)
{
    EngineState& engine = ctx.Engine;
    const bool selectedOnly = sender == RunSender::TargetFileList;
    if (selectedOnly) {
        ctx.State.StatusMsg(RunMsg::SynchronizingSelected);
    } else {
        ctx.State.StatusMsg(std::string(Msg::SynchronizingFolder) + UpperAscii(engine.Source.Folder));
    }
    if (ctx.Opts.UseCompression) {
        HooksOf(ctx).PrepareArchiveSide(ctx);
    }

    MatchAndDecide(ctx, selectedOnly);
    int result = ctx.State.CheckForStop() > 0 ? 4 : HandleDecidedRows(ctx);

    // During a run the next pair is listed anyway; a drop of selected files shows the result.
    if (!ctx.State.SyncActive) {
        RefreshFileListings(ctx);
    }
    engine.Totals.CurrentFileName = RunMsg::NoFile;
    engine.Totals.ActiveFileSize = 0;
    ClearDeltaButtonClick(ctx);
    engine.Delta.CurrentRow = -1;
    engine.FileGauge = 0;
    engine.DirGauge = 0;
    ctx.Report.FlushLog(); // the folder's lines are on disk before the next folder starts
    return result;
}

std::string FileDoneLogLine(std::string_view label, std::string_view name)
{
    return PadLeft(label, RunMsg::LabelWidth).append(" ").append(PadRight(name, RunMsg::NameWidth));
}

} // namespace Tandemix
