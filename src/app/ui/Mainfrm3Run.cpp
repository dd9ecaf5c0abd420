// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of a run: the run buttons, the controls locked while a run goes on,
// the progress display and the command line's automatic run.
#include "app/ui/Mainfrm3.h"
#include "app/ui/UiText.h"
#include "app/ui/WindowActions.h"
#include "automation/CommandLine.h"
#include "batch/ui/BatchGridView.h"
#include "batch/ui/RunBatchPage.h"
#include "engine/FileListing.h"
#include "engine/Messages.h"
#include "engine/RunDriver.h"
#include "engine/RunMessages.h"
#include "engine/ui/FileOptionsPage.h"
#include "engine/ui/SynchronizePage.h"
#include "engine/ui/TargetDeltaPage.h"
#include "filemanager/ui/FolderPanes.h"
#include "reporting/ui/ReportListsView.h"
#include "reporting/ui/ReportingPage.h"
#include "unmatched/ui/UnmatchedOptions.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeView>

#include <chrono>
#include <cstdio>

namespace Tandemix {

namespace {

// A run that compresses into the target files what went into (or stays unmatched in) its
// archives: those lists show in red, and their Delete then acts on the archives' entries.
void MarkCompressedLists(ReportingPage* reports, const Options& opts)
{
    if (reports == nullptr || reports->ReportForm() == nullptr) {
        return;
    }
    bool compressing = opts.UseCompression && opts.CompressExpand == 0;
    for (ReportCategory list : {ReportCategory::Added, ReportCategory::Updated, ReportCategory::UnMatched}) {
        reports->ReportForm()->SetCompressed(list, compressing);
    }
}

} // namespace

RunOutcome TMainSyncForm::SyncButtonClick(RunSender sender)
{
    SyncPage->SetReportCaptions(sender == RunSender::PreReportButton);
    MarkCompressedLists(Reports, FContext.Opts);
    RunOutcome outcome = Tandemix::SyncButtonClick(FContext, sender);
    ShowRunProgress(FEngine);
    return outcome;
}

RunOutcome TMainSyncForm::PreReportButtonClick()
{
    SyncPage->SetReportCaptions(true);
    MarkCompressedLists(Reports, FContext.Opts);
    RunOutcome outcome = Tandemix::PreReportButtonClick(FContext);
    ShowRunProgress(FEngine);
    return outcome;
}

void TMainSyncForm::ApplyControlsEnabled(bool enable)
{
    for (QAction* action : {LoadDefaultSettings1,
                            SaveDefaultData1,
                            LoadSettings1,
                            SwapSourceandTarget1,
                            SortFileLists1,
                            mnuORefreshFileListing}) {
        action->setEnabled(enable);
    }
    if (enable) {
        // Sorting is offered on the folder page only.
        SortFileLists1->setEnabled(TabSet1->currentIndex() == 0);
    }
    for (QWidget* control : {static_cast<QWidget*>(TargetDelta->UpdateButton),
                             static_cast<QWidget*>(TargetDelta->ClearDeltaButton),
                             static_cast<QWidget*>(TargetDelta->TargetDeltaGrid)}) {
        control->setEnabled(enable);
    }
    for (Side side : {Side::Source, Side::Target}) {
        SidePane& pane = Panes->Pane(side);
        for (QWidget* control : {static_cast<QWidget*>(pane.DriveBox),
                                 static_cast<QWidget*>(pane.DirectoryListBox),
                                 static_cast<QWidget*>(pane.FileList)}) {
            control->setEnabled(enable);
        }
    }
    FileOptions->setEnabled(enable);
    Unmatched->SyncOptReplicate->setEnabled(enable);
    SyncPage->EnableRunControls(enable);
    Reports->EnableRunControls(enable);
    RunBatch->EnableRunControls(enable);
    if (enable && RunBatch->RunBatchList->isChecked()) {
        // A list open for running keeps the rows' options locked after the run.
        RunBatchListClick(Unmatched->ReplicateFolders);
    }
}

void TMainSyncForm::FollowSkipButton()
{
    if (SkipFileButton->isEnabled() != FEngine.SkipFileEnabled) {
        SkipFileButton->setEnabled(FEngine.SkipFileEnabled);
    }
}

void TMainSyncForm::ShowRunProgress(const EngineState& engine)
{
    // A run reports per file; a repaint per file would cost more than small copies do.
    long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    bool over = !FState.SyncActive && FState.BusyCount == 0;
    if (!over && now - FLastProgressMs < 100) {
        return;
    }
    FLastProgressMs = now;
    SyncPage->ShowProgress(engine);
    SyncPage->SyncSource->setText(UiText(engine.Source.Folder));
    SyncPage->SyncTarget->setText(UiText(engine.Target.Folder));
    if (FOptions.RunBatchList) {
        RunBatch->BatchSyncGrid->StandOn(FHooks.BatchCurrentRow(FContext));
    }
    FollowSkipButton();
}

void TMainSyncForm::RunFinished()
{
    SyncPage->ShowProgress(FEngine);
    Reports->ShowLogNames();
    FollowSkipButton();
    for (Side side : {Side::Source, Side::Target}) {
        Panes->PointTreeAt(side, ListingOf(FEngine, side).Folder);
    }
    if (!FOptions.RunBatchList) {
        Tandemix::RefreshFileListings(FContext);
        ShowListing(Side::Source);
        ShowListing(Side::Target);
    } else {
        // The last row's options are in force now, and the grid is back on row 1.
        RunBatch->ShowGrid();
        ShowAppliedOptions();
    }
    ShowDeltaGrid();
    if (FindParam(SwitchWords(CommandWords), "-A") < 1) {
        QApplication::beep();
        QApplication::beep();
    }
}

void TMainSyncForm::WireReporting()
{
    connect(DisplayReportingForm1, &QAction::triggered, this, [this] {
        // The item toggled itself; the page decides and reports the state back.
        DisplayReportingForm1->setChecked(Reports->ReportFormShown());
        Reports->DisplayReportFormButtonClick();
    });
    connect(Reports, &ReportingPage::ReportFormShownChanged, DisplayReportingForm1, &QAction::setChecked);
    connect(Reports->ReportForm(), &TReportForm1::FilesDeleted, this, [this] { RefreshFileListings(); });
    connect(Reports, &ReportingPage::ReportFormAvailable, DisplayReportingForm1, &QAction::setEnabled);
    for (QWidget* label : {static_cast<QWidget*>(StatusPanel),
                           static_cast<QWidget*>(SyncPage->TotFilesAdded),
                           static_cast<QWidget*>(SyncPage->TotFilesUpdated)}) {
        label->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(label, &QWidget::customContextMenuRequested, this, [this, label] {
            JumpToReportFrom(label);
        });
    }
}

void TMainSyncForm::JumpToReportFrom(QWidget* label)
{
    if (label == StatusPanel && StatusPanel->text() == UiText(RunMsg::DoneWithMessages)) {
        Reports->JumpToReport(ReportCategory::Messages);
    } else if (label == SyncPage->TotFilesAdded && SyncPage->TotFilesAdded->text() != QStringLiteral("0")) {
        Reports->JumpToReport(ReportCategory::Added);
    } else if (label == SyncPage->TotFilesUpdated
               && SyncPage->TotFilesUpdated->text() != QStringLiteral("0")) {
        Reports->JumpToReport(ReportCategory::Updated);
    }
}

void TMainSyncForm::ShowUnmatchedSelected()
{
    if (Reports->JumpToReport(ReportCategory::UnMatched)) {
        Reports->ReportForm()->List(ReportCategory::UnMatched)->selectAll();
    }
}

bool TMainSyncForm::HandleCommandLine(const std::vector<std::string>& args, int& exitStatus)
{
    CommandWords = args;
    WindowActions actions(*this);
    ConfigContext config = MakeConfigContext();
    CommandLineResult result = Tandemix::HandleCommandLine(config, FState, actions, args);
    if (!result.Problem.empty()) {
        // The status line, not a dialog: an unattended start must never wait for a click.
        FState.StatusMsg(result.Problem);
        std::fprintf(stderr, "tandemix: %s\n", result.Problem.c_str());
    }
    if (actions.Ended()) {
        FCommandLineBatch.clear();
        exitStatus = static_cast<int>(actions.Status());
        const RunTotals& totals = FEngine.Totals;
        if (result.Ran && totals.Refused != RunRefusal::None) {
            // An automatic run asks no question; the reason goes where a script looks.
            std::fprintf(stderr, "tandemix: %s\n", totals.RefusalText.c_str());
            if (totals.Refused == RunRefusal::FolderPair) {
                exitStatus = static_cast<int>(ExitStatus::NothingToRun);
            }
        }
        return true;
    }
    FCommandLineBatch.clear();
    ShowLoadStatus(); // "-C" may have loaded a file that trimmed a log
    return false;
}

} // namespace Tandemix
