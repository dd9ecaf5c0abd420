// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/ui/BatchGridView.h"

#include "app/ui/UiText.h"
#include "batch/BatchMessages.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>

namespace Tandemix {

namespace {

constexpr int VisibleColumns = 4; // number, source, direction, target

bool Editable(int column)
{
    return column == static_cast<int>(BatchCol::Source) || column == static_cast<int>(BatchCol::Target);
}

} // namespace

BatchGridView::BatchGridView(const char* name, QWidget* parent)
    : QTableWidget(0, BatchColumnCount, parent)
{
    setObjectName(QString::fromUtf8(name));
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    for (int column = VisibleColumns; column < BatchColumnCount; ++column) {
        setColumnHidden(column, true);
    }
    QHeaderView* header = horizontalHeader();
    header->setSectionResizeMode(static_cast<int>(BatchCol::RowNumber), QHeaderView::ResizeToContents);
    header->setSectionResizeMode(static_cast<int>(BatchCol::Direction), QHeaderView::ResizeToContents);
    header->setSectionResizeMode(static_cast<int>(BatchCol::Source), QHeaderView::Stretch);
    header->setSectionResizeMode(static_cast<int>(BatchCol::Target), QHeaderView::Stretch);
    setWordWrap(false);
    setTextElideMode(Qt::ElideMiddle); // a long path keeps its start and its last folder
    SetEditingMode(false);
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int, int previous, int) {
        if (!FShowing && row >= 0 && row != previous) {
            emit RowEntered(row + 1, previous + 1);
        }
    });
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!FShowing) {
            emit CellEdited(item->row() + 1, item->column(), item->text());
        }
    });
}

void BatchGridView::ShowHeaders(const std::vector<BatchRow>& rows)
{
    // The arrow of row 1 pointing back names the right-hand folders the source.
    const bool swapped = !rows.empty() && rows.front()[BatchCol::Direction] == "<";
    QStringList headers;
    for (int column = 0; column < BatchColumnCount; ++column) {
        headers << QString();
    }
    headers[static_cast<int>(BatchCol::Source)] =
        UiText(swapped ? BatchMsg::TargetHeader : BatchMsg::SourceHeader);
    headers[static_cast<int>(BatchCol::Target)] =
        UiText(swapped ? BatchMsg::SourceHeader : BatchMsg::TargetHeader);
    setHorizontalHeaderLabels(headers);
}

void BatchGridView::ShowRows(const std::vector<BatchRow>& rows, int current)
{
    QScopedValueRollback<bool> showing(FShowing, true);
    ShowHeaders(rows);
    setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < rowCount(); ++row) {
        const BatchRow& cells = rows[static_cast<std::size_t>(row)];
        for (int column = 0; column < BatchColumnCount; ++column) {
            const QString text = UiText(cells.Cells[static_cast<std::size_t>(column)]);
            QTableWidgetItem* cell = item(row, column);
            if (cell == nullptr) {
                cell = new QTableWidgetItem;
                setItem(row, column, cell);
            }
            if (cell->text() != text) {
                cell->setText(text);
            }
            Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
            if (Editable(column)) {
                flags |= Qt::ItemIsEditable;
            }
            cell->setFlags(flags);
            if (column == static_cast<int>(BatchCol::Source)
                || column == static_cast<int>(BatchCol::Target)) {
                cell->setToolTip(text);
            }
        }
    }
    StandOn(current);
}

void BatchGridView::StandOn(int row)
{
    QScopedValueRollback<bool> showing(FShowing, true);
    if (row >= 1 && row <= rowCount()) {
        const int column = std::max(currentColumn(), static_cast<int>(BatchCol::Source));
        setCurrentCell(row - 1, column);
    }
}

void BatchGridView::SetEditingMode(bool editing)
{
    FEditing = editing;
    setSelectionBehavior(editing ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Typing or F2 edits a folder cell; a double click stays the page's (browse or toggle).
    setEditTriggers(editing ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
                            : QAbstractItemView::NoEditTriggers);
}

void BatchGridView::mouseReleaseEvent(QMouseEvent* event)
{
    QTableWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton) {
        emit RightButtonReleased();
    }
}

void BatchGridView::keyPressEvent(QKeyEvent* event)
{
    const bool move = event->modifiers() == Qt::ControlModifier
                      && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down);
    if (move && !FEditing) {
        emit RowMoveWanted(event->key() == Qt::Key_Up ? -1 : 1);
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void BatchGridView::keyReleaseEvent(QKeyEvent* event)
{
    QTableWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat()) {
        emit KeyReleased(event->key());
    }
}

void BatchGridView::focusOutEvent(QFocusEvent* event)
{
    QTableWidget::focusOutEvent(event);
    // An open cell editor takes the focus from the grid without leaving it.
    if (FEditing && state() != QAbstractItemView::EditingState) {
        SetEditingMode(false);
    }
}

} // namespace Tandemix
