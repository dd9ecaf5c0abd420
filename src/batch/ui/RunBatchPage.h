// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchHooks.h"
#include "engine/RunContext.h"

#include <QWidget>

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace Tandemix {

class BatchGridView;

// The "Run Batch Lists" page: the list opened for running, which the run walks row by row
// through the batch hooks, and the recently opened batch files. The "Run Batch List" switch
// belongs to it but is shown on the Synchronize page. UI thread only.
class RunBatchPage : public QWidget
{
    Q_OBJECT

public:
    RunBatchPage(RunContext& ctx,
                 BatchHooks& hooks,
                 const std::string& programFolder,
                 QWidget* parent = nullptr);

    // Reads a batch file for running; false when nothing was opened.
    bool RunBatchFile(const std::string& path);
    void OpenBatchFileClick();
    // Empties the run grid: no list, "None", the switch off and disabled.
    void ClearRunGrid();
    void ClearCurrentBatchClick();
    void EditBatchClick();
    void BatchSyncGridClick(int row);
    void BatchFileLoadListKeyDown(int key);
    void BatchFileLoadListChange();
    // Makes `row` the run's current row and applies it: -1 nothing to run, 0 done, 1 a folder
    // of the row is not there.
    int InitiateBatchItem(int row);
    // Whether a list that can run is open: row 1 names both folders.
    bool FirstRowRuns() const;
    // Shows the list and the run's current row again (after a run, or while it goes on).
    void ShowGrid();
    void ShowRecentFiles();
    // The path of the list open for running; empty when none is.
    const std::string& OpenPath() const { return FOpenPath; }
    void EnableRunControls(bool enable);
    // Sets the "Run Batch List" switch; the window follows it as it follows a click.
    void SetRunBatchList(bool enabled, bool checked);
    // The switch shown as the options have it (something else changed them).
    void FollowRunBatchList();

    std::function<QString(bool save, const QString& proposed)> ChooseBatchFile;

    BatchGridView* BatchSyncGrid = nullptr;
    QLabel* CurrentBatchFile = nullptr;
    QComboBox* BatchFileLoadList = nullptr;
    QPushButton* OpenBatchForSync = nullptr;
    QPushButton* EditBatch = nullptr;
    QPushButton* ClearCurrentBatch = nullptr;
    QCheckBox* RunBatchList = nullptr; // shown on the Synchronize page

signals:
    // The switch was turned (by the user or by the page): the window follows it.
    void RunBatchListClicked();
    // A row's folders and options are the window's now (result 0) or could not be (1).
    void RowInitiated(int result);
    void EditWanted(const QString& path);
    // "Clear": the window's own options come back from the default settings.
    void DefaultSettingsWanted();
    // Opening or clearing a list ends the real-time monitor (and, for "Clear", the schedule):
    // neither may go on running a list that is no longer the one shown.
    void AutomaticRunsOffWanted(bool schedule);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ChooseFromList(int index);

    RunContext& FCtx;
    BatchHooks& FHooks;
    std::string FProgramFolder;
    std::string FOpenPath;
    bool FShowingList = false;
};

} // namespace Tandemix
