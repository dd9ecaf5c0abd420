// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ConsoleActions.h"

#include "app/ConsoleHost.h"
#include "automation/DelayCountdown.h"
#include "engine/RunDriver.h"

#include <unistd.h>

#include <cstdio>

namespace Tandemix {

ConsoleActions::ConsoleActions(RunContext& ctx)
    : FCtx(ctx)
{}

bool ConsoleActions::OpenBatchFile(const std::string& path)
{
    std::fprintf(stderr, "tandemix: batch files cannot run without a display yet: %s\n", path.c_str());
    return false;
}

void ConsoleActions::PointFolders(const std::string& source, const std::string& target)
{
    FCtx.Engine.Source.Folder = source;
    if (!target.empty()) {
        FCtx.Engine.Target.Folder = target;
    }
}

DelayResult ConsoleActions::RunCountdown(int seconds, bool /*offScreen*/, bool /*trayMode*/)
{
    ConsoleCountdownIo io;
    io.Out = stderr;
    io.ShowCount = isatty(fileno(stderr)) != 0;
    io.Interrupted = [] {
        return ConsoleHost::InterruptRequested();
    };
    return RunConsoleCountdown(seconds, io);
}

SyncOutcome ConsoleActions::RunSync()
{
    return SyncOutcomeOf(SyncButtonClick(FCtx, RunSender::Automation));
}

void ConsoleActions::EndProgram(ExitStatus status)
{
    FEnd = {true, status};
}

} // namespace Tandemix
