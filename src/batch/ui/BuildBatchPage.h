// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchGrid.h"
#include "engine/RunContext.h"

#include <QWidget>

#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

namespace Tandemix {

class BatchGridView;

// The "Build Batch Lists" page: the list being edited, one folder pair per row, each row with
// its own copy of the options. A row's options are shown on the option pages while the row is
// current; "Update" stores what those pages show. The list is saved to and read from a batch
// file. UI thread only.
class BuildBatchPage : public QWidget
{
    Q_OBJECT

public:
    BuildBatchPage(RunContext& ctx, const std::string& programFolder, QWidget* parent = nullptr);

    const BatchGrid& Grid() const { return FGrid; }

    void NewBatchFileClick();
    void OpenBatchFileClick();
    void SaveBatchFileClick();
    void AddBatchItemClick();
    // "Update": the window's options into columns 4 to 33 of the current row.
    void CaptureBatchRow();
    void DeleteBatchItemClick();
    void BuildBatchGridClick();
    void BuildBatchGridKeyUp(int key);
    void BuildBatchGridMouseUp();
    void BuildBatchGridDblClick(int row, int column);
    // Moving from grid row `from` to `to`: the unsaved-changes question for the row left.
    void BuildBatchGridSelectCell(int to, int from);
    // The current row moved `step` places (Ctrl+Up, Ctrl+Down): the rows are numbered again.
    void BuildBatchGridRowMoved(int step);
    // An option changed on another page: the current row is out of date.
    void NoteOptionChange();
    // Reads a batch file into the grid; false when it could not be read.
    bool ReadBatchFile(const std::string& path);

    // The batch file to open (save: false) or save to; empty when the user cancels. The file
    // dialog by default; tests put their own choice here.
    std::function<QString(bool save, const QString& proposed)> ChooseBatchFile;
    // The folder browser of editing mode: a folder, or empty when cancelled.
    std::function<QString(const QString& title, const QString& start)> ChooseFolder;

    BatchGridView* BuildBatchGrid = nullptr;
    QLineEdit* DescriptionEdit = nullptr;
    QLineEdit* OpenBatchFileEdit = nullptr;
    QPushButton* AddBatchItem = nullptr;
    QPushButton* UpdateBatchItem = nullptr;
    QPushButton* DeleteBatchItem = nullptr;
    QPushButton* NewBatchFile = nullptr;
    QPushButton* OpenBatchFile = nullptr;
    QPushButton* SaveBatchFile = nullptr;

signals:
    // A row's options were put into the options: the option pages show them again.
    void OptionsApplied();

private:
    void ShowGrid();
    void ApplyBuildRow();
    // The unsaved-changes question for `row`; Yes stores the options on screen in it.
    void AskToSaveRow(int row);
    void StandOn(int row);
    void CellEdited(int row, int column, const QString& text);
    bool SetFolderCell(int row, BatchCol col, const std::string& folder);
    void Tell(const std::string& text);

    RunContext& FCtx;
    std::string FProgramFolder;
    BatchGrid FGrid;
    int FShownRow = 0; // the row whose options the option pages show; 0: none
};

} // namespace Tandemix
