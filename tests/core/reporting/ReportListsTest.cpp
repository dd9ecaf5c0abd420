// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ReportLists.h"

#include "reporting/ReportList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

using Names = std::vector<std::string>;
using enum ReportCategory;

constexpr ReportSwitches DuringRun{true, true, true, false};
constexpr ReportCategory Categories[] = {Added, Updated, Excluded, UnMatched, Messages, Deletions};

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
        Lists.AddReportEntry(ReportEntry{{}, {}, {}, {}, text, Messages}, switches);
    }
    // Lines listed, entries counted, sizes added up.
    auto Tally(ReportCategory category) const
    {
        return std::tuple(Lists.List(category).Count(), Lists.Count(category), Lists.Total(category));
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

TEST_F(ReportListsTest, LinesHaveTheirColumns)
{
    const std::string longName = "a-name-that-is-longer-than-the-column.txt";
    // clang-format off
    const struct { const char* Name; std::string File; const char *Size, *Kind; ReportCategory Category; std::string Columns; } rows[] = {
        {"Added", "notes.txt", "1234", "Add", Added, "notes.txt                   \t    1234"},
        {"ExcludedCarriesItsReason", "big.iso", "7340032000", "Size Exclusion", Excluded,
         "big.iso                     \tSize Exclusion    \t7340032000"},
        {"LongNamePushesTheOtherColumns", longName, "5", "Add", Added, longName + "\t       5"},
        {"ColumnsCountCharactersNotBytes", "r\xC3\xA9sum\xC3\xA9.txt", "5", "Add", Added,
         "r\xC3\xA9sum\xC3\xA9.txt" + std::string(18, ' ') + "\t       5"},
    };
    // clang-format on
    for (const auto& row : rows) {
        Lists = ReportLists{};
        File(row.File, row.Size, row.Kind, row.Category);
        EXPECT_EQ(Lists.List(row.Category).Lines(), Names{row.Columns + "\t   1/5/98 9:05:03 AM\t/data/dst/"})
            << row.Name;
    }
}

TEST_F(ReportListsTest, OnlyTheAllowedListsAreFiled)
{
    // clang-format off
    const struct { const char* Name; ReportSwitches Switches; std::vector<ReportCategory> Filed; } rows[] = {
        {"DuringARunAllSix",            DuringRun,                  {Added, Updated, Excluded, UnMatched, Messages, Deletions}},
        {"ReportingOffOnlyMessages",    {true, false, true, false}, {Messages}},
        {"OutsideARunOnlyMessages",     {false, true, true, false}, {Messages}},
        {"UnmatchedNeedTheirOwnSwitch", {true, true, false, false}, {Added, Updated, Excluded, Messages, Deletions}},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        Lists = ReportLists{};
        const ReportSwitches& on = row.Switches;
        File("a.txt", "1", "Add", Added, "1/5/98 9:05:03 AM", on);
        File("b.txt", "1", "Update", Updated, "1/5/98 9:05:03 AM", on);
        File("c.txt", "1", "Date Exclusion", Excluded, "1/5/98 9:05:03 AM", on);
        File("d.txt", "1", "UnMatched Files", UnMatched, "1/5/98 9:05:03 AM", on);
        File("e.txt", "1", "File Deleted", Deletions, "---", on);
        Message("Could Not Read File: /data/src/a.txt", on);
        // Categories outside the six are ignored.
        File("f.txt", "1", "Add", static_cast<ReportCategory>(6), "x", on);
        File("g.txt", "1", "Add", static_cast<ReportCategory>(-1), "x", on);
        for (ReportCategory category : Categories) {
            const bool filed = std::count(row.Filed.begin(), row.Filed.end(), category) > 0;
            SCOPED_TRACE(static_cast<int>(category));
            EXPECT_EQ(Tally(category),
                      std::tuple(filed ? 1u : 0u, filed ? 1 : 0, filed && category != Messages ? 1 : 0));
        }
    }
}

// One filing: a file or folder line of the given kind, or a new listing where Name is empty.
struct Filing
{
    const char* Name;
    const char* Size = "10";
    const char* Kind = "UnMatched Files";
    ReportCategory Category = UnMatched;
};

TEST_F(ReportListsTest, LinesStandWhereTheyShould)
{
    constexpr const char* Withdraw = "Delete UnMatched Files";
    constexpr const char* Folder = "UnMatched Folder";
    constexpr const char* FolderDetail = "Folder-------------";
    // What is filed, the list shown, its names top to bottom, its count and total.
    // clang-format off
    const struct { const char* Name; std::vector<Filing> Filings; ReportCategory Shown; Names Expected; std::int64_t Count, Total; } rows[] = {
        {"NewestAddedFileStandsFirst", {{"first", "1", "Add", Added}, {"second", "2", "Add", Added}}, Added, {"second", "first"}, 2, 3},
        {"UnmatchedKeepListingOrderAndLaterListingsGoOnTop", {{""}, {"a1"}, {"a2"}, {"a3"}, {""}, {"b1"}, {"b2"}},
         UnMatched, {"b1", "b2", "a1", "a2", "a3"}, 5, 50},
        // The counter stands at 2 over an empty list: the next line takes the end, i.e. row 0.
        {"UnmatchedCounterNeverPointsPastTheEnd", {{""}, {"a1"}, {"a2"}, {"a1", "10", Withdraw}, {"a2", "10", Withdraw}, {"a3"}, {"a4"}},
         UnMatched, {"a3", "a4"}, 2, 20},
        // The folder takes row 1 of two; the counter still says 2, so a3 goes in just after it.
        {"UnmatchedFolderGoesToTheMiddleAndLeavesTheCounterAlone", {{""}, {"a1"}, {"a2"}, {"sub", "0", Folder}, {"a3"}},
         UnMatched, {"a1", "sub", "a3", "a2"}, 4, 30},
        {"TotalsAre64Bit", {{"keep", "100"}, {"big", "2500000000"}}, UnMatched, {"keep", "big"}, 2, 2500000100},
        // Identical lines go one at a time; a line never listed still lowers the total.
        {"WithdrawalsRestoreCountAndTotal", {{""}, {"keep", "100"}, {"big", "2500000000"}, {"twice", "1"}, {"twice", "1"},
         {"big", "2500000000", Withdraw}, {"twice", "1", Withdraw}, {"never-listed", "40", Withdraw}}, UnMatched, {"keep", "twice"}, 2, 61},
        {"WithdrawnFolderLeavesItsFilesAlone", {{"sub"}, {"sub", "0", Folder}, {"sub", "0", "Delete UnMatched Folder"}},
         UnMatched, {"sub"}, 1, 10},
        {"ReasonsBeginningWithDAreFiledNotWithdrawn", {{"old", "7", "Date Exclusion", Excluded}, {"draft", "8", "D*.tmp", Excluded}},
         Excluded, {"draft", "old"}, 2, 15},
    };
    // clang-format on

    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        Lists = ReportLists{};
        for (const Filing& f : row.Filings) {
            if (*f.Name == '\0') {
                Lists.BeginListing();
            } else {
                const bool folder = std::string_view(f.Kind).ends_with("Folder");
                File(f.Name, f.Size, f.Kind, f.Category, folder ? FolderDetail : "7/22/97 10:01:44 AM");
            }
        }
        EXPECT_EQ(NamesIn(row.Shown), row.Expected);
        EXPECT_EQ(std::tuple(Lists.Count(row.Shown), Lists.Total(row.Shown)),
                  std::tuple(row.Count, row.Total));
    }
}

TEST_F(ReportListsTest, LineWithDashesGoesToTheMiddleRoundedToEven)
{
    const std::size_t rows[] = {0, 0, 1, 2, 2, 2}; // for zero to five lines before it
    for (std::size_t lines = 0; lines < std::size(rows); ++lines) {
        Lists.ClearReports();
        for (std::size_t i = 0; i < lines; ++i) {
            File("file" + std::to_string(i), "1", "File Deleted", Deletions);
        }
        File("folder", "0", "Folder Deleted", Deletions, "---");
        EXPECT_EQ(NamesIn(Deletions).at(rows[lines]), "folder") << lines << " lines";
        EXPECT_EQ(Lists.Count(Deletions), static_cast<std::int64_t>(lines + 1));
    }
}

TEST_F(ReportListsTest, UnderCompressionUnmatchedLinesAreLowerCaseAndStillWithdrawn)
{
    const ReportSwitches compressing{true, true, true, true};
    const char* when = "7/22/97 10:01:44 AM";
    File("Report.DOC", "10", "UnMatched Files", UnMatched, when, compressing);
    File("Other.TXT", "20", "UnMatched Files", UnMatched, when, compressing);
    File("Kept.TXT", "5", "Add", Added, when, compressing);
    EXPECT_EQ(Lists.List(UnMatched).At(0),
              "report.doc                  \t      10\t 7/22/97 10:01:44 am\t/data/dst/");
    EXPECT_EQ(NamesIn(Added), Names{"Kept.TXT"}); // only unmatched lines

    File("Report.DOC", "10", "Delete UnMatched Files", UnMatched, when, compressing);
    EXPECT_EQ(NamesIn(UnMatched), Names{"other.txt"});
    EXPECT_EQ(Tally(UnMatched), std::tuple(1u, 1, 20));
}

TEST_F(ReportListsTest, MessagesFiledOnceDashLinesUncountedSizeTextNotANumberAddsNothingClearEmpties)
{
    Message("First problem");
    Message("First problem");
    Message("- continued on this line");
    Message("Disk full on /data/dst"); // a message, not a withdrawal
    EXPECT_EQ(Lists.List(Messages).Lines(),
              (Names{"First problem", "- continued on this line", "Disk full on /data/dst"}));
    EXPECT_EQ(Lists.Count(Messages), 2);
    File("a.txt", "", "Add", Added);
    File("b.txt", "12kB", "Add", Added);
    File("c.txt", "7", "Add", Added);
    File("d.txt", "10", "UnMatched Files", UnMatched);
    EXPECT_EQ(Tally(Added), std::tuple(3u, 3, 7));

    Lists.ClearReports();
    for (ReportCategory category : Categories) {
        EXPECT_EQ(Tally(category), std::tuple(0u, 0, 0)) << static_cast<int>(category);
    }
    Message("First problem"); // no longer a duplicate
    EXPECT_EQ(Lists.Count(Messages), 1);
}

// A loaded file replaces one list's lines and leaves its figures to the caller; lines it holds
// are never taken for entries the run filed, even when the text is the same.
TEST_F(ReportListsTest, ReplacedLinesAreNoFiledEntriesAndClearingOneListLeavesTheOthers)
{
    File("d.txt", "10", "UnMatched Files", UnMatched);
    File("a.txt", "7", "Add", Added);
    const std::string filed = Lists.List(UnMatched).At(0);
    Lists.ReplaceLines(UnMatched, {"loaded", filed});
    EXPECT_EQ(Lists.List(UnMatched).Lines(), (Names{"loaded", filed}));
    EXPECT_TRUE(Lists.UnmatchedItems().empty());
    EXPECT_EQ(Tally(UnMatched), std::tuple(2u, 1, 10));
    Lists.SetCount(UnMatched, 40);
    Lists.SetTotal(UnMatched, 4096);
    EXPECT_EQ(Tally(UnMatched), std::tuple(2u, 40, 4096));

    Lists.ClearList(UnMatched);
    EXPECT_EQ(Tally(UnMatched), std::tuple(0u, 0, 0));
    EXPECT_EQ(Tally(Added), std::tuple(1u, 1, 7));
    Lists.ClearList(Added);
    EXPECT_EQ(Tally(Added), std::tuple(0u, 0, 0));
}

// The list against a plain vector doing the same things the slow way: random inserts (past the
// end appends), removals by line and by row, with many identical lines so that "the first of
// them" matters, and prefixes of other lines ("line1", "line10") so that only whole lines match.
// The revision moves with every change, and only then.
TEST(ReportListTest, BehavesLikeAPlainVectorUnderRandomUse)
{
    std::mt19937 random(20240611);
    ReportList list;
    std::vector<std::string> model;
    auto pick = [&](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound)(random);
    };

    for (int step = 0; step < 20000; ++step) {
        std::string line = "line" + std::to_string(pick(300));
        std::size_t action = pick(9);
        const std::uint64_t revision = list.Revision();
        const std::size_t count = model.size();
        if (action < 5 || model.empty()) {
            std::size_t row = pick(model.size() + 2);
            list.Insert(row, line);
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(std::min(row, model.size())), line);
        } else if (action < 8) {
            auto found = std::find(model.begin(), model.end(), line);
            ASSERT_EQ(list.RemoveLine(line), found != model.end());
            if (found != model.end()) {
                model.erase(found);
            }
        } else {
            std::size_t row = pick(model.size() - 1);
            list.RemoveAt(row);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(row));
        }

        ASSERT_EQ(list.Count(), model.size());
        ASSERT_EQ(list.Revision() != revision, model.size() != count);
        if (!model.empty()) {
            std::size_t row = pick(model.size() - 1);
            ASSERT_EQ(list.At(row), model[row]);
            auto first = std::find(model.begin(), model.end(), model[row]);
            ASSERT_EQ(list.Find(model[row]), static_cast<std::size_t>(first - model.begin()));
        }
        if (step % 1000 == 0) {
            ASSERT_EQ(list.Lines(), model);
        }
    }
    ASSERT_EQ(list.Lines(), model);
    const std::uint64_t revision = list.Revision();
    list.Append("appended");
    EXPECT_NE(list.Revision(), revision);
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(list.Contains(model.empty() ? "line1" : model.front()));
}

} // namespace
} // namespace Tandemix
