// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ReportLists.h"

#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Tandemix {
namespace {

using Names = std::vector<std::string>;
using Test::ByName;
using Test::PrintTo;

constexpr ReportSwitches DuringRun{true, true, true, false};
constexpr ReportCategory Categories[] = {ReportCategory::Added,
                                         ReportCategory::Updated,
                                         ReportCategory::Excluded,
                                         ReportCategory::UnMatched,
                                         ReportCategory::Messages,
                                         ReportCategory::Deletions};

class ReportListsTest : public testing::Test
{
protected:
    void File(std::string_view name,
              std::string_view size,
              std::string_view kind,
              ReportCategory category,
              std::string_view detail = "1/5/98 9:05:03 AM",
              const ReportSwitches& switches = DuringRun)
    {
        Lists.AddReportEntry(ReportEntry{name, "/data/dst/", size, detail, kind, category}, switches);
    }
    void Message(std::string_view text, const ReportSwitches& switches = DuringRun)
    {
        Lists.AddReportEntry(ReportEntry{{}, {}, {}, {}, text, ReportCategory::Messages}, switches);
    }
    void Unmatched(std::string_view name, std::string_view size = "10", bool withdraw = false)
    {
        File(name,
             size,
             withdraw ? "Delete UnMatched Files" : "UnMatched Files",
             ReportCategory::UnMatched,
             "7/22/97 10:01:44 AM");
    }
    void Withdraw(std::string_view name, std::string_view size = "10") { Unmatched(name, size, true); }
    // The name column of every line, top to bottom.
    Names NamesIn(ReportCategory category) const
    {
        Names names;
        for (const std::string& line : Lists.List(category).Lines()) {
            std::string name = line.substr(0, line.find('\t'));
            names.push_back(name.substr(0, name.find_last_not_of(' ') + 1));
        }
        return names;
    }

    ReportLists Lists;
};

// ---- Line formats ----------------------------------------------------------------------------

struct FormatRow
{
    std::string Name;
    std::string File;
    const char* Size;
    const char* Kind;
    ReportCategory Category;
    std::string Line;
};

class ReportLineTest : public ReportListsTest, public testing::WithParamInterface<FormatRow>
{};

TEST_P(ReportLineTest, LinesHaveTheirColumns)
{
    File(GetParam().File, GetParam().Size, GetParam().Kind, GetParam().Category);
    ASSERT_EQ(Lists.List(GetParam().Category).Count(), 1u);
    EXPECT_EQ(Lists.List(GetParam().Category).At(0), GetParam().Line);
}

const std::string LongName = "a-name-that-is-longer-than-the-column.txt";
// clang-format off
const FormatRow FormatRows[] = {
    {"Added", "notes.txt", "1234", "Add", ReportCategory::Added,
     "notes.txt                   \t    1234\t   1/5/98 9:05:03 AM\t/data/dst/"},
    {"ExcludedCarriesItsReason", "big.iso", "7340032000", "Size Exclusion", ReportCategory::Excluded,
     "big.iso                     \tSize Exclusion    \t7340032000\t   1/5/98 9:05:03 AM\t/data/dst/"},
    {"LongNamePushesTheOtherColumns", LongName, "5", "Add", ReportCategory::Added,
     LongName + "\t       5\t   1/5/98 9:05:03 AM\t/data/dst/"},
    {"ColumnsCountCharactersNotBytes", "r\xC3\xA9sum\xC3\xA9.txt", "5", "Add", ReportCategory::Added,
     "r\xC3\xA9sum\xC3\xA9.txt" + std::string(18, ' ') + "\t       5\t   1/5/98 9:05:03 AM\t/data/dst/"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rows, ReportLineTest, testing::ValuesIn(FormatRows), ByName());

// ---- Reporting switches ----------------------------------------------------------------------

struct SwitchRow
{
    std::string Name;
    ReportSwitches Switches;
    std::vector<ReportCategory> Filed;
};

class ReportSwitchTest : public ReportListsTest, public testing::WithParamInterface<SwitchRow>
{};

TEST_P(ReportSwitchTest, OnlyTheAllowedListsAreFiled)
{
    const ReportSwitches& on = GetParam().Switches;
    File("a.txt", "1", "Add", ReportCategory::Added, "1/5/98 9:05:03 AM", on);
    File("b.txt", "1", "Update", ReportCategory::Updated, "1/5/98 9:05:03 AM", on);
    File("c.txt", "1", "Date Exclusion", ReportCategory::Excluded, "1/5/98 9:05:03 AM", on);
    File("d.txt", "1", "UnMatched Files", ReportCategory::UnMatched, "1/5/98 9:05:03 AM", on);
    File("e.txt", "1", "File Deleted", ReportCategory::Deletions, "---", on);
    Message("Could Not Read File: /data/src/a.txt", on);
    // Categories outside the six are ignored.
    File("f.txt", "1", "Add", static_cast<ReportCategory>(6), "x", on);
    File("g.txt", "1", "Add", static_cast<ReportCategory>(-1), "x", on);
    for (ReportCategory category : Categories) {
        const bool filed = std::count(GetParam().Filed.begin(), GetParam().Filed.end(), category) > 0;
        SCOPED_TRACE(static_cast<int>(category));
        EXPECT_EQ(Lists.List(category).Count(), filed ? 1u : 0u);
        EXPECT_EQ(Lists.Count(category), filed ? 1 : 0);
        EXPECT_EQ(Lists.Total(category), filed && category != ReportCategory::Messages ? 1 : 0);
    }
}

using enum ReportCategory;
const SwitchRow SwitchRows[] = {
    {"DuringARunAllSix", DuringRun, {Added, Updated, Excluded, UnMatched, Messages, Deletions}},
    {"ReportingOffOnlyMessages", {true, false, true, false}, {Messages}},
    {"OutsideARunOnlyMessages", {false, true, true, false}, {Messages}},
    {"UnmatchedNeedTheirOwnSwitch",
     {true, true, false, false},
     {Added, Updated, Excluded, Messages, Deletions}},
};

INSTANTIATE_TEST_SUITE_P(Switches, ReportSwitchTest, testing::ValuesIn(SwitchRows), ByName());

// ---- Messages --------------------------------------------------------------------------------

TEST_F(ReportListsTest, MessagesAreFiledOnceAndDashLinesAreNotCounted)
{
    Message("First problem");
    Message("First problem");
    Message("- continued on this line");
    Message("Disk full on /data/dst"); // a message, not a withdrawal
    EXPECT_EQ(Lists.List(ReportCategory::Messages).Lines(),
              (Names{"First problem", "- continued on this line", "Disk full on /data/dst"}));
    EXPECT_EQ(Lists.Count(ReportCategory::Messages), 2);
}

// ---- Where lines go ---------------------------------------------------------------------------

TEST_F(ReportListsTest, NewestAddedFileStandsFirst)
{
    File("first.txt", "1", "Add", ReportCategory::Added);
    File("second.txt", "2", "Add", ReportCategory::Added);
    EXPECT_EQ(NamesIn(ReportCategory::Added), (Names{"second.txt", "first.txt"}));
    EXPECT_EQ(Lists.Count(ReportCategory::Added), 2);
    EXPECT_EQ(Lists.Total(ReportCategory::Added), 3);
}

TEST_F(ReportListsTest, UnmatchedFilesKeepListingOrderAndLaterFoldersGoOnTop)
{
    Lists.BeginListing();
    Unmatched("a1");
    Unmatched("a2");
    Unmatched("a3");
    EXPECT_EQ(NamesIn(ReportCategory::UnMatched), (Names{"a1", "a2", "a3"}));

    Lists.BeginListing();
    Unmatched("b1");
    Unmatched("b2");
    EXPECT_EQ(NamesIn(ReportCategory::UnMatched), (Names{"b1", "b2", "a1", "a2", "a3"}));
    EXPECT_EQ(Lists.Count(ReportCategory::UnMatched), 5);
}

TEST_F(ReportListsTest, UnmatchedCounterNeverPointsPastTheEnd)
{
    Lists.BeginListing();
    Unmatched("a1");
    Unmatched("a2");
    Withdraw("a1");
    Withdraw("a2");
    // The counter stands at 2 over an empty list: the next line takes the end, i.e. row 0.
    Unmatched("a3");
    Unmatched("a4");
    EXPECT_EQ(NamesIn(ReportCategory::UnMatched), (Names{"a3", "a4"}));
}

TEST_F(ReportListsTest, LineWithDashesGoesToTheMiddleRoundedToEven)
{
    const std::size_t rows[] = {0, 0, 1, 2, 2, 2}; // for zero to five lines before it
    for (std::size_t lines = 0; lines < std::size(rows); ++lines) {
        Lists.ClearReports();
        for (std::size_t i = 0; i < lines; ++i) {
            File("file" + std::to_string(i), "1", "File Deleted", ReportCategory::Deletions);
        }
        File("folder", "0", "Folder Deleted", ReportCategory::Deletions, "---");
        EXPECT_EQ(NamesIn(ReportCategory::Deletions).at(rows[lines]), "folder") << lines << " lines";
        EXPECT_EQ(Lists.Count(ReportCategory::Deletions), static_cast<std::int64_t>(lines + 1));
    }
}

TEST_F(ReportListsTest, UnmatchedFolderGoesToTheMiddleAndLeavesTheCounterAlone)
{
    Lists.BeginListing();
    Unmatched("a1");
    Unmatched("a2");
    File("sub", "0", "UnMatched Folder", ReportCategory::UnMatched, "Folder-------------");
    // The folder took row 1 of two; the counter still says 2, so a3 goes in just after it.
    Unmatched("a3");
    EXPECT_EQ(NamesIn(ReportCategory::UnMatched), (Names{"a1", "sub", "a3", "a2"}));
}

// ---- Withdrawals -------------------------------------------------------------------------------

TEST_F(ReportListsTest, WithdrawnUnmatchedFileRestoresCountAndTotal)
{
    Lists.BeginListing();
    Unmatched("keep.txt", "100");
    Unmatched("matched.txt", "2500000000"); // over 2 GiB: totals are 64-bit
    Unmatched("twice.txt", "1");
    Unmatched("twice.txt", "1");
    EXPECT_EQ(Lists.Total(ReportCategory::UnMatched), 2500000102);

    Withdraw("matched.txt", "2500000000");
    Withdraw("twice.txt", "1"); // identical lines go one at a time
    EXPECT_EQ(NamesIn(ReportCategory::UnMatched), (Names{"keep.txt", "twice.txt"}));
    EXPECT_EQ(Lists.Count(ReportCategory::UnMatched), 2);
    EXPECT_EQ(Lists.Total(ReportCategory::UnMatched), 101);

    // A withdrawal of a line never listed still lowers the total.
    Withdraw("never-listed.txt", "40");
    EXPECT_EQ(Lists.Count(ReportCategory::UnMatched), 2);
    EXPECT_EQ(Lists.Total(ReportCategory::UnMatched), 61);
}

TEST_F(ReportListsTest, WithdrawnFolderLeavesItsFilesAlone)
{
    Unmatched("sub");
    File("sub", "0", "UnMatched Folder", ReportCategory::UnMatched, "Folder-------------");
    File("sub", "0", "Delete UnMatched Folder", ReportCategory::UnMatched, "Folder-------------");
    EXPECT_EQ(Lists.List(ReportCategory::UnMatched).Count(), 1u);
    EXPECT_NE(Lists.List(ReportCategory::UnMatched).At(0).find("7/22/97"), std::string::npos);
}

TEST_F(ReportListsTest, ReasonsBeginningWithDAreFiledNotWithdrawn)
{
    File("old.txt", "7", "Date Exclusion", ReportCategory::Excluded);
    File("draft.tmp", "8", "D*.tmp", ReportCategory::Excluded);
    EXPECT_EQ(NamesIn(ReportCategory::Excluded), (Names{"draft.tmp", "old.txt"}));
    EXPECT_EQ(Lists.Total(ReportCategory::Excluded), 15);
}

TEST_F(ReportListsTest, UnderCompressionUnmatchedLinesAreLowerCaseAndStillWithdrawn)
{
    const ReportSwitches compressing{true, true, true, true};
    const char* when = "7/22/97 10:01:44 AM";
    File("Report.DOC", "10", "UnMatched Files", ReportCategory::UnMatched, when, compressing);
    File("Other.TXT", "20", "UnMatched Files", ReportCategory::UnMatched, when, compressing);
    File("Kept.TXT", "5", "Add", ReportCategory::Added, when, compressing);
    EXPECT_EQ(Lists.List(ReportCategory::UnMatched).At(0),
              "report.doc                  \t      10\t 7/22/97 10:01:44 am\t/data/dst/");
    EXPECT_EQ(NamesIn(ReportCategory::Added), Names{"Kept.TXT"}); // only unmatched lines

    File("Report.DOC", "10", "Delete UnMatched Files", ReportCategory::UnMatched, when, compressing);
    EXPECT_EQ(NamesIn(ReportCategory::UnMatched), Names{"other.txt"});
    EXPECT_EQ(Lists.Total(ReportCategory::UnMatched), 20);
}

// ---- Totals and clearing -----------------------------------------------------------------------

TEST_F(ReportListsTest, SizeTextThatIsNotANumberAddsNothingAndClearingEmptiesEverything)
{
    File("a.txt", "", "Add", ReportCategory::Added);
    File("b.txt", "12kB", "Add", ReportCategory::Added);
    File("c.txt", "7", "Add", ReportCategory::Added);
    Unmatched("d.txt");
    Message("Problem");
    EXPECT_EQ(Lists.Count(ReportCategory::Added), 3);
    EXPECT_EQ(Lists.Total(ReportCategory::Added), 7);

    Lists.ClearReports();
    for (ReportCategory category : Categories) {
        EXPECT_TRUE(Lists.List(category).Empty());
        EXPECT_EQ(Lists.Count(category), 0);
        EXPECT_EQ(Lists.Total(category), 0);
    }
    Message("Problem"); // no longer a duplicate
    EXPECT_EQ(Lists.Count(ReportCategory::Messages), 1);
}

} // namespace
} // namespace Tandemix
