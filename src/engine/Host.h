// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/HandOver.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace Tandemix {

struct EngineState;

// Buttons of a modal question, as the program's message boxes offer them.
enum class DialogButtons
{
    Ok,
    OkCancel,
    YesNo,
    YesCancel,
    AbortIgnore,
    AbortRetryIgnore,
};

// The answer of a modal question; the numbers are the dialog results the engine's callers
// compare against (1 OK, 2 Cancel, 5 Ignore, 6 Yes...).
enum class DialogResult : int
{
    None = 0,
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7,
};

// How the countdown before unmatched items are deleted ended.
enum class CountdownAnswer
{
    Delete, // "Continue", or the time ran out
    Cancel, // nothing is deleted
    Manual, // the run stops; the user deletes from the list by hand
};

enum class CursorShape
{
    Default,
    Busy,
    Arrow,
};

// Whoever shows the engine's work: the main window, the console of an unattended run, or a
// scripted test double. The engine never touches a window; it talks through this seam only.
// UI thread only. Status and progress calls are cheap and never re-enter the engine.
class Host
{
public:
    virtual ~Host() = default;

    // ---- Status line, cursor, busy controls ---------------------------------------------
    virtual void ShowStatus(std::string_view text) noexcept = 0;
    virtual void SetCursorShape(CursorShape shape) noexcept = 0;
    virtual CursorShape CurrentCursorShape() const noexcept = 0;
    virtual void SetStopEnabled(bool enabled) noexcept = 0;
    // Enables or disables the option controls that must not change while a run goes on.
    virtual void EnableControls(bool enable) noexcept = 0;

    // ---- Elapsed time ------------------------------------------------------------------
    virtual void SetElapsedTimerRunning(bool running) noexcept = 0;
    virtual void ShowElapsed(std::string_view text) noexcept = 0;

    // ---- Message pumping -----------------------------------------------------------------
    // Handles pending user input (Stop, Skip File, menus) in the middle of a long operation.
    virtual void ProcessMessages() = 0;

    // ---- Questions -------------------------------------------------------------------------
    virtual DialogResult Ask(std::string_view text, DialogButtons buttons) = 0;
    // Whether somebody is there to answer: a run nobody watches refuses what it would ask about.
    virtual bool CanAsk() const noexcept { return true; }
    // Counts `seconds` down before `entries` unmatched items are deleted.
    virtual CountdownAnswer DeletionCountdown(int /*seconds*/, std::size_t /*entries*/)
    {
        return CountdownAnswer::Delete;
    }
    // "Manually Delete From List": shows the unmatched list with every entry selected.
    virtual void ShowUnmatchedSelected() noexcept {}

    // ---- Run progress ----------------------------------------------------------------------
    // The run's counters, gauges and current file changed (engine.Totals, FileGauge, DirGauge,
    // RemainingTargetSpace). Called per file: the host repaints at most a few times a second.
    virtual void ShowRunProgress(const EngineState& /*engine*/) noexcept {}
    // A run has ended and its busy section is left: the window lists its folders again (or
    // returns the batch grid to its first row), beeps and retitles itself. Unmatched items
    // are not reported while this runs.
    virtual void RunFinished() noexcept {}

    // ---- Hand-over from monitor threads -------------------------------------------------------
    // The one member a worker thread may use: it posts here and waits until the UI thread, at
    // its next pump (ProcessMessages, a timer tick, the console's wait), has run the piece.
    HandOverQueue& HandOvers() noexcept { return FHandOvers; }

private:
    HandOverQueue FHandOvers;
};

} // namespace Tandemix
