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

// One filing: a file or folder line of the given kind, or a new listing where Name is empty.
struct Filing
{
    const char* Name;
    const char* Size = "10";
    const char* Kind = "UnMatched Files";
    ReportCategory Category = ReportCategory::UnMatched;
};

struct OrderRow
{
    std::string Name;
    std::vector<Filing> Filings;
    ReportCategory Shown;
    Names Expected; // top to bottom
    std::int64_t Count;
    std::int64_t Total;
};

class ReportOrderTest : public ReportListsTest, public testing::WithParamInterface<OrderRow>
{};

TEST_P(ReportOrderTest, LinesStandWhereTheyShould)
{
    for (const Filing& f : GetParam().Filings) {
        if (*f.Name == '\0') {
            Lists.BeginListing();
        } else {
            const bool folder = std::string_view(f.Kind).ends_with("Folder");
            File(f.Name, f.Size, f.Kind, f.Category, folder ? "Folder-------------" : "7/22/97 10:01:44 AM");
        }
    }
    EXPECT_EQ(NamesIn(GetParam().Shown), GetParam().Expected);
    EXPECT_EQ(Lists.Count(GetParam().Shown), GetParam().Count);
    EXPECT_EQ(Lists.Total(GetParam().Shown), GetParam().Total);
}

constexpr const char* Withdraw = "Delete UnMatched Files";
constexpr const char* Folder = "UnMatched Folder";
// clang-format off
const OrderRow OrderRows[] = {
    {"NewestAddedFileStandsFirst", {{"first", "1", "Add", Added}, {"second", "2", "Add", Added}},
     Added, {"second", "first"}, 2, 3},
    {"UnmatchedKeepListingOrderAndLaterListingsGoOnTop", {{""}, {"a1"}, {"a2"}, {"a3"}, {""}, {"b1"}, {"b2"}},
     UnMatched, {"b1", "b2", "a1", "a2", "a3"}, 5, 50},
    // The counter stands at 2 over an empty list: the next line takes the end, i.e. row 0.
    {"UnmatchedCounterNeverPointsPastTheEnd",
     {{""}, {"a1"}, {"a2"}, {"a1", "10", Withdraw}, {"a2", "10", Withdraw}, {"a3"}, {"a4"}},
     UnMatched, {"a3", "a4"}, 2, 20},
    // The folder takes row 1 of two; the counter still says 2, so a3 goes in just after it.
    {"UnmatchedFolderGoesToTheMiddleAndLeavesTheCounterAlone",
     {{""}, {"a1"}, {"a2"}, {"sub", "0", Folder}, {"a3"}}, UnMatched, {"a1", "sub", "a3", "a2"}, 4, 30},
    {"TotalsAre64Bit", {{"keep", "100"}, {"big", "2500000000"}}, UnMatched, {"keep", "big"}, 2, 2500000100},
    // Identical lines go one at a time; a line never listed still lowers the total.
    {"WithdrawalsRestoreCountAndTotal",
     {{""}, {"keep", "100"}, {"big", "2500000000"}, {"twice", "1"}, {"twice", "1"},
      {"big", "2500000000", Withdraw}, {"twice", "1", Withdraw}, {"never-listed", "40", Withdraw}},
     UnMatched, {"keep", "twice"}, 2, 61},
    {"WithdrawnFolderLeavesItsFilesAlone",
     {{"sub"}, {"sub", "0", Folder}, {"sub", "0", "Delete UnMatched Folder"}}, UnMatched, {"sub"}, 1, 10},
    {"ReasonsBeginningWithDAreFiledNotWithdrawn",
     {{"old", "7", "Date Exclusion", Excluded}, {"draft", "8", "D*.tmp", Excluded}},
     Excluded, {"draft", "old"}, 2, 15},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rows, ReportOrderTest, testing::ValuesIn(OrderRows), ByName());

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

TEST_F(ReportListsTest, MessagesFiledOnceDashLinesUncountedSizeTextNotANumberAddsNothingClearEmpties)
{
    Message("First problem");
    Message("First problem");
    Message("- continued on this line");
    Message("Disk full on /data/dst"); // a message, not a withdrawal
    EXPECT_EQ(Lists.List(ReportCategory::Messages).Lines(),
              (Names{"First problem", "- continued on this line", "Disk full on /data/dst"}));
    EXPECT_EQ(Lists.Count(ReportCategory::Messages), 2);
    File("a.txt", "", "Add", ReportCategory::Added);
    File("b.txt", "12kB", "Add", ReportCategory::Added);
    File("c.txt", "7", "Add", ReportCategory::Added);
    File("d.txt", "10", "UnMatched Files", ReportCategory::UnMatched);
    EXPECT_EQ(Lists.Count(ReportCategory::Added), 3);
    EXPECT_EQ(Lists.Total(ReportCategory::Added), 7);

    Lists.ClearReports();
    for (ReportCategory category : Categories) {
        EXPECT_TRUE(Lists.List(category).Empty());
        EXPECT_EQ(Lists.Count(category), 0);
        EXPECT_EQ(Lists.Total(category), 0);
    }
    Message("First problem"); // no longer a duplicate
    EXPECT_EQ(Lists.Count(ReportCategory::Messages), 1);
}

} // namespace
} // namespace Tandemix
