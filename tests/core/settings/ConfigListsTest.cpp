// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ConfigLists.h"

#include "engine/RunState.h"
#include "settings/Configuration.h"
#include "support/ScriptedHost.h"
#include "support/TempHome.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tandemix {
namespace {

using Items = std::vector<std::string>;
using Test::PrintTo;

class ConfigListsTest : public ::testing::Test
{
protected:
    std::vector<std::string> Section(std::string_view name) const
    {
        return IniFile(Path).ReadSectionValues(name);
    }

    ConfigContext WithPair(const std::string& source, const std::string& target)
    {
        return ConfigContext{
            .Opts = Opts,
            .LoadingMarker = State.SourceFileListTag,
            .Tell = [this](std::string_view m) { State.GetHost().Ask(m, DialogButtons::Ok); },
            .ProgramFolder = Home.Folder(),
            .DefaultConfigPath = Path,
            .SourceFolder = source,
            .TargetFolder = target};
    }

    Tandemix::Test::TempHome Home;
    Tandemix::Test::ScriptedHost Host;
    Options Opts;
    RunState State{Host, Opts};
    std::string Path = Home.Path("Lists.CFG");
    IniFile Ini{Path};
};

// ---- Exclude and include masks ---------------------------------------------------------------

TEST_F(ConfigListsTest, TheEmptyExcludeMaskIsABlankKeyAlwaysThereAndTheSelectedMaskComesFirst)
{
    SelectableList list{{""}, 0};
    WriteExcludeList(Ini, list);
    EXPECT_EQ(Section(ExcludeListSection), Items{"0=_BLANK_"});
    SelectableList back = ReadExcludeList(Ini);
    EXPECT_EQ(back.Items, Items{""});
    EXPECT_EQ(back.ItemIndex, 0);

    // The masks keep their positions, with the selected one first.
    list = SelectableList{{".A;", "", ".B;"}, 2};
    WriteExcludeList(Ini, list);
    EXPECT_EQ(Section(ExcludeListSection), (Items{"0=.B;", "1=.A;", "2=_BLANK_"}));
    EXPECT_EQ(list.Items, (Items{".B;", ".A;", ""}));
    EXPECT_EQ(list.ItemIndex, 0);
    // A selection past the end (a list that shrank under it) moves nothing.
    list = SelectableList{{".A;", ".B;", ""}, 3};
    WriteExcludeList(Ini, list);
    EXPECT_EQ(list.Items, (Items{".A;", ".B;", ""}));

    // A list without the empty mask gets one at the end.
    Ini.EraseSection(ExcludeListSection);
    Ini.WriteString(ExcludeListSection, "0", ".X;");
    Ini.WriteString(ExcludeListSection, "7", "old_BLANK_"); // no "=" before the marker: a mask
    Ini.WriteString(ExcludeListSection, "8", "=y");
    EXPECT_EQ(ReadExcludeList(Ini).Items, (Items{".X;", "old_BLANK_", "=y", ""}));
    Ini.WriteString(ExcludeListSection, "9", "_BLANK_ with text"); // the marker counts wherever it is
    EXPECT_EQ(ReadExcludeList(Ini).Items, (Items{".X;", "old_BLANK_", "=y", ""}));
}

TEST_F(ConfigListsTest, IncludeMasksAreNumberedFromOneSkippingEmptyOnes)
{
    SelectableList list{{"*.DOC", "", "*.TXT"}, 2};
    WriteIncludeList(Ini, list);
    EXPECT_EQ(Section(IncludeListSection), (Items{"1=*.TXT", "2=*.DOC"}));

    SelectableList back = ReadIncludeList(Ini);
    EXPECT_EQ(back.Items, (Items{"*.TXT", "*.DOC", "*.*"}));
    EXPECT_EQ(back.ItemIndex, 0);

    // Rewriting drops entries no longer in the list; "*.*" is added only when missing.
    SelectableList one{{"*.*"}, 0};
    WriteIncludeList(Ini, one);
    EXPECT_EQ(Section(IncludeListSection), Items{"1=*.*"});
    Ini.WriteString(IncludeListSection, "2", "*.C");
    EXPECT_EQ(ReadIncludeList(Ini).Items, (Items{"*.*", "*.C"}));
    Ini.EraseSection(IncludeListSection);
    EXPECT_EQ(ReadIncludeList(Ini).Items, Items{"*.*"});
}

// ---- Batch files ------------------------------------------------------------------------------

// Positions are kept, so empty entries leave gaps; after a load the box shows the empty entry
// unless a list was reopened.
TEST_F(ConfigListsTest, BatchFilesKeepTheirPositionsAndTheEmptyEntryIsShownAfterALoad)
{
    SelectableList list{{"/jobs/a.SNC", "", "/jobs/b.SNC"}, -1};
    WriteBatchFileList(Ini, list);
    EXPECT_EQ(Section(BatchListSection), (Items{"0=/jobs/a.SNC", "2=/jobs/b.SNC"}));
    ConfigContext ctx = WithPair("", "");
    LoadConfiguration(ctx, Path, false);
    EXPECT_EQ(Opts.BatchFileLoadList.Items, (Items{"/jobs/a.SNC", "/jobs/b.SNC", ""}));
    EXPECT_EQ(Opts.BatchFileLoadList.ItemIndex, 2);

    std::vector<std::string> reopened;
    ctx.ReopenBatchList = [&](const std::string& file) {
        reopened.push_back(file);
        return true;
    };
    LoadConfiguration(ctx, Path, false);
    EXPECT_EQ(reopened, Items{"/jobs/a.SNC"});
    EXPECT_EQ(Opts.BatchFileLoadList.ItemIndex, 0);
}

TEST_F(ConfigListsTest, TheLoadedExcludeTextRebuildsTheExclusionList)
{
    Ini.WriteString(ExcludeListSection, "0", ".OBJ;");
    std::vector<std::string> seen;
    ConfigContext ctx = WithPair("", "");
    ctx.ExcludeStringChanged = [&] {
        seen.push_back(Opts.ExcludeString);
    };
    LoadConfiguration(ctx, Path, false);
    EXPECT_EQ(seen, Items{".OBJ;"});
}

// ---- Recent folder pairs ---------------------------------------------------------------------

TEST_F(ConfigListsTest, ASavedPairComesFirstOnceAndAFifthPushesTheOldestOut)
{
    Opts.RecentFolders = {"/a >> /b", "/c >> /d", "", ""};
    ConfigContext same = WithPair("/c", "/d");
    ASSERT_TRUE(SaveConfiguration(same, Path).Saved);
    ASSERT_TRUE(SaveConfiguration(same, Path).Saved);
    EXPECT_EQ(Section(RecentListSection), (Items{"Recent Folder1=/c >> /d", "Recent Folder2=/a >> /b"}));
    EXPECT_EQ(Opts.RecentFolders, (RecentFolderList{"/c >> /d", "/a >> /b", "", ""}));

    for (const char* folder : {"/1", "/2", "/3", "/4", "/5"}) {
        ConfigContext ctx = WithPair(folder, "/t");
        ASSERT_TRUE(SaveConfiguration(ctx, Path).Saved);
    }
    EXPECT_EQ(Section(RecentListSection),
              (Items{"Recent Folder1=/5 >> /t",
                     "Recent Folder2=/4 >> /t",
                     "Recent Folder3=/3 >> /t",
                     "Recent Folder4=/2 >> /t"}));
    EXPECT_EQ(ReadRecentFolders(Ini), (RecentFolderList{"/5 >> /t", "/4 >> /t", "/3 >> /t", "/2 >> /t"}));

    // Pairs load into their places, and empty ones stay hidden.
    Ini.EraseSection(RecentListSection);
    Ini.WriteString(RecentListSection, "Recent Folder1", "/a >> /b");
    Ini.WriteString(RecentListSection, "Recent Folder3", "/e >> /f");
    Ini.WriteString(RecentListSection, "Recent Folder5", "/never >> /shown");
    EXPECT_EQ(ReadRecentFolders(Ini), (RecentFolderList{"/a >> /b", "", "/e >> /f", ""}));
}

struct RecentRow
{
    std::string Name;
    RecentFolderList Before;
    std::string Pair;
    RecentFolderList After;
};

class RememberRecentPairTest : public ::testing::TestWithParam<RecentRow>
{};

TEST_P(RememberRecentPairTest, PutsThePairFirstWithoutDuplicates)
{
    RecentFolderList recent = GetParam().Before;
    RememberRecentPair(recent, GetParam().Pair);
    EXPECT_EQ(recent, GetParam().After);
}

INSTANTIATE_TEST_SUITE_P(
    Rows,
    RememberRecentPairTest,
    ::testing::Values(RecentRow{"IntoEmpty", {"", "", "", ""}, "/s >> /t", {"/s >> /t", "", "", ""}},
                      RecentRow{"New", {"A", "B", "", ""}, "N", {"N", "A", "B", ""}},
                      RecentRow{"NewIntoFull", {"A", "B", "C", "D"}, "N", {"N", "A", "B", "C"}},
                      // A listed pair trades places with the first; the others stay where they are.
                      RecentRow{"ThirdSwapsWithFirst", {"A", "B", "C", "D"}, "C", {"C", "B", "A", "D"}},
                      // A gap left by a hand-edited file moves down with the rest.
                      RecentRow{"GapMovesDown", {"A", "", "C", ""}, "N", {"N", "A", "", "C"}},
                      RecentRow{"AlreadyFirst", {"A", "B", "", ""}, "A", {"A", "B", "", ""}},
                      // Folder names are matched without regard to case, and the new spelling wins.
                      RecentRow{"CaseIgnored",
                                {"/x >> /y", "/S >> /T", "", ""},
                                "/s >> /t",
                                {"/s >> /t", "/x >> /y", "", ""}}),
    Test::ByName());

} // namespace
} // namespace Tandemix
