// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/RunDriver.h"

#include "RunFixture.h"
#include "engine/CopyMessages.h"
#include "engine/DateFilter.h"
#include "engine/FileListing.h"
#include "engine/ListingMessages.h"
#include "engine/RunMessages.h"
#include "engine/ShowError.h"
#include "platform/FaultHook.h"
#include "platform/FileTimes.h"

#include <cerrno>
#include <stdexcept>

namespace Tandemix {
namespace {

using Test::Items;
using ::testing::AllOf, ::testing::HasSubstr, ::testing::StartsWith, ::testing::UnorderedElementsAre;
using Strings = std::vector<std::string>;

constexpr std::int64_t MiB = 1024 * 1024;

class RunDriverTest : public Test::RunFixture
{
public:
    bool WalkingTheFirstFolder() const { return State.SyncActive && Engine.Totals.TotDirCount == 0; }

    Strings SortedLog(LogKind kind) const
    {
        Strings texts = Report.LogTexts(kind);
        std::sort(texts.begin(), texts.end());
        return texts;
    }
};

// ---- Walking the tree --------------------------------------------------------------------------

TEST_F(RunDriverTest, EveryFolderIsSynchronisedToAnyDepthAndOnlyTheNewOnesLeftEmptyAreRemoved)
{
    Tree.AddFile("src/top.txt", 100, New);
    Tree.AddFile("src/a/b/c/d/e/f/deep.txt", 300, New);
    Tree.AddFile("src/a/mid.txt", 200, New);
    Tree.AddSymlink("src/link", "a");
    Tree.AddFolder("src/e1/e2/e3");
    Tree.AddFolder("src/a/empty");
    Tree.AddFolder("dst/was_there");
    Tree.AddFolder("src/was_there");
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(std::tuple(ReadDst("top.txt"), ReadDst("a/b/c/d/e/f/deep.txt"), ReadDst("a/mid.txt")),
              std::tuple(Tree.Pattern(100), Tree.Pattern(300), Tree.Pattern(200)));
    EXPECT_TRUE(S_ISLNK(Mode(D("link")))) << "a link to a folder is copied as a link, never walked into";
    EXPECT_EQ(std::tie(Engine.Totals.TotDirCount, Engine.Totals.TotFilesAdded), std::make_tuple(12, 4));
    EXPECT_FALSE(Exists(D("e1"))) << "a chain of empty new folders goes completely";
    EXPECT_FALSE(Exists(D("a/empty")));
    EXPECT_TRUE(S_ISDIR(Mode(D("was_there")))) << "only folders the run made are removed";
    EXPECT_TRUE(Engine.DirDelList.empty() && Host.Unexpected.empty());
}

TEST_F(RunDriverTest, ASourceSubFolderGoneBeforeTheWalkReachesItIsSkipped)
{
    Tree.AddFile("src/keep/k.txt", 10, New);
    Tree.AddFile("src/gone/g.txt", 10, New);
    Tree.AddFile("src/moved/m.txt", 10, New);
    Tree.AddFile("dst/moved/m.txt", 10, Old);
    Opts.ListUnMatchedFiles = true;
    AtFirstPollWhere([this] { return WalkingTheFirstFolder(); },
                     [this] {
                         TempTree::RemoveAll(S("gone"));
                         TempTree::RemoveAll(S("moved"));
                     });
    EXPECT_EQ(Run(), RunOutcome::Failed) << "their files were not synchronised";
    EXPECT_FALSE(Exists(D("gone")));
    EXPECT_EQ(ReadDst("keep/k.txt"), Tree.Pattern(10));
    // It was there when counted: a folder moved away meanwhile is not one to delete.
    ASSERT_EQ(Hooks.UnmatchedCalls.size(), 1u);
    EXPECT_EQ(Hooks.UnmatchedCalls[0].Unmatched, Items{});
    EXPECT_THAT(
        Messages(),
        UnorderedElementsAre(AllOf(StartsWith(S("gone")), HasSubstr(std::string(Msg::FolderReadFailed))),
                             StartsWith(S("moved"))));
    EXPECT_EQ(Host.LastStatus(), RunMsg::DoneWithMessages);
}

TEST_F(RunDriverTest, AnErrorInsideOneCopyFailsThatFileAndTheRunGoesOn)
{
    Tree.AddFile("src/big.bin", 3 * MiB, New);
    Tree.AddFile("src/small.txt", 10, New);
    Tree.AddFile("dst/big.bin", "old target", Old);
    // Throws at the first poll inside a copy, whichever file that is.
    AtFirstPollWhere([this] { return Engine.SkipFileEnabled; },
                     [] { throw std::runtime_error("out of luck"); });
    EXPECT_EQ(Run(), RunOutcome::Failed);
    EXPECT_EQ(ReadDst("big.bin"), "old target");
    EXPECT_EQ(ReadDst("small.txt"), Tree.Pattern(10));
    EXPECT_EQ(std::tie(Engine.Totals.FilesNotCopied, Engine.Totals.TotFilesAdded), std::make_tuple(1, 1));
    EXPECT_FALSE(Engine.SkipFileEnabled);
    EXPECT_EQ(Messages(),
              Strings{ProblemMessageLine(CopyMsg::CouldNotCopy, S("big.bin") + " (out of luck)")});
    EXPECT_TRUE(Tandemix::Test::TempNamesIn(Dst).empty());
}

// A batch list of folder pairs, each row applied to the window as the run reaches it.
class BatchHooks : public Test::RecordingHooks
{
public:
    std::vector<BatchRowFolders> Rows;
    int Current = 0;
    std::vector<bool> ActiveAtReturn;

    int BatchRowCount(RunContext&) override { return static_cast<int>(Rows.size()); }
    BatchRowFolders BatchRow(RunContext&, int row) override
    {
        return row >= 1 && row <= static_cast<int>(Rows.size()) ? Rows[row - 1] : BatchRowFolders{};
    }
    int BatchCurrentRow(RunContext&) override { return Current; }
    // The window goes back to row 1 once the run is over, not while it still counts as running.
    void ReturnToFirstBatchRow(RunContext& ctx) override { ActiveAtReturn.push_back(ctx.State.SyncActive); }
    int InitiateBatchItem(RunContext& ctx, int row) override
    {
        Current = row;
        ctx.Engine.Source.Folder = Rows[row - 1].Source;
        ctx.Engine.Target.Folder = Rows[row - 1].Target;
        return 0;
    }
};

TEST_F(RunDriverTest, ABatchRunSynchronisesEveryRowInTurn)
{
    Tree.AddFile("src/one.txt", 10, New);
    Tree.AddFile("src2/two.txt", 20, New);
    BatchHooks batch;
    batch.Reporter = &Report;
    batch.Rows = {{Src, Dst}, {Tree.AddFolder("src2"), Tree.AddFolder("dst2")}};
    Engine.Hooks = &batch;
    Opts.RunBatchList = true;
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(ReadDst("one.txt"), Tree.Pattern(10));
    EXPECT_EQ(Tree.ReadFile("dst2/two.txt"), Tree.Pattern(20));
    EXPECT_EQ(batch.UnmatchedCalls.size(), 2u) << "each row's unmatched items at its end";
    EXPECT_EQ(batch.ActiveAtReturn, std::vector<bool>{false});
}

// ---- What a run writes and counts -----------------------------------------------------------

TEST_F(RunDriverTest, TotalsLogAndReportsMatchTheTree)
{
    Tree.AddFile("src/n1.txt", 11, New);
    Tree.AddFile("src/n2.txt", 12, New);
    Tree.AddFile("src/u1.txt", 13, New);
    Tree.AddFile("dst/u1.txt", 3, Old);
    Tree.AddFile("src/same.txt", 14, Old);
    Tree.AddFile("dst/same.txt", 14, Old);
    Tree.AddFile("src/sub/n3.txt", 15, New);
    Tree.AddFile("src/sub/u2.txt", 16, New);
    Tree.AddFile("dst/sub/u2.txt", 1, Old);
    Opts.ExcludeString = "BAK";
    Opts.MaxFileSize = "0100"; // no limit, as its leading "0" says: the trailer must not show one
    Opts.MinFileSize = "10"; // every file is larger: none left out, and the trailer says so
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(Host.RunsFinished, 1);

    // The trailer below says the added, updated and checked counts.
    const RunTotals& t = Engine.Totals;
    EXPECT_EQ(std::tie(t.TotDirCount, t.TotFileCount, t.TotFileSize), std::make_tuple(2, 6, 81));
    EXPECT_EQ(ReadDst("sub/u2.txt"), Tree.Pattern(16));
    ASSERT_FALSE(Report.Logs.empty());
    EXPECT_EQ(Report.Logs.front().Kind, LogKind::OpenSyncLog);
    EXPECT_EQ(Report.Logs.back().Kind, LogKind::CloseSyncLog);
    EXPECT_EQ(SortedLog(LogKind::AddedFile),
              (Strings{"  Added: n1.txt    ", "  Added: n2.txt    ", "  Added: n3.txt    "}));
    EXPECT_EQ(SortedLog(LogKind::UpdatedFile), (Strings{"Updated: u1.txt    ", "Updated: u2.txt    "}));
    EXPECT_EQ(Opts.DateTo, 0u) << "an open-ended date range stays open for the next run";
    Options range = Opts;
    Strings expected{std::string(55, '-'),
                     "     " + SetSyncDateLabel(range, std::time(nullptr)).UseFileDatesLabel,
                     "   File Filters: *.*",
                     "File Exclusions: BAK",
                     "Exclude Files <  10",
                     "     2 Files updated.",
                     "     3 Files added.",
                     "     6 Files checked."};
    Strings summary = Report.LogTexts(LogKind::Summary);
    ASSERT_GE(summary.size(), expected.size());
    EXPECT_EQ(Strings(summary.end() - static_cast<std::ptrdiff_t>(expected.size()), summary.end()), expected);
    auto added = Report.EntriesIn(ReportCategory::Added);
    ASSERT_EQ(added.size(), 3u);
    for (const auto& e : added) {
        EXPECT_EQ(e.Kind + e.Path, "Add" + (e.Name == "n3.txt" ? D("sub/") : Dst + "/"));
    }
    auto updated = Report.EntriesIn(ReportCategory::Updated);
    ASSERT_EQ(updated.size(), 2u);
    for (const auto& e : updated) {
        EXPECT_EQ(std::tie(e.Kind, e.SizeText, e.Detail),
                  std::make_tuple("Update",
                                  e.Name == "u1.txt" ? "13" : "16",
                                  FileDateTimeText(*PackFileTime(New))));
    }
    EXPECT_EQ(std::tuple(Report.StoppedFlags, Host.LastStatus(), State.SyncActive),
              std::tuple(std::vector<bool>{false}, RunMsg::Done, false));

    // The folder and file counts add up over a session's runs; the others start afresh.
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(std::tie(t.TotDirCount, t.TotFileCount, t.FoldersSynced, t.TotFilesAdded, t.TotFileSize),
              std::make_tuple(4, 12, 2, 0, 81));
}

TEST_F(RunDriverTest, EmptyFilesAreCopiedLikeAnyOther)
{
    Tree.AddFile("src/e1", 0, New);
    Tree.AddFile("src/e2", 0, New);
    Tree.AddFile("dst/e2", 0, Old);
    // With no bytes to count, the folder gauge counts rows.
    std::vector<int> gauges;
    std::function<void()> watch = [&] {
        gauges.push_back(Engine.DirGauge);
        Host.OnNextPump(watch);
    };
    Host.OnNextPump(watch);
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_NE(std::find(gauges.begin(), gauges.end(), 50), gauges.end());
    EXPECT_EQ(*std::max_element(gauges.begin(), gauges.end()), 100);
    EXPECT_TRUE(Exists(D("e1")));
    EXPECT_EQ(std::tie(Engine.Totals.TotFilesAdded, Engine.Totals.TotFilesUpdated), std::make_tuple(1, 1));
}

TEST_F(RunDriverTest, AKindOfChangeSwitchedOffIsDecidedButNeitherCopiedNorCounted)
{
    for (bool add : {false, true}) {
        SCOPED_TRACE(add ? "updates off" : "adds off");
        const std::string pair = add ? "u/" : "a/";
        Tree.AddFile(pair + "src/new.txt", 10, New);
        Tree.AddFile(pair + "src/upd.txt", 20, New);
        Tree.AddFile(pair + "dst/upd.txt", "old", Old);
        Engine.Source.Folder = Tree.Path(pair + "src");
        Engine.Target.Folder = Tree.Path(pair + "dst");
        Opts.AddFilesOption = add;
        Opts.UpdateFilesOption = !add;
        Report.Logs.clear();
        EXPECT_EQ(Run(), RunOutcome::Completed);
        EXPECT_EQ(Tree.Exists(pair + "dst/new.txt"), add);
        EXPECT_EQ(Tree.ReadFile(pair + "dst/upd.txt") == "old", add);
        EXPECT_EQ(std::tie(Engine.Totals.TotFilesAdded, Engine.Totals.TotFilesUpdated),
                  std::make_tuple(add ? 1 : 0, add ? 0 : 1));
        EXPECT_EQ(Report.LogTexts(LogKind::AddedFile).size(), add ? 1u : 0u);
        EXPECT_EQ(Report.LogTexts(LogKind::UpdatedFile).size(), add ? 0u : 1u);
        EXPECT_EQ(Engine.TotalFilesCheckedValue, 2) << "both files are still decided";
    }
}

TEST_F(RunDriverTest, APreSyncReportLogsWhatItWouldDoAndChangesNothing)
{
    Tree.AddFile("src/new.txt", 10, New);
    Tree.AddFile("src/upd.txt", 20, New);
    Tree.AddFile("dst/upd.txt", "old", Old);
    Tree.AddFile("src/sub/deeper/deepest/deep.txt", 30, New);
    Opts.UseLogFile = false;
    EXPECT_EQ(PreReportButtonClick(Ctx), RunOutcome::Completed);
    EXPECT_EQ(std::tuple(Exists(D("new.txt")), ReadDst("upd.txt"), Exists(D("sub"))),
              std::tuple(false, "old", false));
    std::string need(CopyMsg::NeedToCreateFolder);
    EXPECT_EQ(Report.LogTexts(LogKind::FolderCreated),
              (Strings{need + D("sub"), need + D("sub/deeper"), need + D("sub/deeper/deepest")}))
        << "each folder once";
    ASSERT_FALSE(Report.Logs.empty());
    EXPECT_EQ(Report.Logs.front().Kind, LogKind::OpenPreSyncLog);
    EXPECT_EQ(Report.Logs.back().Kind, LogKind::ClosePreSyncLog);
    EXPECT_EQ(Report.LogOnAtOpen, std::vector<bool>{true}) << "the report is a log";
    EXPECT_FALSE(Opts.UseLogFile) << "the setting is put back";
    EXPECT_EQ(SortedLog(LogKind::AddedFile), (Strings{"    Add: deep.txt  ", "    Add: new.txt   "}));
    EXPECT_EQ(Report.LogTexts(LogKind::UpdatedFile), Strings{" Update: upd.txt   "});
    EXPECT_EQ(Report.EntriesIn(ReportCategory::Added).size(), 2u);
    EXPECT_EQ(std::tie(Engine.Totals.TotFilesAdded, Engine.Totals.TotFilesUpdated), std::make_tuple(2, 1));
    EXPECT_FALSE(Engine.PreReportRun);
    ASSERT_EQ(Hooks.UnmatchedCalls.size(), 1u);
    EXPECT_EQ(Hooks.UnmatchedCalls[0].Sender, RunSender::PreReportButton);

    // The real run afterwards does it all.
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(ReadDst("sub/deeper/deepest/deep.txt"), Tree.Pattern(30));
}

TEST_F(RunDriverTest, PreDeleteRunsAPassThatCopiesNothingThenTheCopyPass)
{
    Tree.AddFile("src/new.txt", 10, New);
    Tree.AddFile("dst/unmatched.txt", 10, Old);
    Opts.DeleteUnmatched = true;
    Opts.ListUnMatchedFiles = true;
    Opts.DeleteUnMatchPriorToSync = true;
    std::vector<bool> copiedAtHandOver;
    Hooks.OnDeleteUnmatched = [&] {
        copiedAtHandOver.push_back(Exists(D("new.txt")));
    };
    EXPECT_EQ(Run(), RunOutcome::Completed);
    ASSERT_EQ(Hooks.UnmatchedCalls.size(), 2u);
    EXPECT_EQ(std::tuple(Hooks.UnmatchedCalls[0].PreDeleteOption, Hooks.UnmatchedCalls[1].PreDeleteOption),
              std::tuple(true, false));
    EXPECT_EQ(copiedAtHandOver, (std::vector<bool>{false, true}));
    EXPECT_EQ(Hooks.UnmatchedCalls[0].Unmatched, (Items{{"unmatched.txt", Dst + "/"}}));
    EXPECT_TRUE(Opts.DeleteUnMatchPriorToSync) << "the option is on again afterwards";
    EXPECT_EQ(std::tuple(Report.LogTexts(LogKind::OpenSyncLog).size(),
                         Report.LogTexts(LogKind::CloseSyncLog).size()),
              std::tuple(2u, 2u));
    EXPECT_EQ(Report.LogTexts(LogKind::AddedFile), Strings{"  Added: new.txt   "})
        << "the first pass neither logs nor counts";
}

// A source folder or file that cannot be read leaves its target alone: the deletion of unmatched
// items must not take a folder whose source was not seen.
TEST_F(RunDriverTest, OnlyTargetItemsWithoutASourceSeenAreLeftUnmatched)
{
    Tree.AddFile("src/a.txt", 10, New);
    Tree.AddFile("dst/a.txt", 10, New);
    Tree.AddFile("dst/extra.txt", 10, Old);
    Tree.AddFile("src/sub/b.txt", 10, New);
    Tree.AddFile("dst/sub/b.txt", 10, New);
    Tree.AddFile("dst/sub/extra2.txt", 10, New);
    Tree.AddFolder("dst/orphan/inside");
    Tree.AddFile("src/locked.txt", 10, New);
    Tree.AddFile("src/locked/a.txt", 10, New);
    Tree.AddFile("dst/locked/a.txt", 10, New);
    Tree.AddFile("dst/locked/more/b.txt", 10, New);
    Tree.AddFile("src/open/c.txt", 10, New);
    Opts.ListUnMatchedFiles = true;
    ScopedFault fault(FaultPlan{FaultOp::Open, EACCES, "locked"});
    EXPECT_EQ(Run(), RunOutcome::Failed);
    EXPECT_EQ(std::tuple(ReadDst("open/c.txt"), Exists(D("locked.txt")), Engine.Totals.TotFilesAdded),
              std::tuple(Tree.Pattern(10), false, 1));
    // The next run lists them afresh.
    EXPECT_EQ(Run(), RunOutcome::Failed);
    ASSERT_EQ(Hooks.UnmatchedCalls.size(), 2u);
    Items expected{{"extra.txt", Dst + "/"}, {"extra2.txt", D("sub/")}, {"orphan", Dst + "/"}};
    EXPECT_EQ(Hooks.UnmatchedCalls[0].Unmatched, expected);
    EXPECT_EQ(Hooks.UnmatchedCalls[1].Unmatched, expected);
    EXPECT_FALSE(Hooks.UnmatchedCalls[0].SyncActive);
}

// ---- Stops, clicks and failures -------------------------------------------------------------------

// What the stopped copy leaves behind is CopyOneFileStops' to check.
TEST_F(RunDriverTest, AStopInTheMiddleOfACopyClosesTheRunAndHandsNothingOverForDeletion)
{
    Tree.AddFile("src/big.bin", 48 * MiB, New);
    Tree.AddFile("dst/big.bin", "the old content", Old);
    Tree.AddFile("dst/extra.txt", 3, Old);
    Opts.ListUnMatchedFiles = true;
    AtFirstPollWhere([this] { return Engine.FileGauge > 0 && Engine.FileGauge < 100; },
                     [this] { State.StopButtonClick(); });
    Host.QueueAnswer(DialogResult::Yes);
    EXPECT_EQ(Run(), RunOutcome::Stopped);
    EXPECT_EQ(Host.Questions.size(), 1u) << "the stop question, answered as queued";
    Strings summary = Report.LogTexts(LogKind::Summary);
    ASSERT_GE(summary.size(), 2u);
    EXPECT_EQ(summary.back(), "     1 Files checked.");
    EXPECT_EQ(Report.Logs.back().Kind, LogKind::CloseSyncLog);
    EXPECT_EQ(Report.StoppedFlags, std::vector<bool>{true});
    EXPECT_TRUE(Hooks.UnmatchedCalls.empty()) << "a stopped run deletes nothing";
    EXPECT_EQ(Report.UnMatchedClears, 1);
    EXPECT_EQ(std::tie(State.OperationState, State.BusyCount), std::make_tuple(0, 0));
    EXPECT_EQ(Host.ControlsEnabled, (std::vector<bool>{false, true})) << "the window is usable again";
    EXPECT_EQ(Host.LastStatus(), RunMsg::Done);
}

// A stop confirmed, or an error outside any copy, at the first poll of the walk: nothing was
// seen, so nothing is unmatched, and nobody pressed Stop after an error, yet the run did not complete.
TEST_F(RunDriverTest, ARunEndedBeforeTheFirstFolderCopiesNothingAndHandsNoUnmatchedItemsOver)
{
    Tree.AddFile("src/a/a.txt", 10, New);
    Tree.AddFile("src/b.txt", 10, New);
    Tree.AddFile("dst/extra.txt", 10, New);
    Opts.ListUnMatchedFiles = true;
    for (bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "stop" : "error");
        Report.StoppedFlags.clear();
        AtFirstPollWhere(
            [this] { return WalkingTheFirstFolder(); },
            [this, stop] { stop ? State.StopButtonClick() : throw std::runtime_error("out of luck"); });
        if (stop) {
            Host.QueueAnswer(DialogResult::Yes);
        }
        EXPECT_EQ(Run(), stop ? RunOutcome::Stopped : RunOutcome::Failed);
        EXPECT_EQ(Engine.Totals.TotDirCount, 0);
        EXPECT_FALSE(Exists(D("b.txt")) || Exists(D("a")));
        EXPECT_TRUE(Hooks.UnmatchedCalls.empty() && Engine.FolderQueue.empty() && !State.SyncActive);
        EXPECT_EQ(Report.StoppedFlags, std::vector<bool>{true});
    }
}

TEST_F(RunDriverTest, NoRunStartsWhileAnotherIsBusyOrRunning)
{
    Tree.AddFile("src/a.txt", 10, New);
    State.BusyCount = 1;
    EXPECT_EQ(Run(), RunOutcome::NotStarted);
    State.BusyCount = 0;
    Engine.RunGuard = true;
    EXPECT_EQ(Run(), RunOutcome::NotStarted);
    EXPECT_TRUE(Report.Logs.empty() && !Exists(D("a.txt")));

    Engine.RunGuard = false;
    std::vector<RunOutcome> inner;
    Host.OnNextPump([&] { inner.push_back(Run()); });
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(inner, std::vector<RunOutcome>{RunOutcome::NotStarted}) << "a second click is ignored";
    EXPECT_EQ(Report.LogTexts(LogKind::OpenSyncLog).size(), 1u);
    EXPECT_FALSE(Engine.RunGuard);
}

TEST_F(RunDriverTest, TheSubFolderTargetGetsTheSourceNameAndOneThatCannotBeMadeOrAMissingSourceEndsTheRun)
{
    Opts.CreateSubFolderOption = true;
    // source, target, where the file lands below the target ("" for the target itself)
    for (auto [from, to, landsIn] :
         {std::tuple{"s1/Photos", "t1/backup", "/Photos"}, {"s2/Photos", "t2/photos", ""}}) {
        SCOPED_TRACE(to);
        Tree.AddFile(std::string(from) + "/f.txt", 10, New);
        Engine.Source.Folder = Tree.Path(from);
        Engine.Target.Folder = Tree.AddFolder(to);
        EXPECT_EQ(Run(), RunOutcome::Completed);
        EXPECT_TRUE(Exists(Tree.Path(to) + landsIn + "/f.txt"));
        EXPECT_EQ(Engine.Target.Folder, Tree.Path(to)) << "the pane goes back to the folder it showed";
    }

    Engine.Target.Folder = Dst;
    Host.QueueAnswer(DialogResult::Ok);
    {
        ScopedFault fault(FaultPlan{FaultOp::MakeFolder, EACCES, "Photos"});
        EXPECT_EQ(Run(), RunOutcome::Failed);
    }
    ASSERT_EQ(Host.Questions.size(), 1u);
    EXPECT_EQ(Host.Questions[0].Text, std::string(RunMsg::CannotCreateChangeFolder) + D("Photos"));
    EXPECT_FALSE(Exists(D("Photos")));
    EXPECT_EQ(Report.LogTexts(LogKind::Summary).back(), "     0 Files checked.") << "nothing walked";

    Engine.Source.Folder = Tree.Path("no-such-folder");
    Opts.CreateSubFolderOption = false;
    Report.Logs.clear();
    EXPECT_EQ(Run(), RunOutcome::Failed);
    EXPECT_TRUE(Report.LogTexts(LogKind::AddedFile).empty());
}

} // namespace
} // namespace Tandemix
