// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/BatchFile.h"

#include "platform/FaultHook.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

// A row as "Update" stores it, the unused columns 21, 23, 31 and 32 empty.
BatchRow SampleRow(const std::string& number, const std::string& source, const std::string& target)
{
    BatchRow row{{number, source, ">", target}};
    std::istringstream rest(
        "161\t1\t01/15/24\t06/30/24\t\t-1\t0\t-1\t-1\t*.txt;*.doc\t*.tmp\t1000000\t10\t-1\t0\t-1\t0"
        "\t\tNightly.Log\t\t-1\t0\t30\t-1\t0\t2\t\t\t\t2");
    for (std::size_t col = 4; col < row.Cells.size(); ++col) {
        std::getline(rest, row.Cells[col], '\t');
    }
    return row;
}

std::string LineOf(const BatchRow& row)
{
    std::string line;
    for (const std::string& cell : row.Cells) {
        line.append(cell).push_back('\t');
    }
    return line;
}

// A description, a sound row, `middle` as line 3 and another sound row.
std::string FileAround(const std::string& middle)
{
    return "Nightly\r\n" + LineOf(SampleRow("1", "/data/a", "/backup/a")) + "\r\n" + middle + "\r\n"
           + LineOf(SampleRow("3", "/data/c", "/backup/c")) + "\r\n";
}

BatchRow With(BatchRow row, BatchCol col, const std::string& text)
{
    row[col] = text;
    return row;
}

TEST(BatchFileTest, ASavedListReopensWithEveryCellAndEachLineHoldsExactly34Tabs)
{
    TempTree tree;
    BatchList list{"Nightly backup",
                   {SampleRow("1", "/data/a", "/backup/a"), SampleRow("2", "/data/b", "/backup/b")}};
    list.Rows[1][BatchCol::Password] = "x\xE9y"; // scrambled text is bytes
    const std::string path = tree.Path("Nightly.SNC");
    ASSERT_TRUE(WriteBatchFile(path, list).Ok());

    const std::string text = tree.ReadFile("Nightly.SNC");
    EXPECT_TRUE(text.starts_with("Nightly backup\r\n1\t/data/a\t>\t/backup/a\t161\t"));
    EXPECT_TRUE(text.ends_with("\tx\xE9y\t\t\t2\t\r\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 2 * BatchColumnCount);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);

    SysResult<BatchFileContent> read = ReadBatchFile(path);
    ASSERT_TRUE(read.Ok());
    EXPECT_EQ(read->List, list);
    EXPECT_TRUE(read->Refused.empty());
}

TEST(BatchFileTest, RowsWithoutAFolderAreNotSavedAndTheSaveNameGetsTheBatchExtension)
{
    BatchRow noFolder = SampleRow("1", "", "");
    noFolder[BatchCol::DateFrom] = "01/02/24"; // a date's slashes are no folder
    EXPECT_EQ(BatchFileText({"Only", {noFolder}}), "Only\r\n");

    BatchRow sourceOnly = SampleRow("2", "/data/a", "");
    EXPECT_EQ(BatchFileText({"Two", {BatchRow{}, sourceOnly, noFolder}}),
              "Two\r\n" + LineOf(sourceOnly) + "\r\n");

    EXPECT_EQ(BatchSaveName(""), "NewBatch.SNC");
    EXPECT_EQ(BatchSaveName("Nightly"), "Nightly.SNC");
    EXPECT_EQ(BatchSaveName("Nightly.txt"), "Nightly.SNC");
    EXPECT_EQ(BatchSaveName("v1.2.Nightly.snc"), "v1.2.Nightly.SNC");
    EXPECT_EQ(BatchSaveName(".lists"), ".lists.SNC");
}

TEST(BatchFileTest, ADamagedLineIsRefusedWithItsNumberAndTheOtherRowsStillRead)
{
    const BatchRow good = SampleRow("2", "/data/b", "/backup/b");
    auto bad = [&good](BatchCol col, const std::string& text) {
        return LineOf(With(good, col, text));
    };
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"TabInName", bad(BatchCol::Target, "/backup/b\tc"), "more than 34 cells"},
        {"MaskNotANumber", bad(BatchCol::AttributeMask, "16I"), "the attribute mask is not a number"},
        {"SizeNotANumber", bad(BatchCol::MaxFileSize, "10k"), "the maximum file size is not a number"},
        {"DelayNotANumber", bad(BatchCol::WarningDelay, "ten"), "the deletion warning delay is not"},
        {"NoSuchDateMode", bad(BatchCol::DateMode, "4"), "the date mode names no choice"},
        {"NoSuchSpeed", bad(BatchCol::CompressionSpeed, "3"), "the compression speed names no"},
        {"NotADate", bad(BatchCol::DateTo, "13/45/24"), "the to-date is not a date"},
        {"MaskNotUtf8", bad(BatchCol::ExcludeMask, "*.b\xE4k"), "the exclude mask is not valid UTF-8"},
        {"NulInFolder", bad(BatchCol::Source, std::string("/data/b\0c", 9)), "the source folder holds"},
        {"CrInFolder", bad(BatchCol::Target, "/backup/b\rc"), "the target folder holds"},
        {"RelativeFolder", bad(BatchCol::Source, "data/b"), "the source folder is not a full path"},
        {"DriveLetterFolders",
         LineOf(With(With(good, BatchCol::Source, "C:\\a"), BatchCol::Target, "D:\\b")),
         "no folder"},
        {"MegabyteOfJunk", std::string(1 << 20, 'x'), "no folder"},
    };
    const std::vector<BatchRow> around{SampleRow("1", "/data/a", "/backup/a"),
                                       SampleRow("3", "/data/c", "/backup/c")};
    for (const auto& [name, line, reason] : cases) {
        SCOPED_TRACE(name);
        BatchFileContent content = ParseBatchFile(FileAround(line));
        EXPECT_EQ(content.List, (BatchList{"Nightly", around}));
        ASSERT_EQ(content.Refused.size(), 1u);
        EXPECT_EQ(content.Refused[0].Line, 3);
        EXPECT_NE(content.Refused[0].Reason.find(reason), std::string::npos) << content.Refused[0].Reason;
    }
    EXPECT_EQ(RefusedLineText({7, "it names no folder"}),
              "Line 7 of the batch file was not read: it names no folder");
}

TEST(BatchFileTest, LineEndsShortRowsExtraTextAndByteNamesReadAsSaved)
{
    const BatchRow row = SampleRow("1", "/data/a", "/backup/a");
    const BatchRow foldersOnly{{"2", "/x", ">", "/y"}};
    const BatchRow noTarget = With(foldersOnly, BatchCol::Target, "");
    const BatchRow latin1 = SampleRow("1", "/data/\xE4rger", "/backup/\xFF");
    const BatchRow longMask = With(row, BatchCol::ExcludeMask, std::string(1 << 20, ';'));
    const std::tuple<const char*, std::string, std::vector<BatchRow>> cases[] = {
        {"CrLf", "D\r\n" + LineOf(row) + "\r\n", {row}},
        {"Lf", "D\n" + LineOf(row) + "\n" + LineOf(foldersOnly) + "\n", {row, foldersOnly}},
        {"BlankLines", "D\r\n\r\n" + LineOf(row) + "\r\n\r\n\r\n", {row}},
        {"ShortRowFilled", "D\r\n2\t/x\t>\t/y\t\r\n", {foldersOnly}},
        // Text after the last TAB is no cell.
        {"TextAfterLastTab", "D\r\n2\t/x\t>\t/y\r\n", {noTarget}},
        {"TextAfter34thTab", "D\r\n" + LineOf(row) + "left over\r\n", {row}},
        {"LastLineWithoutEnd", "D\r\n" + LineOf(row), {row}},
        {"BytesInFolders", "D\r\n" + LineOf(latin1) + "\r\n", {latin1}},
        {"MegabyteMask", "D\r\n" + LineOf(longMask) + "\r\n", {longMask}},
    };
    for (const auto& [name, text, rows] : cases) {
        SCOPED_TRACE(name);
        BatchFileContent content = ParseBatchFile(text);
        EXPECT_EQ(content.List, (BatchList{"D", rows}));
        EXPECT_TRUE(content.Refused.empty());
    }

    // Cut off inside its last row: the half row is not taken, not even its folders.
    std::string full = "D\r\n" + LineOf(row) + "\r\n" + LineOf(row);
    BatchFileContent cut = ParseBatchFile(full.substr(0, full.size() - 20));
    EXPECT_EQ(cut.List.Rows, std::vector<BatchRow>{row});
    EXPECT_EQ(cut.Refused, (std::vector<RefusedBatchLine>{{3, "the file ends inside this row"}}));

    EXPECT_EQ(ParseBatchFile("").List, (BatchList{"", {}}));
}

// A folder or description with a TAB or line break, a full disk, a missing folder or file.
TEST(BatchFileTest, ARefusedOrFailedSaveSaysWhyAndLeavesTheOldFileWhole)
{
    TempTree tree;
    const std::string path = tree.AddFile("Old.SNC", std::string_view("old content"));
    for (const char* name : {"/backup/a\tb", "/backup/a\nb", "/backup/a\r\nb"}) {
        SCOPED_TRACE(name);
        BatchList list{"D", {SampleRow("1", "/data/a", "/backup/a"), SampleRow("2", "/data/b", name)}};
        BatchSaveResult result = WriteBatchFile(path, list);
        EXPECT_EQ(
            result.Problem,
            "Batch row 2 cannot be saved: the target folder holds a TAB, a line break or a null character");
        EXPECT_EQ(result.Error, 0);
    }
    BatchSaveResult description = WriteBatchFile(path, {"Two\nlines", {}});
    EXPECT_NE(description.Problem.find("description"), std::string::npos);
    EXPECT_EQ(tree.ReadFile("Old.SNC"), "old content");

    const BatchList list{"D", {SampleRow("1", "/data/a", "/backup/a")}};
    {
        ScopedFault full(
            {.Op = FaultOp::Write, .Error = ENOSPC, .PathContains = "Old.SNC", .AfterBytes = 10});
        BatchSaveResult result = WriteBatchFile(path, list);
        EXPECT_EQ(result.Error, ENOSPC);
        EXPECT_EQ(result.Problem, "Output File Not Accessible:" + path + ": " + std::strerror(ENOSPC));
    }
    EXPECT_EQ(tree.ReadFile("Old.SNC"), "old content");
    EXPECT_FALSE(WriteBatchFile(tree.Path("no/such/List.SNC"), list).Ok());
    EXPECT_EQ(ReadBatchFile(tree.Path("Missing.SNC")).Error(), ENOENT);
}

} // namespace
} // namespace Tandemix
