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

using Test::PrintTo;

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

// A level that cannot be made, by a refusal or a file in its way, is logged; the levels below it
// are not tried, and the one asked for is also said to be unreachable. Fault: where making a
// folder is refused. Made: the levels made above the failure.
// clang-format off
struct FailCase { const char* Name; const char* Fault; const char* Asked; const char* Failed; std::vector<std::string> Made; };
const FailCase FailCases[] = {
    {"Refused",        "/sub",     "base/sub",           "base/sub",     {}},
    {"FileInTheWay",   "/nowhere", "base/file/sub",      "base/file",    {}},
    {"RefusedHalfWay", "/two",     "base/one/two/three", "base/one/two", {"base/one"}}};
// clang-format on

using CreateFolderPathFailTest = Test::TableOf<CreateFolderPathTest, FailCase>;

TEST_P(CreateFolderPathFailTest, FolderThatCannotBeMadeIsReportedAndNothingBelowIsTried)
{
    const FailCase& c = GetParam();
    Tree.AddFile("base/file", "a file where a folder should go");
    ScopedFault refuse(FaultPlan{FaultOp::MakeFolder, EACCES, c.Fault});
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path(c.Asked)), FolderResult::Failed);
    EXPECT_EQ(Tree.ReadFile("base/file"), "a file where a folder should go")
        << "neither replaced nor entered";
    std::vector<std::string> errors{std::string(CopyMsg::CouldNotCreateFolder) + Tree.Path(c.Failed)};
    std::vector<std::string> unreachable;
    // Only a level asked for below the failure is unreachable; the log line is the whole report else.
    if (std::string_view(c.Asked) != c.Failed) {
        errors.push_back(std::string(CopyMsg::CouldNotCreateGoto) + Tree.Path(c.Asked));
        unreachable = {PadRight(CopyMsg::PossibleDisconnected, 26) + MountPointOf(Tree.Path(c.Asked)),
                       PadRight(CopyMsg::CouldNotCreateGoto, 26) + Tree.Path(c.Asked)};
    }
    EXPECT_EQ(Report.LogTexts(LogKind::AppError), errors);
    EXPECT_EQ(Report.LogTexts(LogKind::FolderCreated), Prefixed(CopyMsg::CreatingFolder, c.Made));
    EXPECT_EQ(Report.Logs.size(), errors.size() + c.Made.size());
    EXPECT_EQ(std::tuple(Engine.DirDelList, Messages()), std::tuple(Paths(c.Made), unreachable));
}

INSTANTIATE_TEST_SUITE_P(Table, CreateFolderPathFailTest, ::testing::ValuesIn(FailCases), Test::ByName{});

// Root: the run's target root, "" outside a run. Linked: the link on the way, "" when the
// folder asked for may be entered.
// clang-format off
struct LinkCase { const char* Name; const char* Root; const char* Folder; const char* Linked; };
const LinkCase LinkCases[] = {
    {"LinkedFolderItself",           "root",     "root/d",         "root/d"},
    {"BelowALinkedFolder",           "root",     "root/d/new",     "root/d"},
    {"LinkDeeperDown",               "root",     "root/a/b/inner", "root/a/b"},
    {"TheRootMayBeALink",            "rootlink", "rootlink/new",   ""},
    {"AboveTheRootLinksAreTheUsers", "root/d",   "root/d/new",     ""},
    {"OutsideARun",                  "",         "root/d/inner",   ""}};
// clang-format on

using CreateFolderPathLinkTest = Test::TableOf<CreateFolderPathTest, LinkCase>;

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

INSTANTIATE_TEST_SUITE_P(Table, CreateFolderPathLinkTest, ::testing::ValuesIn(LinkCases), Test::ByName{});

} // namespace
} // namespace Tandemix
