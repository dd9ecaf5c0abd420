// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/Automation.h"
#include "engine/RunContext.h"

namespace Tandemix {

// The automation's runs without a display: each one is the synchronise command, and each is
// told on stderr in one line.
class ConsoleAutomationActions : public AutomationActions
{
public:
    explicit ConsoleAutomationActions(RunContext& ctx)
        : FCtx(ctx)
    {}

    RunOutcome RunSync() override;
    void MonitorNote(const std::string& text) override;
    // The outcome of the last automatic run that finished (stopped counts over everything).
    RunOutcome LastOutcome = RunOutcome::Completed;

private:
    RunContext& FCtx;
};

// A program started with "-S" or "-R" and no display stays here after its first run: the
// schedule, the polling and the monitor run on as in the window, until SIGINT or SIGTERM. A
// signal during a run stops it the way Stop does (the file being copied is left as it was,
// the log is closed), then the program ends. Returns the exit status: 3 when a run was stopped
// by the signal, 0 otherwise.
int StayResident(RunContext& ctx, Automation& automation, ConsoleAutomationActions& actions);

} // namespace Tandemix
