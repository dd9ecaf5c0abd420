// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Host.h"
#include "settings/Options.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace Tandemix {

// Values of the stop request that every long operation polls.
enum class OperationStates : int
{
    Idle = 0, // no stop requested
    Requested = 1, // the user pressed Stop; not yet confirmed
    Confirmed = 2, // stop confirmed; the operation is ending
    ZipAbort = 25, // the running zip operation must be aborted
};

// The operation state shared by every long operation: status line, busy sections, elapsed
// time and the stop request. Long operations run on the UI thread and call CheckForStop at
// every item; the poll pumps the host's events so Stop and Skip File take effect inside it.
// UI thread only.
class RunState
{
public:
    using Clock = std::chrono::steady_clock;

    RunState(Host& host, Options& options);

    // ---- Program-wide state ------------------------------------------------------------
    int OperationState = 0;
    int BusyCount = 0;
    bool SyncActive = false;
    bool SuppressUnmatchedReport = false;
    // Loading marker: 1 while the window is created or a batch item's options are applied,
    // 2 while a configuration file is read (status messages are then ignored).
    int SourceFileListTag = 0;
    int StopButtonTag = 0; // counts Stop clicks
    int SkipFileButtonTag = 0; // 1: skip the file being copied
    bool ZipAbortFlag = false; // read by the zip component between entries
    // Called when a stop is requested at a poll, before the question (empties the queue of
    // folders waiting for a monitored run).
    std::function<void()> ClearFolderQueue;
    // Called before the stop question is shown (writes out the log lines still held back, so a
    // program ended while the question is open loses none).
    std::function<void()> BeforeQuestion;

    // ---- Routines ------------------------------------------------------------------------
    void StatusMsg(std::string_view text);
    const std::string& StatusText() const { return FStatusText; }
    void StartTimingEvent();
    void Timer2Timer();
    void StopTiming();
    void SetCursor(int mode);
    int CheckForStop();
    void StopButtonClick();
    void SkipFileButtonClick();
    void EnableControls(bool enable);

    // Events are pumped at most this often; the stop state itself is read on every poll.
    static constexpr std::chrono::milliseconds PumpInterval{20};

    Host& GetHost() { return FHost; }
    // Tests replace the clock to check the pump throttle and the elapsed-time text.
    void SetClock(std::function<Clock::time_point()> now) { FNow = std::move(now); }

private:
    void PumpMessages(bool force);

    Host& FHost;
    Options& FOptions;
    std::string FStatusText;
    Clock::time_point FRunStartTime{};
    Clock::time_point FLastPump{};
    std::function<Clock::time_point()> FNow;
};

// "h:mm:ss" for an elapsed number of seconds.
std::string ElapsedText(long long seconds);

} // namespace Tandemix
