// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunState.h"

namespace Tandemix {

// Enters a busy section for its lifetime, so every exit path (stop, error, early return)
// leaves it again and the Stop button never stays enabled by mistake.
class BusySection
{
public:
    explicit BusySection(RunState& state)
        : FState(state)
    {
        FState.SetCursor(-11);
    }
    ~BusySection() { FState.SetCursor(0); }
    BusySection(const BusySection&) = delete;
    BusySection& operator=(const BusySection&) = delete;

private:
    RunState& FState;
};

} // namespace Tandemix
