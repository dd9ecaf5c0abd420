// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/RunState.h"

#include "engine/BusySection.h"
#include "engine/Messages.h"
#include "support/CoreBundle.h"

#include <gtest/gtest.h>

namespace Tandemix {
namespace {

// A clock that only moves when the test says so makes the pump throttle observable.
class RunStateTest : public ::testing::Test, public Test::CoreBundle
{
protected:
    void SetUp() override
    {
        State.SetClock([this] { return Now; });
    }
    void Advance(std::chrono::milliseconds ms) { Now += ms; }
};

TEST_F(RunStateTest, RefusedStopLetsTheRunGoOnAndALaterStopAsksAgain)
{
    BusySection busy(State);
    Host.QueueAnswer(DialogResult::No);
    {
        BusySection folder(State);
        State.StopButtonClick();
        EXPECT_EQ(State.CheckForStop(), 0);
    }
    // Declining leaves the run's own busy section open: Stop stays available.
    EXPECT_EQ(std::tuple(State.BusyCount, Host.StopEnabled, State.OperationState, Host.Cursor),
              std::tuple(1, true, 0, CursorShape::Busy));
    ASSERT_EQ(Host.Questions.size(), 1u);
    EXPECT_EQ(std::tie(Host.Questions[0].Text, Host.Questions[0].Buttons),
              std::make_tuple(Msg::ConfirmStop, DialogButtons::YesNo));
    EXPECT_EQ(State.CheckForStop(), 0); // no new question without a new click
    EXPECT_EQ(Host.Questions.size(), 1u);
    Host.QueueAnswer(DialogResult::No);
    State.StopButtonClick();
    EXPECT_EQ(State.CheckForStop(), 0);
    EXPECT_EQ(Host.Questions.size(), 2u) << "each answered as queued, none unasked for";
}

TEST_F(RunStateTest, ConfirmedStopAnswersEveryLaterPollWithoutAskingAndEndsMonitoring)
{
    Opts.MonitorSourceDriveCheck = true;
    bool queueCleared = false;
    State.ClearFolderQueue = [&] {
        queueCleared = true;
    };
    Host.QueueAnswer(DialogResult::Yes);
    // Two clicks before the poll ask once; a click during the pump is heard by the same poll.
    State.StopButtonClick();
    Host.OnNextPump([this] { State.StopButtonClick(); });
    EXPECT_EQ(State.CheckForStop(), 1);
    EXPECT_EQ(std::tie(State.StopButtonTag, State.OperationState, State.ZipAbortFlag),
              std::make_tuple(2, 2, true));
    EXPECT_EQ(State.StatusText(), Msg::Stopping);
    EXPECT_EQ(std::tie(Opts.MonitorSourceDriveCheck, Opts.MonitorSourceDriveCheckTag, queueCleared),
              std::make_tuple(false, -33, true));
    for (int i = 0; i < 5; ++i) {
        Advance(std::chrono::milliseconds(30));
        EXPECT_GT(State.CheckForStop(), 0);
    }
    EXPECT_EQ(Host.Questions.size(), 1u);
    // The end of the operation resets the state; from then on polls go on.
    State.OperationState = 0;
    EXPECT_EQ(State.CheckForStop(), 0);
}

TEST_F(RunStateTest, ZipAbortStopsWithoutAskingAndResets)
{
    State.BusyCount = 3;
    State.OperationState = 25;
    Host.Cursor = CursorShape::Busy;
    EXPECT_EQ(State.CheckForStop(), 1);
    EXPECT_EQ(std::tie(Host.Cursor, State.OperationState, State.BusyCount, State.ZipAbortFlag),
              std::make_tuple(CursorShape::Default, 0, 0, true));
    EXPECT_EQ(std::tuple(Host.Questions.size(), State.StatusText()), std::tuple(0u, Msg::Stopping));
}

TEST_F(RunStateTest, PumpIsThrottledButTheStopStateIsReadEveryPoll)
{
    EXPECT_EQ(State.CheckForStop(), 0);
    EXPECT_EQ(Host.PumpCount, 1);
    EXPECT_TRUE(State.OperationState == 0 && State.BusyCount == 0 && !Host.StopEnabled) << "an idle poll";
    EXPECT_TRUE(Host.Statuses.empty() && Host.Questions.empty());
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(State.CheckForStop(), 0);
    }
    EXPECT_EQ(Host.PumpCount, 1);
    Advance(RunState::PumpInterval);
    EXPECT_EQ(State.CheckForStop(), 0);
    EXPECT_EQ(Host.PumpCount, 2);

    // Without a pump, a stop raised in between is still seen by the very next poll.
    State.OperationState = 2;
    EXPECT_EQ(State.CheckForStop(), 2);
    EXPECT_EQ(Host.PumpCount, 2);
}

TEST_F(RunStateTest, StatusIsKeptDuringARunOrWhileAConfigurationIsReadAndNotRepeated)
{
    State.StartTimingEvent();
    State.SyncActive = true;
    State.StatusMsg(Msg::Ready);
    EXPECT_EQ(State.StatusText(), Msg::Working);
    State.SyncActive = false;
    Host.Cursor = CursorShape::Busy;
    State.StatusMsg(Msg::Ready);
    EXPECT_EQ(std::tuple(State.StatusText(), Host.Cursor), std::tuple(Msg::Ready, CursorShape::Default))
        << "Ready restores the default cursor";
    Host.Statuses.clear();
    State.SourceFileListTag = 2;
    State.StatusMsg("Loading");
    EXPECT_TRUE(Host.Statuses.empty());
    State.SourceFileListTag = 1; // applying a batch item still shows messages
    State.StatusMsg("Loading");
    State.StatusMsg("Loading");
    EXPECT_EQ(Host.Statuses.size(), 1u);
}

TEST_F(RunStateTest, NestedBusySectionsKeepStopEnabledUntilTheOutermostEnds)
{
    {
        BusySection outer(State);
        EXPECT_EQ(std::tuple(Host.StopEnabled, Host.Cursor), std::tuple(true, CursorShape::Busy));
        {
            BusySection inner(State);
            EXPECT_EQ(State.BusyCount, 2);
        }
        EXPECT_EQ(std::tuple(State.BusyCount, Host.StopEnabled), std::tuple(1, true));
    }
    EXPECT_EQ(std::tuple(State.BusyCount, Host.StopEnabled, Host.Cursor),
              std::tuple(0, false, CursorShape::Default));

    // Leaving more often than entering never drives the count below zero.
    State.SetCursor(0);
    EXPECT_EQ(State.BusyCount, 0);
    // The busy cursor does not replace the arrow over the Stop button.
    Host.Cursor = CursorShape::Arrow;
    State.SetCursor(-11);
    EXPECT_EQ(Host.Cursor, CursorShape::Arrow);
    State.SetCursor(5); // any other mode only re-applies the rule
    EXPECT_EQ(State.BusyCount, 1);
}

TEST_F(RunStateTest, ElapsedTimeIsShownAsHoursMinutesSeconds)
{
    State.StartTimingEvent();
    EXPECT_EQ(std::tuple(Host.ElapsedTimerRunning, Host.ElapsedTexts.back()), std::tuple(true, "0:00:00"));
    Advance(std::chrono::seconds(3723));
    State.Timer2Timer();
    EXPECT_EQ(Host.ElapsedTexts.back(), "1:02:03");
    State.StopTiming();
    EXPECT_FALSE(Host.ElapsedTimerRunning);
    EXPECT_EQ(ElapsedText(36000 + 59), "10:00:59");
}

} // namespace
} // namespace Tandemix
