// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/DirWatcher.h"
#include "automation/FolderQue.h"
#include "engine/RunContext.h"

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

namespace Tandemix {

// The real-time monitor's UI-thread side: one watcher thread per source folder, the list of
// folders watched (FolderWatch), and the four hand-overs that turn a watcher's report into a
// queued row. The box itself is Opts.MonitorSourceDriveCheck. UI thread only, but for the
// watcher threads it owns, which reach it through the host's hand-over queue alone.
class SourceMonitor final : public WatchSink
{
public:
    SourceMonitor(RunContext& ctx, WorkQueue& queue);
    ~SourceMonitor() override;
    SourceMonitor(const SourceMonitor&) = delete;
    SourceMonitor& operator=(const SourceMonitor&) = delete;

    // The box was checked or unchecked (Opts.MonitorSourceDriveCheck says which): starts a
    // watcher per source folder, or lets every watcher end within half a second.
    void MonitorSourceDriveCheckClick();
    // One watcher for `folder`, when the box is checked.
    void RunSourcemonitor(const std::string& folder, bool watchSubFolders, int kind, int row);
    // Joins the watchers that have ended; a watcher ends by itself and is forgotten here.
    void Reap();
    // Ends every watcher and waits for it: the program is ending.
    void Shutdown();
    int RunningWatchers() const;
    // The switch-on the watchers started now belong to.
    unsigned Generation() const { return FGeneration.load(); }

    std::vector<std::string> FolderWatch;
    int FolderWatchTag = 0; // settle count ("-W")
    int UpdateFolderListTag = 0; // folder-tree notifications since the last queue check
    int ProcessingRow = -1; // the row the queue processor is running, or -1
    WatchTiming Timing;
    // The box was unchecked by the last watcher's end: the window shows it.
    std::function<void()> BoxChanged;
    // A watcher's note, after it went to the error log: a console says it on stderr.
    std::function<void(const std::string&)> Noted;

    bool WatchStarted(const WatchTicket& ticket) override;
    void FolderChanged(const WatchTicket& ticket) override;
    void TreeChanged(const WatchTicket& ticket) override;
    void WatchStopped(const WatchTicket& ticket) override;
    void WatchNote(const WatchTicket& ticket, const std::string& text) override;

private:
    bool Current(const WatchTicket& ticket) const;
    void SwitchOff();

    RunContext& FCtx;
    WorkQueue& FQueue;
    std::atomic<unsigned> FGeneration{1};
    bool FOn = false; // watchers of the current generation may run
    std::list<std::unique_ptr<TDirThread>> FWatchers;
};

} // namespace Tandemix
