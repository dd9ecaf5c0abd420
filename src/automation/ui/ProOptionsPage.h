// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/Automation.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace Tandemix {

// The "Pro Options" page's "Automation Options": the schedule, the source polling, the
// real-time monitor, the countdown and the work queue. Clicks go to the automation's handlers;
// the page shows what they leave in the options and the automation. UI thread only.
class ProOptionsPage : public QWidget
{
    Q_OBJECT

public:
    ProOptionsPage(RunContext& ctx, Automation& automation, QWidget* parent = nullptr);

    // The check boxes and edits from the options.
    void ShowOptions();
    // The queue and the watched folders; cheap when nothing changed.
    void ShowQueue();

    QCheckBox* RunSyncSched = nullptr;
    QLineEdit* RunSyncEveryMin = nullptr;
    QCheckBox* PoleEvery = nullptr;
    QLineEdit* PoleSecs = nullptr;
    QCheckBox* MonitorSourceDriveCheck = nullptr;
    QLabel* SyncEverCountDown = nullptr;
    QListWidget* FolderQue = nullptr;
    QListWidget* FolderWatch = nullptr; // hidden behind the queue
    QPushButton* SetAdminPW = nullptr;

signals:
    void SetAdminPWClicked();

private:
    RunContext& FCtx;
    Automation& FAuto;
    bool FShowing = false;
};

} // namespace Tandemix
