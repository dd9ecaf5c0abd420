// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchRow.h"

#include <QTableWidget>

#include <vector>

namespace Tandemix {

// A batch grid on screen: all 34 cells of each row, the row number, the two folders and the
// direction between them shown, the option cells kept out of sight (the option pages show
// them for the current row). One screen row per grid row; the header is the table's own.
// UI thread only.
class BatchGridView : public QTableWidget
{
    Q_OBJECT

public:
    explicit BatchGridView(const char* name, QWidget* parent = nullptr);

    // Shows `rows` (grid row 1 is rows[0]) and stands on grid row `current`. Emits nothing.
    void ShowRows(const std::vector<BatchRow>& rows, int current);
    // The grid row the cursor stands on (1-based; 0 when none).
    int CurrentGridRow() const { return currentRow() + 1; }
    // Moves the cursor to grid row `row` without the handlers seeing it as the user's move.
    void StandOn(int row);
    bool Showing() const { return FShowing; }
    // Row-select mode (whole rows, no editing) or cell editing.
    void SetEditingMode(bool editing);
    bool EditingMode() const { return FEditing; }

signals:
    // The user moved from grid row `from` to `to` (both 1-based).
    void RowEntered(int to, int from);
    void RightButtonReleased();
    // A cell's text typed in editing mode: grid row, column, new text.
    void CellEdited(int row, int column, const QString& text);
    void KeyReleased(int key);
    // Ctrl+Up or Ctrl+Down: the current row is to move one place up (-1) or down (1).
    void RowMoveWanted(int step);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ShowHeaders(const std::vector<BatchRow>& rows);

    bool FShowing = false;
    bool FEditing = false;
};

} // namespace Tandemix
