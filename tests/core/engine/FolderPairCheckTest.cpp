// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FolderPairCheck.h"

#include "RunFixture.h"
#include "engine/RunMessages.h"

#include <filesystem>

namespace Tandemix {
namespace {

using Test::PrintTo;
using FolderPairTest = Test::RunFixture;

// Source and Target below the tree, or absolute. Refusal: the message's beginning; empty: the
// run goes ahead.
// clang-format off
struct PairCase { const char* Name; const char* Source; const char* Target; bool CreateSubFolder; std::string_view Refusal; };
const PairCase PairCases[] = {
    {"SameFolder",                    "src",       "src",            false, RunMsg::FoldersOverlap},
    {"SameThroughALink",              "src",       "srclink",        false, RunMsg::FoldersOverlap},
    {"TargetInsideSource",            "src",       "src/inner",      false, RunMsg::FoldersOverlap},
    {"TargetYetToBeMadeInsideSource", "src",       "src/new/deeper", false, RunMsg::FoldersOverlap},
    {"SourceInsideTarget",            "dst/inner", "dst",            false, RunMsg::FoldersOverlap},
    {"SubFolderTargetIsTheSource",    "s/Photos",  "t",              true,  RunMsg::FoldersOverlap},
    {"TargetIsTheRoot",               "src",       "/",              false, RunMsg::RootFolder},
    {"SourceIsTheRoot",               "/",         "dst",            false, RunMsg::RootFolder},
    {"SiblingsSharingAPrefix",        "src",       "src2",           false, {}},
    {"SubFolderInsideTarget",         "src",       "dst",            true,  {}}};
// clang-format on

using FolderPairRunTest = Test::TableOf<FolderPairTest, PairCase>;

TEST_P(FolderPairRunTest, OverlappingFoldersOrTheRootAreRefusedBeforeAnythingIsWritten)
{
    const PairCase& c = GetParam();
    auto at = [this](std::string_view where) {
        return where.starts_with("/") ? std::string(where) : Tree.Path(where);
    };
    Tree.AddFolder("src/inner");
    Tree.AddFolder("dst/inner");
    Tree.AddFolder("src2");
    Tree.AddSymlink("srclink", "src");
    Tree.AddSymlink("t/Photos", "../s/Photos");
    Tree.AddFolder("s/Photos");
    const bool root = c.Source == std::string_view("/") || c.Target == std::string_view("/");
    if (!root) {
        // Where the run would copy it if it were not refused; the root cases have nothing to copy.
        Tree.AddFile(std::string(c.Source) + "/f.txt", 10, New);
    }
    Engine.Source.Folder = at(c.Source);
    Engine.Target.Folder = at(c.Target);
    Opts.CreateSubFolderOption = c.CreateSubFolder;
    Opts.IncludeSubFolderOption = !root;
    Host.QueueAnswer(DialogResult::Ok);

    RunOutcome outcome = Run();
    if (c.Refusal.empty()) {
        EXPECT_EQ(std::tuple(outcome, Engine.Totals.Refused),
                  std::tuple(RunOutcome::Completed, RunRefusal::None));
        return;
    }
    EXPECT_EQ(std::tuple(outcome, Engine.Totals.Refused),
              std::tuple(RunOutcome::Failed, RunRefusal::FolderPair));
    EXPECT_TRUE(Report.Logs.empty()) << "no log opened, nothing written";
    ASSERT_EQ(Host.Questions.size(), 1u);
    EXPECT_EQ(Host.Questions[0].Text.rfind(c.Refusal, 0), 0u) << Host.Questions[0].Text;
    if (c.Refusal == RunMsg::FoldersOverlap && !c.CreateSubFolder) {
        EXPECT_EQ(Host.Questions[0].Text, std::string(c.Refusal) + at(c.Source) + " and " + at(c.Target));
    }
    EXPECT_EQ(Engine.Totals.RefusalText, Host.Questions[0].Text);
    EXPECT_EQ(Host.LastStatus(), Host.Questions[0].Text);
    const auto copies =
        std::ranges::count_if(std::filesystem::recursive_directory_iterator(Tree.Root()),
                              [](const auto& entry) { return entry.path().filename() == "f.txt"; });
    EXPECT_EQ(copies, root ? 0 : 1) << "the source's file only, no copy anywhere";
}

INSTANTIATE_TEST_SUITE_P(Table, FolderPairRunTest, ::testing::ValuesIn(PairCases), Test::ByName{});

TEST_F(FolderPairTest, ARunKeepsOtherRunsOutOfItsTargetTree)
{
    Tree.AddFolder("dst/a/deep");
    Tree.AddFolder("dst/b");
    Tree.AddSymlink("dstlink", "dst");
    // Held: the target of the run going on; it writes unless it is a report run.
    // clang-format off
    const struct { const char* Name; const char* Held; bool HeldWrites; const char* Wanted; bool WantedWrites;
                   bool Granted; } rows[] = {
        {"SameTarget",             "dst",   true,  "dst",        true,  false},
        {"SameTargetThroughALink", "dst",   true,  "dstlink",    true,  false},
        {"InsideARunsTarget",      "dst",   true,  "dst/a/deep", true,  false},
        {"AroundARunsTarget",      "dst/a", true,  "dst",        true,  false},
        {"NotYetMadeInside",       "dst",   true,  "dst/a/new",  true,  false},
        {"ReportDuringARun",       "dst",   true,  "dst",        false, false},
        {"RunDuringAReport",       "dst",   false, "dst",        true,  false},
        {"TwoReports",             "dst",   false, "dst",        false, true},
        {"SiblingTargets",         "dst/a", true,  "dst/b",      true,  true}};
    // clang-format on
    for (const auto& c : rows) {
        SCOPED_TRACE(c.Name);
        TargetLock held;
        ASSERT_TRUE(held.Acquire(Tree.Path(c.Held), c.HeldWrites));
        // A second lock in the same process is a second open description: it meets the first as
        // a run of another process would.
        TargetLock wanted;
        EXPECT_EQ(wanted.Acquire(Tree.Path(c.Wanted), c.WantedWrites), c.Granted);
        if (!c.Granted) {
            held.Release();
            EXPECT_TRUE(wanted.Acquire(Tree.Path(c.Wanted), c.WantedWrites))
                << "free once the other run ends";
        }
    }
}

TEST_F(FolderPairTest, ARunIntoATargetAnotherRunWritesToIsRefusedBeforeItsLogOpens)
{
    Tree.AddFile("src/a.txt", 10, New);
    TargetLock other;
    ASSERT_TRUE(other.Acquire(Dst, true));
    Opts.DisplayMessages = false;
    EXPECT_EQ(Run(), RunOutcome::Failed);
    EXPECT_EQ(Engine.Totals.Refused, RunRefusal::TargetBusy);
    EXPECT_EQ(Engine.Totals.RefusalText, std::string(RunMsg::TargetBusy) + Dst);
    EXPECT_TRUE(Report.Logs.empty());
    EXPECT_TRUE(Host.Questions.empty()) << "messages off: the status line and the list say it";
    EXPECT_EQ(Messages(), std::vector<std::string>{Engine.Totals.RefusalText});
    EXPECT_FALSE(Exists(D("a.txt")));

    other.Release();
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(std::tuple(Engine.Totals.Refused, Exists(D("a.txt"))), std::tuple(RunRefusal::None, true));
    TargetLock after;
    EXPECT_TRUE(after.Acquire(Dst, true)) << "the run let go of its target";
    ASSERT_TRUE(after.Acquire(Tree.Path("src"), true));
    EXPECT_TRUE(other.Acquire(Dst, true)) << "a lock taken again lets go of the folder it held";
}

} // namespace
} // namespace Tandemix
