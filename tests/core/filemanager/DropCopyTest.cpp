// SPDX-License-Identifier: GPL-3.0-or-later
// Drag-and-drop onto the target pane: the mode table, the questions, and the selected-files run
// (only the files dropped, never a sub-folder, its log like a run's, the settings back after).
#include "filemanager/DropCopy.h"

#include "support/CoreBundle.h"
#include "support/FileChecks.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

std::optional<bool> ViewOf(char c)
{
    return c == '-' ? std::nullopt : std::optional<bool>(c == 'y');
}

// Panes: one digit a field in DropPanes' order: source archive, target archive, source view
// checked/enabled, target view checked/enabled, compression on, compress (0) or expand (1).
// Then the mode, the compression and its way, and what the drop makes of the source and the
// target view: y, n, or - (left).
TEST(ChooseDropModeTest, TheFirstMatchingRuleWins)
{
    const std::tuple<const char*, std::string, std::string, bool, int, std::string> rows[] = {
        {"ArchiveOntoArchiveIsRefused", "11000000", "", false, 0, "--"},
        {"ArchiveOntoFolderExpands", "10000000", "EXPAND", true, 1, "y-"},
        {"FolderOntoArchiveCompresses", "01000001", "COMPRESS", true, 0, "-y"},
        {"SourceViewCheckedExpands", "00111100", "EXPAND", true, 1, "-n"},
        {"SourceViewCheckedButDisabledDoesNotCount", "00100000", "Synchronize", false, 0, "--"},
        {"TargetViewCheckedCompresses", "00001101", "COMPRESS", true, 0, "n-"},
        {"CompressWithoutTargetViewCompresses", "00000010", "COMPRESS", true, 0, "-y"},
        {"TargetViewOfferedButUnchecked", "00000110", "Synchronize", false, 0, "--"},
        {"SourceViewOfferedButUnchecked", "00010011", "Synchronize", false, 1, "--"},
        {"ExpandSelected", "00000011", "EXPAND", true, 1, "y-"},
        {"NothingCompressedSynchronizes", "00000000", "Synchronize", false, 0, "--"},
    };
    for (const auto& [name, panes, modeName, compression, way, views] : rows) {
        SCOPED_TRACE(name);
        auto on = [&panes](std::size_t field) {
            return panes[field] == '1';
        };
        DropMode mode = ChooseDropMode({on(0), on(1), on(2), on(3), on(4), on(5), on(6), panes[7] - '0'});
        EXPECT_EQ(mode.Mode, modeName);
        if (!modeName.empty()) {
            EXPECT_EQ(std::tie(mode.UseCompression, mode.CompressExpand), std::tuple(compression, way));
            EXPECT_EQ(mode.SourceViewCompressed, ViewOf(views[0]));
            EXPECT_EQ(mode.TargetViewCompressed, ViewOf(views[1]));
            EXPECT_FALSE(mode.TargetPaneRed);
        }
    }
}

// The questions' words are checked where a drop asks them; here only the cut of a long name.
TEST(DropQuestionsTest, AQuestionIsCutTo255Characters)
{
    std::string cut = DropFilesQuestion("Synchronize", 1, std::string(300, 'x'));
    EXPECT_EQ(cut.size(), 255u);
    EXPECT_TRUE(cut.starts_with("Are you sure you want to Synchronize Source file: xxx"));
}

class DropSelectedFilesTest : public ::testing::Test, protected Test::CoreBundle
{
protected:
    void SetUp() override
    {
        Tree.AddFile("src/a.txt", "aaa", ::Tandemix::Test::LocalTime(2020, 1, 1));
        Tree.AddFile("src/b.txt", "new b", ::Tandemix::Test::LocalTime(2020, 1, 2));
        Tree.AddFile("src/c.txt", "ccc", ::Tandemix::Test::LocalTime(2020, 1, 3));
        Tree.AddFile("src/sub/d.txt", "ddd");
        Tree.AddFile("dst/b.txt", "old b", ::Tandemix::Test::LocalTime(2019, 1, 1));
        Engine.Source.Folder = Tree.Path("src");
        Engine.Target.Folder = Tree.Path("dst");
        Opts.IncludeSubFolderOption = true;
        Opts.CreateSubFolderOption = true;
    }
    FileDrop Drop(std::vector<std::string> names)
    {
        FileDrop drop;
        drop.Current = names.empty() ? std::string() : names.front();
        drop.Selected = std::move(names);
        return drop;
    }

    TempTree Tree;
};

TEST_F(DropSelectedFilesTest, OnlyTheDroppedFilesGoAndNoSubFolderWhateverTheOptionSays)
{
    Host.QueueAnswer(DialogResult::Yes);
    EXPECT_TRUE(TargetFileListDragDrop(Ctx, Drop({"a.txt", "b.txt", "sub"})));
    ASSERT_EQ(Host.Questions.size(), 1u);
    EXPECT_EQ(Host.Questions[0].Text, "Are you sure you want to Synchronize the 3 selected Source files?");
    EXPECT_EQ(::Tandemix::Test::SortedNamesIn(Tree.Path("dst")),
              (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(Tree.ReadFile("dst/a.txt"), "aaa");
    EXPECT_EQ(Tree.ReadFile("dst/b.txt"), "new b");
    EXPECT_EQ(std::tuple(Opts.IncludeSubFolderOption, Opts.CreateSubFolderOption), std::tuple(true, true));
    EXPECT_EQ(Host.ControlsEnabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(std::tuple(Host.ElapsedTimerRunning, State.BusyCount, State.SyncActive),
              std::tuple(false, 0, false));
    EXPECT_EQ(Host.LastStatus(), "Ready");
    // The panes show the result.
    EXPECT_EQ(Engine.Target.Files.size(), 2u);
    // The log has its header and its summary, as a run's has; its file lines are the folder's
    // walk's, which whole runs check.
    ASSERT_FALSE(Report.Logs.empty());
    EXPECT_EQ(Report.Logs.front().Kind, LogKind::OpenSyncLog);
    EXPECT_EQ(Report.Logs.back().Kind, LogKind::CloseSyncLog);
    std::vector<std::string> summary = Report.LogTexts(LogKind::Summary);
    ASSERT_GE(summary.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(summary.end() - 4, summary.end()),
              (std::vector<std::string>{std::string(55, '-'),
                                        "     1 Files updated.",
                                        "     1 Files added.",
                                        "     2 Files checked."}));
}

TEST_F(DropSelectedFilesTest, DeleteUnmatchedRefusesEveryDropBeforeAnyQuestionAndABusyProgramIgnoresIt)
{
    Opts.DeleteUnmatched = true;
    Host.QueueAnswer(DialogResult::Ok);
    EXPECT_FALSE(TargetFileListDragDrop(Ctx, Drop({"a.txt"})));
    Host.QueueAnswer(DialogResult::Ok);
    EXPECT_FALSE(TargetFolderDrop(Ctx, Tree.Path("src"), {}, nullptr));
    const auto refusal =
        testing::Field(&::Tandemix::Test::ScriptedHost::Question::Text,
                       "Please disable the \"Delete Unmatched\" feature prior to drag-drop operation");
    EXPECT_THAT(Host.Questions, testing::ElementsAre(refusal, refusal));
    EXPECT_FALSE(Tree.Exists("dst/a.txt"));

    // While another operation runs a drop is ignored, silently.
    Opts.DeleteUnmatched = false;
    State.BusyCount = 1;
    EXPECT_FALSE(TargetFileListDragDrop(Ctx, Drop({"a.txt"})));
    EXPECT_EQ(Host.Questions.size(), 2u);
    EXPECT_FALSE(Tree.Exists("dst/a.txt"));
}

TEST_F(DropSelectedFilesTest, NoOrARefusalPutsTheCompressionSettingsBack)
{
    Opts.UseCompression = true;
    Opts.CompressExpand = 1;
    std::vector<int> cleared;
    DropHooks hooks{[&cleared] {
        cleared.push_back(1);
    }};
    FileDrop drop = Drop({"a.txt"});
    drop.Hooks = &hooks;
    drop.Panes.UseCompression = true;
    drop.Panes.CompressExpand = 1;
    Host.QueueAnswer(DialogResult::No);
    EXPECT_FALSE(TargetFileListDragDrop(Ctx, drop));
    EXPECT_EQ(Host.Questions.back().Text, "Are you sure you want to EXPAND Source file: a.txt?");
    EXPECT_EQ(cleared.size(), 1u); // a compressed drop starts with an empty list of files
    EXPECT_EQ(std::tuple(Opts.UseCompression, Opts.CompressExpand), std::tuple(true, 1));

    Opts.UseCompression = false;
    drop.Panes = DropPanes{.SourceArchiveView = true, .TargetArchiveView = true};
    Host.QueueAnswer(DialogResult::Ok);
    EXPECT_FALSE(TargetFileListDragDrop(Ctx, drop));
    EXPECT_TRUE(
        Host.Questions.back().Text.starts_with("You cannot synchronize compressed data to compressed data."));
    EXPECT_FALSE(Opts.UseCompression);
    EXPECT_FALSE(Tree.Exists("dst/a.txt"));
    EXPECT_EQ(Host.UnusedAnswers(), 0u);
}

TEST_F(DropSelectedFilesTest, AFolderDropRunsThatFolderWithItsSubFolders)
{
    Opts.CreateSubFolderOption = false;
    Host.QueueAnswer(DialogResult::Yes);
    EXPECT_TRUE(TargetFolderDrop(Ctx, Tree.Path("src"), {}, nullptr));
    EXPECT_EQ(Host.Questions[0].Text,
              "Are you sure you want to Synchronize folder " + Tree.Path("src") + " To " + Tree.Path("dst")
                  + "?");
    EXPECT_EQ(Tree.ReadFile("dst/c.txt"), "ccc");
    EXPECT_EQ(Tree.ReadFile("dst/sub/d.txt"), "ddd");
}

} // namespace
} // namespace Tandemix
