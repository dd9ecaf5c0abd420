// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/CommandLine.h"
#include "automation/FolderQue.h"
#include "automation/SourceMonitor.h"
#include "engine/RunContext.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tandemix {

// One of the automation's timers: fires every Interval milliseconds while enabled. Tag is the
// schedule's countdown (milliseconds left) and the polling's armed interval.
struct AutoTimer
{
    long long Interval = 0;
    bool Enabled = false;
    long long Tag = 0;
    long long Due = 0; // clock reading at which it fires next
};

// What the automation asks of whoever shows it (the window, the console).
class AutomationActions
{
public:
    virtual ~AutomationActions() = default;
    // The synchronise command on what is on screen (one folder pair).
    virtual RunOutcome RunSync() = 0;
    // The schedule's countdown caption and the tray's tool tip, each when it changed.
    virtual void ShowCountdown(const std::string& /*text*/) {}
    virtual void ShowTrayHint(const std::string& /*hint*/) {}
    virtual bool TrayShown() const { return false; }
    // Both listings again, as the refresh command does.
    virtual void RefreshListings() {}
    // A check box or edit of the automation options changed from here.
    virtual void AutomationChanged() {}
    // A watcher changed how it watches, or stopped by itself (also in the error log).
    virtual void MonitorNote(const std::string& /*text*/) {}
};

// The automatic triggers and the one queue processor they feed: the schedule ("Run Sync
// Every"), source polling ("Check Source Every:"), the real-time monitor's queue, and the
// countdown caption. The timers are plain values here; Pulse fires the ones that are due by
// the clock, which the window calls from a Qt timer, the console from its wait loop, and tests
// with a clock of their own. UI thread only.
class Automation final : public SwitchActions
{
public:
    // `now`: milliseconds of a steady clock; tests hand in one of their own.
    Automation(RunContext& ctx, AutomationActions& actions, std::function<long long()> now = SteadyMs);

    static long long SteadyMs();
    const std::function<long long()> Now;

    // Runs the hand-overs of the monitor threads, then every timer that is due.
    void Pulse();

    // ---- Handlers ----------------------------------------------------------------------------
    // The check boxes: Opts.RunSyncSched / Opts.PoleEvery hold the new state, and the edits'
    // texts are in Opts.RunSyncEveryMin / Opts.PoleSecs.
    void RunSyncSchedClick();
    void PoleEveryClick();
    void MonitorSourceDriveCheckClick() { Monitor.MonitorSourceDriveCheckClick(); }
    void SchedRunTimerTimer();
    void CheckDiskSpaceTimerTimer();
    void RunNow1Click();
    void QueCheckTimerTimer();
    void RunRealTimeSync();
    void Timer1Timer();

    // ---- The switches ("-S", "-P", "-W") and a configuration that arms them -----------------------
    void OptionsLoaded() override;
    void ArmPolling(int seconds) override;
    void ArmSchedule(int minutes) override;
    void SetSettleCount(int count) override { Monitor.FolderWatchTag = count; }
    void SetQueueCheckInterval(int milliseconds);

    // ---- State -------------------------------------------------------------------------------------
    AutoTimer SchedRunTimer;
    AutoTimer CheckDiskSpaceTimer{3000, false, 0, 0};
    AutoTimer QueCheckTimer{600, true, 0, 0};
    AutoTimer Timer1{1000, true, 0, 0};
    WorkQueue FolderQue;
    SourceMonitor Monitor;
    std::string CountdownText; // SyncEverCountDown
    std::string TrayHint;
    bool QueueBusy = false;
    // The polling's memory: the free bytes last seen for the window's pair (index 0) and for
    // each batch row.
    std::vector<std::int64_t> PolledSpace;
    // The free bytes the polling compares; tests hand in their own drives.
    std::function<std::int64_t(const std::string&)> FreeSpaceOf;
    // A run that found its target held by another run is tried again after this pause.
    long long BusyRetryMs = 5000;

private:
    bool BatchOpen();
    void Arm(AutoTimer& timer, long long interval);
    void Fire(AutoTimer& timer, void (Automation::*handler)());
    void SetTrayHint(std::string hint);
    void ApplySwitch(std::string_view letter, const std::string& number);
    void RunQueuedRows();

    RunContext& FCtx;
    AutomationActions& FActions;
    long long FRetryAfter = 0;
};

// The schedule's countdown caption for `msLeft` milliseconds left: " Run in 2 Hrs", " Run in 5
// Mins", " Run in approx. 30 Secs", or "" when the time is up.
std::string CountdownCaption(long long msLeft, bool running);

} // namespace Tandemix
