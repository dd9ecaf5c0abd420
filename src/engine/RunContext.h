// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EngineState.h"
#include "engine/Host.h"
#include "engine/Reporter.h"
#include "engine/RunState.h"
#include "settings/Options.h"

namespace Tandemix {

// Everything an engine routine may read or change, handed down by reference: no globals, so
// tests build as many independent contexts as they like.
struct RunContext
{
    Options& Opts;
    RunState& State;
    Host& Hst;
    Reporter& Report;
    EngineState& Engine;
};

} // namespace Tandemix
