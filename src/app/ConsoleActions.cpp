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
    if (Batch == nullptr || !Batch->OpenBatchFile(FCtx, path)) {
        return false;
    }
    FCtx.Opts.RunBatchList = true;
    // Row 1 is shown before the run, as the run page shows it; a row that cannot be applied is
    // the run's to refuse.
    (void)Batch->InitiateBatchItem(FCtx, 1);
    return true;
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

void ConsoleActions::MonitorSwitched()
{
    if (Auto != nullptr) {
        Auto->MonitorSourceDriveCheckClick();
    }
}

void ConsoleActions::SetQueueCheckInterval(int milliseconds)
{
    if (Auto != nullptr) {
        Auto->SetQueueCheckInterval(milliseconds);
    }
}

void ConsoleActions::OptionsLoaded()
{
    if (Auto != nullptr) {
        Auto->OptionsLoaded();
    }
}

void ConsoleActions::ArmPolling(int seconds)
{
    if (Auto != nullptr) {
        Auto->ArmPolling(seconds);
    }
}

void ConsoleActions::ArmSchedule(int minutes)
{
    if (Auto != nullptr) {
        Auto->ArmSchedule(minutes);
    }
}

void ConsoleActions::SetSettleCount(int count)
{
    if (Auto != nullptr) {
        Auto->SetSettleCount(count);
    }
}

void ConsoleActions::EndProgram(ExitStatus status)
{
    FEnd = {true, status};
}

} // namespace Tandemix
