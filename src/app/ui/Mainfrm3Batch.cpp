// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of batch lists: the two batch pages wired to the option pages, the
// "Run Batch List" switch and the synchronise button's caption.
#include "app/ui/Mainfrm3.h"
#include "app/ui/PageTabs.h"
#include "app/ui/UiText.h"
#include "automation/Automation.h"
#include "automation/ui/ProOptionsPage.h"
#include "batch/RecentBatchFiles.h"
#include "batch/SyncCaption.h"
#include "batch/ui/BatchGridView.h"
#include "batch/ui/BuildBatchPage.h"
#include "batch/ui/RunBatchPage.h"
#include "compression/ui/CompressionPage.h"
#include "engine/FileListing.h"
#include "engine/ui/FileOptionsPage.h"
#include "engine/ui/SynchronizePage.h"
#include "filemanager/ui/FolderPanes.h"
#include "platform/FileOps.h"
#include "reporting/ui/ReportingPage.h"
#include "unmatched/ui/UnmatchedOptions.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>

namespace Tandemix {

namespace {

void Colour(QLabel* label, FolderColour colour)
{
    if (colour == FolderColour::Unchanged) {
        return;
    }
    // The folders' usual colour is the theme's own text colour: a fixed dark blue would be
    // unreadable on a dark theme. Red marks the side held in archives.
    QPalette palette = label->parentWidget() != nullptr ? label->parentWidget()->palette() : QPalette();
    if (colour == FolderColour::Red) {
        palette.setColor(QPalette::WindowText, QColor(Qt::red));
    }
    label->setPalette(palette);
}

} // namespace

void TMainSyncForm::WireBatchPages()
{
    connect(BuildBatch, &BuildBatchPage::OptionsApplied, this, [this] { ShowAppliedOptions(); });
    auto noteChange = [this] {
        BuildBatch->NoteOptionChange();
    };
    connect(FileOptions, &FileOptionsPage::OptionChanged, BuildBatch, noteChange);
    connect(SyncPage, &SynchronizePage::OptionChanged, BuildBatch, noteChange);
    connect(Unmatched, &UnmatchedOptions::OptionChanged, BuildBatch, noteChange);
    connect(Reports, &ReportingPage::OptionChanged, BuildBatch, noteChange);
    connect(CompressionOptions, &CompressionPage::OptionChanged, BuildBatch, noteChange);
    connect(CompressionOptions, &CompressionPage::CaptionNeeded, this, [this] {
        RunBatchListClick(CompressionOptions->UseCompression);
    });
    connect(Unmatched, &UnmatchedOptions::FiltersBypassed, this, [this] {
        RunBatchListClick(Unmatched->ReplicateFolders);
    });
    connect(RunBatch, &RunBatchPage::RunBatchListClicked, this, [this] {
        RunBatchListClick(RunBatch->RunBatchList);
    });
    connect(RunBatch, &RunBatchPage::RowInitiated, this, [this](int result) { BatchRowInitiated(result); });
    connect(RunBatch, &RunBatchPage::EditWanted, this, [this](const QString& path) { EditBatchClick(path); });
    connect(RunBatch, &RunBatchPage::AutomaticRunsOffWanted, this, [this](bool schedule) {
        SwitchOffAutomaticRuns(schedule);
    });
    connect(RunBatch, &RunBatchPage::DefaultSettingsWanted, this, [this] {
        LoadConfiguration(FDefaultConfigPath);
        RefreshFileListings();
    });
}

void TMainSyncForm::ShowAppliedOptions()
{
    {
        // Showing options is not changing them: no listing, no "row changed" note.
        QScopedValueRollback<int> loading(FState.SourceFileListTag, 1);
        FileOptions->ShowOptions();
        Unmatched->ShowOptions();
        SyncPage->ShowOptions();
        Reports->ShowOptions();
        // A row carries its compression too; the page must not go on showing the one before.
        CompressionOptions->ShowOptions();
    }
    if (!RunBatch->RunBatchList->isChecked()) {
        FileOptions->SetFiltersEnabled(!FOptions.ReplicateBypass());
    }
    RunBatchListClick(Unmatched->ReplicateFolders);
}

void TMainSyncForm::BatchRowInitiated(int result)
{
    ShowAppliedOptions();
    if (result != 0) {
        return;
    }
    // A target the run is still to make stays unlisted; the pane keeps the folder it showed.
    for (Side side : {Side::Source, Side::Target}) {
        const std::string folder = ListingOf(FEngine, side).Folder;
        if (FolderExists(folder)) {
            DirectoryListBox1Change(side, folder);
        }
    }
}

void TMainSyncForm::EnableOptionControls(bool enable)
{
    FileOptions->SetFiltersEnabled(enable);
    for (QCheckBox* check : {SyncPage->IncludeSubFolderOption,
                             SyncPage->CreateSubFolder,
                             SyncPage->AddFilesOption,
                             SyncPage->UpdateFilesOption}) {
        check->setEnabled(enable);
    }
    CompressionOptions->SetOptionsEnabled(enable);
    for (Side side : {Side::Source, Side::Target}) {
        Panes->Pane(side).ViewPanel->setEnabled(enable);
    }
    if (enable) {
        // The page's own rules (replication keeps adds and updates, sub-folders first) again.
        SyncPage->EnableRunControls(!StopButton->isEnabled());
    }
}

void TMainSyncForm::RunBatchListClick(QObject* sender)
{
    QCheckBox* run = RunBatch->RunBatchList;
    const bool fromDeletion = sender == Unmatched->DeleteUnmatched || sender == Unmatched->ReplicateFolders;
    if (FState.SourceFileListTag == 0 && !fromDeletion && run->isChecked() && run->isEnabled()) {
        (void)RunBatch->InitiateBatchItem(1);
        if (!run->isChecked()) {
            return; // row 1 cannot run: the switch went off, and its own click did the rest
        }
    }
    const bool checked = run->isChecked();
    if (checked) {
        // The rows decide these.
        EnableOptionControls(false);
        for (QCheckBox* check :
             {Unmatched->SyncOptReplicate, Unmatched->ReplicateFolders, Unmatched->DeleteUnmatched}) {
            check->setEnabled(false);
        }
    }
    for (QAction* item : {LoadDefaultSettings1, SaveDefaultData1, LoadSettings1, SaveSettings1}) {
        item->setEnabled(!checked);
    }
    SyncPage->CheckResetArchive->setEnabled(!checked);
    Unmatched->DeleteUnMatchPriorToSync->setEnabled(!checked);

    const std::optional<SyncButtonLook> look = SyncButtonCaption({FOptions.ReplicateBypass(),
                                                                  checked,
                                                                  run->isEnabled(),
                                                                  FOptions.UseCompression,
                                                                  FOptions.CompressExpand});
    if (look) {
        SyncPage->SyncButton->setText(UiText(look->Caption));
        Colour(SyncPage->SyncSource, look->Source);
        Colour(SyncPage->SyncTarget, look->Target);
        // With a batch list the indicator shows the compression of the row in force, which the
        // caption no longer says.
        CompressionOptions->ShowIndicator(checked ? FOptions.UseCompression : look->CompressionShown);
    }
    if (checked) {
        return;
    }
    EnableOptionControls(!FOptions.ReplicateBypass());
    for (QCheckBox* check :
         {Unmatched->SyncOptReplicate, Unmatched->ReplicateFolders, Unmatched->DeleteUnmatched}) {
        check->setEnabled(true);
    }
    if (FOptions.ReplicateBypass()) {
        SyncPage->IncludeSubFolderOption->setEnabled(true);
        SyncPage->CreateSubFolder->setEnabled(true);
        // Replication bypasses the filters, not compression: its direction, speed, extension
        // and password stay as usable as the switch itself.
        CompressionOptions->SetOptionsEnabled(true);
    }
}

void TMainSyncForm::SwitchOffAutomaticRuns(bool schedule)
{
    if (FOptions.MonitorSourceDriveCheck) {
        FOptions.MonitorSourceDriveCheck = false;
        FAutomation->MonitorSourceDriveCheckClick();
    }
    if (schedule && FOptions.RunSyncSched) {
        FOptions.RunSyncSched = false;
        FAutomation->RunSyncSchedClick();
    }
    if (ProOptions != nullptr) {
        ProOptions->ShowOptions();
    }
}

void TMainSyncForm::EditBatchClick(const QString& path)
{
    SetTabs1AndMenus(BuildBatchListsTab);
    (void)BuildBatch->ReadBatchFile(CoreText(path));
    RunBatch->ClearRunGrid();
    RunBatch->EditBatch->setEnabled(false);
    // The list is edited with the window's options free again.
    SwitchOffAutomaticRuns(true);
    RunBatchListClick(this);
}

bool TMainSyncForm::ReopenBatchList(const std::string& firstEntry)
{
    // Only a list open for running is opened again, so that a load shows that list's rows.
    if (RunBatch == nullptr || RunBatch->OpenPath().empty()) {
        return false;
    }
    if (!FCommandLineBatch.empty()) {
        // The batch file the command line named stays the one that runs.
        RememberBatchFile(FOptions.BatchFileLoadList, FCommandLineBatch);
        return true;
    }
    if (firstEntry.empty() || !RunBatch->RunBatchFile(firstEntry)) {
        // The grid never goes on showing a list the recent box no longer names.
        RunBatch->ClearRunGrid();
        return false;
    }
    (void)RunBatch->InitiateBatchItem(1);
    return true;
}

} // namespace Tandemix
