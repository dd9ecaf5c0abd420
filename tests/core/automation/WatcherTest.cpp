// SPDX-License-Identifier: GPL-3.0-or-later
#include "AutomationFixture.h"
#include "automation/AutomationMessages.h"
#include "support/TempTree.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace Tandemix {
namespace {

using Test::AutomationFixture;
using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

class WatcherTest : public AutomationFixture
{
protected:
    // Switches the monitor on and waits until `folders` watchers have listed their folders.
    void SwitchOn(std::size_t folders)
    {
        Monitor(true);
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
    std::ptrdiff_t MessagesStartingWith(std::string_view text) const
    {
        return std::ranges::count_if(Messages(), [&](auto& m) { return m.starts_with(text); });
    }

    TempTree Tree;
};

// Without sub-folders only the folder itself is watched; with them every folder below it, one
// made after the start included.
TEST_F(WatcherTest, QueuesTheWindowsPairForWhatItWatches)
{
    Tree.AddFolder("src/sub/deeper");
    Engine.Source.Folder = Tree.Path("src");
    Opts.IncludeSubFolderOption = false;
    SwitchOn(1);
    Tree.AddFile("src/sub/new.txt", "new");
    Tree.AddFile("src/sub/deeper/new.txt", "new");
    PulseFor(700ms);
    EXPECT_TRUE(Auto.FolderQue.Empty());
    Tree.AddFile("src/new.txt", "new");
    ASSERT_TRUE(Queued());
    EXPECT_EQ(Auto.FolderQue.Items, Strings{"0"});

    Monitor(false);
    Opts.IncludeSubFolderOption = true;
    SwitchOn(1);
    Tree.AddFolder("src/sub/made");
    for (const char* where : {"sub/on.txt", "sub/deeper/on.txt", "sub/made/on.txt"}) {
        SCOPED_TRACE(where);
        PulseFor(100ms); // what came before is reported and done with
        Auto.FolderQue.Clear();
        Tree.AddFile(std::string("src/") + where, "new");
        ASSERT_TRUE(Queued());
        EXPECT_EQ(Auto.FolderQue.Items, Strings{"0"});
    }
}

// Two rows with one source share its watcher, and a switch off and at once on again leaves one
// fresh watcher per folder.
TEST_F(WatcherTest, OneWatcherPerFolderAfterASwitchOffAndOnAndUncheckingEndsThemWithinHalfASecond)
{
    const std::string shared = Tree.AddFolder("a");
    Batch.Rows = {{shared, "/t1"},
                  {shared, "/t2"},
                  {Tree.AddFolder("b"), "/t3"},
                  {Tree.AddFolder("c"), "/t4"}};
    SwitchOn(3);
    EXPECT_EQ(MessagesStartingWith(Msg::MonitoringFolder), 4);
    Monitor(false);
    SwitchOn(3);
    ASSERT_TRUE(PulseUntil([&] { return Auto.Monitor.RunningWatchers() == 3; }, 2000ms));
    Tree.AddFile("a/x.txt", "x");
    ASSERT_TRUE(Queued());
    PulseFor(300ms);
    EXPECT_THAT(Auto.FolderQue.Items, testing::ElementsAre(testing::AnyOf("1", "2")));

    const auto start = std::chrono::steady_clock::now();
    Monitor(false);
    EXPECT_TRUE(Auto.Monitor.FolderWatch.empty());
    EXPECT_TRUE(Auto.FolderQue.Empty());
    ASSERT_TRUE(PulseUntil([&] { return Auto.Monitor.RunningWatchers() == 0; }, 2000ms));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 650ms);

    // Nothing a stopped watcher saw reaches the queue.
    Tree.AddFile("b/late.txt", "x");
    PulseFor(300ms);
    EXPECT_TRUE(Auto.FolderQue.Empty());
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
    EXPECT_EQ(MessagesStartingWith(Msg::WatchGone), 1);
}

TEST_F(WatcherTest, AnEndWhileWatchersWaitDoesNotHangAndTheNextWindowWatchesAgain)
{
    Batch.Rows = {{Tree.AddFolder("a"), "/t1"}, {Tree.AddFolder("b"), "/t2"}};
    Monitor(true);
    std::this_thread::sleep_for(100ms); // both watchers now wait in their first hand-over
    const auto start = std::chrono::steady_clock::now();
    Auto.Monitor.Shutdown();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
    EXPECT_EQ(Auto.Monitor.RunningWatchers(), 0);
    // The host outlives a window: monitoring switched on again in the next one must hand over.
    Monitor(true);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Auto.Monitor.RunningWatchers(), 2);
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
        const std::string self = std::filesystem::read_symlink("/proc/self/exe");
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
    EXPECT_EQ(MessagesStartingWith(Msg::WatchPolling), 1);
    EXPECT_EQ(Auto.Monitor.FolderWatch.size(), 1U);
}

} // namespace
} // namespace Tandemix
