// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ReportLists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tandemix {
namespace {

constexpr ReportSwitches DuringRun{true, true, true, false};

class ReportListsTest : public testing::Test
{
protected:
    void File(std::string_view name,
              std::string_view size,
              std::string_view detail,
              std::string_view kind,
              ReportCategory category,
              const ReportSwitches& switches = DuringRun)
    {
        Lists.AddReportEntry(ReportEntry{name, "/data/dst/", size, detail, kind, category}, switches);
    }
    void Message(std::string_view text, const ReportSwitches& switches = DuringRun)
    {
        Lists.AddReportEntry(ReportEntry{{}, {}, {}, {}, text, ReportCategory::Messages}, switches);
    }
    void Unmatched(std::string_view name, std::string_view size = "10")
    {
        File(name, size, "7/22/97 10:01:44 AM", "UnMatched Files", ReportCategory::UnMatched);
    }
    void Withdraw(std::string_view name, std::string_view size = "10")
    {
        File(name, size, "7/22/97 10:01:44 AM", "Delete UnMatched Files", ReportCategory::UnMatched);
    }
    // The name column of every line, top to bottom.
    std::vector<std::string> Names(ReportCategory category) const
    {
        std::vector<std::string> names;
        for (const std::string& line : Lists.List(category).Lines()) {
            std::string name = line.substr(0, line.find('\t'));
            names.push_back(name.substr(0, name.find_last_not_of(' ') + 1));
        }
        return names;
    }

    ReportLists Lists;
};

// ---- Line formats ----------------------------------------------------------------------------

TEST_F(ReportListsTest, AddedLineHasItsColumns)
{
    File("notes.txt", "1234", "7/22/97 10:01:44 AM", "Add", ReportCategory::Added);
    ASSERT_EQ(Lists.List(ReportCategory::Added).Count(), 1u);
    EXPECT_EQ(Lists.List(ReportCategory::Added).At(0),
              "notes.txt                   \t    1234\t 7/22/97 10:01:44 AM\t/data/dst/");
}

TEST_F(ReportListsTest, ExcludedLineCarriesItsReason)
{
    File("big.iso", "7340032000", "1/5/98 9:05:03 AM", "Size Exclusion", ReportCategory::Excluded);
    EXPECT_EQ(
        Lists.List(ReportCategory::Excluded).At(0),
        "big.iso                     \tSize Exclusion    \t7340032000\t   1/5/98 9:05:03 AM\t/data/dst/");
}

TEST_F(ReportListsTest, LongNamesPushTheOtherColumnsAndNothingIsCut)
{
    std::string name = "a-name-that-is-longer-than-the-column.txt";
    File(name, "5", "1/5/98 9:05:03 AM", "Add", ReportCategory::Added);
    EXPECT_EQ(Lists.List(ReportCategory::Added).At(0), name + "\t       5\t   1/5/98 9:05:03 AM\t/data/dst/");
}

TEST_F(ReportListsTest, ColumnsCountCharactersNotBytes)
{
    File("r\xC3\xA9sum\xC3\xA9.txt", "5", "1/5/98 9:05:03 AM", "Add", ReportCategory::Added); // résumé.txt
    std::string line = Lists.List(ReportCategory::Added).At(0);
    EXPECT_EQ(line.substr(0, line.find('\t')), "r\xC3\xA9sum\xC3\xA9.txt" + std::string(18, ' '));
}

// ---- Reporting switches ----------------------------------------------------------------------

TEST_F(ReportListsTest, WithReportingOffOnlyMessagesAreFiled)
{
    const ReportSwitches off{true, false, true, false};
    File("a.txt", "1", "1/5/98 9:05:03 AM", "Add", ReportCategory::Added, off);
    File("b.txt", "1", "1/5/98 9:05:03 AM", "Update", ReportCategory::Updated, off);
    File("c.txt", "1", "1/5/98 9:05:03 AM", "Date Exclusion", ReportCategory::Excluded, off);
    File("d.txt", "1", "1/5/98 9:05:03 AM", "UnMatched Files", ReportCategory::UnMatched, off);
    File("e.txt", "1", "---", "File Deleted", ReportCategory::Deletions, off);
    Message("Could Not Read File: /data/src/a.txt", off);

    for (ReportCategory category : {ReportCategory::Added,
                                    ReportCategory::Updated,
                                    ReportCategory::Excluded,
                                    ReportCategory::UnMatched,
                                    ReportCategory::Deletions}) {
        EXPECT_TRUE(Lists.List(category).Empty());
        EXPECT_EQ(Lists.Count(category), 0);
        EXPECT_EQ(Lists.Total(category), 0);
    }
    EXPECT_EQ(Lists.List(ReportCategory::Messages).Count(), 1u);
    EXPECT_EQ(Lists.Count(ReportCategory::Messages), 1);
}

TEST_F(ReportListsTest, OutsideARunOnlyMessagesAreFiled)
{
    const ReportSwitches idle{false, true, true, false};
    File("a.txt", "1", "1/5/98 9:05:03 AM", "Add", ReportCategory::Added, idle);
    Message("Done", idle);
    EXPECT_TRUE(Lists.List(ReportCategory::Added).Empty());
    EXPECT_EQ(Lists.List(ReportCategory::Messages).Count(), 1u);
}

TEST_F(ReportListsTest, UnmatchedFilesNeedTheirOwnSwitch)
{
    const ReportSwitches noUnmatched{true, true, false, false};
    File("a.txt", "1", "1/5/98 9:05:03 AM", "UnMatched Files", ReportCategory::UnMatched, noUnmatched);
    File("b.txt", "1", "1/5/98 9:05:03 AM", "Add", ReportCategory::Added, noUnmatched);
    EXPECT_TRUE(Lists.List(ReportCategory::UnMatched).Empty());
    EXPECT_EQ(Lists.Count(ReportCategory::Added), 1);
}

TEST_F(ReportListsTest, CategoriesOutsideTheSixAreIgnored)
{
    Lists.AddReportEntry(ReportEntry{"a", "/", "1", "x", "Add", static_cast<ReportCategory>(6)}, DuringRun);
    Lists.AddReportEntry(ReportEntry{"a", "/", "1", "x", "Add", static_cast<ReportCategory>(-1)}, DuringRun);
    for (int category = 0; category < 6; ++category) {
        EXPECT_TRUE(Lists.List(static_cast<ReportCategory>(category)).Empty());
    }
}

// ---- Messages --------------------------------------------------------------------------------

TEST_F(ReportListsTest, SameMessageTwiceIsFiledAndCountedOnce)
{
    Message("Could Not Read File: /data/src/a.txt");
    Message("Could Not Read File: /data/src/a.txt");
    EXPECT_EQ(Lists.List(ReportCategory::Messages).Count(), 1u);
    EXPECT_EQ(Lists.Count(ReportCategory::Messages), 1);
}

TEST_F(ReportListsTest, MessageBeginningWithDashIsListedNotCounted)
{
    Message("First problem");
    Message("- continued on this line");
    Message("Second problem");
    EXPECT_EQ(Lists.List(ReportCategory::Messages).Lines(),
              (std::vector<std::string>{"First problem", "- continued on this line", "Second problem"}));
    EXPECT_EQ(Lists.Count(ReportCategory::Messages), 2);
}

TEST_F(ReportListsTest, MessageBeginningWithDIsAMessageNotAWithdrawal)
{
    Message("Disk full on /data/dst");
    EXPECT_EQ(Lists.List(ReportCategory::Messages).Count(), 1u);
}

// ---- Where lines go ---------------------------------------------------------------------------

TEST_F(ReportListsTest, NewestAddedFileStandsFirst)
{
    File("first.txt", "1", "1/5/98 9:05:03 AM", "Add", ReportCategory::Added);
    File("second.txt", "2", "1/5/98 9:05:03 AM", "Add", ReportCategory::Added);
    EXPECT_EQ(Names(ReportCategory::Added), (std::vector<std::string>{"second.txt", "first.txt"}));
    EXPECT_EQ(Lists.Count(ReportCategory::Added), 2);
    EXPECT_EQ(Lists.Total(ReportCategory::Added), 3);
}

TEST_F(ReportListsTest, UnmatchedFilesKeepListingOrderAndLaterFoldersGoOnTop)
{
    Lists.BeginListing();
    Unmatched("a1");
    Unmatched("a2");
    Unmatched("a3");
    EXPECT_EQ(Names(ReportCategory::UnMatched), (std::vector<std::string>{"a1", "a2", "a3"}));

    Lists.BeginListing();
    Unmatched("b1");
    Unmatched("b2");
    EXPECT_EQ(Names(ReportCategory::UnMatched), (std::vector<std::string>{"b1", "b2", "a1", "a2", "a3"}));
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
    EXPECT_EQ(Names(ReportCategory::UnMatched), (std::vector<std::string>{"a3", "a4"}));
}

struct MiddleRowCase
{
    std::size_t Lines;
    std::size_t Row;
};

class MiddleInsertTest : public ReportListsTest, public testing::WithParamInterface<MiddleRowCase>
{};

TEST_P(MiddleInsertTest, LineWithDashesGoesToTheMiddleRoundedToEven)
{
    for (std::size_t i = 0; i < GetParam().Lines; ++i) {
        File("file" + std::to_string(i), "1", "1/5/98 9:05:03 AM", "File Deleted", ReportCategory::Deletions);
    }
    File("folder", "0", "---", "Folder Deleted", ReportCategory::Deletions);
    EXPECT_EQ(
        Lists.List(ReportCategory::Deletions)
            .Find(ReportLine(
                ReportEntry{"folder", "/data/dst/", "0", "---", "Folder Deleted", ReportCategory::Deletions},
                false)),
        GetParam().Row);
    EXPECT_EQ(Lists.Count(ReportCategory::Deletions), static_cast<std::int64_t>(GetParam().Lines + 1));
}

INSTANTIATE_TEST_SUITE_P(ZeroToFiveLines,
                         MiddleInsertTest,
                         testing::Values(MiddleRowCase{0, 0},
                                         MiddleRowCase{1, 0},
                                         MiddleRowCase{2, 1},
                                         MiddleRowCase{3, 2},
                                         MiddleRowCase{4, 2},
                                         MiddleRowCase{5, 2}),
                         [](const auto& param) { return std::to_string(param.param.Lines) + "Lines"; });

TEST_F(ReportListsTest, UnmatchedFolderGoesToTheMiddleAndLeavesTheCounterAlone)
{
    Lists.BeginListing();
    Unmatched("a1");
    Unmatched("a2");
    File("sub", "0", "Folder-------------", "UnMatched Folder", ReportCategory::UnMatched);
    // The folder took row 1 of two; the counter still says 2, so a3 goes in just after it.
    Unmatched("a3");
    EXPECT_EQ(Names(ReportCategory::UnMatched), (std::vector<std::string>{"a1", "sub", "a3", "a2"}));
}

// ---- Withdrawals -------------------------------------------------------------------------------

TEST_F(ReportListsTest, WithdrawnUnmatchedFileRestoresCountAndTotal)
{
    Lists.BeginListing();
    Unmatched("keep.txt", "100");
    Unmatched("matched.txt", "2500000000"); // over 2 GiB: totals are 64-bit
    EXPECT_EQ(Lists.Total(ReportCategory::UnMatched), 2500000100);

    Withdraw("matched.txt", "2500000000");
    EXPECT_EQ(Names(ReportCategory::UnMatched), (std::vector<std::string>{"keep.txt"}));
    EXPECT_EQ(Lists.Count(ReportCategory::UnMatched), 1);
    EXPECT_EQ(Lists.Total(ReportCategory::UnMatched), 100);
}

TEST_F(ReportListsTest, WithdrawalOfAMissingLineStillLowersTheTotal)
{
    Unmatched("keep.txt", "100");
    Withdraw("never-listed.txt", "40");
    EXPECT_EQ(Lists.Count(ReportCategory::UnMatched), 1);
    EXPECT_EQ(Lists.Total(ReportCategory::UnMatched), 60);
}

TEST_F(ReportListsTest, WithdrawnFolderLeavesItsFilesAlone)
{
    Unmatched("sub");
    File("sub", "0", "Folder-------------", "UnMatched Folder", ReportCategory::UnMatched);
    File("sub", "0", "Folder-------------", "Delete UnMatched Folder", ReportCategory::UnMatched);
    EXPECT_EQ(Lists.List(ReportCategory::UnMatched).Count(), 1u);
    EXPECT_NE(Lists.List(ReportCategory::UnMatched).At(0).find("7/22/97"), std::string::npos);
}

TEST_F(ReportListsTest, ReasonsBeginningWithDAreFiledNotWithdrawn)
{
    File("old.txt", "7", "1/5/98 9:05:03 AM", "Date Exclusion", ReportCategory::Excluded);
    File("draft.tmp", "8", "1/5/98 9:05:03 AM", "D*.tmp", ReportCategory::Excluded);
    EXPECT_EQ(Names(ReportCategory::Excluded), (std::vector<std::string>{"draft.tmp", "old.txt"}));
    EXPECT_EQ(Lists.Total(ReportCategory::Excluded), 15);
}

TEST_F(ReportListsTest, UnderCompressionUnmatchedLinesAreLowerCaseAndStillWithdrawn)
{
    const ReportSwitches compressing{true, true, true, true};
    File("Report.DOC",
         "10",
         "7/22/97 10:01:44 AM",
         "UnMatched Files",
         ReportCategory::UnMatched,
         compressing);
    File("Other.TXT", "20", "7/22/97 10:01:44 AM", "UnMatched Files", ReportCategory::UnMatched, compressing);
    File("Kept.TXT", "5", "7/22/97 10:01:44 AM", "Add", ReportCategory::Added, compressing);
    EXPECT_EQ(Lists.List(ReportCategory::UnMatched).At(0),
              "report.doc                  \t      10\t 7/22/97 10:01:44 am\t/data/dst/");
    EXPECT_EQ(Names(ReportCategory::Added), (std::vector<std::string>{"Kept.TXT"})); // only unmatched lines

    File("Report.DOC",
         "10",
         "7/22/97 10:01:44 AM",
         "Delete UnMatched Files",
         ReportCategory::UnMatched,
         compressing);
    EXPECT_EQ(Names(ReportCategory::UnMatched), (std::vector<std::string>{"other.txt"}));
    EXPECT_EQ(Lists.Total(ReportCategory::UnMatched), 20);
}

TEST_F(ReportListsTest, DuplicateUnmatchedLinesAreWithdrawnOneAtATime)
{
    Unmatched("twice.txt");
    Unmatched("twice.txt");
    Withdraw("twice.txt");
    EXPECT_EQ(Lists.Count(ReportCategory::UnMatched), 1);
    Withdraw("twice.txt");
    EXPECT_EQ(Lists.Count(ReportCategory::UnMatched), 0);
    EXPECT_EQ(Lists.Total(ReportCategory::UnMatched), 0);
}

// ---- Clearing ----------------------------------------------------------------------------------

TEST_F(ReportListsTest, ClearReportsEmptiesEverything)
{
    File("a.txt", "1", "1/5/98 9:05:03 AM", "Add", ReportCategory::Added);
    Unmatched("b.txt");
    Unmatched("c.txt");
    Message("Problem");
    Lists.ClearReports();
    for (int category = 0; category < 6; ++category) {
        EXPECT_TRUE(Lists.List(static_cast<ReportCategory>(category)).Empty());
        EXPECT_EQ(Lists.Count(static_cast<ReportCategory>(category)), 0);
        EXPECT_EQ(Lists.Total(static_cast<ReportCategory>(category)), 0);
    }
    Message("Problem"); // no longer a duplicate
    EXPECT_EQ(Lists.Count(ReportCategory::Messages), 1);
}

TEST_F(ReportListsTest, SizeTextThatIsNotANumberAddsNothing)
{
    File("a.txt", "", "1/5/98 9:05:03 AM", "Add", ReportCategory::Added);
    File("b.txt", "12kB", "1/5/98 9:05:03 AM", "Add", ReportCategory::Added);
    File("c.txt", "7", "1/5/98 9:05:03 AM", "Add", ReportCategory::Added);
    EXPECT_EQ(Lists.Count(ReportCategory::Added), 3);
    EXPECT_EQ(Lists.Total(ReportCategory::Added), 7);
}

} // namespace
} // namespace Tandemix
