// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Resident.h"

#include "app/ConsoleHost.h"
#include "automation/CommandLine.h"
#include "engine/RunDriver.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace Tandemix {

namespace {

// How long the idle loop sleeps between two looks at the timers: the queue check's own period
// is 600 ms, and a signal is seen within this.
constexpr std::chrono::milliseconds IdleWait{100};

std::string ResidentLine(const Options& opts)
{
    std::string line = "tandemix: staying resident";
    if (opts.RunSyncSched) {
        line += ", running every " + opts.RunSyncEveryMin + " minutes";
    }
    if (opts.MonitorSourceDriveCheck || opts.MonitorSourceDriveCheckTag == -33) {
        line += ", running when the source changes";
    }
    return line + "; SIGTERM or Ctrl+C ends it.";
}

} // namespace

RunOutcome ConsoleAutomationActions::RunSync()
{
    RunOutcome outcome = SyncButtonClick(FCtx, RunSender::Automation);
    const RunTotals& totals = FCtx.Engine.Totals;
    if (outcome != RunOutcome::NotStarted) {
        if (totals.Refused != RunRefusal::None) {
            std::fprintf(stderr, "tandemix: %s\n", totals.RefusalText.c_str());
        } else {
            std::fprintf(stderr,
                         "tandemix: %s %s: %d added, %d updated.\n",
                         outcome == RunOutcome::Completed ? "Done"
                         : outcome == RunOutcome::Stopped ? "Stopped"
                                                          : "Done with problems",
                         FCtx.Engine.Source.Folder.c_str(),
                         totals.TotFilesAdded,
                         totals.TotFilesUpdated);
        }
        std::fflush(stderr);
        // A signal during the run ended it, whatever else went wrong in it first.
        LastOutcome = ConsoleHost::InterruptRequested() ? RunOutcome::Stopped : outcome;
    }
    return outcome;
}

void ConsoleAutomationActions::MonitorNote(const std::string& text)
{
    std::fprintf(stderr, "tandemix: %s\n", text.c_str());
    std::fflush(stderr);
}

int StayResident(RunContext& ctx, Automation& automation, ConsoleAutomationActions& actions)
{
    std::fprintf(stderr, "%s\n", ResidentLine(ctx.Opts).c_str());
    std::fflush(stderr);
    while (!ConsoleHost::InterruptRequested()) {
        automation.Pulse();
        (void)ctx.Hst.HandOvers().WaitAndRun(IdleWait);
    }
    // The watchers end before the program does; none of them may wait for a UI thread that
    // is gone.
    automation.Monitor.Shutdown();
    return static_cast<int>(actions.LastOutcome == RunOutcome::Stopped ? ExitStatus::Stopped
                                                                       : ExitStatus::Completed);
}

} // namespace Tandemix
