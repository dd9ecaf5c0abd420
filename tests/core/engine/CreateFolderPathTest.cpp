// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CreateFolderPath.h"

#include "engine/CopyMessages.h"
#include "engine/ShowError.h"
#include "platform/FaultHook.h"
#include "platform/Mounts.h"
#include "support/RecordingReporter.h"
#include "support/ScriptedHost.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace Tandemix {
namespace {

using Test::RecordingReporter;
using Test::ScriptedHost;

class CreateFolderPathTest : public ::testing::Test
{
protected:
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const RecordingReporter::Entry& entry : Report.EntriesIn(ReportCategory::Messages)) {
            texts.push_back(entry.Kind);
        }
        return texts;
    }

    std::vector<std::string> Prefixed(std::string_view label, const std::vector<std::string>& rels) const
    {
        std::vector<std::string> lines;
        for (const std::string& rel : rels) {
            lines.push_back(std::string(label) + Tree.Path(rel));
        }
        return lines;
    }

    std::vector<std::string> Paths(const std::vector<std::string>& rels) const { return Prefixed("", rels); }

    std::vector<std::string> UnreachableMessages(const std::string& rel) const
    {
        return {PadRight(CopyMsg::PossibleDisconnected, 26) + MountPointOf(Tree.Path(rel)),
                PadRight(CopyMsg::CouldNotCreateGoto, 26) + Tree.Path(rel)};
    }

    ScriptedHost Host;
    Options Opts;
    RunState State{Host, Opts};
    RecordingReporter Report;
    EngineState Engine;
    RunContext Ctx{Opts, State, Host, Report, Engine};
    TempTree Tree;
};

TEST_F(CreateFolderPathTest, ExistingFolderIsLeftAsItIs)
{
    Tree.AddFolder("there");
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("there")), FolderResult::Exists);
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("there") + "/"), FolderResult::Exists);
    EXPECT_TRUE(Report.Logs.empty());
    EXPECT_TRUE(Engine.DirDelList.empty());
}

TEST_F(CreateFolderPathTest, ThreeMissingLevelsAreCreatedTopDownAndEachIsLogged)
{
    Tree.AddFolder("base");
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base/one/two/three")), FolderResult::Created);

    EXPECT_TRUE(Tree.Exists("base/one/two/three"));
    std::vector<std::string> levels = {"base/one", "base/one/two", "base/one/two/three"};
    EXPECT_EQ(Report.LogTexts(LogKind::FolderCreated), Prefixed(CopyMsg::CreatingFolder, levels));
    EXPECT_EQ(Report.Logs.size(), 3u);
    EXPECT_EQ(Engine.DirDelList, Paths(levels)) << "listed in creation order, so removal can go bottom-up";
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CreateFolderPathTest, RedundantSeparatorsNameTheSameFolder)
{
    Tree.AddFolder("base");
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base//new/")), FolderResult::Created);
    EXPECT_TRUE(Tree.Exists("base/new"));
    EXPECT_EQ(Engine.DirDelList, Paths({"base/new"}));
    EXPECT_EQ(Report.LogTexts(LogKind::FolderCreated), Prefixed(CopyMsg::CreatingFolder, {"base/new"}));
}

TEST_F(CreateFolderPathTest, PreSyncReportCreatesNothingAndSaysWhatItWouldCreate)
{
    Engine.PreReportRun = true;
    Tree.AddFolder("base");
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base/one/two")), FolderResult::WouldCreate);

    EXPECT_FALSE(Tree.Exists("base/one"));
    EXPECT_EQ(Report.LogTexts(LogKind::FolderCreated),
              Prefixed(CopyMsg::NeedToCreateFolder, {"base/one", "base/one/two"}));
    EXPECT_TRUE(Engine.DirDelList.empty());
    EXPECT_FALSE(FolderExistsAfter(FolderResult::WouldCreate));

    Tree.AddFolder("base/real");
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base/real")), FolderResult::Exists);
}

TEST_F(CreateFolderPathTest, FolderThatCannotBeMadeIsReportedAndSkipped)
{
    Tree.AddFolder("base");
    ScopedFault refuse(FaultPlan{FaultOp::MakeFolder, EACCES, "/sub"});
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base/sub")), FolderResult::Failed);

    ASSERT_EQ(Report.Logs.size(), 1u);
    EXPECT_EQ(Report.Logs[0].Text, std::string(CopyMsg::CouldNotCreateFolder) + Tree.Path("base/sub"));
    EXPECT_EQ(Report.Logs[0].Kind, LogKind::AppError);
    EXPECT_EQ(Messages(), UnreachableMessages("base/sub"));
    EXPECT_TRUE(Engine.DirDelList.empty());
}

TEST_F(CreateFolderPathTest, FileInTheWayIsNeitherReplacedNorEntered)
{
    Tree.AddFile("base/file", "a file where a folder should go");
    EXPECT_EQ(CreateFolderPath(Ctx, Tree.Path("base/file/sub")), FolderResult::Failed);

    EXPECT_EQ(Tree.ReadFile("base/file"), "a file where a folder should go");
    std::vector<std::string> failures = {std::string(CopyMsg::CouldNotCreateFolder) + Tree.Path("base/file"),
                                         std::string(CopyMsg::CouldNotCreateGoto)
                                             + Tree.Path("base/file/sub")};
    EXPECT_EQ(Report.LogTexts(LogKind::AppError), failures);
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
    std::vector<std::string> failures = {
        std::string(CopyMsg::CouldNotCreateFolder) + Tree.Path("base/one/two"),
        std::string(CopyMsg::CouldNotCreateGoto) + Tree.Path("base/one/two/three")};
    EXPECT_EQ(Report.LogTexts(LogKind::AppError), failures);
    std::vector<std::string> expected = UnreachableMessages("base/one/two");
    for (const std::string& line : UnreachableMessages("base/one/two/three")) {
        expected.push_back(line);
    }
    EXPECT_EQ(Messages(), expected);
}

} // namespace
} // namespace Tandemix
