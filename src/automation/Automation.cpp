// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/Automation.h"

#include "automation/AutomationMessages.h"
#include "engine/ConfigLink.h"
#include "engine/LaterHooks.h"
#include "engine/Messages.h"
#include "platform/DiskSpace.h"
#include "platform/PathText.h"
#include "settings/OptionRules.h"

#include <charconv>
#include <chrono>
#include <cmath>

namespace Tandemix {

namespace {

constexpr int MonitorStartMarker = -33;
constexpr int MonitorIdle = -1;
constexpr long long MsPerMinute = 60000;
constexpr long long MsPerSecond = 1000;
// A queue item this long is not a row number: it is never run.
constexpr std::size_t NotARowLength = 4;

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<int> RowNumber(std::string_view item)
{
    int value = 0;
    auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (error != std::errc{} || end != item.data() + item.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

class ClearOnExit
{
public:
    explicit ClearOnExit(bool& flag)
        : FFlag(flag)
    {
        FFlag = true;
    }
    ~ClearOnExit() { FFlag = false; }
    ClearOnExit(const ClearOnExit&) = delete;
    ClearOnExit& operator=(const ClearOnExit&) = delete;

private:
    bool& FFlag;
};

} // namespace

std::string CountdownCaption(long long msLeft, bool running)
{
    if (running) {
        return std::string(Msg::CountdownRunning);
    }
    const double minutes = static_cast<double>(msLeft) / static_cast<double>(MsPerMinute);
    std::string text;
    if (minutes > 60.01) {
        // Halves go to the even neighbour, as the rounding of the whole program does.
        const auto hours = static_cast<long long>(std::nearbyint(minutes / 60));
        text.append(Msg::CountdownRunIn).append(std::to_string(hours)).append(Msg::CountdownHours);
    } else if (minutes > 1.01) {
        const auto whole = static_cast<long long>(minutes);
        text.append(Msg::CountdownRunIn).append(std::to_string(whole + 1)).append(Msg::CountdownMinutes);
    } else if (minutes > 0) {
        const auto seconds = static_cast<long long>(minutes * 60);
        text.append(Msg::CountdownRunInApprox).append(std::to_string(seconds)).append(Msg::CountdownSeconds);
    }
    return text;
}

long long Automation::SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Automation::Automation(RunContext& ctx, AutomationActions& actions, std::function<long long()> now)
    : Now(std::move(now))
    , Monitor(ctx, FolderQue)
    , FreeSpaceOf(FreeSpace)
    , FCtx(ctx)
    , FActions(actions)
{
    FCtx.State.ClearFolderQueue = [this] {
        FolderQue.Clear();
    };
    Monitor.BoxChanged = [this] {
        FActions.AutomationChanged();
    };
    Monitor.Noted = [this](const std::string& text) {
        FActions.MonitorNote(text);
    };
    QueCheckTimer.Due = Now() + QueCheckTimer.Interval;
    Timer1.Due = Now() + Timer1.Interval;
}

void Automation::Pulse()
{
    FCtx.Hst.HandOvers().RunPending();
    Monitor.Reap();
    Fire(Timer1, &Automation::Timer1Timer);
    Fire(SchedRunTimer, &Automation::SchedRunTimerTimer);
    Fire(CheckDiskSpaceTimer, &Automation::CheckDiskSpaceTimerTimer);
    Fire(QueCheckTimer, &Automation::QueCheckTimerTimer);
}

void Automation::Fire(AutoTimer& timer, void (Automation::*handler)())
{
    if (!timer.Enabled || timer.Interval <= 0) {
        return;
    }
    const long long now = Now();
    if (now < timer.Due) {
        return;
    }
    // From now, not from when it was due: a tick missed during a long run is not made up
    // by a burst afterwards. Set before the handler, whose run pumps this very Pulse again.
    timer.Due = now + timer.Interval;
    (this->*handler)();
}

void Automation::Arm(AutoTimer& timer, long long interval)
{
    timer.Interval = interval;
    timer.Tag = interval;
    timer.Enabled = interval > 0;
    timer.Due = Now() + interval;
}

bool Automation::BatchOpen()
{
    LaterHooks& hooks = HooksOf(FCtx);
    return hooks.BatchRowCount(FCtx) > 0 && !hooks.BatchRow(FCtx, 1).Source.empty();
}

void Automation::ApplySwitch(std::string_view letter, const std::string& number)
{
    ConfigContext cfg = ConfigContextOf(FCtx.Opts, FCtx.State);
    (void)ApplyConfigSwitch(cfg, *this, std::string(letter).append(Trimmed(number)));
    FActions.AutomationChanged();
}

void Automation::SetTrayHint(std::string hint)
{
    if (hint != TrayHint) {
        TrayHint = std::move(hint);
        FActions.ShowTrayHint(TrayHint);
    }
}

// ---- Arming -----------------------------------------------------------------------------------

void Automation::ArmSchedule(int minutes)
{
    Arm(SchedRunTimer, minutes < 1 ? 0 : minutes * MsPerMinute);
}

void Automation::ArmPolling(int seconds)
{
    Arm(CheckDiskSpaceTimer, seconds < 1 ? 0 : seconds * MsPerSecond);
}

void Automation::SetQueueCheckInterval(int milliseconds)
{
    QueCheckTimer.Interval = milliseconds;
    QueCheckTimer.Due = Now() + milliseconds;
}

void Automation::OptionsLoaded()
{
    const Options& opts = FCtx.Opts;
    ArmSchedule(opts.RunSyncSched ? RowNumber(Trimmed(opts.RunSyncEveryMin)).value_or(0) : 0);
    ArmPolling(opts.PoleEvery ? RowNumber(Trimmed(opts.PoleSecs)).value_or(0) : 0);
    FActions.AutomationChanged();
}

void Automation::RunSyncSchedClick()
{
    Options& opts = FCtx.Opts;
    if (!opts.RunSyncSched) {
        SchedRunTimer.Interval = 0;
        SchedRunTimer.Enabled = false;
        FActions.AutomationChanged();
        return;
    }
    // The rule checks the minutes (on a trial copy: the switch below must still see the polling
    // on, to stop its timer); a value it refuses leaves "0" and the box unchecked.
    Options trial;
    trial.RunSyncEveryMin = opts.RunSyncEveryMin;
    if (!SetRunSyncSched(trial, true)) {
        if (FCtx.State.SourceFileListTag != 1) {
            (void)FCtx.Hst.Ask(Msg::ValueRange, DialogButtons::Ok);
        }
        opts.RunSyncEveryMin = "0";
        opts.RunSyncSched = false;
        FActions.AutomationChanged();
        return;
    }
    // The switch also unchecks the polling and stops its timer.
    ApplySwitch("-S", opts.RunSyncEveryMin);
}

void Automation::PoleEveryClick()
{
    Options& opts = FCtx.Opts;
    if (!opts.PoleEvery) {
        CheckDiskSpaceTimer.Enabled = false;
        FActions.AutomationChanged();
        return;
    }
    Options trial;
    trial.PoleSecs = opts.PoleSecs;
    if (!SetPoleEvery(trial, true)) {
        if (FCtx.State.SourceFileListTag != 1) {
            (void)FCtx.Hst.Ask(Msg::ValueRange, DialogButtons::Ok);
        }
        opts.PoleSecs = "0";
        opts.PoleEvery = false;
        FActions.AutomationChanged();
        return;
    }
    ApplySwitch("-P", opts.PoleSecs);
}

// ---- Triggers ---------------------------------------------------------------------------------

void Automation::SchedRunTimerTimer()
{
    Options& opts = FCtx.Opts;
    if (FCtx.State.CheckForStop() != 0 || !opts.RunSyncSched || FCtx.State.SyncActive) {
        return;
    }
    const bool batch = BatchOpen();
    if (batch) {
        LaterHooks& hooks = HooksOf(FCtx);
        for (int row = 1, rows = hooks.BatchRowCount(FCtx); row <= rows; ++row) {
            if (!hooks.BatchRow(FCtx, row).Source.empty()) {
                FolderQue.Add(std::to_string(row));
            }
        }
        opts.RunBatchList = true;
    } else {
        FolderQue.Add("0");
    }
    // Re-armed from now: the countdown starts again.
    ApplySwitch("-S", opts.RunSyncEveryMin);
}

void Automation::RunNow1Click()
{
    if (FCtx.Engine.RunGuard) {
        return;
    }
    if (BatchOpen()) {
        FCtx.Opts.RunBatchList = true;
    }
    SchedRunTimerTimer();
}

void Automation::CheckDiskSpaceTimerTimer()
{
    Options& opts = FCtx.Opts;
    if (FCtx.State.CheckForStop() != 0 || !opts.PoleEvery || FCtx.State.SyncActive) {
        return;
    }
    // Each row's own source is probed: one drive's free space says nothing about another's.
    // A source whose free space cannot be read (not there, unmounted) starts nothing.
    auto poll = [this](std::size_t slot, const std::string& source, const std::string& item) {
        if (PolledSpace.size() <= slot) {
            PolledSpace.resize(slot + 1, 0);
        }
        const std::int64_t probe = source.empty() ? -1 : FreeSpaceOf(source);
        if (probe >= 0 && probe != PolledSpace[slot]) {
            PolledSpace[slot] = probe;
            FolderQue.Add(item);
            return true;
        }
        return false;
    };
    if (BatchOpen()) {
        LaterHooks& hooks = HooksOf(FCtx);
        for (int row = 1, rows = hooks.BatchRowCount(FCtx); row <= rows; ++row) {
            const std::string source = hooks.BatchRow(FCtx, row).Source;
            if (!source.empty() && poll(static_cast<std::size_t>(row), source, std::to_string(row))) {
                opts.RunBatchList = true;
            }
        }
    } else {
        (void)poll(0, FCtx.Engine.Source.Folder, "0");
    }
    opts.RunBatchList = false;
    SetTrayHint(std::string(Msg::TrayAutoMode));
}

void Automation::Timer1Timer()
{
    RunState& state = FCtx.State;
    if (state.OperationState != 0 || state.SourceFileListTag != 0) {
        return;
    }
    std::string hint;
    if (SchedRunTimer.Enabled && SchedRunTimer.Interval > 0) {
        // Read from the timer itself rather than counted down per tick: ticks missed while a
        // run kept the program busy would leave the caption behind the schedule.
        SchedRunTimer.Tag = SchedRunTimer.Due - Now();
        CountdownText = CountdownCaption(SchedRunTimer.Tag, state.SyncActive);
        hint = std::string(Msg::TrayName).append(CountdownText);
    } else {
        CountdownText = std::string(Msg::TimerNotActive);
        hint = std::string(Msg::TrayName).append(" ").append(Msg::TimerNotActive);
    }
    FActions.ShowCountdown(CountdownText);
    if (FActions.TrayShown() && TrayHint != Msg::TrayAutoMode) {
        SetTrayHint(std::move(hint));
    }
}

// ---- The queue processor ----------------------------------------------------------------------

void Automation::QueCheckTimerTimer()
{
    if (Monitor.UpdateFolderListTag > 0) {
        Monitor.UpdateFolderListTag = 0;
    }
    RunRealTimeSync();
}

void Automation::RunRealTimeSync()
{
    Options& opts = FCtx.Opts;
    RunState& state = FCtx.State;
    EngineState& engine = FCtx.Engine;
    if (state.OperationState > 1) {
        return;
    }
    if (!opts.RunSyncSched && FolderQue.Tag <= Monitor.FolderWatchTag && FolderQue.Empty()) {
        return;
    }
    FolderQue.Tag = 0;
    if (opts.MonitorSourceDriveCheckTag == MonitorStartMarker) {
        opts.MonitorSourceDriveCheckTag = MonitorIdle;
        if (!opts.MonitorSourceDriveCheck) {
            opts.MonitorSourceDriveCheck = true;
            Monitor.MonitorSourceDriveCheckClick();
            FActions.AutomationChanged();
        }
    }
    if (!opts.MonitorSourceDriveCheck && !opts.PoleEvery && !opts.RunSyncSched) {
        FolderQue.Clear();
        return;
    }
    if (FolderQue.Empty() || engine.RunGuard || QueueBusy || Now() < FRetryAfter) {
        return;
    }
    ClearOnExit busy(QueueBusy);

    const bool monitorOnly = opts.MonitorSourceDriveCheck && !opts.PoleEvery && !opts.RunSyncSched;
    if (monitorOnly && !opts.UseCompression
        && WithoutTrailingSlashes(engine.Source.Folder) == WithoutTrailingSlashes(engine.Target.Folder)) {
        // Nothing to copy onto itself: the change is only shown.
        if (BatchOpen()) {
            HooksOf(FCtx).ReturnToFirstBatchRow(FCtx);
        }
        FolderQue.Items.erase(FolderQue.Items.begin());
        FActions.RefreshListings();
    } else {
        RunQueuedRows();
    }
    state.StatusMsg(Msg::Ready);
    Monitor.ProcessingRow = -1;
}

void Automation::RunQueuedRows()
{
    Options& opts = FCtx.Opts;
    LaterHooks& hooks = HooksOf(FCtx);
    for (;;) {
        const std::string item = FolderQue.Items.front();
        FolderQue.Items.erase(FolderQue.Items.begin());
        const std::optional<int> row = item.size() < NotARowLength ? RowNumber(item) : std::nullopt;
        if (!row) {
            // Not a row: dropped, so that it blocks nothing behind it.
            return;
        }
        opts.RunBatchList = false;
        Monitor.ProcessingRow = *row;

        bool ran = false;
        RunOutcome outcome = RunOutcome::NotStarted;
        if (BatchOpen()) {
            if (*row >= 1 && *row <= hooks.BatchRowCount(FCtx) && hooks.InitiateBatchItem(FCtx, *row) == 0
                && !hooks.BatchRow(FCtx, *row).Source.empty()) {
                outcome = FActions.RunSync();
                ran = true;
            }
        } else {
            outcome = FActions.RunSync();
            ran = true;
        }
        if (ran
            && (outcome == RunOutcome::NotStarted || FCtx.Engine.Totals.Refused == RunRefusal::TargetBusy)) {
            // Another run has the target (this program's window, or a resident copy of it):
            // the changes wait for it, and are neither dropped nor run into it.
            FolderQue.Add(item);
            FRetryAfter = Now() + BusyRetryMs;
            return;
        }
        if (outcome == RunOutcome::Stopped || !FolderQue.Contains(item)) {
            return;
        }
        // Changed again while it ran: at once, before the rows behind it.
        FolderQue.MoveToFront(item);
    }
}

} // namespace Tandemix
