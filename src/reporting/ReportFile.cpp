// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ReportFile.h"

#include "engine/FileHelpers.h"
#include "platform/AsciiText.h"
#include "platform/AtomicFile.h"
#include "reporting/ReportList.h"
#include "settings/OptionRules.h"

namespace Tandemix {

namespace {

constexpr char Tab = '\t';
constexpr char CompressedMark = '>';
constexpr std::string_view LineEnd = "\r\n";
constexpr std::size_t RuleWidth = 80;

constexpr std::string_view ListNameText = "List Name: ";
constexpr std::string_view PrintedText = "Report Printed: ";
constexpr std::string_view ItemsText = "Total Number of Items: ";
constexpr std::string_view SizeText = "Total Size of Files: ";

constexpr std::string_view PageCaptions[] =
    {"Added", "Updated", "Excluded", "UnMatched", "Messages", "Deletions"};

// Blanks and control characters count as padding, as they do in every filed line.
std::string_view Trimmed(std::string_view text)
{
    auto padding = [](char c) {
        return static_cast<unsigned char>(c) <= ' ';
    };
    while (!text.empty() && padding(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && padding(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The fields between TABs, the last one running to the end of the line.
std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find(Tab); tab != std::string_view::npos; tab = line.find(Tab, start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

std::vector<std::string> SplitLines(std::string_view content)
{
    std::size_t firstEnd = content.find('\n');
    bool crlf = firstEnd != std::string_view::npos && firstEnd > 0 && content[firstEnd - 1] == '\r';
    std::string_view separator = crlf ? LineEnd : std::string_view("\n");
    std::vector<std::string> lines;
    while (!content.empty()) {
        std::size_t end = content.find(separator);
        std::string_view line = content.substr(0, end);
        if (!crlf && line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        if (end == std::string_view::npos) {
            break;
        }
        content.remove_prefix(end + separator.size());
    }
    return lines;
}

} // namespace

std::string_view ReportPageCaption(ReportCategory category)
{
    auto index = static_cast<std::size_t>(category);
    return index < std::size(PageCaptions) ? PageCaptions[index] : std::string_view();
}

std::optional<ReportCategory> ReportPageNamed(std::string_view caption)
{
    for (std::size_t index = 0; index < std::size(PageCaptions); ++index) {
        if (PageCaptions[index] == caption) {
            return static_cast<ReportCategory>(index);
        }
    }
    return std::nullopt;
}

std::string ReportHeaderLine(const ReportFileHeader& header)
{
    std::string line;
    if (header.Compressed) {
        line.push_back(CompressedMark);
    }
    for (const std::string& field : {header.Page,
                                     header.SavedAt,
                                     std::to_string(header.ItemCount.value_or(0)),
                                     std::to_string(header.ByteTotal.value_or(0))}) {
        line += field;
        line.push_back(Tab);
    }
    return line;
}

std::optional<ReportFileHeader> ParseReportHeader(std::string_view line)
{
    if (line.empty()) {
        return std::nullopt;
    }
    ReportFileHeader header;
    if (line.front() == CompressedMark) {
        header.Compressed = true;
        line.remove_prefix(1);
    }
    std::vector<std::string_view> fields = Fields(line);
    header.Page = Trimmed(fields[0]);
    if (fields.size() > 1) {
        header.SavedAt = Trimmed(fields[1]);
    }
    if (fields.size() > 2) {
        header.ItemCount = WholeNumber(Trimmed(fields[2]));
    }
    if (fields.size() > 3) {
        header.ByteTotal = WholeNumber(Trimmed(fields[3]));
    }
    return header;
}

std::string GetTabField(std::string_view line, int n)
{
    // The line's length in characters, as it is shown.
    if (n < 1 || static_cast<std::size_t>(n) > CharacterCount(line)) {
        return {};
    }
    std::size_t start = 0;
    for (int field = 1; field < n; ++field) {
        std::size_t tab = line.find(Tab, start);
        if (tab == std::string_view::npos) {
            break;
        }
        start = tab + 1;
    }
    std::size_t end = line.find(Tab, start);
    return std::string(Trimmed(line.substr(start, end == std::string_view::npos ? end : end - start)));
}

SysStatus WriteReportFile(const std::string& path, const ReportFileHeader& header, const ReportList& list)
{
    std::string content = ReportHeaderLine(header);
    content += LineEnd;
    for (std::size_t row = 0; row < list.Count(); ++row) {
        content += list.At(row);
        content += LineEnd;
    }
    return WriteFileAtomically(path, content);
}

SysResult<ReportFileContent> ReadReportFile(const std::string& path)
{
    SysResult<std::string> content = ReadWholeFile(path);
    if (!content) {
        return SysResult<ReportFileContent>::Failure(content.Error(), content.Call());
    }
    std::vector<std::string> lines = SplitLines(*content);
    ReportFileContent report;
    if (!lines.empty()) {
        report.Header = ParseReportHeader(lines.front());
        report.Lines.assign(std::make_move_iterator(lines.begin() + 1), std::make_move_iterator(lines.end()));
    }
    return report;
}

std::vector<std::string> PrintedHeaderLines(std::string_view page,
                                            std::string_view printedAt,
                                            std::int64_t itemCount,
                                            std::int64_t byteTotal)
{
    std::string name = std::string(ListNameText) + std::string(page) + Tab + Tab + std::string(PrintedText)
                       + std::string(printedAt);
    std::string figures = std::string(ItemsText) + std::to_string(itemCount) + Tab + std::string(SizeText)
                          + FormatSize(byteTotal);
    return {std::move(name), std::move(figures), std::string(RuleWidth, '-')};
}

} // namespace Tandemix
