// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace Tandemix {

struct TargetDeltaGrid;

// The decision list: what a run would add or update for the folders on screen.
class TargetDeltaPage : public QWidget
{
    Q_OBJECT

public:
    explicit TargetDeltaPage(QWidget* parent = nullptr);

    // Shows the grid's rows and totals; an empty grid keeps one empty row under the header.
    void ShowGrid(const struct TargetDeltaGrid& grid);

    QTableWidget* TargetDeltaGrid = nullptr;
    QPushButton* UpdateButton = nullptr;
    QPushButton* ClearDeltaButton = nullptr;
    QLabel* AddByteValue = nullptr;
    QLabel* UpdateByteValue = nullptr;
    QLabel* DeltaCount = nullptr;
};

} // namespace Tandemix
