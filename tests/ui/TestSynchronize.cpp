// SPDX-License-Identifier: GPL-3.0-or-later
// A whole run from the window: the Synchronize page's buttons, its counters, the controls
// locked during the run, the command line's folders, and the switches for unmatched
// items with their confirmation and countdown; and before a run, the listings, the filters and
// the preview of what it would do.
#include "engine/ui/FileOptionsPage.h"
#include "engine/ui/SynchronizePage.h"
#include "engine/ui/TargetDeltaPage.h"
#include "filemanager/ui/FolderPanes.h"
#include "reporting/ui/ReportListsView.h"
#include "reporting/ui/ReportingPage.h"
#include "ui/support/WindowRig.h"
#include "unmatched/ui/FileDelTimer.h"
#include "unmatched/ui/ReplicateForm.h"
#include "unmatched/ui/UnmatchedOptions.h"

#include <chrono>
#include <tuple>

using namespace Tandemix;

class TestSynchronize : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::WindowRig> R;
    TempTree* Tree = nullptr;
    TMainSyncForm* Form = nullptr;
    int Confirmations = 0; // of deleting unmatched items, answered with Confirmation
    std::optional<int> Confirmation;

    // The preview's rows as "name: reason", in name order.
    QStringList DeltaRows() const
    {
        QStringList rows;
        QTableWidget* grid = Form->TargetDelta->TargetDeltaGrid;
        for (int row = 0; row < grid->rowCount(); ++row) {
            if (QTableWidgetItem* name = grid->item(row, 0); name != nullptr && !name->text().isEmpty()) {
                rows << name->text() + QStringLiteral(": ") + grid->item(row, 5)->text();
            }
        }
        rows.sort();
        return rows;
    }

private slots:
    void init()
    {
        R = std::make_unique<Test::WindowRig>();
        Tree = &R->Tree;
        Tree->AddFile("work/new.txt", "new", 1'700'000'000);
        Tree->AddFile("work/docs/report.doc", "report", 1'700'000'000);
        Tree->AddFile("backup/work/old.txt", "kept", 1'600'000'000);
        Form = R->Open();
        Confirmations = 0;
        Confirmation = 3;
        Form->Unmatched->ConfirmDeletion = [this] {
            ++Confirmations;
            return Confirmation;
        };
    }
    void cleanup() { R.reset(); } // the rig checks its questions as it goes

    void preReportChangesNothingThenSyncCopiesLockingTheControls()
    {
        R->Point("work", "backup");
        // The run page knows the target's free space as soon as the target is listed.
        QCOMPARE(Form->SyncPage->RemainingTargetSpace->text(),
                 Form->Panes->Pane(Side::Target).DriveSpaceValue->text());
        QVERIFY(!Form->SyncPage->RemainingTargetSpace->text().isEmpty());
        Form->SyncPage->PreReportButton->click();
        QVERIFY(!Tree->Exists("backup/work/new.txt"));
        QCOMPARE(Form->SyncPage->SyncOptAdd->text(), QStringLiteral("Add:"));

        bool checked = false;
        // Every poll pumps (a clock that moves on by more than the pump interval at each
        // reading), so the first poll of the copy run is sure to let the check below in.
        auto ticks = std::make_shared<RunState::Clock::time_point>();
        Form->State().SetClock([ticks] { return *ticks += std::chrono::seconds(1); });
        // Runs inside the run's first event pump, as a user's look at the window would.
        QTimer::singleShot(0, Form, [this, &checked] {
            checked = true;
            Test::ExpectEnabled({Form->SyncPage->SyncButton, Form->TargetDelta->UpdateButton}, false);
            QVERIFY(!Form->LoadDefaultSettings1->isEnabled());
            QVERIFY(Form->StopButton->isEnabled());
        });
        Form->SyncPage->SyncButton->click();
        QVERIFY(checked);
        QCOMPARE(Tree->ReadFile("backup/work/new.txt"), std::string("new"));
        QCOMPARE(Form->SyncPage->TotFilesAdded->text(), QStringLiteral("2"));
        QCOMPARE(Form->SyncPage->SyncOptAdd->text(), QStringLiteral("Added:"));
        QCOMPARE(Form->StatusPanel->text(), QStringLiteral("Done!"));
        QCOMPARE(Form->SyncPage->CurrentFileNo->text(), QStringLiteral("0")); // a run ends at row 0
        QVERIFY(Form->SyncPage->SyncButton->isEnabled() && Form->TargetDelta->UpdateButton->isEnabled());
        QVERIFY(!Form->StopButton->isEnabled() && !Form->SkipFileButton->isEnabled());

        // A right-click on a counter opens its report list.
        Form->JumpToReportFrom(Form->SyncPage->TotFilesAdded);
        QVERIFY(Form->Reports->ReportFormShown());
        QCOMPARE(Form->Reports->ReportForm()->CurrentPage(), ReportCategory::Added);
        QCOMPARE(Form->Reports->ReportForm()->List(ReportCategory::Added)->model()->rowCount(), 2);
        QVERIFY(Form->DisplayReportingForm1->isChecked());
    }

    // A compressing run's lists name archive entries: they show in red, and only then.
    void aCompressingRunMarksItsListsCompressed()
    {
        R->Point("work", "backup");
        TReportForm1* reports = Form->Reports->ReportForm();
        for (auto [compression, direction, marked] :
             {std::tuple{true, 0, true}, std::tuple{true, 1, false}, std::tuple{false, 0, false}}) {
            Form->Context().Opts.UseCompression = compression;
            Form->Context().Opts.CompressExpand = direction;
            Form->PreReportButtonClick();
            for (ReportCategory list :
                 {ReportCategory::Added, ReportCategory::Updated, ReportCategory::UnMatched}) {
                QCOMPARE(reports->Compressed(list), marked);
            }
            QVERIFY(!reports->Compressed(ReportCategory::Deletions));
        }
    }

    // The run's switches reach it: with adds off nothing new is copied, with deletion on what the
    // source lacks goes; with neither adds nor updates there is nothing to run.
    void theSwitchesBesideTheRunButtonReachTheRun()
    {
        Form->Unmatched->DeleteUnmatched->click();
        R->Point("work", "backup");
        Form->SyncPage->AddFilesOption->setChecked(false);
        Form->SyncPage->SyncButton->click();
        QVERIFY(!Tree->Exists("backup/work/new.txt"));
        QVERIFY(!Tree->Exists("backup/work/old.txt"));
        QCOMPARE(Form->SyncPage->TotFilesAdded->text(), QStringLiteral("0"));
        // Neither adds nor updates: nothing a run could do, so its buttons are off.
        Form->SyncPage->UpdateFilesOption->setChecked(false);
        Test::ExpectEnabled({Form->SyncPage->SyncButton, Form->SyncPage->PreReportButton}, false);
    }

    // What AUTORUN runs is the command line's; the window's run for it is the batch pages'.
    void commandLineWithoutAutorunOnlyPointsTheFolders()
    {
        int status = -1;
        QVERIFY(!Form->HandleCommandLine({Tree->Path("work"), Tree->Path("backup")}, status));
        QVERIFY(!Tree->Exists("backup/work/new.txt"));
        QCOMPARE(Form->Engine().Source.Folder, Tree->Path("work"));
        QCOMPARE(Form->Engine().Target.Folder, Tree->Path("backup"));
        // The panes show the named folders, not the ones the window started in.
        QCOMPARE(Form->Panes->Pane(Side::Source).FileList->count(), 1);
        QCOMPARE(Form->Panes->Pane(Side::Target).FileList->count(), 0);
    }

    void replicationBesideTheRunButtonSwitchesDeletionOnOnlyOnceConfirmedAndPreDeletingNeedsIt()
    {
        UnmatchedOptions* u = Form->Unmatched;
        auto* reports = Form->Reports;
        u->SyncOptReplicate->click();
        QCOMPARE(Confirmations, 1);
        QVERIFY(u->ReplicateFolders->isChecked() && u->DeleteUnmatched->isChecked());
        QCOMPARE(Form->Opts().DeleteUnmatchedWarningDelay, 3);
        // The deletion works from the unmatched list: it is built, and cannot be switched off.
        QVERIFY(reports->ListUnMatchedFiles->isChecked() && !reports->ListUnMatchedFiles->isEnabled());
        QVERIFY(!reports->UseReportForm->isEnabled() && reports->DisplayReportFormButton->isEnabled());
        QVERIFY(!Form->FileOptions->CheckHidden->isEnabled()); // replication ignores the filters
        QVERIFY(!Form->SyncPage->AddFilesOption->isEnabled() && Form->SyncPage->SyncButton->isEnabled());

        u->DeleteUnmatched->click(); // off again: replication goes with it
        QVERIFY(!u->ReplicateFolders->isChecked() && !u->SyncOptReplicate->isChecked());
        QVERIFY(reports->UseReportForm->isEnabled() && reports->ListUnMatchedFiles->isEnabled());
        Test::ExpectEnabled({Form->FileOptions->CheckHidden, Form->SyncPage->AddFilesOption}, true);

        // Cancelling the notice leaves everything off.
        Confirmation.reset();
        u->SyncOptReplicate->click();
        QVERIFY(!u->ReplicateFolders->isChecked() && !u->DeleteUnmatched->isChecked());
        QVERIFY(!u->SyncOptReplicate->isChecked() && !u->SyncOptReplicate->isEnabled());
        QVERIFY(!Form->Opts().DeleteUnmatched && !Form->Opts().ReplicateFolders);

        // Deleting before the copy says it runs twice, and needs the deletion.
        Confirmation = 3;
        R->Script.QueueAnswer(DialogResult::Ok);
        u->DeleteUnMatchPriorToSync->click();
        QVERIFY(
            R->Script.LastQuestion().starts_with("Note!  This option will run the sync operation twice."));
        QCOMPARE(Confirmations, 3);
        QVERIFY(Form->Opts().DeleteUnMatchPriorToSync && Form->Opts().DeleteUnmatched);
        u->DeleteUnmatched->click(); // off: the deleting pass goes with it
        QVERIFY(!u->DeleteUnMatchPriorToSync->isChecked() && !Form->Opts().DeleteUnMatchPriorToSync);
    }

    // The replication notice proposes ten seconds and takes only a whole number.
    void theNoticeAndTheCountdown()
    {
        TReplicateForm form;
        QString refused;
        form.Refuse = [&refused](const QString& text) {
            refused = text;
        };
        form.Edit1->setText(QStringLiteral("soon"));
        QVERIFY(!form.Accept());
        QCOMPARE(refused, QStringLiteral("'soon' is not a valid integer value"));
        form.Edit1->setText(QStringLiteral("0"));
        QVERIFY(form.Accept());
        QTimer::singleShot(0, &form, [&form] {
            QCOMPARE(form.Edit1->text(), QStringLiteral("10")); // whatever was typed last time
            form.reject();
        });
        QCOMPARE(form.Run(), std::optional<int>());

        // The countdown deletes when it runs out; in a batch the manual choice is off.
        TFileDelTimer countdown(2, 7, true);
        QCOMPARE(countdown.Label5->text(), QStringLiteral("7"));
        countdown.Tick();
        QCOMPARE(countdown.Label4->text(), QStringLiteral("1"));
        countdown.Tick();
        QCOMPARE(countdown.Answer(), CountdownAnswer::Delete);
        TFileDelTimer batch(5, 1, false);
        QVERIFY(!batch.ManualDeleteUnMatched->isEnabled());
        QVERIFY(batch.ManualDeleteUnMatched->isDefault());
    }

    // Picking two folders, setting a filter and pressing "Update List" shows exactly what a run
    // would add or update.
    void updateListShowsAddsAndUpdatesOnly()
    {
        const std::time_t old = 1'600'000'000;
        const std::time_t recent = 1'700'000'000;
        Tree->AddFile("delta/src/new.txt", "brand new", recent);
        Tree->AddFile("delta/src/changed.doc", "second version", recent);
        Tree->AddFile("delta/src/same.txt", "same", old);
        Tree->AddFile("delta/src/skip.bak", "excluded", recent);
        Tree->AddFile("delta/dst/changed.doc", "first", old);
        Tree->AddFile("delta/dst/same.txt", "same", old);
        Tree->AddFile("delta/dst/extra.txt", "only here", old);
        Form->resize(1000, 720);
        Form->DirectoryListBox1Change(Side::Source, Tree->Path("delta/src"));
        SidePane& source = Form->Panes->Pane(Side::Source);
        QCOMPARE(source.FileList->count(), 4);
        QCOMPARE(source.FileCount->text(), QStringLiteral("4"));
        QVERIFY(!source.DriveSpaceValue->text().isEmpty());
        Form->DirectoryListBox1Change(Side::Target, Tree->Path("delta/dst"));
        QCOMPARE(Form->Panes->Pane(Side::Target).FileList->count(), 3);
        Form->ShowOptionsButtonClick(Form->ShowOptionsButton);
        Form->FileOptions->ExcludeString->setEditText(QStringLiteral("bak"));
        // Enter in the exclusion box lists both folders again with the new filter. The key goes
        // to the combo box, which holds the focus, as a keyboard's key does.
        QTest::keyClick(Form->FileOptions->ExcludeString, Qt::Key_Return);
        QCOMPARE(Form->Panes->Pane(Side::Source).FileList->count(), 3);
        Form->SyncPage->CreateSubFolder->setChecked(false); // compare with dst itself
        Form->TargetDelta1->trigger();
        QCOMPARE(Form->Notebook2->currentWidget(), static_cast<QWidget*>(Form->TargetDelta));

        Form->TargetDelta->UpdateButton->click();
        QCOMPARE(DeltaRows(), Test::Names({"changed.doc: Older File", "new.txt: No Match"}));
        QCOMPARE(Form->TargetDelta->DeltaCount->text(), QStringLiteral("2"));
        QCOMPARE(Form->TargetDelta->AddByteValue->text(), QStringLiteral("9"));
        QCOMPARE(Form->TargetDelta->UpdateByteValue->text(), QStringLiteral("14"));
        // The panes show the folders again afterwards.
        QCOMPARE(Form->Panes->Pane(Side::Source).FileList->count(), 3);
        QCOMPARE(Form->StatusPanel->text(), QStringLiteral("Ready"));

        Form->TargetDelta->ClearDeltaButton->click();
        QCOMPARE(Form->TargetDelta->DeltaCount->text(), QStringLiteral("0"));
        QCOMPARE(Form->TargetDelta->TargetDeltaGrid->rowCount(), 1); // one empty row stays
    }

    // The folder-selection page as a keyboard user meets it: the highlighted folder is the
    // folder in use, and Enter in a filter box lists it again with the new filter.
    void theHighlightedFolderIsInUseAndEnterInAFilterBoxListsItAgain()
    {
        R->AddFiles({"panes/a/one.txt", "panes/c/big.txt"});
        Tree->AddFile("panes/b/two.txt", "22");
        Tree->AddFile("panes/b/three.doc", "333");
        Form->ShowOptionsButtonClick(Form->ShowOptionsButton);
        Form->DirectoryListBox1Change(Side::Source, Tree->Path("panes/a"));
        SidePane& pane = Form->Panes->Pane(Side::Source);
        QTreeView* tree = pane.DirectoryListBox;
        // The model reads folders in the background; wait until a's sisters are there.
        QModelIndex parent = pane.FolderModel->index(QString::fromStdString(Tree->Path("panes")));
        QTRY_COMPARE(pane.FolderModel->rowCount(parent), 3);
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Down);
        const QString highlighted = pane.FolderModel->filePath(tree->currentIndex());
        QCOMPARE(highlighted, QString::fromStdString(Tree->Path("panes/b")));
        QCOMPARE(QString::fromStdString(Form->Engine().Source.Folder), highlighted);
        QCOMPARE(pane.FolderLabel->text(), highlighted);
        QCOMPARE(Form->SyncPage->SyncSource->text(), highlighted);
        QCOMPARE(pane.FileList->count(), 2);

        QComboBox* include = Form->FileOptions->IncludeString;
        include->setEditText(QStringLiteral("*.doc"));
        QTest::keyClick(include, Qt::Key_Return);
        QCOMPARE(Test::Items(pane.FileList), QStringList{QStringLiteral("three.doc")});

        include->setEditText(QStringLiteral("*.*"));
        // Text in a size edit is warned about (the words are the filters'), an emptied one filled.
        QLineEdit* atMost = Form->FileOptions->MaxFileSize;
        atMost->setText(QStringLiteral("12abc"));
        R->Script.QueueAnswer(DialogResult::Ok);
        emit atMost->editingFinished();
        Form->FileOptions->MinFileSize->setText(QString());
        emit Form->FileOptions->MinFileSize->editingFinished();
        QCOMPARE(Form->FileOptions->MinFileSize->text(), QStringLiteral("0"));
        // The size limit typed is the one the listing uses, though Enter comes before the edit
        // counts as finished.
        atMost->setFocus();
        atMost->setText(QStringLiteral("2"));
        QTest::keyClick(atMost, Qt::Key_Return);
        QCOMPARE(Test::Items(pane.FileList), QStringList{QStringLiteral("two.txt")});
    }

    // The window closed while a size edit that would warn holds the focus: the focus leaves the
    // edit as the window goes, and what that sets off must not reach parts already gone.
    void theWindowGoesWithAWarningEditFocused()
    {
        QLineEdit* atMost = Form->FileOptions->MaxFileSize;
        Form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Form));
        atMost->setFocus();
        atMost->setText(QStringLiteral("12abc"));
        QVERIFY(atMost->hasFocus());
        R->Form.reset();
        QVERIFY(R->Script.Questions.empty());
    }
};

QTEST_MAIN(TestSynchronize)
#include "TestSynchronize.moc"
