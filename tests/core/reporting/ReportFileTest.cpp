// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ReportFile.h"

#include "platform/DateText.h"
#include "platform/FaultHook.h"
#include "platform/WallClock.h"
#include "reporting/ReportList.h"
#include "support/FileChecks.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace Tandemix {
namespace {

using Lines = std::vector<std::string>;
using ReportFileTest = Test::TreeFixture;

ReportList ListOf(const Lines& lines)
{
    ReportList list;
    list.Assign(lines);
    return list;
}

TEST_F(ReportFileTest, SavedListsComeBackWithTheirLinesFiguresAndMark)
{
    ScopedClock clock([] { return std::time_t{884000000}; });
    // Lines as filed, and the ones a file system allows: a TAB and a bare LF in a name, blanks at
    // either end, an empty line, text that is not ASCII.
    const Lines lines = {"first.txt                   \t    1000\t   1/5/98 9:05:03 AM\t/data/",
                         "tab\tname.txt\t      12\t   1/5/98 9:05:03 AM\t/data/with\ttab/",
                         "line\nbreak.txt\t 1\t x\t/d/",
                         "",
                         "  Grüße.txt  "};
    for (auto [page, compressed, count, total] :
         {std::tuple{"Added", false, 5, 40960}, {"UnMatched", true, 3, -7}, {"Messages", false, 0, 0}}) {
        SCOPED_TRACE(page);
        std::string path = Tree.Path(std::string(page) + ".TXR");
        ASSERT_TRUE(
            WriteReportFile(path, {compressed, page, DateTimeText(Now()), count, total}, ListOf(lines)).Ok());

        SysResult<ReportFileContent> read = ReadReportFile(path);
        ASSERT_TRUE(read.Ok() && read->Header.has_value());
        EXPECT_EQ(read->Lines, lines);
        const ReportFileHeader& h = *read->Header;
        EXPECT_EQ(std::tuple(h.Page, h.Compressed, h.SavedAt, h.ItemCount, h.ByteTotal),
                  std::tuple(page, compressed, DateTimeText(884000000), count, total));
    }
    // What other programs see: the header's shape and CR LF after every line.
    EXPECT_TRUE(Tree.ReadFile("Added.TXR")
                    .starts_with("Added\t" + DateTimeText(884000000) + "\t5\t40960\t\r\nfirst"));
    EXPECT_TRUE(Tree.ReadFile("UnMatched.TXR").starts_with(">UnMatched\t"));
    EXPECT_TRUE(Tree.ReadFile("Messages.TXR").ends_with("\r\n\r\n  Grüße.txt  \r\n"));
}

TEST_F(ReportFileTest, FilesWithoutAHeaderOrFromElsewhereOrDamagedLoadTheirLines)
{
    // clang-format off
    const struct { const char* Content; bool Header; Lines Expected; } cases[] = {
        {"\r\nline one\r\nline two\r\n", false, {"line one", "line two"}},
        {"", false, {}},
        // Written elsewhere with LF alone, one line keeping a stray CR, no final line end.
        {"Added\tx\t2\t3\t\nline one\r\nline two", true, {"line one", "line two"}},
        {"Updated\t\t1\t1\t\r\nno line end", true, {"no line end"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Content);
        std::string path = Tree.AddFile("in.TXR", std::string_view(c.Content));
        SysResult<ReportFileContent> read = ReadReportFile(path);
        ASSERT_TRUE(read.Ok());
        EXPECT_EQ(read->Header.has_value(), c.Header);
        EXPECT_EQ(read->Lines, c.Expected);
    }

    // A damaged header never puts one field in another's place.
    using Count = std::optional<std::int64_t>;
    // clang-format off
    const struct { const char* Line; std::string Page; bool Compressed; Count Items, Bytes; } headers[] = {
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
    // clang-format on
    for (const auto& c : headers) {
        std::optional<ReportFileHeader> h = ParseReportHeader(c.Line);
        ASSERT_TRUE(h.has_value()) << c.Line;
        EXPECT_EQ(std::tuple(h->Page, h->Compressed, h->ItemCount, h->ByteTotal),
                  std::tuple(c.Page, c.Compressed, c.Items, c.Bytes))
            << c.Line;
    }
    EXPECT_FALSE(ParseReportHeader("").has_value());
}

TEST_F(ReportFileTest, GetTabFieldAnswersEachFieldTrimmedAndTheLastForFewerTabs)
{
    // clang-format off
    // Field 5 of a line with three TABs is the text after the last one; field 10 is beyond the
    // line's length; "äbc" is three characters in four bytes.
    const struct { const char* Line; int N; const char* Field; } cases[] = {
        {"  a \tb\t\tc", 1, "a"}, {"  a \tb\t\tc", 2, "b"}, {"  a \tb\t\tc", 3, ""}, {"  a \tb\t\tc", 4, "c"},
        {"  a \tb\t\tc", 5, "c"}, {"  a \tb\t\tc", 0, ""}, {"  a \tb\t\tc", 10, ""}, {"abc", 1, "abc"},
        {"abc", 4, ""}, {"äbc", 4, ""}, {"", 1, ""}, {"\x01x\r\t\x7fy ", 1, "x"}, {"a\t", 2, ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(GetTabField(c.Line, c.N), c.Field) << '"' << c.Line << "\" field " << c.N;
    }
}

TEST_F(ReportFileTest, AFileThatCannotBeReadOrWrittenIsAnErrorAndTheOldFileStaysWhole)
{
    {
        std::string path = Tree.AddFile("broken.TXR", std::string_view("Added\t\t1\t1\t\r\nline\r\n"));
        ScopedFault fault({.Op = FaultOp::Read, .Error = EIO, .PathContains = "broken"});
        EXPECT_EQ(ReadReportFile(path).Error(), EIO);
    }

    std::string path = Tree.AddFile("old.TXR", std::string_view("old content"));
    ReportFileHeader header{false, "Added", "now", 1, 1};
    {
        ScopedFault full({.Op = FaultOp::Write, .Error = ENOSPC, .PathContains = "old.TXR", .AfterBytes = 0});
        EXPECT_EQ(WriteReportFile(path, header, ListOf({"a new line"})).Error(), ENOSPC);
    }
    EXPECT_EQ(Tree.ReadFile("old.TXR"), "old content");
}

TEST_F(ReportFileTest, APrintedListBeginsWithItsNameFiguresAndARule)
{
    EXPECT_EQ(PrintedHeaderLines("Updated", "1/5/98 9:05:03 AM", 2, 2048),
              (Lines{"List Name: Updated\t\tReport Printed: 1/5/98 9:05:03 AM",
                     "Total Number of Items: 2\tTotal Size of Files: 2.00 KB",
                     std::string(80, '-')}));
}

} // namespace
} // namespace Tandemix
