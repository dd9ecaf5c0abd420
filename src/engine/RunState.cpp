// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/RunState.h"

#include "engine/Messages.h"

#include <cstdio>

namespace Tandemix {

RunState::RunState(Host& host, Options& options)
    : FHost(host)
    , FOptions(options)
    , FNow([] { return Clock::now(); })
{}

void RunState::StatusMsg(std::string_view text)
{
    if (SourceFileListTag >= 2) {
        return;
    }
    if (text == FStatusText) {
        return;
    }
    // Inner routines of a run must not announce "Ready" while the run goes on.
    if (SyncActive && text == Msg::Ready) {
        return;
    }
    FStatusText.assign(text);
    FHost.ShowStatus(text);
    if (text == Msg::Ready) {
        FHost.SetCursorShape(CursorShape::Default);
    }
}

void RunState::StartTimingEvent()
{
    FRunStartTime = FNow();
    StatusMsg(Msg::Working);
    FHost.ShowElapsed("0:00:00");
    FHost.SetElapsedTimerRunning(true);
}

void RunState::Timer2Timer()
{
    auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(FNow() - FRunStartTime);
    FHost.ShowElapsed(ElapsedText(elapsed.count()));
}

void RunState::StopTiming()
{
    Timer2Timer();
    FHost.SetElapsedTimerRunning(false);
}

void RunState::SetCursor(int mode)
{
    // Entering and leaving a busy section is a poll point too; its answer is for the loops.
    (void)CheckForStop();
    if (mode == -11) {
        BusyCount += 1;
    } else if (mode == 0) {
        BusyCount -= 1;
    }
    if (BusyCount < 1) {
        BusyCount = 0;
        FHost.SetStopEnabled(false);
        FHost.SetCursorShape(CursorShape::Default);
    } else {
        FHost.SetStopEnabled(true);
        if (FHost.CurrentCursorShape() != CursorShape::Arrow) {
            FHost.SetCursorShape(CursorShape::Busy);
        }
    }
}

void RunState::PumpMessages(bool force)
{
    Clock::time_point now = FNow();
    if (force || now - FLastPump >= PumpInterval) {
        FLastPump = now;
        FHost.ProcessMessages();
        // Changes a monitor thread saw during a long operation are queued while it goes on.
        FHost.HandOvers().RunPending();
    }
}

int RunState::CheckForStop()
{
    PumpMessages(false);
    // Read after pumping, so a Stop click handled by this very pump is answered at once.
    switch (OperationState) {
    case static_cast<int>(OperationStates::ZipAbort):
        FHost.SetCursorShape(CursorShape::Default);
        OperationState = 0;
        BusyCount = 0;
        ZipAbortFlag = true;
        StatusMsg(Msg::Stopping);
        return 1;
    case static_cast<int>(OperationStates::Requested): {
        FHost.SetCursorShape(CursorShape::Default);
        if (ClearFolderQueue) {
            ClearFolderQueue();
        }
        if (BeforeQuestion) {
            BeforeQuestion();
        }
        DialogResult answer = FHost.Ask(Msg::ConfirmStop, DialogButtons::YesNo);
        int result = 0;
        if (answer == DialogResult::Yes) {
            if (FOptions.MonitorSourceDriveCheck) {
                // Real-time monitoring ends together with the operation it started.
                FOptions.MonitorSourceDriveCheck = false;
                FOptions.MonitorSourceDriveCheckTag = -33;
            }
            StatusMsg(Msg::Ready);
            result = 1;
            OperationState = static_cast<int>(OperationStates::Confirmed);
            BusyCount = 0;
            ZipAbortFlag = true;
            StatusMsg(Msg::Stopping);
        } else {
            // The operation goes on, inside every busy section it had entered: emptying the
            // count here would grey out Stop and the progress as the next section ends.
            OperationState = 0;
        }
        FHost.SetCursorShape(CursorShape::Busy);
        return result;
    }
    default:
        return OperationState;
    }
}

void RunState::StopButtonClick()
{
    OperationState = static_cast<int>(OperationStates::Requested);
    StopButtonTag += 1;
}

void RunState::SkipFileButtonClick()
{
    SkipFileButtonTag = 1;
}

void RunState::EnableControls(bool enable)
{
    FHost.EnableControls(enable);
}

std::string ElapsedText(long long seconds)
{
    if (seconds < 0) {
        seconds = 0;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return text;
}

} // namespace Tandemix
