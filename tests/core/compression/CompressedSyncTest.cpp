// SPDX-License-Identifier: GPL-3.0-or-later
// Compressed runs end to end through the engine with the real zip libraries; archives are read
// back with python3's zipfile.
#include "compression/CompressedSync.h"

#include "compression/ArchiveCommands.h"
#include "core/compression/ZipReadBack.h"
#include "core/engine/RunFixture.h"
#include "engine/FileListing.h"
#include "reporting/ReportLists.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

namespace Tandemix {
namespace {

TEST(CompressedFolderNameTest, ArchiveLiesInItsFolderNamedAfterIt)
{
    const std::array<std::string, 3> rows[] = {{"/work/Docs", ".ZIP", "/work/Docs/Docs.ZIP"},
                                               {"/work/Docs/", ".zip", "/work/Docs/Docs.zip"},
                                               {"/a", ".Z", "/a/a.Z"},
                                               {"/", ".ZIP", "/ROOT_.ZIP"}};
    for (const auto& [folder, ext, archive] : rows) {
        EXPECT_EQ(CompressedFolderName(folder, ext), archive) << folder;
    }
}

using Test::EntriesOf;

class CompressedSyncTest : public Test::RunFixture
{
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        Zip.ZipControl.LibraryFolders = {TANDEMIX_ZIPLIBS_DIR};
        Engine.Hooks = &Zip;
        Opts.UseCompression = true;
        Tree.AddFile("src/a.txt", "alpha", Old);
    }

    std::string Archive() const { return Dst + "/dst.ZIP"; }
    // The next runs expand the target's archive into a plain folder "out".
    std::string ExpandIntoOut()
    {
        Opts.CompressExpand = 1;
        Engine.Source.Folder = Dst;
        return Engine.Target.Folder = Tree.AddFolder("out");
    }

    ReportLists Lists;
    CompressionHooks Zip{Lists};
};

TEST_F(CompressedSyncTest, CompressRunPutsDecidedFilesIntoTheTargetArchiveOnly)
{
    Tree.AddFile("src/b.txt", "bravo", Old);
    // A source file named like the target's archive is not put into it.
    Tree.AddFile("src/dst.ZIP", "not an archive", Old);
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(EntriesOf(Archive()), "a.txt b.txt");
    EXPECT_FALSE(Exists(D("a.txt")));
    EXPECT_EQ(Engine.Totals.TotFilesAdded, 2);
    EXPECT_TRUE(Zip.ZipControl.FilesToProcess.empty());

    // Nothing changed: the archive is left as it is.
    std::string before = Tree.ReadFile("dst/dst.ZIP");
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(Engine.Totals.TotFilesAdded + Engine.Totals.TotFilesUpdated, 0);
    EXPECT_EQ(Tree.ReadFile("dst/dst.ZIP"), before);

    // A newer source file replaces its entry.
    Tree.AddFile("src/b.txt", "bravo two", New);
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(Engine.Totals.TotFilesUpdated, 1);
}

TEST_F(CompressedSyncTest, ExpandRunTakesOnlyDecidedEntriesOut)
{
    Tree.AddFile("src/b.txt", "bravo", Old);
    ASSERT_EQ(Run(), RunOutcome::Completed);

    // Now the archive's folder is the source of an expanding run into a plain folder, where
    // a.txt is newer than its entry and must stay.
    ExpandIntoOut();
    Tree.AddFile("out/a.txt", "newer here", New);
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(Tree.ReadFile("out/a.txt"), "newer here");
    EXPECT_EQ(Tree.ReadFile("out/b.txt"), "bravo");
    EXPECT_EQ(Engine.Totals.TotFilesAdded, 1);

    // Nothing decided: nothing is extracted at all (an empty list would mean every entry).
    Tree.AddFile("out/b.txt", "changed here", New);
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(Tree.ReadFile("out/b.txt"), "changed here");
}

TEST_F(CompressedSyncTest, MissingLibrariesOrAnArchiveThatCannotBeWrittenFailTheRunAndSayWhy)
{
    Zip.ZipControl.LibraryFolders = {Tree.Path() + "/"};
    EXPECT_EQ(Run(), RunOutcome::Failed);
    EXPECT_THAT(Messages(), testing::ElementsAre(testing::HasSubstr("could not be loaded")));

    Zip.ZipControl.LibraryFolders = {TANDEMIX_ZIPLIBS_DIR};
    Tree.AddFile("dst/dst.ZIP", "this is no zip archive at all");
    EXPECT_EQ(Run(), RunOutcome::Failed);
    EXPECT_THAT(Messages(),
                testing::ElementsAre(testing::AllOf(testing::HasSubstr("Could Not Write Archive:"),
                                                    testing::HasSubstr("damaged"))));
    EXPECT_EQ(Tree.ReadFile("dst/dst.ZIP"), "this is no zip archive at all");
}

TEST_F(CompressedSyncTest, ArchiveViewListsEntriesThroughEveryIncludeMaskInOrder)
{
    Tree.AddFile("src/b.log", "bravo", Old);
    Tree.AddFile("src/c.dat", "charlie", Old);
    ASSERT_EQ(Run(), RunOutcome::Completed);
    Opts.UseCompression = false;
    Engine.Target.ViewCompressed = true;
    Opts.IncludeString = "*.log;*.txt";
    BuildFileListing(Ctx, Side::Target);
    auto entry = [](const char* name) {
        return testing::AllOf(testing::Field(&TFileData::FileName, name),
                              testing::Field(&TFileData::CompressedSize, testing::Gt(0)));
    };
    EXPECT_THAT(Engine.Target.Files, testing::ElementsAre(entry("b.log"), entry("a.txt")));
    EXPECT_TRUE(Engine.Target.ViewCompressedEnabled);
    EXPECT_EQ(Engine.Target.ByteTotal, 10);

    // Unchecked, the folder itself is listed again: only the archive lies there.
    Engine.Target.ViewCompressed = false;
    Opts.IncludeString = "*.*";
    BuildFileListing(Ctx, Side::Target);
    EXPECT_THAT(Engine.Target.Files, testing::ElementsAre(testing::Field(&TFileData::FileName, "dst.ZIP")));
}

TEST_F(CompressedSyncTest, EncryptedRunNeedsThePasswordToComeBack)
{
    Opts.PassWordName = "open sesame";
    ASSERT_EQ(Run(), RunOutcome::Completed);

    std::string out = ExpandIntoOut();
    Opts.PassWordName.clear();
    Opts.DisplayMessages = false; // the password question answers itself with Ignore
    EXPECT_EQ(Run(), RunOutcome::Failed);
    EXPECT_FALSE(Exists(out + "/a.txt"));
    EXPECT_THAT(Messages(), testing::Contains("File (a.txt) cannot be accessed.  Password is incorrect!"));

    Opts.PassWordName = "open sesame";
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(Tree.ReadFile("out/a.txt"), "alpha");
}

class ArchiveCommandsTest : public CompressedSyncTest
{
protected:
    void SetUp() override
    {
        CompressedSyncTest::SetUp();
        Opts.UseCompression = false; // the commands work with or without it
        Opts.IncludeSubFolderOption = true;
        Engine.Target.Folder = Dst;
        Tree.AddFile("dst/a.txt", "alpha", Old);
        Tree.AddFile("dst/sub/b.txt", "bravo", Old);
    }
};

TEST_F(ArchiveCommandsTest, CompressGivesEveryFolderItsOwnArchiveAndConsolidateRemovesWhatItHolds)
{
    Host.QueueAnswer(DialogResult::Yes);
    CompressFolder1Click(Ctx, Zip, Side::Target, false);
    EXPECT_EQ(Host.LastQuestion(),
              "Are you sure you want to Compress " + Dst + " and all of the sub-folders?");
    EXPECT_EQ(EntriesOf(Dst + "/dst.ZIP"), "a.txt");
    EXPECT_EQ(EntriesOf(Dst + "/sub/sub.ZIP"), "b.txt");
    EXPECT_TRUE(Exists(D("a.txt")));
    EXPECT_TRUE(Engine.Target.ViewCompressed); // the pane shows the archive afterwards
    EXPECT_EQ(Engine.Target.Folder, Dst);

    // Compressed again with consolidation: the archive is not put into itself, and the files it
    // holds leave the folders.
    Opts.IncludeSubFolderOption = false;
    Host.QueueAnswer(DialogResult::Yes);
    CompressFolder1Click(Ctx, Zip, Side::Target, true);
    EXPECT_EQ(Host.LastQuestion(), "Are you sure you want to Consolidate " + Dst + "?");
    EXPECT_EQ(EntriesOf(Dst + "/dst.ZIP"), "a.txt");
    EXPECT_FALSE(Exists(D("a.txt")));
    EXPECT_TRUE(Exists(D("sub/b.txt"))) << "sub-folders were not asked for";
}

TEST_F(ArchiveCommandsTest, ConsolidateKeepsEveryFileWhenTheArchiveCannotBeWritten)
{
    Tree.AddFile("dst/dst.ZIP", "damaged");
    Opts.IncludeSubFolderOption = false;
    Host.QueueAnswer(DialogResult::Yes);
    CompressFolder1Click(Ctx, Zip, Side::Target, true);
    EXPECT_TRUE(Exists(D("a.txt")));
    EXPECT_EQ(Tree.ReadFile("dst/dst.ZIP"), "damaged");
}

TEST_F(ArchiveCommandsTest, ExpandTakesEachSubFoldersArchiveIntoThatSubFolder)
{
    Host.QueueAnswer(DialogResult::Yes);
    CompressFolder1Click(Ctx, Zip, Side::Target, false);
    ::unlink(D("a.txt").c_str());
    ::unlink(D("sub/b.txt").c_str());

    Host.QueueAnswer(DialogResult::No);
    ExpandFolder1Click(Ctx, Zip, Side::Target);
    EXPECT_FALSE(Exists(D("a.txt")));

    Host.QueueAnswer(DialogResult::Yes);
    ExpandFolder1Click(Ctx, Zip, Side::Target);
    EXPECT_EQ(Host.LastQuestion(),
              "Are you sure you want to Expand the compressed folder: " + Dst
                  + " and all of the sub-folders?");
    EXPECT_EQ(ReadDst("a.txt"), "alpha");
    EXPECT_EQ(ReadDst("sub/b.txt"), "bravo");
    EXPECT_FALSE(Exists(D("b.txt")));
    EXPECT_FALSE(Engine.Target.ViewCompressed);
}

} // namespace
} // namespace Tandemix
