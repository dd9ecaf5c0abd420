// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/SourceMonitor.h"

#include "automation/AutomationMessages.h"
#include "engine/LaterHooks.h"
#include "engine/ShowError.h"

#include <algorithm>

namespace Tandemix {

SourceMonitor::SourceMonitor(RunContext& ctx, WorkQueue& queue)
    : FCtx(ctx)
    , FQueue(queue)
{}

SourceMonitor::~SourceMonitor()
{
    Shutdown();
}

void SourceMonitor::Shutdown()
{
    // Released first, so that a watcher waiting in a hand-over does not keep the join waiting.
    FCtx.Hst.HandOvers().Close();
    FGeneration.fetch_add(1, std::memory_order_acq_rel);
    FOn = false;
    FWatchers.clear();
    FCtx.Hst.HandOvers().Reopen();
}

void SourceMonitor::SwitchOff()
{
    // The watchers compare this with their own and end at their next wake, within 500 ms.
    FGeneration.fetch_add(1, std::memory_order_acq_rel);
    FOn = false;
    FolderWatch.clear();
}

void SourceMonitor::MonitorSourceDriveCheckClick()
{
    Options& opts = FCtx.Opts;
    FQueue.Clear();
    if (!opts.MonitorSourceDriveCheck) {
        SwitchOff();
        return;
    }
    FOn = true;
    LaterHooks& hooks = HooksOf(FCtx);
    const int rows = hooks.BatchRowCount(FCtx);
    if (rows > 0 && !hooks.BatchRow(FCtx, 1).Source.empty()) {
        for (int row = 1; row <= rows; ++row) {
            std::string source = hooks.BatchRow(FCtx, row).Source;
            if (source.empty()) {
                continue;
            }
            RunSourcemonitor(source, opts.IncludeSubFolderOption, 1, row);
            (void)ShowError(FCtx, std::string(Msg::MonitoringFolder).append(source), ErrorCode::LogOnly);
        }
        opts.RunBatchList = false;
        return;
    }
    RunSourcemonitor(FCtx.Engine.Source.Folder, opts.IncludeSubFolderOption, 1, 0);
}

void SourceMonitor::RunSourcemonitor(const std::string& folder, bool watchSubFolders, int kind, int row)
{
    if (!FCtx.Opts.MonitorSourceDriveCheck || folder.empty()) {
        return;
    }
    WatchTicket ticket{folder,
                       static_cast<std::uint16_t>(std::clamp(row, 0, 65535)),
                       watchSubFolders,
                       kind,
                       FGeneration.load(std::memory_order_acquire)};
    auto watcher = std::make_unique<TCallDirThread>(std::move(ticket), FGeneration, FCtx.Hst, *this);
    watcher->Timing = Timing;
    watcher->Start();
    FWatchers.push_back(std::move(watcher));
}

void SourceMonitor::Reap()
{
    if (FOn && !FCtx.Opts.MonitorSourceDriveCheck) {
        // Unchecked without its click: a confirmed stop ends monitoring with the operation.
        SwitchOff();
    }
    FWatchers.remove_if([](const std::unique_ptr<TDirThread>& watcher) { return watcher->Finished(); });
}

int SourceMonitor::RunningWatchers() const
{
    return static_cast<int>(std::count_if(FWatchers.begin(), FWatchers.end(), [](const auto& watcher) {
        return !watcher->Finished();
    }));
}

bool SourceMonitor::Current(const WatchTicket& ticket) const
{
    return FOn && ticket.Generation == FGeneration.load(std::memory_order_acquire);
}

bool SourceMonitor::WatchStarted(const WatchTicket& ticket)
{
    if (!Current(ticket)
        || std::find(FolderWatch.begin(), FolderWatch.end(), ticket.Folder) != FolderWatch.end()) {
        return false;
    }
    FolderWatch.push_back(ticket.Folder);
    return true;
}

void SourceMonitor::FolderChanged(const WatchTicket& ticket)
{
    // While a batch row or a configuration is being applied, folders change under the program's
    // own hands; nothing the user did is lost by not queueing that.
    if (!Current(ticket) || FCtx.State.SourceFileListTag == 1) {
        return;
    }
    // A change to the row being run is queued too: the run may have listed the folder before
    // it, and one more run afterwards picks it up (the queue holds the row once, however many
    // changes come).
    FQueue.Add(std::to_string(ticket.Row));
    ++FQueue.Tag;
}

void SourceMonitor::TreeChanged(const WatchTicket& ticket)
{
    if (Current(ticket)) {
        ++UpdateFolderListTag;
    }
}

void SourceMonitor::WatchStopped(const WatchTicket& ticket)
{
    if (!Current(ticket)) {
        return;
    }
    // A watcher stops by itself when its folder went away; whatever it queued last may be that
    // going, and a run over a folder that is not there must not follow from it.
    FQueue.Remove(std::to_string(ticket.Row));
    std::erase(FolderWatch, ticket.Folder);
    if (FolderWatch.empty()) {
        FCtx.Opts.MonitorSourceDriveCheck = false;
        SwitchOff();
        if (BoxChanged) {
            BoxChanged();
        }
    }
}

void SourceMonitor::WatchNote(const WatchTicket& /*ticket*/, const std::string& text)
{
    // The error log keeps it whether or not a run's log is open; the status line shows it.
    FCtx.Report.WriteLogFile(text, LogKind::AppError);
    FCtx.Report.AddMessage(text);
    FCtx.State.StatusMsg(text);
    if (Noted) {
        Noted(text);
    }
}

} // namespace Tandemix
