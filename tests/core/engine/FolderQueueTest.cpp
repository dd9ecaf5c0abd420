// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FolderQueue.h"

#include "RunFixture.h"
#include "engine/ListingMessages.h"
#include "platform/FaultHook.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Tandemix {
namespace {

using Test::RunFixture;

class FolderQueueTest : public RunFixture
{
protected:
    // The queued source folders relative to src ("" for src itself), in queue order.
    std::vector<std::string> QueuedSources() const
    {
        std::vector<std::string> rel;
        for (const FolderPair& pair : Engine.FolderQueue) {
            EXPECT_EQ(pair.Source.rfind(Src, 0), 0u) << pair.Source;
            std::string tail = pair.Source.substr(Src.size());
            rel.push_back(tail.empty() ? tail : tail.substr(1));
        }
        return rel;
    }

    static bool IsBelow(const std::string& folder, const std::string& ancestor)
    {
        return ancestor.empty() ? !folder.empty() : folder.rfind(ancestor + "/", 0) == 0;
    }
};

TEST_F(FolderQueueTest, EveryFolderIsQueuedBeforeItsOwnWholeSubTree)
{
    Tree.AddFolder("src/a/b/c/d/e/f/g/h");
    Tree.AddFolder("src/a/x");
    Tree.AddFile("src/a/b/file.txt", 10);
    Tree.AddFolder("src/.hidden/inner");
    Tree.AddFolder("src/z");
    Tree.AddSymlink("src/link", "a");
    Tree.AddSymlink("src/a/x/loop", "..");

    BuildFolderQueue(Ctx);

    std::vector<std::string> queued = QueuedSources();
    std::multiset<std::string> found(queued.begin(), queued.end());
    EXPECT_EQ(found,
              (std::multiset<std::string>{"",
                                          "a",
                                          "a/b",
                                          "a/b/c",
                                          "a/b/c/d",
                                          "a/b/c/d/e",
                                          "a/b/c/d/e/f",
                                          "a/b/c/d/e/f/g",
                                          "a/b/c/d/e/f/g/h",
                                          "a/x",
                                          ".hidden",
                                          ".hidden/inner",
                                          "z"}))
        << "links to folders are never walked, hidden folders always are";
    ASSERT_FALSE(queued.empty());
    EXPECT_EQ(queued.front(), "");
    // Depth first: the folders below any queued folder follow it directly, all together.
    for (std::size_t i = 0; i < queued.size(); ++i) {
        auto below = std::count_if(queued.begin(), queued.end(), [&](const std::string& f) {
            return IsBelow(f, queued[i]);
        });
        for (std::size_t k = i + 1; k <= i + static_cast<std::size_t>(below); ++k) {
            ASSERT_LT(k, queued.size());
            EXPECT_TRUE(IsBelow(queued[k], queued[i])) << queued[k] << " breaks up the tree of " << queued[i];
        }
    }
    for (const FolderPair& pair : Engine.FolderQueue) {
        EXPECT_EQ(pair.Target, Dst + pair.Source.substr(Src.size())) << "target names mirror the source";
        EXPECT_EQ(pair.Top, pair.Source == Src);
        EXPECT_FALSE(pair.Next);
    }
    EXPECT_EQ(Engine.Totals.PreFolderCount, 13);
    EXPECT_EQ(Engine.Totals.FolderGaugeMax, 13);
}

TEST_F(FolderQueueTest, EnqueueCountsTheSubFoldersAtAnyDepth)
{
    Tree.AddFolder("src/a/b/c");
    Tree.AddFolder("src/d");
    EXPECT_EQ(EnqueueFolderTree(Ctx, Src, Dst), 4);
    EXPECT_EQ(EnqueueFolderTree(Ctx, S("a/b/c"), D("a/b/c")), 0);
}

TEST_F(FolderQueueTest, WithoutSubFoldersOnlyThePairOnScreenIsQueued)
{
    Tree.AddFolder("src/a/b");
    Opts.IncludeSubFolderOption = false;

    BuildFolderQueue(Ctx);

    ASSERT_EQ(Engine.FolderQueue.size(), 1u);
    EXPECT_EQ(Engine.FolderQueue.front().Source, Src);
    EXPECT_EQ(Engine.FolderQueue.front().Target, Dst);
    EXPECT_EQ(Engine.Totals.PreFolderCount, 1);
}

TEST_F(FolderQueueTest, AStopWhileCountingLeavesNothingQueued)
{
    for (int i = 0; i < 20; ++i) {
        Tree.AddFolder("src/f" + std::to_string(i) + "/g");
    }
    Host.OnNextPump([this] { State.StopButtonClick(); });
    Host.QueueAnswer(DialogResult::Yes);

    EXPECT_EQ(EnqueueFolderTree(Ctx, Src, Dst), -1);
    // The confirmed stop stays in force for the rest of the operation.
    EXPECT_EQ(State.OperationState, static_cast<int>(OperationStates::Confirmed));
    BuildFolderQueue(Ctx);

    EXPECT_TRUE(Engine.FolderQueue.empty());
    EXPECT_EQ(Engine.Totals.PreFolderCount, 0);
    EXPECT_EQ(Engine.Totals.FolderGaugeMax, 0);
}

TEST_F(FolderQueueTest, AFolderThatCannotBeReadIsMarkedAndReported)
{
    Tree.AddFolder("src/locked/inner");
    Tree.AddFolder("src/open");
    ScopedFault fault(FaultPlan{FaultOp::Open, EACCES, "locked"});

    BuildFolderQueue(Ctx);

    std::map<std::string, bool> unreadable;
    for (const FolderPair& pair : Engine.FolderQueue) {
        unreadable[pair.Source] = pair.Unreadable;
    }
    EXPECT_EQ(unreadable,
              (std::map<std::string, bool>{{Src, false}, {S("locked"), true}, {S("open"), false}}));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find(std::string(Msg::FolderReadFailed)), std::string::npos);
    EXPECT_TRUE(Host.Questions.empty()) << "counting never asks";
}

// ---- The create-sub-folder rule --------------------------------------------------------------

struct SubFolderCase
{
    const char* Source;
    const char* Target;
    std::optional<std::string> Expected;
};

class SubFolderTargetTest : public ::testing::TestWithParam<SubFolderCase>
{};

TEST_P(SubFolderTargetTest, AppendsTheSourceNameUnlessTheTargetEndsInIt)
{
    const SubFolderCase& c = GetParam();
    EXPECT_EQ(SubFolderTarget(c.Source, c.Target), c.Expected) << c.Source << " -> " << c.Target;
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    SubFolderTargetTest,
    ::testing::Values(SubFolderCase{"/data/Photos", "/backup", std::string("/backup/Photos")},
                      SubFolderCase{"/data/Photos/", "/backup/", std::string("/backup/Photos")},
                      SubFolderCase{"/data/Photos", "/backup/photos", std::nullopt},
                      SubFolderCase{"/data/Photos", "/backup/PHOTOS/", std::nullopt},
                      SubFolderCase{"/data/Photos", "/backup/Photos2", std::string("/backup/Photos2/Photos")},
                      SubFolderCase{"/data/Photos", "/", std::string("/Photos")},
                      SubFolderCase{"/", "/backup", std::nullopt},
                      SubFolderCase{"/data/Ä", "/backup/Ä", std::nullopt}));

} // namespace
} // namespace Tandemix
