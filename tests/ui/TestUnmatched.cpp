// SPDX-License-Identifier: GPL-3.0-or-later
// The switches for unmatched items, their confirmation and the countdown, driven as a user
// drives them.
#include "engine/ui/FileOptionsPage.h"
#include "engine/ui/SynchronizePage.h"
#include "filemanager/ui/FolderPanes.h"
#include "reporting/ui/ReportingPage.h"
#include "ui/support/WindowRig.h"
#include "unmatched/ui/FileDelTimer.h"
#include "unmatched/ui/ReplicateForm.h"
#include "unmatched/ui/UnmatchedOptions.h"

using namespace Tandemix;

class TestUnmatched : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::WindowRig> R;
    TMainSyncForm* Form = nullptr;
    int Confirmations = 0;
    std::optional<int> Confirmation;

private slots:
    void init()
    {
        R = std::make_unique<Test::WindowRig>();
        Form = R->Open();
        Confirmations = 0;
        Confirmation = 3;
        Form->Unmatched->ConfirmDeletion = [this] {
            ++Confirmations;
            return Confirmation;
        };
    }
    void cleanup() { R.reset(); }

    void replicationBesideTheRunButtonSwitchesDeletionOnOnlyOnceConfirmed()
    {
        UnmatchedOptions* u = Form->Unmatched;
        u->SyncOptReplicate->click();
        QCOMPARE(Confirmations, 1);
        QVERIFY(u->ReplicateFolders->isChecked() && u->DeleteUnmatched->isChecked());
        QCOMPARE(Form->Opts().DeleteUnmatchedWarningDelay, 3);
        // The deletion works from the unmatched list: it is built, and cannot be switched off.
        QVERIFY(Form->Reports->ListUnMatchedFiles->isChecked()
                && !Form->Reports->ListUnMatchedFiles->isEnabled());
        QVERIFY(!Form->Reports->UseReportForm->isEnabled());
        QVERIFY(!Form->FileOptions->CheckHidden->isEnabled()); // replication ignores the filters
        QVERIFY(!Form->SyncPage->AddFilesOption->isEnabled() && Form->SyncPage->SyncButton->isEnabled());

        u->DeleteUnmatched->click(); // off again: replication goes with it
        QVERIFY(!u->ReplicateFolders->isChecked() && !u->SyncOptReplicate->isChecked());
        QVERIFY(Form->Reports->UseReportForm->isEnabled());
        QVERIFY(Form->FileOptions->CheckHidden->isEnabled());
        QVERIFY(Form->SyncPage->AddFilesOption->isEnabled());

        // Cancelling the notice leaves everything off.
        Confirmation.reset();
        u->SyncOptReplicate->click();
        QVERIFY(!u->ReplicateFolders->isChecked() && !u->DeleteUnmatched->isChecked());
        QVERIFY(!u->SyncOptReplicate->isChecked() && !u->SyncOptReplicate->isEnabled());
        QVERIFY(!Form->Opts().DeleteUnmatched && !Form->Opts().ReplicateFolders);
    }

    void preDeletingSaysItRunsTwiceAndNeedsDeletion()
    {
        UnmatchedOptions* u = Form->Unmatched;
        R->Script.QueueAnswer(DialogResult::Ok);
        u->DeleteUnMatchPriorToSync->click();
        QVERIFY(R->Script.Questions.at(0).Text.starts_with(
            "Note!  This option will run the sync operation twice."));
        QCOMPARE(Confirmations, 1);
        QVERIFY(Form->Opts().DeleteUnMatchPriorToSync && Form->Opts().DeleteUnmatched);
        u->DeleteUnmatched->click(); // off: the deleting pass goes with it
        QVERIFY(!u->DeleteUnMatchPriorToSync->isChecked() && !Form->Opts().DeleteUnMatchPriorToSync);
    }

    void theNoticeProposesTenAndTakesOnlyAWholeNumber()
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
    }

    void theCountdownDeletesWhenItRunsOutAndManualIsOffInABatch()
    {
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

    void aRunFromTheWindowDeletesWhatTheSourceLacks()
    {
        R->Tree.AddFile("src/a.txt", "a");
        R->Tree.AddFile("dst/a.txt", "a");
        R->Tree.AddFile("dst/stale.txt", "s");
        Form->CommandWords = {"-A"};
        Form->SyncPage->CreateSubFolder->setChecked(false);
        Form->Unmatched->DeleteUnmatched->click();
        Form->DirectoryListBox1Change(Side::Source, R->Tree.Path("src"));
        Form->DirectoryListBox1Change(Side::Target, R->Tree.Path("dst"));
        Form->SyncPage->SyncButton->click();
        QVERIFY(!R->Tree.Exists("dst/stale.txt"));
        QVERIFY(R->Tree.Exists("dst/a.txt"));
    }
};

QTEST_MAIN(TestUnmatched)
#include "TestUnmatched.moc"
