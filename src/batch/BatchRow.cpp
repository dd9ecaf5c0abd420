// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/BatchRow.h"

#include "platform/AsciiText.h"
#include "settings/DateRange.h"
#include "settings/OptionRules.h"

#include <climits>
#include <optional>

namespace Tandemix {

namespace {

constexpr int CompressExpandChoices = 2;
constexpr int CompressionSpeedChoices = 3;

std::string_view CellName(BatchCol col)
{
    switch (col) {
    case BatchCol::RowNumber:
        return BatchMsg::CellRowNumber;
    case BatchCol::Source:
        return BatchMsg::CellSource;
    case BatchCol::Direction:
        return BatchMsg::CellDirection;
    case BatchCol::Target:
        return BatchMsg::CellTarget;
    case BatchCol::AttributeMask:
        return BatchMsg::CellAttributeMask;
    case BatchCol::DateMode:
        return BatchMsg::CellDateMode;
    case BatchCol::DateFrom:
        return BatchMsg::CellDateFrom;
    case BatchCol::DateTo:
        return BatchMsg::CellDateTo;
    case BatchCol::PastDays:
        return BatchMsg::CellPastDays;
    case BatchCol::IncludeMask:
        return BatchMsg::CellIncludeMask;
    case BatchCol::ExcludeMask:
        return BatchMsg::CellExcludeMask;
    case BatchCol::MaxFileSize:
        return BatchMsg::CellMaxFileSize;
    case BatchCol::MinFileSize:
        return BatchMsg::CellMinFileSize;
    case BatchCol::LogFileName:
        return BatchMsg::CellLogFileName;
    case BatchCol::WarningDelay:
        return BatchMsg::CellWarningDelay;
    case BatchCol::CompressExpand:
        return BatchMsg::CellCompressExpand;
    case BatchCol::CompressionSpeed:
        return BatchMsg::CellCompressionSpeed;
    case BatchCol::Password:
        return BatchMsg::CellPassword;
    default:
        return {};
    }
}

std::string Problem(int column, std::string_view what)
{
    std::string_view name = CellName(static_cast<BatchCol>(column));
    std::string text =
        name.empty() ? std::string(BatchMsg::CellOther) + std::to_string(column) : std::string(name);
    return text.append(what);
}

std::string Problem(BatchCol col, std::string_view what)
{
    return Problem(static_cast<int>(col), what);
}

bool HoldsSeparator(std::string_view cell)
{
    return cell.find_first_of(std::string_view("\t\r\n\0", 4)) != std::string_view::npos;
}

bool IsUtf8(std::string_view text)
{
    char32_t ignored = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = static_cast<unsigned char>(text[i]) < 0x80 ? 1 : DecodeUtf8(text, i, ignored);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

// A whole number in [low, high].
bool InRange(std::string_view cell, std::int64_t low, std::int64_t high)
{
    std::optional<std::int64_t> value = WholeNumber(cell);
    return value && *value >= low && *value <= high;
}

// The cells that applying reads, each in the form it reads them.
std::string OptionProblem(const BatchRow& row)
{
    if (!InRange(row[BatchCol::AttributeMask], 0, INT_MAX)) {
        return Problem(BatchCol::AttributeMask, BatchMsg::NotANumber);
    }
    const std::string& mode = row[BatchCol::DateMode];
    if (!mode.empty() && !InRange(mode, 1, 3)) {
        return Problem(BatchCol::DateMode, WholeNumber(mode) ? BatchMsg::NotAChoice : BatchMsg::NotANumber);
    }
    if (mode == "1") {
        for (BatchCol col : {BatchCol::DateFrom, BatchCol::DateTo}) {
            if (!ParseMaskedDate(row[col])) {
                return Problem(col, BatchMsg::NotADate);
            }
        }
    }
    if (mode == "2" && !InRange(row[BatchCol::PastDays], 0, INT_MAX)) {
        return Problem(BatchCol::PastDays, BatchMsg::NotANumber);
    }
    for (BatchCol col : {BatchCol::IncludeMask, BatchCol::ExcludeMask, BatchCol::LogFileName}) {
        if (!IsUtf8(row[col])) {
            return Problem(col, BatchMsg::NotUtf8);
        }
    }
    for (BatchCol col : {BatchCol::MaxFileSize, BatchCol::MinFileSize}) {
        if (!row[col].empty() && !WholeNumber(row[col])) {
            return Problem(col, BatchMsg::NotANumber);
        }
    }
    if (row.IsOn(BatchCol::DeleteUnmatched) && !InRange(row[BatchCol::WarningDelay], INT_MIN, INT_MAX)) {
        return Problem(BatchCol::WarningDelay, BatchMsg::NotANumber);
    }
    for (auto [col, choices] : {std::pair{BatchCol::CompressExpand, CompressExpandChoices},
                                std::pair{BatchCol::CompressionSpeed, CompressionSpeedChoices}}) {
        const std::string& cell = row[col];
        if (!cell.empty() && !InRange(cell, 0, choices - 1)) {
            return Problem(col, WholeNumber(cell) ? BatchMsg::NotAChoice : BatchMsg::NotANumber);
        }
    }
    return {};
}

} // namespace

bool HasFolder(const BatchRow& row)
{
    return row[BatchCol::Source].find('/') != std::string::npos
           || row[BatchCol::Target].find('/') != std::string::npos;
}

std::string BatchRowProblem(const BatchRow& row)
{
    for (int column = 0; column < BatchColumnCount; ++column) {
        if (HoldsSeparator(row.Cells[static_cast<std::size_t>(column)])) {
            return Problem(column, BatchMsg::HoldsLineBreak);
        }
    }
    for (BatchCol col : {BatchCol::Source, BatchCol::Target}) {
        if (!row[col].empty() && row[col].front() != '/') {
            return Problem(col, BatchMsg::NotAFullPath);
        }
    }
    if (row[BatchCol::AttributeMask].empty()) {
        return {};
    }
    return OptionProblem(row);
}

std::string WithExtension(std::string_view name, std::string_view extension)
{
    std::size_t componentStart = name.rfind('/');
    componentStart = componentStart == std::string_view::npos ? 0 : componentStart + 1;
    std::size_t dot = name.rfind('.');
    // A leading dot makes a hidden name, not an extension.
    if (dot != std::string_view::npos && dot > componentStart) {
        name = name.substr(0, dot);
    }
    return std::string(name).append(extension);
}

std::string BatchSaveName(std::string_view nameText)
{
    return WithExtension(nameText.empty() ? BatchMsg::DefaultFileName : nameText, BatchMsg::FileExtension);
}

} // namespace Tandemix
