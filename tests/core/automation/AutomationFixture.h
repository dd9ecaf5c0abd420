// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/Automation.h"
#include "engine/LaterHooks.h"
#include "support/CoreBundle.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace Tandemix::Test {

// A batch list of folder pairs without the batch subsystem: rows are applied by pointing the
// engine's two sides at them.
class FakeBatch : public LaterHooks
{
public:
    std::vector<BatchRowFolders> Rows;
    int Current = 0;

    int BatchRowCount(RunContext&) override { return static_cast<int>(Rows.size()); }
    BatchRowFolders BatchRow(RunContext&, int row) override
    {
        return row >= 1 && row <= static_cast<int>(Rows.size()) ? Rows[row - 1] : BatchRowFolders{};
    }
    int BatchCurrentRow(RunContext&) override { return Current; }
    int InitiateBatchItem(RunContext& ctx, int row) override
    {
        Current = row;
        ctx.Engine.Source.Folder = Rows[row - 1].Source;
        ctx.Engine.Target.Folder = Rows[row - 1].Target;
        return 0;
    }
    void ReturnToFirstBatchRow(RunContext&) override { Current = 1; }
};

// What the automation did to its window: every run (by the source it ran on) and refresh.
class RecordingActions : public AutomationActions
{
public:
    explicit RecordingActions(RunContext& ctx)
        : FCtx(ctx)
    {}

    RunOutcome RunSync() override
    {
        Runs.push_back(FCtx.Engine.Source.Folder);
        return DuringRun ? DuringRun() : RunOutcome::Completed;
    }
    bool TrayShown() const override { return Tray; }
    void RefreshListings() override { ++Refreshes; }

    std::vector<std::string> Runs;
    std::function<RunOutcome()> DuringRun;
    bool Tray = false;
    int Refreshes = 0;

private:
    RunContext& FCtx;
};

// The automation on a scripted host, with a clock the test moves.
class AutomationFixture : public ::testing::Test, public CoreBundle
{
protected:
    AutomationFixture() { Engine.Hooks = &Batch; }

    // A trigger's box checked or unchecked, as the window reports a click on it.
    void Schedule(bool on) { Opts.RunSyncSched = on, Auto.RunSyncSchedClick(); }
    void Poll(bool on) { Opts.PoleEvery = on, Auto.PoleEveryClick(); }
    void Monitor(bool on) { Opts.MonitorSourceDriveCheck = on, Auto.MonitorSourceDriveCheckClick(); }

    // Moves the clock on in steps of `step` milliseconds, pulsing at each one.
    void Advance(long long ms, long long step = 100)
    {
        for (long long done = 0; done < ms; done += step) {
            Clock += step;
            Auto.Pulse();
        }
    }

    // Pulses on the real clock until `done` holds or `limit` has passed; true when it held.
    bool PulseUntil(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(3000))
    {
        auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            Auto.Pulse();
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    FakeBatch Batch;
    RecordingActions Actions{Ctx};
    long long Clock = 1000000;
    Automation Auto = Automation(Ctx, Actions, [this] { return Clock; });
};

} // namespace Tandemix::Test
