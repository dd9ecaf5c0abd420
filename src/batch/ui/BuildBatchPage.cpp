// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/ui/BuildBatchPage.h"

#include "app/ui/UiText.h"
#include "batch/ApplyBatchRow.h"
#include "batch/BatchFile.h"
#include "batch/BatchHooks.h"
#include "batch/BatchMessages.h"
#include "batch/ui/BatchFileDialog.h"
#include "batch/ui/BatchGridView.h"
#include "engine/Messages.h"
#include "engine/ShowError.h"
#include "platform/FileOps.h"
#include "platform/PathText.h"
#include "platform/WallClock.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Tandemix {

namespace {

QPushButton* Button(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(UiText(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    return button;
}

} // namespace

BuildBatchPage::BuildBatchPage(RunContext& ctx, const std::string& programFolder, QWidget* parent)
    : QWidget(parent)
    , FCtx(ctx)
    , FProgramFolder(programFolder)
{
    setObjectName(QStringLiteral("Build Batch Lists"));
    ChooseBatchFile = [this](bool save, const QString& proposed) {
        return ChooseBatchFileInDialog(this, save, proposed);
    };
    ChooseFolder = [this](const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(this, title, start);
    };

    auto* grid = new QGridLayout(this);
    DescriptionEdit = new QLineEdit(this);
    DescriptionEdit->setObjectName(QStringLiteral("DescriptionEdit"));
    OpenBatchFileEdit = new QLineEdit(this);
    OpenBatchFileEdit->setObjectName(QStringLiteral("OpenBatchFileEdit"));
    auto* description = new QLabel(UiText("&Description:"), this);
    description->setBuddy(DescriptionEdit);
    auto* fileName = new QLabel(UiText("&File Name:"), this);
    fileName->setBuddy(OpenBatchFileEdit);
    grid->addWidget(description, 0, 0);
    grid->addWidget(DescriptionEdit, 0, 1);
    grid->addWidget(fileName, 0, 2);
    grid->addWidget(OpenBatchFileEdit, 0, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 1);

    BuildBatchGrid = new BatchGridView("BuildBatchGrid", this);
    grid->addWidget(BuildBatchGrid, 1, 0, 1, 4);

    auto* buttons = new QVBoxLayout;
    AddBatchItem = Button("AddBatchItem", "&Add", this);
    AddBatchItem->setToolTip(UiText("Add the folders and options shown as a new row"));
    UpdateBatchItem = Button("UpdateBatchItem", "&Update", this);
    UpdateBatchItem->setToolTip(UiText("Store the options shown in the current row"));
    DeleteBatchItem = Button("DeleteBatchItem", "&Delete", this);
    NewBatchFile = Button("NewBatchFile", "&New", this);
    OpenBatchFile = Button("OpenBatchFile", "&Open", this);
    SaveBatchFile = Button("SaveBatchFile", "&Save", this);
    for (QPushButton* button :
         {AddBatchItem, UpdateBatchItem, DeleteBatchItem, NewBatchFile, OpenBatchFile, SaveBatchFile}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    grid->addLayout(buttons, 1, 4);
    grid->setRowStretch(1, 1);

    connect(AddBatchItem, &QPushButton::clicked, this, [this] { AddBatchItemClick(); });
    connect(UpdateBatchItem, &QPushButton::clicked, this, [this] { CaptureBatchRow(); });
    connect(DeleteBatchItem, &QPushButton::clicked, this, [this] { DeleteBatchItemClick(); });
    connect(NewBatchFile, &QPushButton::clicked, this, [this] { NewBatchFileClick(); });
    connect(OpenBatchFile, &QPushButton::clicked, this, [this] { OpenBatchFileClick(); });
    connect(SaveBatchFile, &QPushButton::clicked, this, [this] { SaveBatchFileClick(); });
    connect(BuildBatchGrid, &BatchGridView::RowEntered, this, [this](int to, int from) {
        BuildBatchGridSelectCell(to, from);
        BuildBatchGridClick();
    });
    connect(BuildBatchGrid, &QTableWidget::cellClicked, this, [this](int row) {
        // A click on the row already current applies it again, as a click on another would.
        if (row + 1 == FGrid.Current) {
            BuildBatchGridClick();
        }
    });
    connect(BuildBatchGrid, &BatchGridView::KeyReleased, this, [this](int key) { BuildBatchGridKeyUp(key); });
    connect(BuildBatchGrid, &BatchGridView::RowMoveWanted, this, [this](int step) {
        BuildBatchGridRowMoved(step);
    });
    connect(BuildBatchGrid, &BatchGridView::RightButtonReleased, this, [this] { BuildBatchGridMouseUp(); });
    connect(BuildBatchGrid, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        BuildBatchGridDblClick(row + 1, column);
    });
    connect(BuildBatchGrid,
            &BatchGridView::CellEdited,
            this,
            [this](int row, int column, const QString& text) { CellEdited(row, column, text); });
    NewBatchFileClick();
}

void BuildBatchPage::Tell(const std::string& text)
{
    (void)FCtx.Hst.Ask(text, DialogButtons::Ok);
}

void BuildBatchPage::ShowGrid()
{
    BuildBatchGrid->ShowRows(FGrid.Rows, FGrid.Current);
}

void BuildBatchPage::StandOn(int row)
{
    FGrid.Current = row;
    BuildBatchGrid->StandOn(row);
}

void BuildBatchPage::NewBatchFileClick()
{
    OpenBatchFileEdit->setText(UiText(BatchMsg::DefaultFileName));
    DescriptionEdit->setText(UiText(BatchMsg::DefaultDescription));
    ClearBatchGrid(FGrid);
    FShownRow = 0;
    ShowGrid();
    UpdateBatchItem->setEnabled(false);
    DeleteBatchItem->setEnabled(false);
    FCtx.State.StatusMsg(Msg::Ready);
}

void BuildBatchPage::AddBatchItemClick()
{
    const std::string& source = FCtx.Engine.Source.Folder;
    const std::string& target = FCtx.Engine.Target.Folder;
    if (source.empty() || target.empty()) {
        return;
    }
    BatchGrid grown = FGrid;
    const int row = RowForNewPair(grown);
    // The options on screen go with the new pair, as the user set them for it.
    BatchRow made = NewBatchRow(row, source, target, FCtx.Opts, Now());
    // A folder whose name holds a TAB or a line break would read back shifted: say so now,
    // not when the list is saved.
    if (std::string problem = BatchRowSaveProblem(made, static_cast<std::size_t>(row)); !problem.empty()) {
        Tell(problem);
        return;
    }
    grown.At(row) = std::move(made);
    grown.Current = row;
    FGrid = std::move(grown);
    ShowGrid();
    UpdateBatchItem->setEnabled(false);
    DeleteBatchItem->setEnabled(true);
}

void BuildBatchPage::CaptureBatchRow()
{
    UpdateBatchItem->setEnabled(false);
    if (!FGrid.Exists(FGrid.Current)) {
        return;
    }
    Tandemix::CaptureBatchRow(FGrid.At(FGrid.Current), FCtx.Opts, Now());
    ShowGrid();
}

void BuildBatchPage::DeleteBatchItemClick()
{
    DeleteBatchGridRow(FGrid);
    FShownRow = 0;
    ShowGrid();
    DeleteBatchItem->setEnabled(false);
    UpdateBatchItem->setEnabled(false);
}

void BuildBatchPage::BuildBatchGridClick()
{
    const int row = FGrid.Current;
    if (row > 0 && (FGrid.HasSource(row) || FGrid.HasTarget(row))) {
        DeleteBatchItem->setEnabled(true);
        ApplyBuildRow();
    } else {
        DeleteBatchItem->setEnabled(false);
    }
}

void BuildBatchPage::ApplyBuildRow()
{
    FCtx.Hst.SetCursorShape(CursorShape::Busy);
    FCtx.State.StatusMsg(BatchMsg::ConfiguringBatch);
    if (FGrid.HasSource(1)) {
        DeleteBatchItem->setEnabled(true);
    }
    FShownRow = 0;
    if (FGrid.HasPair(FGrid.Current)) {
        BatchRowResult applied = ApplyBatchRow(FCtx.Opts, FGrid.At(FGrid.Current), Now());
        if (applied.Outcome == BatchRowOutcome::Refused) {
            Tell(applied.Problem);
        } else {
            FShownRow = applied.Outcome == BatchRowOutcome::Applied ? FGrid.Current : 0;
            emit OptionsApplied();
        }
        UpdateBatchItem->setEnabled(false);
    } else {
        UpdateBatchItem->setEnabled(true);
    }
    FCtx.Hst.SetCursorShape(CursorShape::Default);
    FCtx.State.StatusMsg(Msg::Ready);
}

void BuildBatchPage::BuildBatchGridSelectCell(int to, int from)
{
    if (to < 1 || to == from) {
        return;
    }
    AskToSaveRow(from);
    FGrid.Current = to;
    BuildBatchGrid->SetEditingMode(false);
    UpdateBatchItem->setEnabled(false);
}

void BuildBatchPage::AskToSaveRow(int row)
{
    if (UpdateBatchItem->isEnabled() && FGrid.HasSource(row)) {
        const std::string question(BatchMsg::UnsavedRow);
        if (FCtx.Hst.Ask(question, DialogButtons::YesNo) == DialogResult::Yes) {
            FGrid.Current = row;
            CaptureBatchRow();
        }
    }
    UpdateBatchItem->setEnabled(false);
}

void BuildBatchPage::BuildBatchGridKeyUp(int key)
{
    if (BuildBatchGrid->EditingMode()) {
        return;
    }
    if (key == Qt::Key_Delete) {
        if (!FGrid.HasSource(FGrid.Current) && !FGrid.HasTarget(FGrid.Current)) {
            return;
        }
        std::string question(BatchMsg::DeleteRowStart);
        question += std::to_string(FGrid.Current);
        question += BatchMsg::DeleteRowEnd;
        if (FCtx.Hst.Ask(question, DialogButtons::YesNo) == DialogResult::Yes) {
            ShiftRowsUp(FGrid);
            FShownRow = 0;
            ShowGrid();
            // The row moved up shows its own options; storing the deleted row's options in it
            // would hand them to another pair.
            UpdateBatchItem->setEnabled(false);
            BuildBatchGridClick();
        }
        return;
    }
    // A key on a row of folders stores the options on screen in it, as "Update" does; but only
    // when they are that row's to begin with, never another row's left on screen because this
    // one carries none or could not be applied.
    if (FShownRow == FGrid.Current && FGrid.HasPair(FGrid.Current) && key != Qt::Key_Tab
        && key != Qt::Key_Backtab) {
        CaptureBatchRow();
    }
}

void BuildBatchPage::BuildBatchGridRowMoved(int step)
{
    const int from = FGrid.Current;
    const int to = from + step;
    if (!FGrid.HasSource(from) && !FGrid.HasTarget(from)) {
        return;
    }
    if (!FGrid.Exists(to)) {
        return;
    }
    // The pair moves with its options; what is on screen is still its own.
    const bool shown = FShownRow == from;
    MoveBatchGridRow(FGrid, from, to);
    FShownRow = shown ? to : 0;
    ShowGrid();
    NoteOptionChange();
}

void BuildBatchPage::BuildBatchGridMouseUp()
{
    BuildBatchGrid->SetEditingMode(true);
}

void BuildBatchPage::BuildBatchGridDblClick(int row, int column)
{
    if (!BuildBatchGrid->EditingMode() || !FGrid.Exists(row)) {
        return;
    }
    FGrid.Current = row;
    BatchRow& cells = FGrid.At(row);
    if (column == static_cast<int>(BatchCol::Direction)) {
        // Anything but "<" turns into "<".
        const bool back = cells[BatchCol::Direction] != "<";
        cells[BatchCol::Direction] = std::string(1, back ? '<' : '>');
        ShowGrid();
        return;
    }
    const bool source = column == static_cast<int>(BatchCol::Source);
    const BatchCol col = source ? BatchCol::Source : BatchCol::Target;
    const QString chosen =
        ChooseFolder(UiText(source ? BatchMsg::SourceFolderChange : BatchMsg::TargetFolderChange),
                     UiText(cells[col]));
    if (!chosen.isEmpty() && SetFolderCell(row, col, CoreText(chosen))) {
        NoteOptionChange();
    }
}

void BuildBatchPage::CellEdited(int row, int column, const QString& text)
{
    if (!FGrid.Exists(row)
        || (column != static_cast<int>(BatchCol::Source) && column != static_cast<int>(BatchCol::Target))) {
        return;
    }
    if (!SetFolderCell(row, static_cast<BatchCol>(column), CoreText(text))) {
        ShowGrid(); // the cell shows what the row still holds
        return;
    }
    NoteOptionChange();
}

bool BuildBatchPage::SetFolderCell(int row, BatchCol col, const std::string& folder)
{
    BatchRow changed = FGrid.At(row);
    changed[col] = folder;
    if (std::string problem = BatchRowSaveProblem(changed, static_cast<std::size_t>(row)); !problem.empty()) {
        Tell(problem);
        return false;
    }
    FGrid.At(row) = std::move(changed);
    ShowGrid();
    return true;
}

void BuildBatchPage::NoteOptionChange()
{
    // A row being applied changes the options too; only the user's changes count.
    if (FCtx.State.SourceFileListTag != 0) {
        return;
    }
    if (!UpdateBatchItem->isEnabled() && FGrid.HasPair(FGrid.Current)) {
        UpdateBatchItem->setEnabled(true);
    }
}

void BuildBatchPage::SaveBatchFileClick()
{
    // The row being edited is asked about first, wherever the cursor stands.
    AskToSaveRow(FGrid.Current);
    StandOn(1);

    const std::string name = BatchSaveName(CoreText(OpenBatchFileEdit->text()));
    OpenBatchFileEdit->setText(UiText(name));
    const QString chosen = ChooseBatchFile(true, UiText(FProgramFolder + name));
    if (chosen.isEmpty()) {
        return;
    }
    const std::string path = CoreText(chosen);
    BatchSaveResult saved = WriteBatchFile(path, GridList(FGrid, CoreText(DescriptionEdit->text())));
    if (!saved.Ok()) {
        if (saved.Error == 0) {
            Tell(saved.Problem); // refused before anything was written; the name stays
        } else {
            (void)ShowError(FCtx, saved.Problem, ErrorCode::Notice);
            OpenBatchFileEdit->clear();
        }
        return;
    }
    OpenBatchFileEdit->setText(UiText(LastComponent(path)));
    FCtx.State.StatusMsg(Msg::Ready);
}

void BuildBatchPage::OpenBatchFileClick()
{
    const QString chosen = ChooseBatchFile(false, UiText(FProgramFolder));
    if (!chosen.isEmpty()) {
        (void)ReadBatchFile(CoreText(chosen));
    }
}

bool BuildBatchPage::ReadBatchFile(const std::string& path)
{
    if (!FileExists(path)) {
        return false;
    }
    NewBatchFileClick();
    std::optional<BatchList> list = OpenBatchList(FCtx, path);
    if (!list) {
        OpenBatchFileEdit->clear();
        return false;
    }
    FillBatchGrid(FGrid, *list);
    DescriptionEdit->setText(UiText(list->Description));
    OpenBatchFileEdit->setText(UiText(LastComponent(path)));
    ShowGrid();
    FCtx.State.StatusMsg(Msg::Ready);
    return true;
}

} // namespace Tandemix
