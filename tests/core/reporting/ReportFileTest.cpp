// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ReportFile.h"

#include "platform/DateText.h"
#include "platform/FaultHook.h"
#include "platform/WallClock.h"
#include "reporting/ReportList.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

namespace Tandemix {
namespace {

using Lines = std::vector<std::string>;

ReportList ListOf(const Lines& lines)
{
    ReportList list;
    list.Assign(lines);
    return list;
}

TEST(ReportFileTest, SavedListsComeBackWithTheirLinesFiguresAndMark)
{
    TempTree tree;
    ScopedClock clock([] { return std::time_t{884000000}; });
    // Lines as filed, and the ones a file system allows: a TAB and a bare LF in a name, blanks at
    // either end, an empty line, text that is not ASCII.
    const Lines lines = {"first.txt                   \t    1000\t   1/5/98 9:05:03 AM\t/data/",
                         "tab\tname.txt\t      12\t   1/5/98 9:05:03 AM\t/data/with\ttab/",
                         "line\nbreak.txt\t 1\t x\t/d/",
                         "",
                         "  Grüße.txt  "};
    struct Case
    {
        const char* Page;
        bool Compressed;
        std::int64_t Count;
        std::int64_t Total;
    };
    for (const Case& c :
         {Case{"Added", false, 5, 40960}, Case{"UnMatched", true, 3, -7}, Case{"Messages", false, 0, 0}}) {
        SCOPED_TRACE(c.Page);
        std::string path = tree.Path(std::string(c.Page) + ".TXR");
        ReportFileHeader header{c.Compressed, c.Page, DateTimeText(Now()), c.Count, c.Total};
        ASSERT_TRUE(WriteReportFile(path, header, ListOf(lines)).Ok());

        SysResult<ReportFileContent> read = ReadReportFile(path);
        ASSERT_TRUE(read.Ok());
        EXPECT_EQ(read->Lines, lines);
        ASSERT_TRUE(read->Header.has_value());
        EXPECT_EQ(read->Header->Page, c.Page);
        EXPECT_EQ(read->Header->Compressed, c.Compressed);
        EXPECT_EQ(read->Header->SavedAt, DateTimeText(884000000));
        EXPECT_EQ(read->Header->ItemCount, c.Count);
        EXPECT_EQ(read->Header->ByteTotal, c.Total);
    }
    // What other programs see: the header's shape and CR LF after every line.
    EXPECT_TRUE(tree.ReadFile("Added.TXR")
                    .starts_with("Added\t" + DateTimeText(884000000) + "\t5\t40960\t\r\nfirst"));
    EXPECT_TRUE(tree.ReadFile("UnMatched.TXR").starts_with(">UnMatched\t"));
    EXPECT_TRUE(tree.ReadFile("Messages.TXR").ends_with("\r\n\r\n  Grüße.txt  \r\n"));
}

TEST(ReportFileTest, FilesWithoutAHeaderOrFromElsewhereLoadTheirLines)
{
    TempTree tree;
    struct Case
    {
        const char* Content;
        bool Header;
        Lines Expected;
    };
    const Case cases[] = {
        {"\r\nline one\r\nline two\r\n", false, {"line one", "line two"}},
        {"", false, {}},
        // Written elsewhere with LF alone, one line keeping a stray CR, no final line end.
        {"Added\tx\t2\t3\t\nline one\r\nline two", true, {"line one", "line two"}},
        {"Updated\t\t1\t1\t\r\nno line end", true, {"no line end"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Content);
        std::string path = tree.AddFile("in.TXR", std::string_view(c.Content));
        SysResult<ReportFileContent> read = ReadReportFile(path);
        ASSERT_TRUE(read.Ok());
        EXPECT_EQ(read->Header.has_value(), c.Header);
        EXPECT_EQ(read->Lines, c.Expected);
    }
}

TEST(ReportFileTest, DamagedHeadersNeverPutOneFieldInAnothersPlace)
{
    using Count = std::optional<std::int64_t>;
    struct Case
    {
        const char* Line;
        const char* Page;
        bool Compressed;
        Count Items;
        Count Bytes;
    };
    const Case cases[] = {
        {">Added\t1/5/98 9:05:03 AM\t12\t40960\t", "Added", true, 12, 40960},
        {" Updated \t d \t 12 \t 40960 ", "Updated", false, 12, 40960},
        // Cut short: the date is no count, whatever stands last.
        {"Added\t1/5/98 9:05:03 AM", "Added", false, std::nullopt, std::nullopt},
        {"Added\t5", "Added", false, std::nullopt, std::nullopt},
        {"Excluded\td\t\t5\t", "Excluded", false, std::nullopt, 5},
        {"Excluded\td\t12abc\t5x\t", "Excluded", false, std::nullopt, std::nullopt},
        {"Added\td\t99999999999999999999\t1\t", "Added", false, std::nullopt, 1},
        {">", "", true, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        std::optional<ReportFileHeader> header = ParseReportHeader(c.Line);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->Page, c.Page);
        EXPECT_EQ(header->Compressed, c.Compressed);
        EXPECT_EQ(header->ItemCount, c.Items);
        EXPECT_EQ(header->ByteTotal, c.Bytes);
    }
    EXPECT_FALSE(ParseReportHeader("").has_value());
}

TEST(ReportFileTest, GetTabFieldAnswersEachFieldTrimmedAndTheLastForFewerTabs)
{
    struct Case
    {
        const char* Line;
        int N;
        const char* Field;
    };
    const Case cases[] = {
        {"  a \tb\t\tc", 1, "a"},
        {"  a \tb\t\tc", 2, "b"},
        {"  a \tb\t\tc", 3, ""},
        {"  a \tb\t\tc", 4, "c"},
        {"  a \tb\t\tc", 5, "c"}, // fewer TABs: the text after the last one
        {"  a \tb\t\tc", 0, ""},
        {"  a \tb\t\tc", 10, ""}, // beyond the line's length
        {"abc", 1, "abc"},
        {"abc", 4, ""},
        {"äbc", 4, ""}, // three characters, four bytes
        {"", 1, ""},
        {"\x01x\r\t\x7fy ", 1, "x"},
        {"a\t", 2, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetTabField(c.Line, c.N), c.Field) << '"' << c.Line << "\" field " << c.N;
    }
}

TEST(ReportFileTest, AFileThatCannotBeReadOrWrittenIsAnErrorAndTheOldFileStaysWhole)
{
    TempTree tree;
    EXPECT_EQ(ReadReportFile(tree.Path("missing.TXR")).Error(), ENOENT);
    EXPECT_FALSE(ReadReportFile(tree.AddFolder("folder.TXR")).Ok());
    {
        std::string path = tree.AddFile("broken.TXR", std::string_view("Added\t\t1\t1\t\r\nline\r\n"));
        ScopedFault fault({.Op = FaultOp::Read, .Error = EIO, .PathContains = "broken"});
        EXPECT_EQ(ReadReportFile(path).Error(), EIO);
    }

    std::string path = tree.AddFile("old.TXR", std::string_view("old content"));
    ReportFileHeader header{false, "Added", "now", 1, 1};
    {
        ScopedFault full({.Op = FaultOp::Write, .Error = ENOSPC, .PathContains = "old.TXR", .AfterBytes = 0});
        EXPECT_EQ(WriteReportFile(path, header, ListOf({"a new line"})).Error(), ENOSPC);
    }
    EXPECT_EQ(tree.ReadFile("old.TXR"), "old content");
    EXPECT_FALSE(WriteReportFile(tree.Path("no/such/folder.TXR"), header, ListOf({})).Ok());
}

TEST(ReportFileTest, APrintedListBeginsWithItsNameFiguresAndARule)
{
    EXPECT_EQ(PrintedHeaderLines("Updated", "1/5/98 9:05:03 AM", 2, 2048),
              (Lines{"List Name: Updated\t\tReport Printed: 1/5/98 9:05:03 AM",
                     "Total Number of Items: 2\tTotal Size of Files: 2.00 KB",
                     std::string(80, '-')}));
}

} // namespace
} // namespace Tandemix
