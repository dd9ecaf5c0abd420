// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"

#include <QWidget>

class QCheckBox;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;

namespace Tandemix {

// The "Synchronize" page: the two run buttons, the run options, and the progress of a run
// (folders, files, bytes, the current file). It shows the core's counters; it counts nothing.
class SynchronizePage : public QWidget
{
    Q_OBJECT

public:
    SynchronizePage(RunContext& ctx, QWidget* parent = nullptr);

    void ShowOptions();
    // A run option of another subsystem, shown with the others.
    void AddRunOption(QCheckBox* check);
    // Repaints the counters from the engine's state; cheap enough to call per file, because
    // the window throttles it.
    void ShowProgress(const EngineState& engine);
    // Captions of the counters: "Added:"/"Updated:", or "Add:"/"Update:" for a report run.
    void SetReportCaptions(bool preReport);
    // The run options that must not change while a run goes on.
    void EnableRunControls(bool enable);

    QPushButton* SyncButton = nullptr;
    QPushButton* PreReportButton = nullptr;
    QCheckBox* IncludeSubFolderOption = nullptr;
    QCheckBox* CreateSubFolder = nullptr;
    QCheckBox* AddFilesOption = nullptr;
    QCheckBox* UpdateFilesOption = nullptr;
    QCheckBox* AlwaysOverWrite = nullptr;
    QCheckBox* IgnoreTargetSpace = nullptr;
    QCheckBox* CheckResetArchive = nullptr;
    QLabel* SyncSource = nullptr;
    QLabel* SyncTarget = nullptr;
    QLabel* SyncOptAdd = nullptr;
    QLabel* SyncOptUpdate = nullptr;
    QLabel* TotFilesAdded = nullptr;
    QLabel* TotFilesUpdated = nullptr;
    QLabel* TotalFilesCheckedValue = nullptr;
    QLabel* TotalFileCount = nullptr;
    QLabel* TotDirCount = nullptr;
    QLabel* TotFileSize = nullptr;
    QLabel* PreFolderCount = nullptr;
    QLabel* CurrentFileName = nullptr;
    QLabel* ActiveFileSize = nullptr;
    QLabel* CurrentFileNo = nullptr;
    QLabel* DirFileCount = nullptr;
    QLabel* RemainingTargetSpace = nullptr;
    QProgressBar* FolderGauge = nullptr;
    QProgressBar* DirGauge = nullptr;
    QProgressBar* FileGauge = nullptr;
    QLabel* CompressionMessage = nullptr; // what the zip work does; shown only while it works

signals:
    void SyncClicked();
    void PreReportClicked();
    void OptionChanged();

private:
    QWidget* BuildOptions();
    QWidget* BuildProgress();
    void AddUpdateOptionClick();

    RunContext& FCtx;
    bool FShowing = false;
    QGridLayout* FOptionGrid = nullptr;
    int FOptionsPlaced = 0;
};

} // namespace Tandemix
