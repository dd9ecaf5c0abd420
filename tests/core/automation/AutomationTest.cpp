// SPDX-License-Identifier: GPL-3.0-or-later
#include "AutomationFixture.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tandemix {
namespace {

using Test::AutomationFixture;
using Strings = std::vector<std::string>;

constexpr long long Minute = 60000;

// The captions of a countdown running its course are the schedule's test below.
TEST(CountdownCaptionTest, ReadsAsTheTimeLeft)
{
    // clang-format off
    const struct { const char* Name; long long MsLeft; bool Running; std::string Expected; } rows[] = {
        {"JustOverAMinute",          Minute + 600,       false, " Run in approx. 60 Secs"},
        {"TwoAndAHalfHoursToEven",   150 * Minute,       false, " Run in 2 Hrs"},
        {"ThreeAndAHalfHoursToEven", 210 * Minute,       false, " Run in 4 Hrs"},
        {"TimeUp",                   0,                  false, ""},
        {"Overdue",                  -5000,              false, ""},
        {"WhileARunGoesOn",          30 * Minute,        true,  " Running"},
    };
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(CountdownCaption(row.MsLeft, row.Running), row.Expected) << row.Name;
    }
}

using ScheduleTest = AutomationFixture;

TEST_F(ScheduleTest, NinetyMinuteCountdownFollowsTheClockAndTheTray)
{
    Opts.RunSyncEveryMin = "90";
    Schedule(true);
    Actions.Tray = true;

    Advance(1000, 1000);
    EXPECT_EQ(Auto.CountdownText, " Run in 1 Hrs");
    EXPECT_EQ(Auto.TrayHint, "Tandemix Run in 1 Hrs");
    // A long run in between: no tick for half an hour, and the countdown keeps up.
    Clock += 30 * Minute - 1000;
    Auto.Pulse();
    EXPECT_EQ(Auto.CountdownText, " Run in 61 Mins");
    Advance(Minute, 1000);
    EXPECT_EQ(Auto.CountdownText, " Run in 60 Mins");
    Advance(59 * Minute - 30000, 1000);
    EXPECT_EQ(Auto.CountdownText, " Run in approx. 30 Secs");
    EXPECT_TRUE(Actions.Runs.empty());

    // It fires, queues the window's pair, is re-armed, and the queue runs it.
    Advance(31000, 1000);
    EXPECT_EQ(Actions.Runs.size(), 1U);
    EXPECT_EQ(Auto.CountdownText, " Run in 1 Hrs");

    Schedule(false);
    Advance(1000, 1000);
    EXPECT_EQ(Auto.CountdownText, "Timer not active.");
    EXPECT_EQ(Auto.TrayHint, "Tandemix Timer not active.");
}

TEST_F(ScheduleTest, BatchRowsAreQueuedOnceEachAndRunInOrder)
{
    Batch.Rows = {{"/s1", "/t1"}, {"/s2", "/t2"}, {"", ""}, {"/s4", "/t4"}};
    Opts.RunSyncEveryMin = "1";
    Schedule(true);

    Engine.RunGuard = true; // a run by hand holds the queue back meanwhile
    Auto.SchedRunTimerTimer();
    Auto.SchedRunTimerTimer();
    EXPECT_EQ(Auto.FolderQue.Items, (Strings{"1", "2", "4"}));
    EXPECT_TRUE(Opts.RunBatchList);
    Advance(2000);
    EXPECT_TRUE(Actions.Runs.empty());

    Engine.RunGuard = false;
    Advance(3000);
    EXPECT_EQ(Actions.Runs, (Strings{"/s1", "/s2", "/s4"}));
    EXPECT_TRUE(Auto.FolderQue.Empty());
    EXPECT_FALSE(Opts.RunBatchList); // each row runs as a single pair
    EXPECT_EQ(Host.LastStatus(), "Ready");
}

TEST_F(ScheduleTest, PollingSwitchedToTheScheduleLeavesOnlyTheScheduleAndItsRunNow)
{
    Opts.PoleSecs = "5";
    Poll(true);
    EXPECT_TRUE(Auto.CheckDiskSpaceTimer.Enabled);
    EXPECT_EQ(Auto.CheckDiskSpaceTimer.Interval, 5000);
    Auto.RunNow1Click(); // "Run Now" belongs to the schedule alone
    EXPECT_TRUE(Auto.FolderQue.Empty());

    Opts.RunSyncEveryMin = "10";
    Schedule(true);
    EXPECT_TRUE(Opts.RunSyncSched && !Opts.PoleEvery);
    EXPECT_FALSE(Auto.CheckDiskSpaceTimer.Enabled && Auto.CheckDiskSpaceTimer.Interval > 0);
    EXPECT_TRUE(Auto.SchedRunTimer.Enabled);
    EXPECT_EQ(Auto.SchedRunTimer.Interval, 10 * Minute);
    Auto.RunNow1Click();
    EXPECT_EQ(Auto.FolderQue.Items, Strings{"0"});

    // And back: polling disarms the schedule.
    Auto.PoleEveryClick(); // still unchecked: nothing changes
    Poll(true);
    EXPECT_FALSE(Opts.RunSyncSched);
    EXPECT_FALSE(Auto.SchedRunTimer.Enabled && Auto.SchedRunTimer.Interval > 0);
}

TEST_F(ScheduleTest, BadValueLeavesTheTriggerOffWithTextZero)
{
    // clang-format off
    const struct { const char* Name; bool Schedule; std::string Text; int LoadingMarker; bool Asks; } rows[] = {
        {"ScheduleZero",         true,  "0",   0, true},
        {"ScheduleNotANumber",   true,  "abc", 0, true},
        {"ScheduleNegative",     true,  "-4",  0, true},
        {"PollingEmpty",         false, "",    0, true},
        {"PollingWhileLoading",  false, "x",   1, false},
        {"ScheduleWhileLoading", true,  "0",   1, false},
    };
    // clang-format on
    for (const auto& c : rows) {
        SCOPED_TRACE(c.Name);
        Host.Questions.clear();
        State.SourceFileListTag = c.LoadingMarker;
        (c.Schedule ? Opts.RunSyncEveryMin : Opts.PoleSecs) = c.Text;
        c.Schedule ? Schedule(true) : Poll(true);

        EXPECT_FALSE(c.Schedule ? Opts.RunSyncSched : Opts.PoleEvery);
        EXPECT_EQ(c.Schedule ? Opts.RunSyncEveryMin : Opts.PoleSecs, "0");
        EXPECT_FALSE(Auto.SchedRunTimer.Enabled || Auto.CheckDiskSpaceTimer.Enabled);
        EXPECT_EQ(Host.Questions.size(), c.Asks ? 1U : 0U);
        EXPECT_EQ(Host.LastQuestion(), c.Asks ? "Value must be between 1 and 32767." : "");
    }
}

using QueueTest = AutomationFixture;

TEST_F(QueueTest, PollingQueuesEachSourceOnceUntilItsFreeSpaceChanges)
{
    std::int64_t freeBytes = 5000;
    Auto.FreeSpaceOf = [&freeBytes](const std::string& folder) -> std::int64_t {
        return folder == "/s1" ? freeBytes : -1;
    };
    Batch.Rows = {{"/s1", "/t1"}, {"/no/such/folder", "/t2"}};
    Opts.PoleSecs = "3";
    Poll(true);
    Engine.RunGuard = true; // keeps the queue to look at

    Advance(3000);
    EXPECT_EQ(Auto.FolderQue.Items, Strings{"1"}); // a source that cannot be read starts nothing
    EXPECT_EQ(Auto.TrayHint, "Tandemix Auto Mode");
    Auto.FolderQue.Clear();
    Advance(3000);
    EXPECT_TRUE(Auto.FolderQue.Empty());
    freeBytes = 4000;
    Advance(3000);
    EXPECT_EQ(Auto.FolderQue.Items, Strings{"1"});
}

TEST_F(QueueTest, MonitorOnlyWithSourceEqualToTargetOnlyRefreshes)
{
    Engine.Source.Folder = "/data/same";
    Engine.Target.Folder = "/data/same/";
    Opts.MonitorSourceDriveCheck = true;
    Auto.FolderQue.Add("0");
    Advance(700);
    EXPECT_TRUE(Actions.Runs.empty());
    EXPECT_EQ(Actions.Refreshes, 1);
    EXPECT_TRUE(Auto.FolderQue.Empty());

    // Compression on: the archive is something to make, so the pair runs.
    Opts.UseCompression = true;
    Auto.FolderQue.Add("0");
    Advance(700);
    EXPECT_EQ(Actions.Runs.size(), 1U);
}

TEST_F(QueueTest, ChangesDuringARowsRunAddUpToOneMoreRun)
{
    TempTree tree;
    const std::string s1 = tree.AddFolder("s1");
    const std::string s2 = tree.AddFolder("s2");
    Batch.Rows = {{s1, "/t1"}, {s2, "/t2"}};
    WatchTicket row2{s2, 2, false, 1, Auto.Monitor.Generation()};
    Auto.Monitor.FolderChanged(row2); // the monitor is off: nothing is queued
    EXPECT_TRUE(Auto.FolderQue.Empty());
    Monitor(true);
    Batch.InitiateBatchItem(Ctx, 1); // as the window shows an open list
    Auto.FolderQue.Add("2");
    Auto.FolderQue.Add("1");
    Actions.DuringRun = [&] {
        // A burst while the first run goes on: one queued item, never a second run inside.
        if (Actions.Runs.size() == 1) {
            for (int i = 0; i < 1000; ++i) {
                Auto.Monitor.FolderChanged(row2);
            }
            Auto.RunRealTimeSync(); // a tick pumped during the run starts nothing
        }
        return RunOutcome::Completed;
    };
    Advance(600);
    EXPECT_EQ(Actions.Runs, (Strings{s2, s2}));
    EXPECT_EQ(Auto.FolderQue.Items, Strings{"1"});
    Advance(600);
    EXPECT_EQ(Actions.Runs, (Strings{s2, s2, s1}));
}

TEST_F(QueueTest, ATargetHeldByAnotherRunWaitsAndIsTriedAgain)
{
    Engine.Source.Folder = "/s";
    Engine.Target.Folder = "/t";
    Opts.MonitorSourceDriveCheck = true;
    Auto.FolderQue.Add("0");
    Actions.DuringRun = [&] {
        Engine.Totals.Refused = Actions.Runs.size() == 1 ? RunRefusal::TargetBusy : RunRefusal::None;
        return Actions.Runs.size() == 1 ? RunOutcome::Failed : RunOutcome::Completed;
    };
    Advance(600);
    EXPECT_EQ(Actions.Runs.size(), 1U);
    EXPECT_EQ(Auto.FolderQue.Items, Strings{"0"});
    Advance(Auto.BusyRetryMs - 600);
    EXPECT_EQ(Actions.Runs.size(), 1U);
    Advance(1200);
    EXPECT_EQ(Actions.Runs.size(), 2U);
    EXPECT_TRUE(Auto.FolderQue.Empty());
}

TEST_F(QueueTest, AStopHoldsTheQueueBackNothingArmedEmptiesItAndNotARowBlocksNothing)
{
    Auto.FolderQue.Add("0");
    State.OperationState = 2;
    Advance(700);
    EXPECT_EQ(Auto.FolderQue.Items, Strings{"0"});
    State.OperationState = 0;
    Advance(700);
    EXPECT_TRUE(Auto.FolderQue.Empty());
    EXPECT_TRUE(Actions.Runs.empty());

    Engine.Source.Folder = "/s";
    Engine.Target.Folder = "/t";
    Opts.MonitorSourceDriveCheck = true;
    Auto.FolderQue.Items = {"junk", "0"};
    Advance(1300);
    EXPECT_EQ(Actions.Runs.size(), 1U);
    EXPECT_TRUE(Auto.FolderQue.Empty());
}

} // namespace
} // namespace Tandemix
