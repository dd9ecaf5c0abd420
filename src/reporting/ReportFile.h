// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Reporter.h"
#include "platform/SysResult.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

class ReportList;

inline constexpr std::string_view ReportFileExtension = ".TXR";

// The caption of a list's page, which is also how its report file names it.
std::string_view ReportPageCaption(ReportCategory category);
// The list a report file's page caption names; nothing for any other text.
std::optional<ReportCategory> ReportPageNamed(std::string_view caption);

// The first line of a report file: which page the list came from and the figures shown beside
// it when it was saved.
struct ReportFileHeader
{
    bool Compressed = false; // the list was shown as a compressed one (">" in front)
    std::string Page; // the page's caption: "Added", "Updated", ...
    std::string SavedAt; // the date and time of saving, as the program shows them
    // Absent when the file holds no whole number there: a damaged header must never put a date
    // or a folder name where a figure belongs.
    std::optional<std::int64_t> ItemCount;
    std::optional<std::int64_t> ByteTotal;
};

// A report file as read back: its header (absent when the first line is empty) and every line
// after it, exactly as written.
struct ReportFileContent
{
    std::optional<ReportFileHeader> Header;
    std::vector<std::string> Lines;
};

// [">"] page TAB date-time TAB count TAB total TAB. A header without figures writes them as 0.
std::string ReportHeaderLine(const ReportFileHeader& header);
// The header a first line holds; nothing for an empty line. Its figures are read from their own
// fields only: a line with fewer fields leaves the missing figures absent.
std::optional<ReportFileHeader> ParseReportHeader(std::string_view line);

// Field n (from 1) of a list line: the text between the (n-1)-th and the n-th TAB, without
// leading and trailing blanks and control characters. A line with fewer TABs answers the text
// after its last TAB; n below 1 or beyond the line's length answers "". Lines are only ever
// parsed this way; figures that must not shift are read with ParseReportHeader.
std::string GetTabField(std::string_view line, int n);

// Writes the header and the list's lines, each ended by CR LF, in one crash-safe replacement of
// `path`: the old file stays whole when anything fails.
SysStatus WriteReportFile(const std::string& path, const ReportFileHeader& header, const ReportList& list);
// Reads a whole report file, or fails with the reason; never a part of one. A file whose first
// line ends in CR LF is split at CR LF alone, so a line holding a bare LF (a name may) comes back
// as one line; any other file is split at LF, a CR before it dropped.
SysResult<ReportFileContent> ReadReportFile(const std::string& path);

// The three lines a printed list begins with: its name and when it was printed, its figures,
// and a rule.
std::vector<std::string> PrintedHeaderLines(std::string_view page,
                                            std::string_view printedAt,
                                            std::int64_t itemCount,
                                            std::int64_t byteTotal);

} // namespace Tandemix
