// SPDX-License-Identifier: GPL-3.0-or-later
#include "AutomationFixture.h"
#include "automation/AutomationMessages.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace Tandemix {
namespace {

using Test::AutomationFixture;
using Test::ByName;
using Test::PrintTo;
using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

class WatcherTest : public AutomationFixture
{
protected:
    // Switches the monitor on and waits until `folders` watchers have listed their folders.
    void SwitchOn(std::size_t folders)
    {
        Opts.MonitorSourceDriveCheck = true;
        Auto.MonitorSourceDriveCheckClick();
        ASSERT_TRUE(PulseUntil([&] { return Auto.Monitor.FolderWatch.size() == folders; }));
        // Past the watcher's set-up: its watches are in place once it waits.
        PulseFor(100ms);
    }
    void PulseFor(std::chrono::milliseconds time)
    {
        (void)PulseUntil([] { return false; }, time);
    }
    bool Queued()
    {
        return PulseUntil([&] { return !Auto.FolderQue.Empty(); }, 1500ms);
    }
    std::size_t MessagesStartingWith(std::string_view text) const
    {
        return static_cast<std::size_t>(
            std::ranges::count_if(Messages(), [&](auto& m) { return m.starts_with(text); }));
    }

    TempTree Tree;
};

// Where: relative to the watched folder; a trailing '/' makes a folder after the start.
struct ChangeCase
{
    std::string Name, Where;
    bool SubFolders, Reported;
};

class WatchedChangeTest : public WatcherTest, public ::testing::WithParamInterface<ChangeCase>
{};

TEST_P(WatchedChangeTest, QueuesTheWindowsPairForWhatItWatches)
{
    const ChangeCase& c = GetParam();
    Tree.AddFile("src/old.txt", "old");
    Tree.AddFolder("src/sub/deeper");
    Engine.Source.Folder = Tree.Path("src");
    Opts.IncludeSubFolderOption = c.SubFolders;
    SwitchOn(1);

    if (c.Where.ends_with("/")) {
        Tree.AddFolder("src/" + c.Where);
        // The new folder is watched once its creation was seen; what counts is what follows.
        ASSERT_TRUE(Queued());
        PulseFor(100ms);
        Auto.FolderQue.Clear();
        Tree.AddFile("src/" + c.Where + "in-new.txt", "x");
    } else {
        Tree.AddFile("src/" + c.Where, "new");
    }
    if (c.Reported) {
        ASSERT_TRUE(Queued());
        EXPECT_EQ(Auto.FolderQue.Items, Strings{"0"});
    } else {
        PulseFor(700ms);
        EXPECT_TRUE(Auto.FolderQue.Empty());
    }
}

// clang-format off
const ChangeCase ChangeCases[] = {
    {"FileInTheFolder",                   "new.txt",            false, true},
    {"FileInASubFolderWithSubFoldersOff", "sub/new.txt",        false, false},
    {"FileDeeperWithSubFoldersOff",       "sub/deeper/new.txt", false, false},
    {"FileInASubFolderWithSubFoldersOn",  "sub/new.txt",        true,  true},
    {"FileDeeperWithSubFoldersOn",        "sub/deeper/new.txt", true,  true},
    {"FileInAFolderMadeAfterTheStart",    "sub/made/",          true,  true},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Changes, WatchedChangeTest, ::testing::ValuesIn(ChangeCases), ByName{});

TEST_F(WatcherTest, TwoRowsWithOneSourceAreWatchedOnce)
{
    const std::string shared = Tree.AddFolder("shared");
    Batch.Rows = {{shared, "/t1"}, {shared, "/t2"}, {Tree.AddFolder("other"), "/t3"}};
    SwitchOn(2);
    ASSERT_TRUE(PulseUntil([&] { return Auto.Monitor.RunningWatchers() == 2; }));
    EXPECT_EQ(MessagesStartingWith(Msg::MonitoringFolder), 3U);

    Tree.AddFile("shared/x.txt", "x");
    ASSERT_TRUE(Queued());
    PulseFor(300ms);
    ASSERT_EQ(Auto.FolderQue.Items.size(), 1U);
    EXPECT_TRUE(Auto.FolderQue.Items[0] == "1" || Auto.FolderQue.Items[0] == "2");
}

TEST_F(WatcherTest, UncheckingEndsEveryWatcherWithinHalfASecond)
{
    Batch.Rows = {{Tree.AddFolder("a"), "/t1"}, {Tree.AddFolder("b"), "/t2"}, {Tree.AddFolder("c"), "/t3"}};
    SwitchOn(3);
    Auto.FolderQue.Add("1");

    const auto start = std::chrono::steady_clock::now();
    Opts.MonitorSourceDriveCheck = false;
    Auto.MonitorSourceDriveCheckClick();
    EXPECT_TRUE(Auto.Monitor.FolderWatch.empty());
    EXPECT_TRUE(Auto.FolderQue.Empty());
    ASSERT_TRUE(PulseUntil([&] { return Auto.Monitor.RunningWatchers() == 0; }, 2000ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 650ms);

    // Nothing a stopped watcher saw reaches the queue.
    Tree.AddFile("a/late.txt", "x");
    PulseFor(300ms);
    EXPECT_TRUE(Auto.FolderQue.Empty());
}

TEST_F(WatcherTest, ASwitchOffAndOnAgainLeavesOneWatcherPerFolder)
{
    Engine.Source.Folder = Tree.AddFolder("src");
    SwitchOn(1);
    Opts.MonitorSourceDriveCheck = false;
    Auto.MonitorSourceDriveCheckClick();
    SwitchOn(1);
    ASSERT_TRUE(PulseUntil([&] { return Auto.Monitor.RunningWatchers() == 1; }, 2000ms));
    Tree.AddFile("src/x.txt", "x");
    EXPECT_TRUE(Queued());
}

TEST_F(WatcherTest, AFolderThatGoesStopsItsWatcherAndStartsNoRun)
{
    Tree.AddFile("src/a.txt", "a");
    Tree.AddFile("src/sub/b.txt", "b");
    Engine.Source.Folder = Tree.Path("src");
    Opts.IncludeSubFolderOption = true;
    SwitchOn(1);

    TempTree::RemoveAll(Tree.Path("src"));
    ASSERT_TRUE(PulseUntil([&] { return Auto.Monitor.RunningWatchers() == 0; }));
    EXPECT_TRUE(Auto.FolderQue.Empty());
    EXPECT_TRUE(Auto.Monitor.FolderWatch.empty());
    EXPECT_FALSE(Opts.MonitorSourceDriveCheck); // the last watcher gone unchecks the box
    EXPECT_EQ(MessagesStartingWith(Msg::WatchGone), 1U);
}

TEST_F(WatcherTest, AProgramEndingWhileWatchersWaitForItDoesNotHang)
{
    Batch.Rows = {{Tree.AddFolder("a"), "/t1"}, {Tree.AddFolder("b"), "/t2"}};
    Opts.MonitorSourceDriveCheck = true;
    Auto.MonitorSourceDriveCheckClick();
    std::this_thread::sleep_for(100ms); // both watchers now wait in their first hand-over
    const auto start = std::chrono::steady_clock::now();
    Auto.Monitor.Shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
    EXPECT_EQ(Auto.Monitor.RunningWatchers(), 0);
}

// The watch limit is lowered for this test alone, in a user namespace of its own: the test
// program runs itself again there.
constexpr const char* InNamespace = "TANDEMIX_WATCH_LIMIT_TEST";
constexpr int LoweredLimit = 40;

TEST_F(WatcherTest, AtTheWatchLimitItPollsAndReturnsToNotifications)
{
    if (std::getenv(InNamespace) == nullptr) {
        if (std::system("unshare -U -r true 2>/dev/null") != 0) {
            GTEST_SKIP() << "user namespaces are not available here";
        }
        std::string self(4096, '\0');
        self.resize(static_cast<std::size_t>(readlink("/proc/self/exe", self.data(), self.size())));
        std::string command =
            std::string(InNamespace) + "=1 unshare -U -r sh -c 'echo " + std::to_string(LoweredLimit)
            + " > /proc/sys/user/max_inotify_watches && exec \"" + self
            + "\" --gtest_filter=WatcherTest.AtTheWatchLimitItPollsAndReturnsToNotifications'";
        int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "the test failed inside its namespace";
        return;
    }

    for (int i = 0; i < 2 * LoweredLimit; ++i) {
        Tree.AddFolder("src/f" + std::to_string(i));
    }
    Engine.Source.Folder = Tree.Path("src");
    Opts.IncludeSubFolderOption = true;
    Auto.Monitor.Timing.PollEvery = 200ms;
    Auto.Monitor.Timing.RetryNotifyEvery = 600ms;
    SwitchOn(1);
    ASSERT_TRUE(PulseUntil([&] { return MessagesStartingWith(Msg::WatchPolling) == 1; }));

    Tree.AddFile("src/f7/changed.txt", "x");
    ASSERT_TRUE(Queued());
    Auto.FolderQue.Clear();

    // Few enough folders again: notifications take over at the next try, said once.
    for (int i = 10; i < 2 * LoweredLimit; ++i) {
        TempTree::RemoveAll(Tree.Path("src/f" + std::to_string(i)));
    }
    ASSERT_TRUE(PulseUntil([&] { return MessagesStartingWith(Msg::WatchNotifying) == 1; }));
    PulseFor(300ms);
    Auto.FolderQue.Clear();
    Tree.AddFile("src/f3/again.txt", "x");
    EXPECT_TRUE(Queued());
    EXPECT_EQ(MessagesStartingWith(Msg::WatchPolling), 1U);
    EXPECT_EQ(Auto.Monitor.FolderWatch.size(), 1U);
}

} // namespace
} // namespace Tandemix
