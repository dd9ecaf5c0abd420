// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchRow.h"

#include <string>
#include <vector>

namespace Tandemix {

// The rows of a batch grid as the two batch pages edit and show them. Grid rows are numbered
// as on screen: row 0 is the header, data rows start at 1 and are Rows[0] onwards. A cleared
// grid has six empty data rows numbered 1 to 6, so a new list has room to be filled in.
inline constexpr int BatchGridClearedRows = 6;

struct BatchGrid
{
    std::vector<BatchRow> Rows;
    int Current = 1; // the grid row the user stands on

    int LastRow() const { return static_cast<int>(Rows.size()); }
    bool Exists(int row) const { return row >= 1 && row <= LastRow(); }
    // Row `row`, which must exist.
    BatchRow& At(int row) { return Rows[static_cast<std::size_t>(row - 1)]; }
    const BatchRow& At(int row) const { return Rows[static_cast<std::size_t>(row - 1)]; }
    bool HasSource(int row) const { return Exists(row) && !At(row)[BatchCol::Source].empty(); }
    bool HasTarget(int row) const { return Exists(row) && !At(row)[BatchCol::Target].empty(); }
    bool HasPair(int row) const { return HasSource(row) && HasTarget(row); }
};

// Empties every row, keeps six numbered ones and makes row 1 current.
void ClearBatchGrid(BatchGrid& grid);

// The list's rows from row 1 on, into a cleared grid, with one empty row after the last one
// read (the reader always moves on to a fresh row). Row 1 becomes current.
void FillBatchGrid(BatchGrid& grid, const BatchList& list);

// The grid as a list with `description`; rows without a folder go too, a save drops them.
BatchList GridList(const BatchGrid& grid, const std::string& description);

// "Add": the row the new pair goes into, the first one after the last row that names a
// source, or the current row when that is empty. A row is appended when none is left.
int RowForNewPair(BatchGrid& grid);

// "Delete": the current row's cells after the row number go, the rows below move up, a grid
// longer than the cleared one loses its last row, and the current row moves up where the old
// one is gone.
void DeleteBatchGridRow(BatchGrid& grid);

// The Delete key: the rows below the current one move up by one (row numbers stay where they
// are) and the last row is left empty. The grid keeps its length.
void ShiftRowsUp(BatchGrid& grid);

// Column 0 numbers the rows 1 to last again.
void RenumberBatchGrid(BatchGrid& grid);

// Moves row `from` to the place of row `to` (both existing), the rows between making room, and
// numbers the rows again; the moved row becomes current.
void MoveBatchGridRow(BatchGrid& grid, int from, int to);

} // namespace Tandemix
