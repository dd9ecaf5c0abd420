// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/BatchHooks.h"

#include "batch/ApplyBatchRow.h"
#include "batch/BatchFile.h"
#include "batch/BatchMessages.h"
#include "engine/ShowError.h"
#include "platform/FileOps.h"
#include "platform/Mounts.h"
#include "platform/WallClock.h"

namespace Tandemix {

std::optional<BatchList> OpenBatchList(RunContext& ctx, const std::string& path)
{
    SysResult<BatchFileContent> read = ReadBatchFile(path);
    if (!read) {
        (void)ShowError(ctx, ProblemMessageLine(BatchMsg::BatchFileNotAccessible, path), ErrorCode::Notice);
        return std::nullopt;
    }
    // A refused line is left out whole, never half applied; the user hears which one and why.
    for (const RefusedBatchLine& refused : read->Refused) {
        (void)ShowError(ctx, RefusedLineText(refused), ErrorCode::LogOnly);
        if (!ctx.Hst.CanAsk()) {
            (void)ctx.Hst.Ask(RefusedLineText(refused), DialogButtons::Ok); // where a script's output goes
        }
    }
    return std::move(read.Value().List);
}

bool BatchHooks::OpenBatchFile(RunContext& ctx, const std::string& path)
{
    std::optional<BatchList> list = OpenBatchList(ctx, path);
    if (!list) {
        return false;
    }
    SetList(std::move(*list));
    return true;
}

void BatchHooks::SetList(BatchList list)
{
    FList = std::move(list);
    FCurrentRow = 0;
}

int BatchHooks::BatchRowCount(RunContext& /*ctx*/)
{
    return static_cast<int>(FList.Rows.size());
}

BatchRowFolders BatchHooks::BatchRow(RunContext& /*ctx*/, int row)
{
    if (row < 1 || row > static_cast<int>(FList.Rows.size())) {
        return {};
    }
    const Tandemix::BatchRow& cells = FList.Rows[static_cast<std::size_t>(row - 1)];
    return {cells[BatchCol::Source], cells[BatchCol::Target]};
}

int BatchHooks::BatchCurrentRow(RunContext& /*ctx*/)
{
    return FCurrentRow;
}

int BatchHooks::InitiateBatchItem(RunContext& ctx, int row)
{
    if (row < 1 || row > static_cast<int>(FList.Rows.size())) {
        return -1;
    }
    Tandemix::BatchRow& cells = FList.Rows[static_cast<std::size_t>(row - 1)];
    BatchRowResult applied = ApplyBatchRow(ctx.Opts, cells, Now());
    FCurrentRow = row;
    if (applied.Outcome == BatchRowOutcome::Refused) {
        (void)ShowError(ctx, applied.Problem, ErrorCode::LogOnly);
        ctx.Engine.Totals.FoldersNotSynced += 1;
        return 1;
    }
    // The source must be there; a target that is not there yet is made by the run, on a drive
    // that is. The row's own target is used either way, never the one shown before.
    const std::string& source = applied.Folders.Source;
    const std::string& target = applied.Folders.Target;
    bool targetDrive = FolderExists(target) || FolderExists(MountPointOf(target));
    for (const std::string* missing :
         {FolderExists(source) ? nullptr : &source, targetDrive ? nullptr : &target}) {
        if (missing != nullptr) {
            (void)ShowError(ctx,
                            ProblemMessageLine(BatchMsg::FolderNotAccessible, *missing),
                            ErrorCode::LogOnly);
            ctx.Engine.Totals.FoldersNotSynced += 1;
            return 1;
        }
    }
    ctx.Engine.Source.Folder = applied.Folders.Source;
    ctx.Engine.Target.Folder = applied.Folders.Target;
    return 0;
}

void BatchHooks::ReturnToFirstBatchRow(RunContext& /*ctx*/)
{
    FCurrentRow = FList.Rows.empty() ? 0 : 1;
}

} // namespace Tandemix
