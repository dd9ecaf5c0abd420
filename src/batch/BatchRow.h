// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchMessages.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

// One folder pair of a batch list with its own copy of the synchronisation options: 34 cells of
// text, as the grids show them and the batch file stores them. Cells nobody fills stay empty
// and are kept as they are, so a list goes through a save and an open unchanged.
inline constexpr int BatchColumnCount = 34;

enum class BatchCol
{
    RowNumber = 0, // 1-based, as the grid numbers its rows
    Source = 1,
    Direction = 2, // ">" or "<"; shown only, no run reads it
    Target = 3,
    AttributeMask = 4, // read-only 1, hidden 2, system 4, archive 32, normal 128; empty: no options
    DateMode = 5, // "1" from-to, "2" today and past days, "3" all
    DateFrom = 6, // "mm/dd/yy", date mode 1 only
    DateTo = 7,
    PastDays = 8, // date mode 2 only
    IncludeSubFolders = 9,
    UseCompression = 10,
    UpdateFiles = 11,
    AddFiles = 12,
    IncludeMask = 13,
    ExcludeMask = 14,
    MaxFileSize = 15,
    MinFileSize = 16,
    CreateSubFolder = 17,
    ResetArchive = 18,
    UseLogFile = 19,
    LogOverwrite = 20,
    LogFileName = 22, // with the extension ".Log"
    PreDelete = 24, // delete unmatched items before the run
    ReplicateFolders = 25,
    WarningDelay = 26, // seconds; written only when DeleteUnmatched is on
    DeleteUnmatched = 27,
    CompressExpand = 28, // item index
    CompressionSpeed = 29, // item index
    Password = 30, // scrambled archive password; empty: none
    RowMarker = 33, // "2" once captured; nothing reads it
};

// The texts of the on/off cells; any other text reads as off.
inline constexpr std::string_view CellOn = "-1";
inline constexpr std::string_view CellOff = "0";

struct BatchRow
{
    std::array<std::string, BatchColumnCount> Cells;

    std::string& operator[](BatchCol col) { return Cells[static_cast<std::size_t>(col)]; }
    const std::string& operator[](BatchCol col) const { return Cells[static_cast<std::size_t>(col)]; }

    bool IsOn(BatchCol col) const { return (*this)[col] == CellOn; }
    void SetSwitch(BatchCol col, bool on) { (*this)[col] = on ? CellOn : CellOff; }

    bool operator==(const BatchRow&) const = default;
};

// A batch list: its description (the first line of its file) and its rows in grid order.
struct BatchList
{
    std::string Description{BatchMsg::DefaultDescription};
    std::vector<BatchRow> Rows;

    bool operator==(const BatchList&) const = default;
};

// Whether the row names a folder at all: only such rows are saved. The date cells hold '/' too,
// so only the folder cells count.
bool HasFolder(const BatchRow& row);

// Why the row cannot be stored in a batch file, read from one or applied, in words to show the
// user; empty when it can. One rule for all three, so that whatever a save writes, an open
// reads back exactly, and a row is only ever applied whole:
// - no cell holds a TAB, CR, LF or NUL (the cells would shift, or a path would be cut short);
// - each folder is a full path or empty; masks and the log name are UTF-8 text (folders and the
//   scrambled password are bytes, as names are everywhere in the program);
// - the cells applying reads as numbers are whole numbers (the sizes may be empty), the date
//   mode is 1, 2 or 3 or empty, the dates of mode 1 are dates, the indexes name a choice.
// The cells of a row without options (empty attribute mask) are not read, so not checked.
std::string BatchRowProblem(const BatchRow& row);

// `name` with its extension (from the last dot of its last component on) replaced by `extension`,
// or with `extension` appended when it has none.
std::string WithExtension(std::string_view name, std::string_view extension);

// The file name the save dialog proposes for the text of the file-name box: "NewBatch" when it is
// empty, the extension made ".SNC".
std::string BatchSaveName(std::string_view nameText);

} // namespace Tandemix
