// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FolderQueue.h"

#include "RunFixture.h"
#include "engine/CopyMessages.h"
#include "engine/ListingMessages.h"
#include "platform/FaultHook.h"
#include "support/FileChecks.h"

#include <cerrno>
#include <map>
#include <optional>

namespace Tandemix {
namespace {

using Test::ModeOf;
using FolderQueueTest = Test::RunFixture;

bool IsBelow(const std::string& folder, const std::string& ancestor)
{
    return ancestor.empty() ? !folder.empty() : folder.rfind(ancestor + "/", 0) == 0;
}

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
    std::vector<std::string> queued; // the source folders relative to src ("" for src itself), in queue order
    for (const FolderPair& pair : Engine.FolderQueue) {
        EXPECT_EQ(pair.Source.rfind(Src, 0), 0u) << pair.Source;
        std::string tail = pair.Source.substr(Src.size());
        queued.push_back(tail.empty() ? tail : tail.substr(1));
    }
    std::multiset<std::string> found(queued.begin(), queued.end());
    // clang-format off
    ASSERT_EQ(found, (std::multiset<std::string>{"", "a", "a/b", "a/b/c", "a/b/c/d", "a/b/c/d/e", "a/b/c/d/e/f",
                                                 "a/b/c/d/e/f/g", "a/b/c/d/e/f/g/h", "a/x", ".hidden",
                                                 ".hidden/inner", "z"}))
        // clang-format on
        << "links to folders are never walked, hidden folders always are";
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
        EXPECT_TRUE(pair.Top == (pair.Source == Src) && !pair.Next) << pair.Source;
    }
    EXPECT_EQ(std::tie(Engine.Totals.PreFolderCount, Engine.Totals.FolderGaugeMax), std::tuple(12, 12))
        << "the sub-folders, not the pair asked for";
}

TEST_F(FolderQueueTest, EnqueueCountsTheSubFoldersAndWithoutThemOnlyThePairIsQueued)
{
    Tree.AddFolder("src/a/b/c");
    Tree.AddFolder("src/d");
    EXPECT_EQ(EnqueueFolderTree(Ctx, Src, Dst), 4);
    EXPECT_EQ(Engine.Totals.PreFolderCount, 4);
    EXPECT_EQ(EnqueueFolderTree(Ctx, S("a/b/c"), D("a/b/c")), 0);
    EXPECT_EQ(Engine.Totals.PreFolderCount, 4);

    Engine.FolderQueue.clear();
    Opts.IncludeSubFolderOption = false;
    BuildFolderQueue(Ctx);
    ASSERT_EQ(Engine.FolderQueue.size(), 1u);
    EXPECT_EQ(Engine.FolderQueue.front().Source + "|" + Engine.FolderQueue.front().Target, Src + "|" + Dst);
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
    EXPECT_EQ(std::tie(Engine.Totals.PreFolderCount, Engine.Totals.FolderGaugeMax), std::make_tuple(0, 0));
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
    EXPECT_THAT(Messages(), ::testing::ElementsAre(::testing::HasSubstr(std::string(Msg::FolderReadFailed))));
    EXPECT_TRUE(Host.Questions.empty()) << "counting never asks";
}

// ---- Target folders the walk makes or cannot make ---------------------------------------------

// dst/sub is a link to a folder outside the target: the walk must not write through it, and the
// run goes on with the other folders. A folder that cannot be made takes the same way
// (CreateFolderPathFailTest says what it reports).
TEST_F(FolderQueueTest, ATargetFolderThatCannotBeEnteredFailsTheRunAndTheRestIsSynchronised)
{
    Tree.AddFile("src/sub/x.txt", 10, New);
    Tree.AddFile("src/top.txt", 10, New);
    std::string elsewhere = Tree.AddFolder("elsewhere");
    Tree.AddSymlink("dst/sub", elsewhere);
    EXPECT_EQ(Run(), RunOutcome::Failed);
    EXPECT_FALSE(Exists(elsewhere + "/x.txt")) << "nothing is written through a link";
    EXPECT_EQ(std::tuple(S_ISLNK(Mode(D("sub"))), ReadDst("top.txt")), std::tuple(true, Tree.Pattern(10)));
    EXPECT_EQ(Report.LogTexts(LogKind::AppError),
              std::vector<std::string>{std::string(CopyMsg::CouldNotCreateGoto) + D("sub")});
    EXPECT_EQ(Report.LogTexts(LogKind::AddedFile), std::vector<std::string>{"  Added: top.txt   "});
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(FolderQueueTest, AFolderMadeByTheRunGetsItsSourceFoldersPermissions)
{
    Tree.AddFile("src/private/p.txt", 10, New);
    ::chmod(S("private").c_str(), 0700);
    Tree.AddFile("src/ro/inner/i.txt", 10, New);
    Tree.AddFile("src/ro/r.txt", 10, New);
    ::chmod(S("ro/inner").c_str(), 0750);
    ::chmod(S("ro").c_str(), 0555);
    Tree.AddFile("src/kept/k.txt", 10, New);
    ::chmod(S("kept").c_str(), 0700);
    Tree.AddFolder("dst/kept", 0755);
    EXPECT_EQ(Run(), RunOutcome::Completed);

    EXPECT_EQ(ModeOf(D("private")), 0700u) << "what only its owner could read stays so";
    EXPECT_EQ(std::tuple(ModeOf(D("ro")), ModeOf(D("ro/inner"))), std::tuple(0555u, 0750u));
    EXPECT_EQ(ReadDst("ro/r.txt"), Tree.Pattern(10)) << "a read-only folder is filled first";
    EXPECT_EQ(ReadDst("ro/inner/i.txt"), Tree.Pattern(10));
    EXPECT_EQ(ModeOf(D("kept")), 0755u) << "a folder that was there is left as it is";
    ::chmod(D("ro").c_str(), 0755);
    ::chmod(S("ro").c_str(), 0755);
}

TEST(SubFolderTargetTest, AppendsTheSourceNameUnlessTheTargetEndsInIt)
{
    const std::optional<std::string> none;
    // clang-format off
    const std::tuple<const char*, const char*, std::optional<std::string>> rows[] = {
        {"/data/Photos", "/backup", "/backup/Photos"}, {"/data/Photos/", "/backup/", "/backup/Photos"},
        {"/data/Photos", "/backup/photos", none}, {"/data/Photos", "/backup/PHOTOS/", none},
        {"/data/Photos", "/backup/Photos2", "/backup/Photos2/Photos"}, {"/data/Photos", "/", "/Photos"},
        {"/", "/backup", none}, {"/data/Ä", "/backup/Ä", none}};
    // clang-format on
    for (const auto& [source, target, expected] : rows) {
        EXPECT_EQ(SubFolderTarget(source, target), expected) << source << " -> " << target;
    }
}

} // namespace
} // namespace Tandemix
