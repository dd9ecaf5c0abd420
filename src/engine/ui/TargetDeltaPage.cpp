// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/ui/TargetDeltaPage.h"

#include "app/ui/UiText.h"
#include "engine/EngineState.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <string>

namespace Tandemix {

namespace {

const char* const Headers[] = {"File Name",
                               "Size",
                               "Date",
                               "Time",
                               "Attr",
                               "Reason",
                               "Source Folder",
                               "Target Folder",
                               "Packed Time",
                               "Compressed"};

QLabel* ValueLabel(const char* name, QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(90);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QTableWidgetItem* Cell(const std::string& text, bool number = false)
{
    auto* item = new QTableWidgetItem(UiText(text));
    if (number) {
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    return item;
}

} // namespace

TargetDeltaPage::TargetDeltaPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Target Delta"));
    auto* grid = new QGridLayout(this);

    TargetDeltaGrid = new QTableWidget(1, 10, this);
    TargetDeltaGrid->setObjectName(QStringLiteral("TargetDeltaGrid"));
    QStringList headers;
    for (const char* header : Headers) {
        headers << UiText(header);
    }
    TargetDeltaGrid->setHorizontalHeaderLabels(headers);
    TargetDeltaGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    TargetDeltaGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TargetDeltaGrid->verticalHeader()->setVisible(false);
    TargetDeltaGrid->verticalHeader()->setDefaultSectionSize(19);
    TargetDeltaGrid->horizontalHeader()->setStretchLastSection(true);

    UpdateButton = new QPushButton(UiText("Update List"), this);
    UpdateButton->setObjectName(QStringLiteral("UpdateButton"));
    ClearDeltaButton = new QPushButton(UiText("Clear"), this);
    ClearDeltaButton->setObjectName(QStringLiteral("ClearDeltaButton"));
    AddByteValue = ValueLabel("AddByteValue", this);
    UpdateByteValue = ValueLabel("UpdateByteValue", this);
    DeltaCount = ValueLabel("DeltaCount", this);

    grid->addWidget(TargetDeltaGrid, 0, 0, 1, 8);
    grid->addWidget(UpdateButton, 1, 0);
    grid->addWidget(ClearDeltaButton, 1, 1);
    grid->addWidget(new QLabel(UiText("Add bytes:"), this), 1, 2, Qt::AlignRight);
    grid->addWidget(AddByteValue, 1, 3);
    grid->addWidget(new QLabel(UiText("Update bytes:"), this), 1, 4, Qt::AlignRight);
    grid->addWidget(UpdateByteValue, 1, 5);
    grid->addWidget(new QLabel(UiText("Files:"), this), 1, 6, Qt::AlignRight);
    grid->addWidget(DeltaCount, 1, 7);
}

void TargetDeltaPage::ShowGrid(const struct TargetDeltaGrid& delta)
{
    TargetDeltaGrid->setUpdatesEnabled(false);
    TargetDeltaGrid->clearContents();
    int rows = static_cast<int>(delta.Rows.size());
    TargetDeltaGrid->setRowCount(rows == 0 ? 1 : rows);
    for (int r = 0; r < rows; ++r) {
        const DeltaRow& row = delta.Rows[static_cast<std::size_t>(r)];
        TargetDeltaGrid->setItem(r, 0, Cell(row.FileName));
        TargetDeltaGrid->setItem(r, 1, Cell(std::to_string(row.Size), true));
        TargetDeltaGrid->setItem(r, 2, Cell(row.DateText));
        TargetDeltaGrid->setItem(r, 3, Cell(row.TimeText));
        TargetDeltaGrid->setItem(r, 4, Cell(row.AttrLetters));
        TargetDeltaGrid->setItem(r, 5, Cell(row.Reason));
        TargetDeltaGrid->setItem(r, 6, Cell(row.SourceFolder));
        TargetDeltaGrid->setItem(r, 7, Cell(row.TargetFolder));
        TargetDeltaGrid->setItem(r, 8, Cell(std::to_string(row.PackedTime), true));
        TargetDeltaGrid->setItem(r, 9, Cell(std::to_string(row.CompressedSize), true));
    }
    TargetDeltaGrid->resizeColumnsToContents();
    TargetDeltaGrid->setUpdatesEnabled(true);
    AddByteValue->setText(UiText(std::to_string(delta.AddByteValue)));
    UpdateByteValue->setText(UiText(std::to_string(delta.UpdateByteValue)));
    DeltaCount->setText(UiText(std::to_string(delta.DeltaCount)));
}

} // namespace Tandemix
