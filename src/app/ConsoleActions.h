// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/Automation.h"
#include "automation/CommandLine.h"
#include "batch/BatchHooks.h"
#include "engine/RunContext.h"

#include <string>

namespace Tandemix {

// What the command line asks of a program without a display: folders go straight to the engine,
// the countdown counts on stderr, and nothing ever waits for a window. Staying resident needs
// the timers, which the automation owns here as it does in the window.
class ConsoleActions : public CommandLineActions
{
public:
    explicit ConsoleActions(RunContext& ctx);

    // The batch list a batch file on the command line is opened into.
    BatchHooks* Batch = nullptr;
    // The schedule, polling and monitor the switches arm.
    Automation* Auto = nullptr;

    bool HasWindow() const override { return false; }
    bool OpenBatchFile(const std::string& path) override;
    void PointFolders(const std::string& source, const std::string& target) override;
    void ShowMainWindow() override {}
    void SelectSynchronizePage() override {}
    DelayResult RunCountdown(int seconds, bool offScreen, bool trayMode) override;
    void BringWindowBack() override {}
    void ParkInTray() override {}
    SyncOutcome RunSync() override;
    void MonitorSwitched() override;
    void SetQueueCheckInterval(int milliseconds) override;
    void ListEmptySides() override {}
    void EndProgram(ExitStatus status) override;
    void OptionsLoaded() override;
    void ArmPolling(int seconds) override;
    void ArmSchedule(int minutes) override;
    void SetSettleCount(int count) override;

    bool Ended() const { return FEnd.Ended; }
    ExitStatus Status() const { return FEnd.Status; }

private:
    RunContext& FCtx;
    ProgramEnd FEnd;
};

} // namespace Tandemix
