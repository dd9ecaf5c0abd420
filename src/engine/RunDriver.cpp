// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/RunDriver.h"

#include "engine/BusySection.h"
#include "engine/FileFilters.h"
#include "engine/FolderPairCheck.h"
#include "engine/FolderQueue.h"
#include "engine/LaterHooks.h"
#include "engine/MatchAndDecide.h"
#include "engine/RunMessages.h"
#include "engine/ShowError.h"
#include "platform/AsciiText.h"
#include "platform/FileOps.h"
#include "platform/Mounts.h"
#include "platform/PathText.h"
#include "platform/WallClock.h"
#include "settings/DateRange.h"

#include <algorithm>
#include <ctime>
#include <exception>
#include <list>
#include <optional>
#include <string>
#include <utility>

namespace Tandemix {

namespace {

// Runs `undo` when the scope is left, however it is left.
template <typename Undo>
class OnExit
{
public:
    explicit OnExit(Undo undo)
        : FUndo(std::move(undo))
    {}
    ~OnExit() { FUndo(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    Undo FUndo;
};

// The folder a pane returns to after the run: the one it showed, or, when that has gone
// meanwhile, the root of the disk it was on.
std::string StillThere(const std::string& folder)
{
    if (folder.empty() || FolderExists(folder)) {
        return folder;
    }
    return MountPointOf(folder);
}

void WriteTrailer(RunContext& ctx)
{
    Reporter& log = ctx.Report;
    const Options& opts = ctx.Opts;
    const RunTotals& totals = ctx.Engine.Totals;
    auto line = [&log](const std::string& text) {
        log.WriteLogFile(text, LogKind::Summary);
    };
    line(std::string(RunMsg::TrailerRuleWidth, RunMsg::TrailerRuleChar));
    // The label is worked out on a copy: an open-ended range must stay open ("up to today",
    // whatever day the next run is), not be fixed at this run's day.
    Options range = opts;
    line(std::string(RunMsg::DatesIndent) + SetSyncDateLabel(range, Now()).UseFileDatesLabel);
    line(std::string(RunMsg::FileFilters) + opts.IncludeString);
    line(opts.ExcludeString.empty() ? std::string(RunMsg::FileExclusionsNone)
                                    : std::string(RunMsg::FileExclusions) + opts.ExcludeString);
    // Said exactly when the filter applies it: "0100" or "12kb" is no limit, "-5" is one.
    if (SizeLimit(opts.MaxFileSize)) {
        line(std::string(RunMsg::ExcludeAbove) + opts.MaxFileSize);
    }
    if (SizeLimit(opts.MinFileSize)) {
        line(std::string(RunMsg::ExcludeBelow) + opts.MinFileSize);
    }
    auto count = [](long long n) {
        return PadLeft(std::to_string(n), RunMsg::CountWidth);
    };
    line(count(totals.TotFilesUpdated) + std::string(RunMsg::FilesUpdated));
    line(count(totals.TotFilesAdded) + std::string(RunMsg::FilesAdded));
    line(count(ctx.Engine.TotalFilesCheckedValue) + std::string(RunMsg::FilesChecked));
}

RunOutcome OutcomeOf(const RunContext& ctx, int result)
{
    const RunTotals& totals = ctx.Engine.Totals;
    if (ctx.State.OperationState > 0) {
        return RunOutcome::Stopped;
    }
    if (result != 0 || totals.FilesNotCopied > 0 || totals.FoldersNotSynced > 0
        || totals.ItemsNotDeleted > 0) {
        return RunOutcome::Failed;
    }
    return RunOutcome::Completed;
}

// The worse of the two passes of a two-pass run.
RunOutcome Worse(RunOutcome a, RunOutcome b)
{
    if (a == RunOutcome::Stopped || b == RunOutcome::Stopped) {
        return RunOutcome::Stopped;
    }
    if (a == RunOutcome::Failed || b == RunOutcome::Failed) {
        return RunOutcome::Failed;
    }
    return RunOutcome::Completed;
}

// Queues the pairs and walks them. Returns the run's result.
int CountAndWalk(RunContext& ctx, RunSender sender)
{
    RunState& state = ctx.State;
    Options& opts = ctx.Opts;
    EngineState& engine = ctx.Engine;

    // A batch's rows each bring their own option and apply it as they are queued.
    if (opts.CreateSubFolderOption && !opts.RunBatchList && !UseSubFolderTarget(ctx)) {
        engine.Totals.FoldersNotSynced += 1;
        return 0;
    }

    state.StatusMsg(RunMsg::CountingFolders);
    {
        // Counting goes on unattended: a folder it cannot read is reported by the walk.
        bool display = opts.DisplayMessages;
        opts.DisplayMessages = false;
        OnExit restore([&opts, display] { opts.DisplayMessages = display; });
        BuildFolderQueue(ctx);
    }

    if (opts.RunBatchList) {
        LaterHooks& hooks = HooksOf(ctx);
        BatchRowFolders first = hooks.BatchRow(ctx, 1);
        bool onFirstRow = hooks.BatchCurrentRow(ctx) == 1 && first.Source == engine.Source.Folder
                          && first.Target == engine.Target.Folder;
        if (!onFirstRow && hooks.InitiateBatchItem(ctx, 1) == 1) {
            engine.Totals.FoldersNotSynced += 1;
            return 0;
        }
    }
    state.SyncActive = false;

    if (state.OperationState != 0) {
        // Stopped while counting: nothing was walked, so nothing may be taken as complete.
        return 4;
    }
    return SyncDirectories(ctx, sender);
}

// The folder the run will write into: the target on screen, or the folder the create-sub-folder
// option makes inside it.
std::string RunTarget(const RunContext& ctx)
{
    const EngineState& engine = ctx.Engine;
    if (ctx.Opts.CreateSubFolderOption) {
        if (std::optional<std::string> inside = SubFolderTarget(engine.Source.Folder, engine.Target.Folder)) {
            return *inside;
        }
    }
    return engine.Target.Folder;
}

// The pair as the user named it, and the pair the run will really synchronise.
std::string PairProblem(const RunContext& ctx)
{
    const EngineState& engine = ctx.Engine;
    std::string problem = CheckFolderPair(engine.Source.Folder, engine.Target.Folder);
    if (problem.empty()) {
        std::string target = RunTarget(ctx);
        if (target != engine.Target.Folder) {
            problem = CheckFolderPair(engine.Source.Folder, target);
        }
    }
    return problem;
}

// Locks the target of every row of the batch about to run, each folder once: rows may share a
// target, or name one inside another, and this run must not keep itself out. Returns the target
// another run holds, or "" when every one is held now.
std::string LockBatchTargets(RunContext& ctx, std::list<TargetLock>& locks, bool writing)
{
    LaterHooks& hooks = HooksOf(ctx);
    std::vector<std::string> held;
    for (int row = 1; row <= hooks.BatchRowCount(ctx); ++row) {
        std::string target = hooks.BatchRow(ctx, row).Target;
        if (target.empty()) {
            continue;
        }
        // A target not made yet is guarded at the folder it will be made in, which another
        // row's target may share.
        while (!FolderExists(target) && ParentFolder(target) != target && !ParentFolder(target).empty()) {
            target = std::string(WithoutTrailingSlashes(ParentFolder(target)));
        }
        std::string folder = AddTrailingBackslash(target);
        bool covered = std::any_of(held.begin(), held.end(), [&folder](const std::string& other) {
            return folder.starts_with(other) || other.starts_with(folder);
        });
        if (covered) {
            continue;
        }
        if (!locks.emplace_back().Acquire(target, writing)) {
            return target;
        }
        held.push_back(folder);
    }
    return {};
}

RunOutcome Refuse(RunContext& ctx, RunRefusal why, const std::string& text)
{
    RunTotals& totals = ctx.Engine.Totals;
    totals.Refused = why;
    totals.RefusalText = text;
    totals.Outcome = RunOutcome::Failed;
    // A question only when someone is there to answer it; the status line and the message
    // list say it either way, and an unattended caller prints RefusalText.
    (void)ShowError(ctx, text, ErrorCode::Notice);
    ctx.State.StatusMsg(text);
    return RunOutcome::Failed;
}

} // namespace

RunOutcome SyncButtonClick(RunContext& ctx, RunSender sender)
{
    EngineState& engine = ctx.Engine;
    if (ctx.State.BusyCount > 0 || engine.RunGuard) {
        return RunOutcome::NotStarted;
    }
    engine.RunGuard = true;
    OnExit clearGuard([&engine] { engine.RunGuard = false; });

    // Both refusals come before the log is opened: nothing of this run is written anywhere,
    // and the log of a run already going on is left alone.
    engine.Totals.Refused = RunRefusal::None;
    engine.Totals.RefusalText.clear();
    TargetLock lock;
    std::list<TargetLock> rowLocks;
    if (!ctx.Opts.RunBatchList) {
        if (std::string problem = PairProblem(ctx); !problem.empty()) {
            return Refuse(ctx, RunRefusal::FolderPair, problem);
        }
        const std::string& target = RunTarget(ctx);
        if (!lock.Acquire(target, sender != RunSender::PreReportButton)) {
            return Refuse(ctx, RunRefusal::TargetBusy, std::string(RunMsg::TargetBusy) + target);
        }
    } else if (std::string busy = LockBatchTargets(ctx, rowLocks, sender != RunSender::PreReportButton);
               !busy.empty()) {
        // Another run writing into any row's target would meet this batch there.
        return Refuse(ctx, RunRefusal::TargetBusy, std::string(RunMsg::TargetBusy) + busy);
    }

    Options& opts = ctx.Opts;
    if (!opts.DeleteUnMatchPriorToSync) {
        RunDriver(ctx, sender);
        return engine.Totals.Outcome;
    }

    // First pass: decide and hand the unmatched items over, copying nothing; then the copy pass.
    RunOutcome outcome = RunOutcome::Completed;
    {
        OnExit checkAgain([&opts] { opts.DeleteUnMatchPriorToSync = true; });
        int result = RunDriver(ctx, sender);
        outcome = engine.Totals.Outcome;
        opts.DeleteUnMatchPriorToSync = false;
        if (result == 0 && ctx.State.CheckForStop() == 0) {
            RunDriver(ctx, sender);
            outcome = Worse(outcome, engine.Totals.Outcome);
        }
    }
    engine.Totals.Outcome = outcome;
    return outcome;
}

RunOutcome PreReportButtonClick(RunContext& ctx)
{
    ctx.Engine.DirDelList.clear();
    // The pre-sync report is a log: it is written whatever the log setting says.
    bool useLogFile = ctx.Opts.UseLogFile;
    ctx.Opts.UseLogFile = true;
    OnExit restore([&ctx, useLogFile] { ctx.Opts.UseLogFile = useLogFile; });
    return SyncButtonClick(ctx, RunSender::PreReportButton);
}

int RunDriver(RunContext& ctx, RunSender sender)
{
    RunState& state = ctx.State;
    EngineState& engine = ctx.Engine;
    Reporter& reporting = ctx.Report;
    const bool report = sender == RunSender::PreReportButton;
    const std::string sourceShown = engine.Source.Folder;
    const std::string targetShown = engine.Target.Folder;
    int result = 0;

    {
        BusySection busy(state);
        state.EnableControls(false);
        state.StartTimingEvent();
        ClearDeltaButtonClick(ctx);

        // The folder and file counts add up over the runs of a session; all else starts afresh.
        const RunTotals before = engine.Totals;
        engine.Totals = RunTotals{};
        engine.Totals.TotDirCount = before.TotDirCount;
        engine.Totals.TotFileCount = before.TotFileCount;
        engine.TotalFilesCheckedValue = 0;
        engine.TotalFileCount = 0;
        reporting.ClearReports();
        engine.DirDelList.clear();
        engine.Folders = RunFolders{};
        engine.Folders.TargetRoot = targetShown;

        // A report run changes nothing on disk: missing target folders are reported as ones
        // it would create, listed as empty, and nothing is copied or cleaned up.
        engine.PreReportRun = report;
        ctx.Report.WriteLogFile({}, report ? LogKind::OpenPreSyncLog : LogKind::OpenSyncLog);
        ctx.Hst.ShowRunProgress(engine);

        try {
            result = CountAndWalk(ctx, sender);
        } catch (const std::exception& error) {
            ShowError(ctx, error.what(), RunMsg::WalkErrorCode);
            result = 4;
        }
        state.SyncActive = false;

        RemoveEmptyCreatedFolders(ctx);
        RunTotals& totals = engine.Totals;
        totals.FolderGauge = 0;
        totals.ActiveFileSize = 0;
        totals.DirFileCount = 0;
        totals.PreFolderCount = 0;

        WriteTrailer(ctx);
        reporting.SetRunStopped(state.OperationState > 0 || result == 4);
        ctx.Report.WriteLogFile({}, report ? LogKind::ClosePreSyncLog : LogKind::CloseSyncLog);
        totals.Outcome = OutcomeOf(ctx, result);

        engine.Source.Folder = StillThere(sourceShown);
        engine.Target.Folder = StillThere(targetShown);
        state.EnableControls(true);
        engine.FolderQueue.clear();
        engine.Folders = RunFolders{};
        engine.PreReportRun = false;

        state.OperationState = 0;
        (void)state.CheckForStop();
    }

    // The panes are listed again after the run, which must not file unmatched items anew.
    state.SuppressUnmatchedReport = true;
    ctx.Hst.RunFinished();
    state.SuppressUnmatchedReport = false;

    state.StopTiming();
    bool messages = reporting.MessageCount() > 0;
    state.StatusMsg(messages ? RunMsg::DoneWithMessages : RunMsg::Done);
    ctx.Hst.ShowRunProgress(engine);
    return result;
}

int SyncDirectories(RunContext& ctx, RunSender sender)
{
    RunState& state = ctx.State;
    // Every walk builds its unmatched list afresh, whether the items are to be deleted or only
    // listed; suppression is for the moments between walks (a batch row being applied, the
    // panes listed again after the run).
    state.SuppressUnmatchedReport = false;
    int result = 0;
    try {
        result = WalkFolderQueue(ctx, sender);
    } catch (const std::exception& error) {
        ShowError(ctx, error.what(), RunMsg::WalkErrorCode);
        result = 4;
    }
    state.SuppressUnmatchedReport = true;
    state.SyncActive = false;

    if (!ctx.Opts.RunBatchList) {
        if (result == 0) {
            (void)HooksOf(ctx).DeleteUnmatchedFiles(ctx, sender);
        } else if (ctx.Opts.ListUnMatchedFiles) {
            // A stopped or failed walk did not see every pair: what looks unmatched may not be.
            ctx.Report.ClearUnMatched();
        }
    }
    return result;
}

} // namespace Tandemix
