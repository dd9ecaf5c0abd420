// SPDX-License-Identifier: GPL-3.0-or-later
// Whole runs with "Delete Unmatched" over real folders: what goes, what stays, and every guard
// that keeps a run from deleting what the user still has.
#include "unmatched/DeleteUnmatched.h"

#include "core/unmatched/UnmatchedRun.h"
#include "engine/DateFilter.h"
#include "engine/FileFilters.h"
#include "platform/FaultHook.h"
#include "platform/Mounts.h"
#include "platform/WallClock.h"
#include "support/TempTree.h"
#include "unmatched/UnmatchedHooks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

class DeleteUnmatchedTest : public Test::UnmatchedRun<UnmatchedHooks>
{
protected:
    bool Has(const std::string& rel) const { return Tree.Exists(rel); }
    void TargetFiles(int count)
    {
        for (int n = 0; n < count; ++n) {
            Tree.AddFile("dst/extra" + std::to_string(n) + ".txt", "x");
        }
    }
};

TEST_F(DeleteUnmatchedTest, WhatTheSourceLacksGoesAsItIsAndLinksNeverLeadOut)
{
    for (const char* matched : {"src/keep.txt", "src/sub/kept.txt", "dst/keep.txt", "dst/sub/kept.txt"}) {
        Tree.AddFile(matched, "k", 1'600'000'000);
    }
    Tree.AddFile("dst/sub/stale.txt", "s");
    Tree.AddFile("dst/locked.txt", "r", {}, 0444);
    Tree.AddFile("dst/.hidden", "h");
    Tree.AddFile("dst/old/deep/er.txt", "o");
    Tree.AddFile("elsewhere/precious.txt", "p");
    Tree.AddSymlink("dst/link-to-file", Tree.Path("elsewhere/precious.txt"));
    Tree.AddSymlink("dst/linked-folder", Tree.Path("elsewhere"));

    EXPECT_EQ(Run(), RunOutcome::Completed);
    for (const char* gone :
         {"dst/sub/stale.txt", "dst/locked.txt", "dst/.hidden", "dst/old", "dst/link-to-file"}) {
        EXPECT_FALSE(Has(gone)) << gone;
    }
    for (const char* kept : {"dst/keep.txt", "dst/sub/kept.txt", "elsewhere/precious.txt"}) {
        EXPECT_TRUE(Has(kept)) << kept;
    }
    // A link to a folder lists as a file: it goes as a link, and what it pointed at stays whole.
    EXPECT_FALSE(Has("dst/linked-folder"));
    EXPECT_TRUE(Lines(ReportCategory::UnMatched).empty());
    EXPECT_THAT(Lines(ReportCategory::Deletions), testing::Contains(testing::StartsWith("er.txt")))
        << "the files inside a deleted folder are filed one by one";
    EXPECT_TRUE(Host.Countdowns.empty()); // delay 0: no countdown
}

TEST_F(DeleteUnmatchedTest, TheCountdownDecidesAPreSyncReportDeletesNothingAndAPreDeletingRunDeletesFirst)
{
    Tree.AddFile("src/a.txt", "a");
    Tree.AddFile("dst/a.txt", "a");
    Tree.AddFile("dst/stale.txt", "s");
    Opts.DeleteUnmatchedWarningDelay = 10;

    Host.Answer = CountdownAnswer::Cancel;
    Run();
    EXPECT_TRUE(Has("dst/stale.txt"));
    EXPECT_EQ(Host.Countdowns, (std::vector<std::pair<int, std::size_t>>{{10, 1}}));
    EXPECT_EQ(Lines(ReportCategory::UnMatched).size(), 1u); // Cancel leaves the list as it was

    Host.Answer = CountdownAnswer::Manual;
    Run();
    EXPECT_TRUE(Has("dst/stale.txt"));
    EXPECT_EQ(Host.ShownSelected, 1);

    Run(RunSender::PreReportButton);
    EXPECT_TRUE(Has("dst/stale.txt"));
    EXPECT_EQ(Host.Countdowns.size(), 2u); // a pre-sync report never gets as far as asking

    Host.Answer = CountdownAnswer::Delete;
    Run();
    EXPECT_FALSE(Has("dst/stale.txt"));

    // A pre-deleting run deletes, then copies.
    Tree.AddFile("src/new.txt", "n");
    Tree.AddFile("dst/stale.txt", "s");
    Opts.DeleteUnMatchPriorToSync = true;
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_FALSE(Has("dst/stale.txt"));
    EXPECT_TRUE(Has("dst/new.txt"));
}

TEST_F(DeleteUnmatchedTest, GuardsHoldTheDeletionBackUnlessTheUserInsists)
{
    // Unattended nobody is asked; in the window the user says no or insists.
    for (DialogResult answer : {DialogResult::None, DialogResult::No, DialogResult::Yes}) {
        SCOPED_TRACE(static_cast<int>(answer));
        // More than half of the target's files and at least ten.
        Tree.AddFile("src/one.txt", "1");
        Tree.AddFile("dst/one.txt", "1");
        TargetFiles(12);
        Host.Watched = answer != DialogResult::None;
        if (Host.Watched) {
            Host.QueueAnswer(answer);
        }
        const bool deleted = answer == DialogResult::Yes;
        RunOutcome outcome = Run();
        EXPECT_EQ(Has("dst/extra0.txt"), !deleted);
        EXPECT_EQ(outcome, deleted ? RunOutcome::Completed : RunOutcome::Failed);
        if (!deleted) {
            EXPECT_TRUE(MessageSays("more than half of the target's files: 12 files of 13"));
        }
    }
    // Switched off by whoever means it.
    TargetFiles(12);
    Opts.MassDeletionGuard = false;
    Host.Watched = false;
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_FALSE(Has("dst/extra0.txt"));

    // An empty source is how an unmounted drive looks: held back for that reason of its own.
    TempTree::RemoveAll(Src + "/one.txt");
    EXPECT_EQ(Run(), RunOutcome::Failed);
    EXPECT_TRUE(Has("dst/one.txt"));
    EXPECT_TRUE(MessageSays("the source folder is empty while the target is not"));
}

TEST_F(DeleteUnmatchedTest, TheRecoveryFolderKeepsEveryFileAndIsNeverDeleted)
{
    Tree.AddFile("src/a.txt", "a");
    Tree.AddFile("dst/a.txt", "a");
    Tree.AddFile("dst/report.txt", "first");
    Tree.AddFile("dst/old/report.txt", "second");
    Tree.AddFolder("dst/Recovered");
    Opts.RecoverDelFilesFolder = Tree.Path("dst/Recovered") + "/";
    Opts.MassDeletionGuard = false;
    Run();
    EXPECT_FALSE(Has("dst/report.txt"));
    EXPECT_FALSE(Has("dst/old"));
    EXPECT_TRUE(Lines(ReportCategory::UnMatched).empty()); // the recovery folder is no candidate
    // The same bare name twice: the second is kept under a name of its own, nothing overwritten.
    EXPECT_EQ(
        std::set({Tree.ReadFile("dst/Recovered/report.txt"), Tree.ReadFile("dst/Recovered/report (2).txt")}),
        std::set<std::string>({"first", "second"}));

    // And across runs: a third one never replaces either.
    Tree.AddFile("dst/report.txt", "third");
    Run();
    EXPECT_EQ(Tree.ReadFile("dst/Recovered/report (3).txt"), "third");
    EXPECT_TRUE(Has("dst/Recovered/report.txt"));

    // A source folder of its name is never copied into it.
    Tree.AddFile("src/Recovered/new.txt", "n");
    Run();
    EXPECT_FALSE(Has("dst/Recovered/new.txt"));

    // Inside the source it is never walked, so what it keeps is not copied back to the target.
    Tree.AddFile("src/Kept/earlier.txt", "e");
    Opts.RecoverDelFilesFolder = Tree.Path("src/Kept") + "/";
    Run();
    EXPECT_FALSE(Has("dst/Kept"));
}

TEST_F(DeleteUnmatchedTest, ReplicationCopiesWhatEveryFilterWouldLeaveOutAndMirrorsTheSource)
{
    Tree.AddFile(".profile", "not part of it");
    Tree.AddFile("src/.hidden", "h");
    Tree.AddFile("src/ancient.txt", "a", 315'600'000); // 1980, outside the range below
    Tree.AddFile("src/notes.bak", "b");
    Tree.AddFile("src/sub/deep.doc", "d");
    Tree.AddFile("dst/only-here.txt", "o");
    Tree.AddFile("dst/gone/x.txt", "x");
    Opts.CheckHidden = false;
    Opts.IncludeString = "*.*";
    Opts.ExcludeString = "bak";
    UpdateExcludeList(Ctx, true);
    Opts.PastDaysCount = "1";
    UseDatesNoDaysClick(Opts, Now());
    // The filters hold without replication...
    Opts.DeleteUnmatched = false;
    Run();
    EXPECT_FALSE(Has("dst/.hidden") || Has("dst/ancient.txt") || Has("dst/notes.bak"));
    EXPECT_TRUE(Has("dst/only-here.txt"));
    // ...and replication ignores every one of them.
    Opts.DeleteUnmatched = true;
    Opts.ReplicateFolders = true;
    Reporter.ClearReports();
    EXPECT_EQ(Run(), RunOutcome::Completed);
    for (const char* copied : {"dst/.hidden", "dst/ancient.txt", "dst/notes.bak", "dst/sub/deep.doc"}) {
        EXPECT_TRUE(Has(copied)) << copied;
    }
    EXPECT_FALSE(Has("dst/only-here.txt") || Has("dst/gone"));
    EXPECT_TRUE(Lines(ReportCategory::Excluded).empty());
}

TEST_F(DeleteUnmatchedTest, ARecoveryFolderOnAnotherFileSystemKeepsTheOriginalUntilItsCopyIsWhole)
{
    char shm[] = "/dev/shm/tandemix-recovery-XXXXXX";
    struct stat here, there;
    if (::mkdtemp(shm) == nullptr || ::stat(shm, &there) != 0 || ::stat(Dst.c_str(), &here) != 0
        || here.st_dev == there.st_dev) {
        GTEST_SKIP() << "no second file system in /dev/shm to recover into";
    }
    const std::string recovery = std::string(shm) + "/";
    Tree.AddFile("src/a.txt", "a");
    Tree.AddFile("dst/a.txt", "a");
    Tree.AddFile("dst/big.bin", 300'000);
    Tree.AddFile("dst/small.txt", "s");
    Opts.RecoverDelFilesFolder = recovery;
    {
        // The recovery file system fills up in the middle of the copy.
        ScopedFault full(
            {.Op = FaultOp::Write, .Error = ENOSPC, .PathContains = "big.bin", .AfterBytes = 1000});
        Run();
    }
    EXPECT_EQ(Tree.ReadFile("dst/big.bin"), TempTree::Pattern(300'000));
    EXPECT_FALSE(Has("dst/small.txt"));
    EXPECT_EQ(::access((recovery + "big.bin").c_str(), F_OK), -1);
    EXPECT_EQ(::access((recovery + "small.txt").c_str(), F_OK), 0);
    EXPECT_TRUE(MessageSays("Could Not Move To Recovery Folder:"));
    Run(); // room again: now it moves, whole
    EXPECT_FALSE(Has("dst/big.bin"));
    TempTree::RemoveAll(shm);
}

// Lines of a loaded report file are read back field by field; one that cannot be read whole
// stops the whole selection.
TEST(ItemsOfLinesTest, OnlyLinesThatReadBackWholeNameTheirFile)
{
    ReportLists lists;
    const std::string good = "report.doc                  \t     100\t7/22/97 10:01:44 AM \t/data/docs/";
    const std::string folder = "old                         \t       0\tFolder------------- \t/data/";
    std::optional<std::vector<UnmatchedItem>> read =
        ItemsOfLines(lists, ReportCategory::UnMatched, {good, folder});
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(std::tuple((*read)[0].Folder + (*read)[0].Name, (*read)[0].SizeText, (*read)[0].IsFolder),
              std::tuple("/data/docs/report.doc", "100", false));
    EXPECT_TRUE((*read)[1].IsFolder);
    for (const std::string& damaged : {std::string("odd\tname.doc\t1\tdate\t/data/"),
                                       std::string("report.doc\tmany\tdate\t/data/"),
                                       std::string("report.doc\t1\tdate\tdata/"),
                                       std::string("sub/report.doc\t1\tdate\t/data/"),
                                       std::string("report.doc\t1\t/data/")}) {
        EXPECT_FALSE(ItemsOfLines(lists, ReportCategory::Added, {good, damaged}).has_value()) << damaged;
    }
}

TEST(UnmountedMountPointTest, AFolderOfTheSystemTableWithNothingMountedIsNoSource)
{
    const std::string fstab = "# static table\n"
                              "UUID=1 / ext4 defaults 0 1\n"
                              "UUID=2 none swap sw 0 0\n"
                              "/dev/sdb1 /mnt/backup\\040disk ext4 noauto 0 2\n"
                              "server:/export /srv/share nfs4 defaults 0 0\n";
    const std::vector<MountInfo> mounted = {{"/", "ext4", "/dev/sda1"},
                                            {"/srv/share", "nfs4", "server:/export"}};
    EXPECT_TRUE(IsUnmountedMountPoint("/mnt/backup disk", fstab, mounted));
    EXPECT_TRUE(IsUnmountedMountPoint("/mnt/backup disk/photos", fstab, mounted));
    EXPECT_FALSE(IsUnmountedMountPoint("/mnt/backup", fstab, mounted));
    EXPECT_FALSE(IsUnmountedMountPoint("/srv/share/docs", fstab, mounted));
    EXPECT_FALSE(IsUnmountedMountPoint("/home/ann", fstab, mounted)); // "/" never counts
}

} // namespace
} // namespace Tandemix
