// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WallClock.h"

#include <utility>

namespace Tandemix {

namespace {

std::function<std::time_t()>& Override()
{
    static std::function<std::time_t()> now;
    return now;
}

} // namespace

std::time_t Now()
{
    const auto& now = Override();
    return now ? now() : std::time(nullptr);
}

ScopedClock::ScopedClock(std::function<std::time_t()> now)
    : FPrevious(std::exchange(Override(), std::move(now)))
{}

ScopedClock::~ScopedClock()
{
    Override() = std::move(FPrevious);
}

} // namespace Tandemix
