// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchRow.h"
#include "platform/SysResult.h"

#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

// The batch file (".SNC"): plain text in lines ending in CR LF. Line 1 is the description;
// every further line is one row, each of its 34 cells followed by a TAB.

// A line of a batch file that was not taken as a row, and why. Nothing of it is applied.
struct RefusedBatchLine
{
    int Line = 0; // from 1, the description being line 1
    std::string Reason;

    bool operator==(const RefusedBatchLine&) const = default;
};

// "Line 5 of the batch file was not read: " + the reason.
std::string RefusedLineText(const RefusedBatchLine& refused);

struct BatchFileContent
{
    BatchList List;
    std::vector<RefusedBatchLine> Refused; // in file order
};

// The file's text for a list: the description, then every row that names a folder, in order,
// row numbers as they stand. The list must have passed CheckBatchListForSaving.
std::string BatchFileText(const BatchList& list);

// Why the list cannot be saved as it is, in words to show the user; empty when it can. Rows
// without a folder are dropped by a save, so they are not checked.
std::string CheckBatchListForSaving(const BatchList& list);

// Why the row cannot be stored, as "Batch row <position> cannot be saved: " and the reason;
// empty when it can (or when it names no folder, which a save drops).
std::string BatchRowSaveProblem(const BatchRow& row, std::size_t position);

struct BatchSaveResult
{
    std::string Problem; // empty when the file was written; otherwise the text to show
    int Error = 0; // the errno when writing failed; 0 when a row was refused before writing

    bool Ok() const { return Problem.empty(); }
};

// Saves the list to `path` in one crash-safe replacement: a full disk or a failure at any point
// leaves the old file whole. A list that cannot be stored is refused before anything is written
// (a folder with a TAB or a line break in its name would read back shifted). A write failure's
// Problem is "Output File Not Accessible:" in its column, the path and the reason.
BatchSaveResult WriteBatchFile(const std::string& path, const BatchList& list);

// A batch file's text as rows. Lines end in CR LF or LF. A line with fewer than 34 TABs is a
// shorter row: its missing cells are empty (text after its last TAB is not a cell); text after
// the 34th TAB is ignored. A line is refused, with its number and reason, and the rest still
// read, when it holds more than 34 TABs, is the last line and both lacks its line end and is
// short (the file was cut off inside it), names no folder, or fails BatchRowProblem. Empty
// lines are skipped.
BatchFileContent ParseBatchFile(std::string_view text);

// Reads and parses a whole batch file; fails with the errno when it cannot be read, and then
// nothing of it is taken. The caller reports ProblemMessageLine(BatchMsg::BatchFileNotAccessible,
// path).
SysResult<BatchFileContent> ReadBatchFile(const std::string& path);

} // namespace Tandemix
