// SPDX-License-Identifier: GPL-3.0-or-later
// The folder trees' commands: delete a folder (never a drive, never outside it), rename one,
// make the one chosen in "Create Folder".
#include "filemanager/FolderCommands.h"

#include "platform/FaultHook.h"
#include "support/CoreBundle.h"
#include "support/TempTree.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

class DeleteLocalDirTest : public ::testing::Test, protected Test::CoreBundle
{
protected:
    void SetUp() override
    {
        Tree.AddFile("outside/keep.txt", "keep");
        Tree.AddFile("doomed/a.txt", "aa");
        Tree.AddFile("doomed/sub/b.txt", "b", {}, 0444);
        Tree.AddFolder("doomed/sub/locked", 0555);
        Tree.AddSymlink("doomed/sub/out", Tree.Path("outside"));
        Tree.AddSymlink("doomed/file-link", Tree.Path("outside/keep.txt"));
        Engine.Source.Folder = Tree.Path("doomed");
        Engine.Target.Folder = Tree.Path("outside");
    }
    TempTree Tree;
};

TEST_F(DeleteLocalDirTest, DrivesAreNeverDeletedNorAskedAbout)
{
    for (const std::string& root :
         {std::string("/"), std::string("/proc"), Tree.Path("home"), Tree.Path("home/")}) {
        Tree.AddFolder("home");
        EXPECT_EQ(DeleteLocalDir(Ctx, root, Tree.Path("home")), FolderDeletion::NotAllowed) << root;
    }
    EXPECT_TRUE(Host.Questions.empty());
    EXPECT_TRUE(Tree.Exists("home"));
}

TEST_F(DeleteLocalDirTest, NoKeepsEverythingAndYesDeletesTheWholeTreeButNothingALinkPointsAt)
{
    Host.QueueAnswer(DialogResult::No);
    EXPECT_EQ(DeleteLocalDir(Ctx, Tree.Path("doomed"), ""), FolderDeletion::Declined);
    EXPECT_TRUE(Tree.Exists("doomed/sub/b.txt"));
    EXPECT_TRUE(Host.ControlsEnabled.empty());

    Host.QueueAnswer(DialogResult::Yes);
    EXPECT_EQ(DeleteLocalDir(Ctx, Tree.Path("doomed"), "/nowhere"), FolderDeletion::Deleted);
    ASSERT_EQ(Host.Questions.size(), 2u);
    EXPECT_EQ(Host.Questions[1].Text,
              "Are you sure you want to delete:\nFolder: " + Tree.Path("doomed")
                  + "\nand all of its contents?");
    EXPECT_FALSE(Tree.Exists("doomed"));
    EXPECT_EQ(Tree.ReadFile("outside/keep.txt"), "keep");
    std::vector<std::string> filed;
    for (const auto& entry : Report.EntriesIn(ReportCategory::Deletions)) {
        filed.push_back(entry.Kind + " " + entry.Path + entry.Name);
    }
    const std::string doomed = Tree.Path("doomed") + "/";
    EXPECT_THAT(filed,
                testing::IsSupersetOf({"File Deleted " + doomed + "a.txt",
                                       "File Deleted " + doomed + "sub/b.txt",
                                       "Folder Deleted " + doomed + "sub/locked",
                                       "Folder Deleted " + doomed + "sub"}));
    EXPECT_EQ(Host.ControlsEnabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(std::tuple(State.SyncActive, State.BusyCount), std::tuple(false, 0));

    // A link shown among the folders goes as a link.
    Tree.AddSymlink("linked", Tree.Path("outside"));
    Host.QueueAnswer(DialogResult::Yes);
    EXPECT_EQ(DeleteLocalDir(Ctx, Tree.Path("linked"), ""), FolderDeletion::Deleted);
    EXPECT_FALSE(Tree.Exists("linked"));
    EXPECT_EQ(Tree.ReadFile("outside/keep.txt"), "keep");
}

TEST_F(DeleteLocalDirTest, FilesGoToTheRecoveryFolderAndTheRecoveryFolderItselfIsErased)
{
    Tree.AddFile("recovery/kept/old.txt", "old");
    Opts.RecoverDelFilesFolder = Tree.Path("recovery") + "/";
    Host.QueueAnswer(DialogResult::Yes);
    EXPECT_EQ(DeleteLocalDir(Ctx, Tree.Path("doomed"), ""), FolderDeletion::Deleted);
    EXPECT_EQ(Tree.ReadFile("recovery/a.txt"), "aa");
    EXPECT_EQ(Tree.ReadFile("recovery/b.txt"), "b");

    Host.QueueAnswer(DialogResult::Yes);
    EXPECT_EQ(DeleteLocalDir(Ctx, Tree.Path("recovery/kept"), ""), FolderDeletion::Deleted);
    EXPECT_FALSE(Tree.Exists("recovery/kept"));
    EXPECT_FALSE(Tree.Exists("recovery/old.txt"));
    Host.QueueAnswer(DialogResult::Yes);
    EXPECT_EQ(DeleteLocalDir(Ctx, Tree.Path("recovery"), ""), FolderDeletion::Deleted);
    EXPECT_FALSE(Tree.Exists("recovery"));
}

TEST_F(DeleteLocalDirTest, AFolderThatCannotBeRemovedIsReportedAndTheDeletedFilesStayDeleted)
{
    Opts.DisplayMessages = false;
    Host.QueueAnswer(DialogResult::Yes);
    ScopedFault fault({.Op = FaultOp::RemoveFolder, .Error = EBUSY, .PathContains = "doomed"});
    EXPECT_EQ(DeleteLocalDir(Ctx, Tree.Path("doomed"), ""), FolderDeletion::Failed);
    EXPECT_TRUE(Tree.Exists("doomed"));
    EXPECT_FALSE(Tree.Exists("doomed/a.txt"));
    EXPECT_FALSE(Messages().empty());
}

TEST(RenameDirectoryTest, RenamesOnlyToAFreeNameInTheSameFolder)
{
    using enum FolderRename;
    using Names = std::vector<std::string>;
    // The new name, the result, the entries there and not there afterwards; Failed shows an error.
    const std::tuple<std::string, FolderRename, Names, Names> rows[] = {
        {"Photos", Unchanged, {"Photos/p.jpg"}, {}},
        {"", Unchanged, {"Photos/p.jpg"}, {}},
        {"Pictures", Renamed, {"Pictures/p.jpg"}, {"Photos"}},
        {"photos", Renamed, {"photos/p.jpg"}, {"Photos"}}, // a case-only rename is a real one
        {"Music", Unchanged, {"Photos/p.jpg", "Music/m.mp3"}, {}}, // a taken name is left alone
        {"Music/Photos", Failed, {"Photos/p.jpg"}, {"Music/Photos"}}, // a slash would move it
        {"..", Failed, {"Photos/p.jpg"}, {}},
    };
    for (const auto& [newName, result, present, absent] : rows) {
        SCOPED_TRACE(newName);
        ::Tandemix::Test::CoreBundle core;
        TempTree tree;
        tree.AddFile("Photos/p.jpg", "p");
        tree.AddFile("Music/m.mp3", "m");
        if (result == Failed) {
            core.Host.QueueAnswer(DialogResult::Ok);
        }
        EXPECT_EQ(RenameDirectory(core.Ctx, tree.Root(), "Photos", newName), result);
        const auto exists = testing::Truly([&tree](const std::string& entry) { return tree.Exists(entry); });
        EXPECT_THAT(present, testing::Each(exists));
        EXPECT_THAT(absent, testing::Each(testing::Not(exists)));
        EXPECT_EQ(core.Host.Questions.size(), result == Failed ? 1u : 0u);
        EXPECT_EQ(core.Host.LastQuestion(), result == Failed ? "Error renaming directory!" : "");
    }
}

TEST(CreateChosenFolderTest, MakesTheMissingLevelsAndReportsWhatCannotBeMade)
{
    ::Tandemix::Test::CoreBundle core;
    TempTree tree;
    tree.AddFile("file", "x");
    EXPECT_TRUE(CreateChosenFolder(core.Ctx, tree.Path("new/deeper/deepest")));
    EXPECT_TRUE(tree.Exists("new/deeper/deepest"));
    EXPECT_TRUE(CreateChosenFolder(core.Ctx, tree.Path("new")));
    core.Opts.DisplayMessages = false;
    EXPECT_FALSE(CreateChosenFolder(core.Ctx, tree.Path("file/inside")));
    ASSERT_EQ(core.Messages().size(), 1u);
    EXPECT_EQ(core.Messages()[0].rfind("Could not create folder: " + tree.Path("file/inside"), 0), 0u);
}

} // namespace
} // namespace Tandemix
