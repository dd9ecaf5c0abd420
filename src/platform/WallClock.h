// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ctime>
#include <functional>

namespace Tandemix {

// The calendar time every date the program shows, logs or filters by is read from. Durations
// (the elapsed time, the pumping throttle) use the monotonic clock instead: a wall clock set
// back during a run must not stall them.
std::time_t Now();

// For tests: Now() answers `now` until this object ends. Not for use while other threads read
// the clock.
class ScopedClock
{
public:
    explicit ScopedClock(std::function<std::time_t()> now);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    std::function<std::time_t()> FPrevious;
};

} // namespace Tandemix
