// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/BatchGrid.h"

#include <algorithm>

namespace Tandemix {

namespace {

constexpr int GridRowCount = BatchGridClearedRows + 1; // with the header

// Columns 1 to 33: everything but the row number, which belongs to the place, not the pair.
void TakeCells(BatchRow& to, const BatchRow& from)
{
    std::copy(from.Cells.begin() + 1, from.Cells.end(), to.Cells.begin() + 1);
}

void EmptyCells(BatchRow& row)
{
    std::fill(row.Cells.begin() + 1, row.Cells.end(), std::string());
}

void MoveRowsUpFrom(BatchGrid& grid, int row)
{
    for (int r = std::max(row, 1); r < grid.LastRow(); ++r) {
        TakeCells(grid.At(r), grid.At(r + 1));
        EmptyCells(grid.At(r + 1));
    }
}

} // namespace

void ClearBatchGrid(BatchGrid& grid)
{
    grid.Rows.assign(BatchGridClearedRows, BatchRow{});
    RenumberBatchGrid(grid);
    grid.Current = 1;
}

void FillBatchGrid(BatchGrid& grid, const BatchList& list)
{
    ClearBatchGrid(grid);
    std::size_t row = 0;
    for (const BatchRow& read : list.Rows) {
        grid.Rows[row++] = read;
        if (row == grid.Rows.size()) {
            grid.Rows.emplace_back();
        }
    }
    grid.Current = 1;
}

BatchList GridList(const BatchGrid& grid, const std::string& description)
{
    BatchList list;
    list.Description = description;
    list.Rows = grid.Rows;
    return list;
}

int RowForNewPair(BatchGrid& grid)
{
    if (!grid.Exists(grid.Current)) {
        grid.Current = 1;
    }
    int row = grid.Current;
    if (grid.HasSource(row)) {
        row = grid.LastRow();
        while (row > 1 && !grid.HasSource(row - 1) && !grid.HasSource(row)) {
            --row;
        }
        if (grid.HasSource(row)) {
            ++row; // every row is taken: a new one is appended below
        }
    }
    while (row > grid.LastRow()) {
        grid.Rows.emplace_back();
    }
    // The grid always keeps a free row after the one being filled.
    if (row == grid.LastRow()) {
        grid.Rows.emplace_back();
    }
    return row;
}

void DeleteBatchGridRow(BatchGrid& grid)
{
    if (grid.Current < 1 || !grid.Exists(grid.Current)) {
        if (grid.Exists(1)) {
            EmptyCells(grid.At(1));
        }
        return;
    }
    MoveRowsUpFrom(grid, grid.Current);
    if (grid.LastRow() + 1 > GridRowCount) {
        grid.Rows.pop_back();
        if (grid.Current != grid.LastRow() && grid.Current >= 2) {
            grid.Current -= 1;
        }
        grid.Current = std::min(grid.Current, grid.LastRow());
    } else if (grid.Current > 1 && !grid.HasSource(grid.Current)) {
        grid.Current -= 1;
    }
}

void ShiftRowsUp(BatchGrid& grid)
{
    if (!grid.Exists(grid.Current)) {
        return;
    }
    MoveRowsUpFrom(grid, grid.Current);
    EmptyCells(grid.At(grid.LastRow()));
}

void RenumberBatchGrid(BatchGrid& grid)
{
    for (int row = 1; row <= grid.LastRow(); ++row) {
        grid.At(row)[BatchCol::RowNumber] = std::to_string(row);
    }
}

void MoveBatchGridRow(BatchGrid& grid, int from, int to)
{
    if (!grid.Exists(from) || !grid.Exists(to) || from == to) {
        return;
    }
    auto first = grid.Rows.begin();
    if (from < to) {
        std::rotate(first + (from - 1), first + from, first + to);
    } else {
        std::rotate(first + (to - 1), first + (from - 1), first + from);
    }
    RenumberBatchGrid(grid);
    grid.Current = to;
}

} // namespace Tandemix
