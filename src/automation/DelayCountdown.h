// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

namespace Tandemix {

// How the countdown before an automatic run ended; the numbers are the dialog's results.
enum class DelayResult : int
{
    Continue = 1, // pressed, or the count ran out: the run starts
    Stop = 2, // no run; the program stays open where it can
    Exit = 3, // the program ends at once
};

// The countdown itself, without any display: the dialog ticks it from its one-second timer and
// forwards its buttons; the console ticks it after each second of sleep.
class DelayCountdown
{
public:
    explicit DelayCountdown(int seconds)
        : FSecCount(seconds)
    {}

    int SecCount() const { return FSecCount; }
    bool Finished() const { return FResult.has_value(); }
    std::optional<DelayResult> Result() const { return FResult; }

    // One second went by. When the count drops below 1 the countdown closes with Continue, so N
    // seconds take N ticks; ticks after the end change nothing.
    void Tick();
    // A button: the first answer stands, whatever comes after it.
    void Press(DelayResult button);

private:
    int FSecCount;
    std::optional<DelayResult> FResult;
};

// "Automatic batch operation will begin in 10 seconds."
std::string CountdownText(int secCount);

// Where a countdown without a display writes and how it waits; tests replace the clock.
struct ConsoleCountdownIo
{
    std::FILE* Out = stderr;
    // The count is shown (rewritten in place once a second) only on a terminal: a log collected
    // from cron gets no stream of carriage returns.
    bool ShowCount = false;
    // SIGINT or SIGTERM arrived: the only way to stop a countdown nobody is watching.
    std::function<bool()> Interrupted;
    // The line shown for the seconds left; CountdownText when empty.
    std::function<std::string(int secCount)> Text;
    // Waits the given time; the real clock when empty.
    std::function<void(std::chrono::milliseconds)> Sleep;
};

// Counts `seconds` down in real time for a run without a display. An interrupt is noticed within
// a tenth of a second and gives Stop; otherwise the result is Continue once the time is up.
DelayResult RunConsoleCountdown(int seconds, const ConsoleCountdownIo& io);

} // namespace Tandemix
