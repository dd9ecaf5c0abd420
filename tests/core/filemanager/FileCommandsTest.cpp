// SPDX-License-Identifier: GPL-3.0-or-later
// The panes' file commands: the menu a right click prepares, deleting one or many files, and a
// file's details.
#include "filemanager/FileCommands.h"

#include "platform/FaultHook.h"
#include "support/CoreBundle.h"
#include "support/FileChecks.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

// Table rows name only the fields that matter to them.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

#include <cerrno>
#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

// 80 characters, the last of them two bytes long each: a cut counts characters.
const std::string LongName = std::string(70, 'n') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9.txt";
const std::string LongCut = std::string(70, 'n') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";

// Open File and the details are offered for one current file only; Delete whenever there is a
// current item.
TEST(PrepareFileMenuTest, CaptionsAndEnabledItemsFollowThePane)
{
    // The pane, the Open File caption, one file, the Delete caption.
    const std::tuple<const char*, PaneState, std::string, bool, std::string> rows[] = {
        {"OneProgram", {3, 1, true, "setup.exe"}, "Launch: setup.exe", true, "Delete File: setup.exe"},
        {"BatchInCapitals", {3, 1, true, "RUN.BAT"}, "Launch: RUN.BAT", true, "Delete File: RUN.BAT"},
        {"ExeInsideTheName", {1, 0, true, "a.exe.txt"}, "Launch: a.exe.txt", true, "Delete File: a.exe.txt"},
        {"ScriptIsViewed", {2, 1, true, "backup.sh"}, "View: backup.sh", true, "Delete File: backup.sh"},
        {"FourSelected", {9, 4, true, "notes.txt"}, "View: notes.txt", false, "Delete 4 Files"},
        {"TwoSelected", {2, 2, true, "setup.exe"}, "Launch: setup.exe", false, "Delete 2 Files"},
        {"EmptyPane", {0, 0, false, ""}, "Open File", false, "Delete File"},
        {"NoCurrentItem", {5, 0, false, ""}, "Open File", false, "Delete File"},
        {"LongNameCut", {1, 1, true, LongName}, "View: " + LongCut, true, "Delete File: " + LongCut},
    };
    for (const auto& [name, pane, openCaption, oneFile, deleteCaption] : rows) {
        SCOPED_TRACE(name);
        FileMenuState menu = PrepareFileMenu(pane);
        EXPECT_EQ(std::tie(menu.OpenFile1.Caption, menu.OpenFile1.Enabled), std::tie(openCaption, oneFile));
        EXPECT_EQ(std::tie(menu.DeleteFile1.Caption, menu.DeleteFile1.Enabled),
                  std::tie(deleteCaption, pane.HasCurrent));
        EXPECT_EQ(menu.ShowFileDetails1, oneFile);
        EXPECT_FALSE(menu.ExpandFolder1);
        PaneState archived = pane;
        archived.ViewCompressedEnabled = true;
        EXPECT_TRUE(PrepareFileMenu(archived).ExpandFolder1);
    }
}

class DeleteMultipleFilesTest : public ::testing::Test, protected Test::CoreBundle
{
protected:
    FileDeletion Request(std::vector<std::string> names)
    {
        FileDeletion request;
        request.PaneSide = Side::Target;
        request.Folder = Tree.Path("t");
        request.Current = names.empty() ? std::string() : names.front();
        request.Selected = std::move(names);
        request.PaneCount = static_cast<int>(request.Selected.size());
        return request;
    }
    std::vector<std::string> DeletedNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : Report.EntriesIn(ReportCategory::Deletions)) {
            EXPECT_EQ(entry.Kind, "File Deleted");
            EXPECT_EQ(entry.Path, Tree.Path("t") + "/");
            names.push_back(entry.Name);
        }
        return names;
    }

    TempTree Tree;
};

TEST_F(DeleteMultipleFilesTest, AReadOnlyFileGoesAfterTheOneQuestionAndALinkAsALink)
{
    Tree.AddFile("t/Locked.txt", "abc", ::Tandemix::Test::LocalTime(2001, 2, 3, 4, 5, 6), 0444);
    Host.QueueAnswer(DialogResult::Yes);
    EXPECT_EQ(DeleteMultipleFiles(Ctx, Request({"Locked.txt"})), 1);
    ASSERT_EQ(Host.Questions.size(), 1u);
    EXPECT_EQ(Host.Questions[0].Text, "Are you sure you want to delete \n\tFile: LOCKED.TXT\n\tAttr: ar");
    EXPECT_EQ(Host.Questions[0].Buttons, DialogButtons::YesNo);
    EXPECT_FALSE(Tree.Exists("t/Locked.txt"));
    EXPECT_EQ(DeletedNames(), std::vector<std::string>{"Locked.txt"});
    auto entry = Report.EntriesIn(ReportCategory::Deletions).front();
    EXPECT_EQ(std::tie(entry.SizeText, entry.Detail), std::tuple("3", "2/3/01 4:05:06 AM"));
    // The controls are locked for the walk and given back after it.
    EXPECT_EQ(Host.ControlsEnabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(std::tuple(State.SyncActive, State.BusyCount), std::tuple(false, 0));

    // A link goes as a link, and without asking when the caller says so.
    Tree.AddFile("elsewhere/keep.txt", "keep");
    Tree.AddSymlink("t/link.txt", Tree.Path("elsewhere/keep.txt"));
    FileDeletion request = Request({"link.txt"});
    request.Ask = false;
    EXPECT_EQ(DeleteMultipleFiles(Ctx, request), 1);
    EXPECT_EQ(Host.Questions.size(), 1u);
    EXPECT_FALSE(Tree.Exists("t/link.txt"));
    EXPECT_EQ(Tree.ReadFile("elsewhere/keep.txt"), "keep");
}

TEST_F(DeleteMultipleFilesTest, NoKeepsEveryFileAndAFileThatCannotGoIsReportedWhileTheOthersStillGo)
{
    for (const char* name : {"t/a.txt", "t/b.txt", "t/c.txt"}) {
        Tree.AddFile(name, "x");
    }
    Host.QueueAnswer(DialogResult::No);
    EXPECT_EQ(DeleteMultipleFiles(Ctx, Request({"a.txt", "b.txt", "c.txt"})), -1);
    ASSERT_EQ(Host.Questions.size(), 1u);
    EXPECT_EQ(Host.Questions[0].Text, "Are you sure you want to delete these 3 files?");
    EXPECT_EQ(::Tandemix::Test::SortedNamesIn(Tree.Path("t")),
              (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
    EXPECT_TRUE(Host.ControlsEnabled.empty());

    Host.QueueAnswer(DialogResult::Yes);
    Host.QueueAnswer(DialogResult::Ok);
    ScopedFault fault({.Op = FaultOp::Unlink, .Error = EACCES, .PathContains = "/b.txt"});
    EXPECT_EQ(DeleteMultipleFiles(Ctx, Request({"a.txt", "b.txt", "c.txt"})), 2);
    EXPECT_EQ(DeletedNames(), (std::vector<std::string>{"a.txt", "c.txt"}));
    EXPECT_TRUE(Tree.Exists("t/b.txt"));
    ASSERT_EQ(Host.Questions.size(), 3u);
    EXPECT_EQ(Host.Questions[2].Text.rfind("Could not Delete File:    " + Tree.Path("t/b.txt"), 0), 0u)
        << Host.Questions[2].Text;
    EXPECT_EQ(Host.UnusedAnswers(), 0u);
}

TEST_F(DeleteMultipleFilesTest, AStopEndsTheWalk)
{
    Tree.AddFile("t/a.txt", "1");
    Tree.AddFile("t/b.txt", "2");
    PumpEveryPoll();
    Host.QueueAnswer(DialogResult::Yes);
    Host.OnNextPump([this] { State.OperationState = 1; });
    Host.QueueAnswer(DialogResult::Yes); // "terminate the current operation?"
    EXPECT_EQ(DeleteMultipleFiles(Ctx, Request({"a.txt", "b.txt"})), 0);
    EXPECT_EQ(::Tandemix::Test::SortedNamesIn(Tree.Path("t")), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(DeleteMultipleFilesTest, AnArchiveViewHandsItsEntriesToTheArchiveAndAllSelectedTakesTheArchive)
{
    std::vector<std::string> handed;
    bool wholeArchive = false;
    ArchiveViewHooks hooks{[&](Side, const std::vector<std::string>& entries, bool all) {
        handed = entries;
        wholeArchive = all;
        return true;
    }};
    FileDeletion request = Request({"a.txt", "b.txt"});
    request.ArchiveView = true;
    request.Archive = &hooks;
    Host.QueueAnswer(DialogResult::Yes);
    EXPECT_EQ(DeleteMultipleFiles(Ctx, request), 2);
    EXPECT_EQ(handed, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_TRUE(wholeArchive);

    request.PaneCount = 5;
    Host.QueueAnswer(DialogResult::Yes);
    EXPECT_EQ(DeleteMultipleFiles(Ctx, request), 2);
    EXPECT_FALSE(wholeArchive);

    // Without the compression component nothing is deleted, and the user is told.
    request.Archive = nullptr;
    Host.QueueAnswer(DialogResult::Yes);
    Host.QueueAnswer(DialogResult::Ok);
    EXPECT_EQ(DeleteMultipleFiles(Ctx, request), 0);
    EXPECT_TRUE(Report.EntriesIn(ReportCategory::Deletions).empty());
}

TEST(FileDetailsTextTest, LinesAreSeparatedByCrAndTheCompressedSizeShowsOnlyWhenThere)
{
    TFileData file;
    file.FileName = "report.doc";
    file.FileSize = 2048;
    file.FileTime = (((2001 - 1980) << 9 | 2 << 5 | 3) << 16) | (14 << 11 | 5 << 5 | 3);
    file.AttrLetters = "arhsdv0123456789";
    std::string expected = "Detail File Information:             \r" + std::string(61, '-')
                           + "\rName: \treport.doc\rSize: \t2.00 KB\rDate: \t2/3/01\rTime: \t2:05:06 PM"
                             "\rAttr: \tarhsdv0123456";
    EXPECT_EQ(FileDetailsText(file), expected);
    file.CompressedSize = 0;
    EXPECT_EQ(FileDetailsText(file), expected);
    file.CompressedSize = 1024;
    EXPECT_EQ(FileDetailsText(file), expected + "\r\rCompressed Size: 1.00 KB");
}

} // namespace
} // namespace Tandemix
