// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/CommandLine.h"

namespace Tandemix {

class TMainSyncForm;

// What the command line asks of the windowed program, done with the main window's own
// controls and dialogs. UI thread only.
class WindowActions : public CommandLineActions
{
public:
    explicit WindowActions(TMainSyncForm& form);

    bool HasWindow() const override { return true; }
    bool OpenBatchFile(const std::string& path) override;
    void PointFolders(const std::string& source, const std::string& target) override;
    void ShowMainWindow() override;
    void SelectSynchronizePage() override;
    DelayResult RunCountdown(int seconds, bool offScreen, bool trayMode) override;
    void BringWindowBack() override;
    void ParkInTray() override;
    SyncOutcome RunSync() override;
    void MonitorSwitched() override;
    void SetQueueCheckInterval(int milliseconds) override;
    void ListEmptySides() override;
    void EndProgram(ExitStatus status) override;
    void OptionsLoaded() override;
    void ArmPolling(int seconds) override;
    void ArmSchedule(int minutes) override;
    void SetSettleCount(int count) override;

    bool Ended() const { return FEnd.Ended; }
    ExitStatus Status() const { return FEnd.Status; }

private:
    TMainSyncForm& FForm;
    ProgramEnd FEnd;
};

} // namespace Tandemix
