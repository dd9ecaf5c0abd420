// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EngineState.h"
#include "engine/RunContext.h"
#include "engine/RunState.h"
#include "reporting/ProgramReporter.h"
#include "reporting/ui/ReportingPage.h"
#include "support/ScriptedHost.h"
#include "support/TempHome.h"

namespace Tandemix::Test {

// Everything the Reporting page and its report window work on, as the main window holds it, in
// a program folder of its own, with questions answered by a script.
struct ReportingRig
{
    TempHome Home;
    ScriptedHost Script;
    Options Opts;
    RunState State{Script, Opts};
    EngineState Engine;
    ProgramReporter Reporter{Opts, State, Engine, Home.Folder()};
    RunContext Ctx{Opts, State, Script, Reporter, Engine};
    ReportingPage Page{Ctx, Reporter.Lists(), Home.Folder()};
};

} // namespace Tandemix::Test
