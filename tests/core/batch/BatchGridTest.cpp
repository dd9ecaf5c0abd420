// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/BatchGrid.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace Tandemix {
namespace {

// A grid of `rows` data rows whose sources are given by `filled` ("x" a pair, "." empty), as
// the grid numbers them, standing on `current`.
BatchGrid GridOf(std::string_view filled, int current)
{
    BatchGrid grid;
    ClearBatchGrid(grid);
    grid.Rows.resize(filled.size());
    RenumberBatchGrid(grid);
    for (std::size_t i = 0; i < filled.size(); ++i) {
        if (filled[i] == 'x') {
            grid.Rows[i][BatchCol::Source] = "/s" + std::to_string(i + 1);
            grid.Rows[i][BatchCol::Target] = "/t" + std::to_string(i + 1);
            grid.Rows[i][BatchCol::AttributeMask] = std::to_string(i + 1);
        }
    }
    grid.Current = current;
    return grid;
}

// The grid's sources as "1" for the row that held /s1 and so on, "." for an empty row.
std::string Sources(const BatchGrid& grid)
{
    std::string text;
    for (const BatchRow& row : grid.Rows) {
        const std::string& source = row[BatchCol::Source];
        text += source.empty() ? "." : source.substr(2);
    }
    return text;
}

TEST(BatchGridTest, ANewPairTakesTheRowAfterTheLastPairAndKeepsAFreeRowBelow)
{
    // The grid and its current row; where the new pair goes, and the grid's length afterwards.
    const std::tuple<const char*, const char*, int, int, std::size_t> cases[] = {
        {"EmptyGrid", "......", 1, 1, 6},
        {"OnAPairGoesAfterTheLastPair", "xx....", 1, 3, 6},
        {"AGapIsNotFilledFromAbove", "x.x...", 1, 4, 6},
        {"AnEmptyCurrentRowIsTaken", "xx....", 5, 5, 6},
        {"TheLastFreeRowGetsOneBelow", "xxxxx.", 1, 6, 7},
        {"AFullGridGrows", "xxxxxx", 2, 7, 8}};
    for (const auto& [name, filled, current, row, length] : cases) {
        SCOPED_TRACE(name);
        BatchGrid grid = GridOf(filled, current);
        EXPECT_EQ(RowForNewPair(grid), row);
        EXPECT_EQ(grid.Rows.size(), length);
    }
}

TEST(BatchGridTest, DeletingARowOrTheDeleteKeyMovesTheRowsBelowUpAndOnlyDeletingShortensALongGrid)
{
    // The grid and its current row; the sources and the current row afterwards.
    const std::tuple<const char*, const char*, int, const char*, int> cases[] = {
        {"MiddleRow", "xxx...", 2, "13....", 2},
        {"LastPairMovesUp", "xxx...", 3, "12....", 2},
        {"FirstRowStays", "xx....", 1, "2.....", 1},
        {"NoRowEmptiesRowOne", "xx....", 0, ".2....", 0},
        {"LongGridDropsItsLastRow", "xxxxxxxx", 3, "1245678", 2},
        {"LongGridOnItsLastRow", "xxxxxxxx", 8, "1234567", 7}};
    for (const auto& [name, filled, current, after, currentAfter] : cases) {
        SCOPED_TRACE(name);
        BatchGrid grid = GridOf(filled, current);
        DeleteBatchGridRow(grid);
        EXPECT_EQ(std::tuple(Sources(grid), grid.Current), std::tuple(after, currentAfter));
        // Row numbers belong to the places.
        for (int row = 1; row <= grid.LastRow(); ++row) {
            EXPECT_EQ(grid.At(row)[BatchCol::RowNumber], std::to_string(row));
        }
        // The options went with their pair.
        if (grid.HasSource(currentAfter)) {
            EXPECT_EQ(grid.At(currentAfter)[BatchCol::AttributeMask],
                      grid.At(currentAfter)[BatchCol::Source].substr(2));
        }
    }

    // The Delete key moves the rows up too, but keeps the length.
    BatchGrid grid = GridOf("xxx...", 1);
    ShiftRowsUp(grid);
    EXPECT_EQ(Sources(grid), "23....");
    EXPECT_EQ(grid.At(1)[BatchCol::AttributeMask], "2");
    EXPECT_EQ(grid.At(1)[BatchCol::RowNumber], "1");
}

TEST(BatchGridTest, AMovedRowTakesItsOptionsAlongAndTheRowsAreNumberedAgain)
{
    BatchGrid grid = GridOf("xxxx..", 1);
    MoveBatchGridRow(grid, 1, 3);
    EXPECT_EQ(std::tuple(Sources(grid), grid.At(3)[BatchCol::AttributeMask], grid.Current),
              std::tuple("2314..", "1", 3));
    MoveBatchGridRow(grid, 4, 1);
    EXPECT_EQ(Sources(grid), "4231..");
    for (int row = 1; row <= grid.LastRow(); ++row) {
        EXPECT_EQ(grid.At(row)[BatchCol::RowNumber], std::to_string(row));
    }
}

TEST(BatchGridTest, FillingLeavesAFreshRowAfterTheLastOneRead)
{
    BatchList list;
    for (int i = 1; i <= 6; ++i) {
        BatchRow row;
        row[BatchCol::RowNumber] = "9";
        row[BatchCol::Source] = "/s" + std::to_string(i);
        list.Rows.push_back(row);
    }
    BatchGrid grid = GridOf("x", 1);
    FillBatchGrid(grid, list);
    EXPECT_EQ(Sources(grid), "123456.");
    EXPECT_EQ(grid.At(1)[BatchCol::RowNumber], "9"); // as the file wrote it
    EXPECT_EQ(grid.Current, 1);
    list.Rows.resize(2);
    FillBatchGrid(grid, list);
    EXPECT_EQ(Sources(grid), "12....");
    EXPECT_EQ(grid.At(5)[BatchCol::RowNumber], "5");
}

} // namespace
} // namespace Tandemix
