// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CreateFolderPath.h"

#include "engine/CopyMessages.h"
#include "engine/ShowError.h"
#include "platform/FaultHook.h"
#include "platform/Mounts.h"
#include "support/CoreBundle.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <cerrno>

namespace Tandemix {
namespace {

class CreateFolderPathTest : public ::testing::Test, public Test::CoreBundle
{
protected:
    std::vector<std::string> Prefixed(std::string_view label, const std::vector<std::string>& rels) const
    {
        std::vector<std::string> lines;
        for (const std::string& rel : rels) {
            lines.push_back(std::string(label) + Tree.Path(rel));
        }
        return lines;
    }

    std::vector<std::string> Paths(const std::vector<std::string>& rels) const { return Prefixed("", rels); }

    // The log lines of a folder that could not be made and of the one asked for below it.
    std::vector<std::string> Failures(const std::string& made, const std::string& asked) const
    {
        return {std::string(CopyMsg::CouldNotCreateFolder) + Tree.Path(made),
                std::string(CopyMsg::CouldNotCreateGoto) + Tree.Path(asked)};
    }

    std::vector<std::string> UnreachableMessages(const std::string& rel) const
    {
        return {PadRight(CopyMsg::PossibleDisconnected, 26) + MountPointOf(Tree.Path(rel)),
                PadRight(CopyMsg::CouldNotCreateGoto, 26) + Tree.Path(rel)};
    }

    TempTree Tree;
};

TEST_F(CreateFolderPathTest, MissingLevelsAreCreatedTopDownAndLoggedAnExistingFolderIsLeft)
{
    Tree.AddFolder("base");
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base/one/two/three")), FolderResult::Created);
    // Redundant separators name the same folder.
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base//new/")), FolderResult::Created);
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base/one")), FolderResult::Exists);
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base/one") + "/"), FolderResult::Exists);
    EXPECT_TRUE(Tree.Exists("base/one/two/three") && Tree.Exists("base/new"));
    std::vector<std::string> levels = {"base/one", "base/one/two", "base/one/two/three", "base/new"};
    EXPECT_EQ(Report.LogTexts(LogKind::FolderCreated), Prefixed(CopyMsg::CreatingFolder, levels));
    EXPECT_EQ(Report.Logs.size(), 4u);
    EXPECT_EQ(Engine.DirDelList, Paths(levels)) << "listed in creation order, so removal can go bottom-up";
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CreateFolderPathTest, PreSyncReportCreatesNothingAndSaysOnceWhatItWouldCreate)
{
    Engine.PreReportRun = true;
    Tree.AddFolder("base");
    // As the walk asks: each folder of a missing tree in turn, parents first.
    for (const char* rel : {"base/one", "base/one/two", "base/one/two/three", "base/one/two/3b"}) {
        EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path(rel)), FolderResult::WouldCreate) << rel;
    }
    EXPECT_FALSE(Tree.Exists("base/one"));
    EXPECT_EQ(Report.LogTexts(LogKind::FolderCreated),
              Prefixed(CopyMsg::NeedToCreateFolder,
                       {"base/one", "base/one/two", "base/one/two/three", "base/one/two/3b"}));
    EXPECT_TRUE(Engine.DirDelList.empty());

    Tree.AddFolder("base/real");
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base/real")), FolderResult::Exists);
}

TEST_F(CreateFolderPathTest, FolderThatCannotBeMadeIsReportedAndSkipped)
{
    Tree.AddFolder("base");
    ScopedFault refuse(FaultPlan{FaultOp::MakeFolder, EACCES, "/sub"});
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base/sub")), FolderResult::Failed);
    EXPECT_EQ(Report.LogTexts(LogKind::AppError), Prefixed(CopyMsg::CouldNotCreateFolder, {"base/sub"}));
    EXPECT_EQ(Report.Logs.size(), 1u);
    EXPECT_TRUE(Messages().empty()) << "the log line is the whole report; no drive went away";
    EXPECT_TRUE(Engine.DirDelList.empty());
}

TEST_F(CreateFolderPathTest, FileInTheWayIsNeitherReplacedNorEntered)
{
    Tree.AddFile("base/file", "a file where a folder should go");
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base/file/sub")), FolderResult::Failed);
    EXPECT_EQ(Tree.ReadFile("base/file"), "a file where a folder should go");
    EXPECT_EQ(Report.LogTexts(LogKind::AppError), Failures("base/file", "base/file/sub"));
    EXPECT_EQ(Report.Logs.size(), 2u);
    EXPECT_TRUE(Engine.DirDelList.empty());
}

TEST_F(CreateFolderPathTest, FailureHalfWayStopsTheLevelsBelowIt)
{
    Tree.AddFolder("base");
    ScopedFault refuse(FaultPlan{FaultOp::MakeFolder, EACCES, "/two"});

    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base/one/two/three")), FolderResult::Failed);
    EXPECT_TRUE(Tree.Exists("base/one"));
    EXPECT_FALSE(Tree.Exists("base/one/two"));
    EXPECT_EQ(Engine.DirDelList, Paths({"base/one"}));
    EXPECT_EQ(Report.LogTexts(LogKind::FolderCreated), Prefixed(CopyMsg::CreatingFolder, {"base/one"}));
    EXPECT_EQ(Report.LogTexts(LogKind::AppError), Failures("base/one/two", "base/one/two/three"));
    EXPECT_EQ(Messages(), UnreachableMessages("base/one/two/three"));
}

// ---- Links below the run's target root ----------------------------------------------------------

// Root: the run's target root, "" outside a run. Linked: the link on the way, "" when the
// folder asked for may be entered.
// clang-format off
struct LinkCase { const char* Name; const char* Root; const char* Folder; const char* Linked; };
// clang-format on

class CreateFolderPathLinkTest : public CreateFolderPathTest, public ::testing::WithParamInterface<LinkCase>
{};

TEST_P(CreateFolderPathLinkTest, ALinkBelowTheTargetRootIsNeverEnteredNorWrittenThrough)
{
    const LinkCase& c = GetParam();
    Tree.AddFolder("elsewhere/inner");
    Tree.AddFolder("real");
    Tree.AddSymlink("root/d", Tree.Path("elsewhere"));
    Tree.AddFolder("root/a");
    Tree.AddSymlink("root/a/b", "../../elsewhere");
    Tree.AddSymlink("rootlink", "real");
    Engine.Folders.TargetRoot = std::string(c.Root).empty() ? std::string() : Tree.Path(c.Root);

    FolderResult result = CreateFolderPath(Ctx, Tree.Path(c.Folder));
    if (std::string(c.Linked).empty()) {
        EXPECT_TRUE(result == FolderResult::Exists || result == FolderResult::Created);
        EXPECT_TRUE(Messages().empty());
        return;
    }
    EXPECT_EQ(result, FolderResult::Failed);
    EXPECT_EQ(Report.LogTexts(LogKind::AppError),
              std::vector<std::string>{std::string(CopyMsg::CouldNotCreateGoto) + Tree.Path(c.Folder)});
    EXPECT_EQ(Messages(),
              std::vector<std::string>{PadRight(CopyMsg::CouldNotCreateGoto, 26) + Tree.Path(c.Folder)});
    EXPECT_FALSE(Tree.Exists("elsewhere/new")) << "nothing made through the link";
    EXPECT_TRUE(Engine.DirDelList.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    CreateFolderPathLinkTest,
    ::testing::Values(LinkCase{"LinkedFolderItself", "root", "root/d", "root/d"},
                      LinkCase{"BelowALinkedFolder", "root", "root/d/new", "root/d"},
                      LinkCase{"LinkDeeperDown", "root", "root/a/b/inner", "root/a/b"},
                      LinkCase{"TheRootMayBeALink", "rootlink", "rootlink/new", ""},
                      LinkCase{"AboveTheRootLinksAreTheUsers", "root/d", "root/d/new", ""},
                      LinkCase{"OutsideARun", "", "root/d/inner", ""}),
    Test::ByName{});

} // namespace
} // namespace Tandemix
