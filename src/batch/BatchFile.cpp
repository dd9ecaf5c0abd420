// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/BatchFile.h"

#include "engine/ShowError.h"
#include "platform/AtomicFile.h"

#include <algorithm>
#include <cstring>

namespace Tandemix {

namespace {

constexpr char Tab = '\t';
constexpr std::string_view LineEnd = "\r\n";

std::string RowNotSavedText(std::size_t position, std::string_view reason)
{
    return std::string(BatchMsg::RowNotSavedStart)
        .append(std::to_string(position))
        .append(BatchMsg::RowNotSavedEnd)
        .append(reason);
}

// One line of the file after the description: its number, its text without the line end, and
// whether it had a line end at all.
struct FileLine
{
    int Number = 0;
    std::string_view Text;
    bool Ended = false;
};

std::vector<FileLine> SplitLines(std::string_view text)
{
    std::vector<FileLine> lines;
    int number = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        FileLine line{++number, text.substr(0, end), end != std::string_view::npos};
        if (line.Ended && line.Text.ends_with('\r')) {
            line.Text.remove_suffix(1);
        }
        lines.push_back(line);
        text = line.Ended ? text.substr(end + 1) : std::string_view();
    }
    return lines;
}

// The row a line holds, or why it holds none.
std::string ParseRow(const FileLine& line, BatchRow& row)
{
    const std::string_view text = line.Text;
    const auto tabs = std::count(text.begin(), text.end(), Tab);
    // A TAB inside a cell moves every later cell one place on: a mask would be read as a switch.
    if (tabs > BatchColumnCount) {
        return std::string(BatchMsg::TooManyCells);
    }
    // Every saved line ends in its 34th TAB and a line end; a last line without both was cut off.
    if (!line.Ended && tabs < BatchColumnCount) {
        return std::string(BatchMsg::CutShort);
    }
    std::size_t start = 0;
    for (std::string& cell : row.Cells) {
        std::size_t tab = text.find(Tab, start);
        if (tab == std::string_view::npos) {
            break;
        }
        cell.assign(text.substr(start, tab - start));
        start = tab + 1;
    }
    if (!HasFolder(row)) {
        return std::string(BatchMsg::NoFolder);
    }
    return BatchRowProblem(row);
}

} // namespace

std::string RefusedLineText(const RefusedBatchLine& refused)
{
    return std::string(BatchMsg::LineNotReadStart)
        .append(std::to_string(refused.Line))
        .append(BatchMsg::LineNotReadEnd)
        .append(refused.Reason);
}

std::string BatchFileText(const BatchList& list)
{
    std::string text = list.Description;
    text.append(LineEnd);
    for (const BatchRow& row : list.Rows) {
        if (!HasFolder(row)) {
            continue;
        }
        for (const std::string& cell : row.Cells) {
            text.append(cell).push_back(Tab);
        }
        text.append(LineEnd);
    }
    return text;
}

std::string CheckBatchListForSaving(const BatchList& list)
{
    // A line break would turn the rest of the description into a row of its own.
    if (list.Description.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
        return std::string(BatchMsg::DescriptionNotSaved);
    }
    for (std::size_t i = 0; i < list.Rows.size(); ++i) {
        if (std::string problem = BatchRowSaveProblem(list.Rows[i], i + 1); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

std::string BatchRowSaveProblem(const BatchRow& row, std::size_t position)
{
    if (!HasFolder(row)) {
        return {};
    }
    std::string reason = BatchRowProblem(row);
    return reason.empty() ? reason : RowNotSavedText(position, reason);
}

BatchSaveResult WriteBatchFile(const std::string& path, const BatchList& list)
{
    BatchSaveResult result;
    result.Problem = CheckBatchListForSaving(list);
    if (!result.Ok()) {
        return result;
    }
    SysStatus written = WriteFileAtomically(path, BatchFileText(list));
    if (!written) {
        result.Error = written.Error();
        result.Problem = ProblemMessageLine(BatchMsg::OutputFileNotAccessible, path)
                             .append(": ")
                             .append(std::strerror(written.Error()));
    }
    return result;
}

BatchFileContent ParseBatchFile(std::string_view text)
{
    BatchFileContent content;
    std::vector<FileLine> lines = SplitLines(text);
    content.List.Description = lines.empty() ? std::string() : std::string(lines.front().Text);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const FileLine& line = lines[i];
        if (line.Text.empty()) {
            continue;
        }
        BatchRow row;
        if (std::string reason = ParseRow(line, row); !reason.empty()) {
            content.Refused.push_back({line.Number, std::move(reason)});
        } else {
            content.List.Rows.push_back(std::move(row));
        }
    }
    return content;
}

SysResult<BatchFileContent> ReadBatchFile(const std::string& path)
{
    SysResult<std::string> text = ReadWholeFile(path);
    if (!text) {
        return SysResult<BatchFileContent>::Failure(text.Error(), text.Call());
    }
    return ParseBatchFile(*text);
}

} // namespace Tandemix
