// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/ApplyBatchRow.h"

#include "settings/DateRange.h"
#include "settings/OptionRules.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace Tandemix {
namespace {

// Scrambling is the archive subsystem's; any reversible text stands in for it here.
class ReversingScrambler : public PasswordScrambler
{
public:
    std::string Scramble(std::string_view text) const override { return {text.rbegin(), text.rend()}; }
    std::string Unscramble(std::string_view text) const override { return {text.rbegin(), text.rend()}; }
};

BatchRow RowOf(std::vector<std::string> cells)
{
    BatchRow row;
    std::copy(cells.begin(), cells.end(), row.Cells.begin());
    return row;
}

class ApplyBatchRowTest : public ::testing::Test
{
protected:
    TempTree Tree;
    const std::time_t Now = Tandemix::Test::LocalTime(2024, 7, 1);
    const std::string Source = Tree.AddFolder("src");
    const std::string Target = Tree.AddFolder("dst");
    const ReversingScrambler Scrambler{};

    // Options that differ from what the rows below carry wherever they can.
    Options Window() const
    {
        Options opts;
        opts.IncludeString = "*.window";
        opts.ExcludeString = "*.bak";
        opts.LogFileName = "Window.Log";
        opts.PassWordName = "window";
        opts.DeleteUnmatchedWarningDelay = 5;
        opts.CompressExpand = 1;
        opts.CompressionSpeed = 2;
        opts.UseReportForm = false;
        return opts;
    }

    // Every option set: dates from-to, deletion with replication, compression, a password.
    BatchRow FullRow() const
    {
        return RowOf(
            {"1",  Source,  ">",     Target, "33", "1", "01/15/24", "06/30/24", "",   "0", "-1",          "0",
             "-1", "*.txt", "*.tmp", "1000", "10", "0", "-1",       "0",        "-1", "",  "Nightly.Log", "",
             "-1", "-1",    "30",    "-1",   "0",  "1", "ssap",     "",         "",   ""});
    }

    Options Opts = Window();
    BatchRow Row = FullRow();
};

TEST_F(ApplyBatchRowTest, ARowSetsExactlyTheOptionsItCarries)
{
    BatchRowResult result = ApplyBatchRow(Opts, Row, Now, &Scrambler);
    ASSERT_EQ(result.Outcome, BatchRowOutcome::Applied) << result.Problem;
    EXPECT_EQ(std::tie(result.Folders.Source, result.Folders.Target), std::tie(Source, Target));

    Options expected = Window();
    expected.CheckReadOnly = true, expected.CheckArchive = true; // 33
    expected.CheckNormal = expected.CheckHidden = expected.CheckSystem = false;
    expected.DatesMode = DateMode::FromTo;
    expected.UseDateFrom = expected.DateFrom = ParseMaskedDate("01/15/24").value();
    expected.UseDateTo = expected.DateTo = ParseMaskedDate("06/30/24").value();
    expected.IncludeSubFolderOption = false, expected.UseCompression = true;
    expected.UpdateFilesOption = false, expected.AddFilesOption = true;
    expected.IncludeString = "*.txt", expected.ExcludeString = "*.tmp";
    expected.MaxFileSize = "1000", expected.MinFileSize = "10";
    expected.CreateSubFolderOption = false, expected.CheckResetArchive = true;
    expected.UseLogFile = false, expected.ReportLogOverwrite = true, expected.LogFileName = "Nightly.Log";
    expected.DeleteUnMatchPriorToSync = expected.ReplicateFolders = expected.DeleteUnmatched = true;
    expected.DeleteUnmatchedWarningDelay = 30;
    expected.UseReportForm = expected.ListUnMatchedFiles = true; // deletion works from that list
    expected.CompressExpand = 0, expected.CompressionSpeed = 1, expected.PassWordName = "pass";
    EXPECT_TRUE(Opts == expected);
    EXPECT_EQ(Row[BatchCol::RowMarker], "0");
}

TEST_F(ApplyBatchRowTest, TheAttributeMaskSetsTheFiveFileKinds)
{
    using Kinds = std::tuple<bool, bool, bool, bool, bool>; // normal, archive, read-only, system, hidden
    const std::pair<const char*, Kinds> rows[] = {
        {"2048", {true, false, false, false, false}}, // the compressed bit alone
        {"0", {true, false, false, false, false}},
        {"128", {true, false, false, false, false}},
        {"2049", {false, false, true, false, false}},
        {"167", {true, true, true, true, true}},
        {"4", {false, false, false, true, false}},
        {"34", {false, true, false, false, true}},
    };
    for (const auto& [mask, kinds] : rows) {
        Options o;
        BatchRow row = RowOf({"1", Source, ">", Target, mask});
        ASSERT_EQ(ApplyBatchRow(o, row, Now).Outcome, BatchRowOutcome::Applied) << mask;
        const Kinds set(o.CheckNormal, o.CheckArchive, o.CheckReadOnly, o.CheckSystem, o.CheckHidden);
        EXPECT_EQ(set, kinds) << mask;
    }
}

// A row without an attribute mask carries no options: its folders alone are taken.
TEST_F(ApplyBatchRowTest, ADamagedRowOrAPairNoRunMayTakeOrARowWithoutOptionsChangesNothing)
{
    // clang-format off
    struct Case { const char* Name; BatchCol Col; std::string Text, Problem; BatchRowOutcome Outcome = BatchRowOutcome::Refused; };
    const Case cases[] = {
        {"NoAttributeMask", BatchCol::AttributeMask, "", "", BatchRowOutcome::NoOptions},
        {"MaskNotANumber", BatchCol::AttributeMask, "33x", "the attribute mask is not a number"},
        {"DelayNotANumber", BatchCol::WarningDelay, "", "the deletion warning delay is not a number"},
        {"NotADate", BatchCol::DateFrom, "  /  /  ", "the from-date is not a date (mm/dd/yy)"},
        {"LineBreak", BatchCol::IncludeMask, "*.a\n", "the include mask holds a TAB, a line break or a null character"},
        {"TargetInSource", BatchCol::Target, Tree.Path("src/inner"), "Source and target overlap: "},
        {"RootTarget", BatchCol::Target, "/", "The filesystem root cannot be synchronised: "},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Options opts = Window();
        BatchRow row = FullRow();
        row[c.Col] = c.Text;
        const BatchRow before = row;
        BatchRowResult result = ApplyBatchRow(opts, row, Now, &Scrambler);
        EXPECT_EQ(result.Outcome, c.Outcome);
        EXPECT_TRUE(result.Problem.starts_with(c.Problem)) << result.Problem;
        EXPECT_TRUE(opts == Window());
        EXPECT_EQ(row, before);
        if (c.Outcome == BatchRowOutcome::NoOptions) {
            EXPECT_EQ(result.Folders.Target, Target);
        }
    }
}

TEST_F(ApplyBatchRowTest, ARowCapturedFromTheOptionsAppliesBackToThem)
{
    auto fromTo = [this](Options& o) {
        o.DatesMode = DateMode::FromTo;
        UseDateFromChange(o, "02/29/24", Now);
        UseDateToChange(o, "03/31/24", Now);
    };
    auto noDays = [this](Options& o) {
        o.PastDaysCount = "7";
        UseDatesNoDaysClick(o, Now);
        o.CheckNormal = o.CheckHidden = false;
        o.MaxFileSize = "5000";
        SetDeleteUnmatched(o, true);
        o.DeleteUnmatchedWarningDelay = 0;
    };
    auto compressed = [this](Options& o) {
        UseDatesAllClick(o, Now);
        o.UseCompression = true;
        o.CompressExpand = 1;
        o.CompressionSpeed = 2;
        o.PassWordName = "secret";
        SetReplicateFolders(o, true);
        o.IncludeSubFolderOption = o.AddFilesOption = o.UseLogFile = false;
        o.LogFileName = "Run.txt";
    };
    const std::pair<std::string, std::function<void(Options&)>> cases[] = {{"FromTo", fromTo},
                                                                           {"NoDays", noDays},
                                                                           {"Compressed", compressed}};
    for (const auto& [name, set] : cases) {
        SCOPED_TRACE(name);
        Options captured;
        set(captured);
        BatchRow row = NewBatchRow(4, Source, Target, captured, Now, &Scrambler);
        EXPECT_EQ(BatchRowProblem(row), "");
        EXPECT_EQ(std::tie(row[BatchCol::RowNumber], row[BatchCol::Direction], row[BatchCol::RowMarker]),
                  std::tuple("4", ">", "2"));

        Options applied = Window();
        // Different from the captured options only where the row carries them.
        applied.UseReportForm = captured.UseReportForm;
        applied.DeleteUnmatchedWarningDelay = captured.DeleteUnmatchedWarningDelay;
        applied.UseDateFrom = captured.UseDateFrom, applied.UseDateTo = captured.UseDateTo;
        ASSERT_EQ(ApplyBatchRow(applied, row, Now, &Scrambler).Outcome, BatchRowOutcome::Applied);
        if (name == "Compressed") {
            captured.LogFileName = "Run.Log"; // stored with the log extension
        }
        EXPECT_TRUE(applied == captured);
    }
}

TEST_F(ApplyBatchRowTest, DeletionRulesHoldForRowsFromElsewhere)
{
    // Replication or the pre-run deletion without deletion itself: the row deletes nothing.
    Row[BatchCol::DeleteUnmatched] = "0";
    Row[BatchCol::WarningDelay] = "99";
    ASSERT_EQ(ApplyBatchRow(Opts, Row, Now, &Scrambler).Outcome, BatchRowOutcome::Applied);
    EXPECT_FALSE(Opts.DeleteUnmatched || Opts.ReplicateFolders || Opts.DeleteUnMatchPriorToSync);
    EXPECT_EQ(Opts.DeleteUnmatchedWarningDelay, 5); // kept, and the cell shows it
    EXPECT_EQ(Row[BatchCol::WarningDelay], "5");

    // "Any other text reads as off", however much it looks like on.
    Row = FullRow();
    Row[BatchCol::DeleteUnmatched] = "1";
    ASSERT_EQ(ApplyBatchRow(Opts, Row, Now, &Scrambler).Outcome, BatchRowOutcome::Applied);
    EXPECT_FALSE(Opts.DeleteUnmatched);
}

TEST_F(ApplyBatchRowTest, ThePasswordIsStoredScrambledAndAnEmptyCellMeansNone)
{
    Row[BatchCol::Password].clear();
    ASSERT_EQ(ApplyBatchRow(Opts, Row, Now, &Scrambler).Outcome, BatchRowOutcome::Applied);
    EXPECT_EQ(Opts.PassWordName, "");

    // Without the scrambling the cell is neither read nor written: never a password in clear.
    Opts.PassWordName = "window";
    Row = FullRow();
    ASSERT_EQ(ApplyBatchRow(Opts, Row, Now).Outcome, BatchRowOutcome::Applied);
    EXPECT_EQ(Opts.PassWordName, "window");
    CaptureBatchRow(Row, Opts, Now);
    EXPECT_EQ(Row[BatchCol::Password], "ssap");
    CaptureBatchRow(Row, Opts, Now, &Scrambler);
    EXPECT_EQ(Row[BatchCol::Password], "wodniw");
}

} // namespace
} // namespace Tandemix
