// SPDX-License-Identifier: GPL-3.0-or-later
// A whole run from the window: the Synchronize page's buttons, its counters, the controls
// locked during the run, and the command line's automatic run.
#include "app/ui/Mainfrm3.h"
#include "engine/ui/SynchronizePage.h"
#include "engine/ui/TargetDeltaPage.h"
#include "filemanager/ui/FolderPanes.h"
#include "reporting/ui/ReportListsView.h"
#include "reporting/ui/ReportingPage.h"
#include "support/ScriptedHost.h"
#include "support/TempHome.h"
#include "support/TempTree.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <memory>

using namespace Tandemix;

class TestSynchronize : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::TempHome> Home;
    std::unique_ptr<TempTree> Tree;
    Test::ScriptedHost Script;
    std::unique_ptr<TMainSyncForm> Form;

    void PickFolders()
    {
        Form->DirectoryListBox1Change(Side::Source, Tree->Path("work"));
        Form->DirectoryListBox1Change(Side::Target, Tree->Path("backup"));
    }

private slots:
    void init()
    {
        Home = std::make_unique<Test::TempHome>();
        Tree = std::make_unique<TempTree>();
        Tree->AddFile("work/new.txt", "new", 1'700'000'000);
        Tree->AddFile("work/docs/report.doc", "report", 1'700'000'000);
        Tree->AddFile("backup/work/old.txt", "kept", 1'600'000'000);
        Script = Test::ScriptedHost();
        Form = std::make_unique<TMainSyncForm>(Home->Folder());
        Form->HostSeam().RouteQuestionsTo(&Script);
        Form->CommandWords = {"-A"}; // no beeps in tests
        Form->show();
    }
    void cleanup()
    {
        Form.reset();
        Tree.reset();
        Home.reset();
    }

    void syncButtonCopiesTheTreeAndShowsTheCounts()
    {
        PickFolders();
        QVERIFY(Form->SyncPage->SyncButton->isEnabled());
        Form->SyncPage->SyncButton->click();
        QCOMPARE(Tree->ReadFile("backup/work/new.txt"), std::string("new"));
        QCOMPARE(Tree->ReadFile("backup/work/docs/report.doc"), std::string("report"));
        QCOMPARE(Form->SyncPage->TotFilesAdded->text(), QStringLiteral("2"));
        QCOMPARE(Form->SyncPage->SyncOptAdd->text(), QStringLiteral("Added:"));
        QCOMPARE(Form->StatusPanel->text(), QStringLiteral("Done!"));
        // Controls come back after the run, and the Stop button goes idle.
        QVERIFY(Form->SyncPage->SyncButton->isEnabled());
        QVERIFY(Form->TargetDelta->UpdateButton->isEnabled());
        QVERIFY(!Form->StopButton->isEnabled());
        QVERIFY(!Form->SkipFileButton->isEnabled());
        QVERIFY(std::filesystem::exists(Home->Path("Tandemix.Log")));
        QVERIFY(Script.Unexpected.empty());
    }

    void preSyncReportChangesNothing()
    {
        PickFolders();
        Form->SyncPage->PreReportButton->click();
        QVERIFY(!Tree->Exists("backup/work/new.txt"));
        QVERIFY(!Tree->Exists("backup/work/docs"));
        QCOMPARE(Form->SyncPage->SyncOptAdd->text(), QStringLiteral("Add:"));
        QVERIFY(std::filesystem::exists(Home->Path("PreSync.Log")));
    }

    void controlsAreLockedWhileARunGoesOn()
    {
        PickFolders();
        bool checked = false;
        // Runs inside the run's first event pump, as a user's look at the window would.
        QTimer::singleShot(0, Form.get(), [this, &checked] {
            checked = true;
            QVERIFY(!Form->SyncPage->SyncButton->isEnabled());
            QVERIFY(!Form->TargetDelta->UpdateButton->isEnabled());
            QVERIFY(!Form->LoadDefaultSettings1->isEnabled());
            QVERIFY(Form->StopButton->isEnabled());
        });
        Form->SyncPage->SyncButton->click();
        QVERIFY(checked);
    }

    void addsSwitchedOffCopyNothingNew()
    {
        PickFolders();
        Form->SyncPage->AddFilesOption->setChecked(false);
        Form->SyncPage->SyncButton->click();
        QVERIFY(!Tree->Exists("backup/work/new.txt"));
        QCOMPARE(Form->SyncPage->TotFilesAdded->text(), QStringLiteral("0"));
        // Neither adds nor updates: nothing a run could do, so its buttons are off.
        Form->SyncPage->UpdateFilesOption->setChecked(false);
        QVERIFY(!Form->SyncPage->SyncButton->isEnabled());
        QVERIFY(!Form->SyncPage->PreReportButton->isEnabled());
    }

    void rightClickOnACounterOpensItsReportList()
    {
        PickFolders();
        Form->SyncPage->SyncButton->click();
        Form->JumpToReportFrom(Form->SyncPage->TotFilesAdded);
        QVERIFY(Form->Reports->ReportFormShown());
        QCOMPARE(Form->Reports->ReportForm()->CurrentPage(), ReportCategory::Added);
        QCOMPARE(Form->Reports->ReportForm()->List(ReportCategory::Added)->model()->rowCount(), 2);
        QVERIFY(Form->DisplayReportingForm1->isChecked());
    }

    void commandLineAutorunRunsAndEnds()
    {
        int status = -1;
        bool ends =
            Form->HandleCommandLine({Tree->Path("work"), Tree->Path("backup"), "AUTORUN", "-A"}, status);
        QVERIFY(ends);
        QCOMPARE(status, 0);
        QCOMPARE(Tree->ReadFile("backup/work/new.txt"), std::string("new"));
    }

    void commandLineWithoutAutorunOnlyPointsTheFolders()
    {
        int status = -1;
        bool ends = Form->HandleCommandLine({Tree->Path("work"), Tree->Path("backup")}, status);
        QVERIFY(!ends);
        QVERIFY(!Tree->Exists("backup/work/new.txt"));
        QCOMPARE(Form->Engine().Source.Folder, Tree->Path("work"));
        QCOMPARE(Form->Engine().Target.Folder, Tree->Path("backup"));
        // The panes show the named folders, not the ones the window started in.
        QCOMPARE(Form->Panes->Pane(Side::Source).FileList->count(), 1);
        QCOMPARE(Form->Panes->Pane(Side::Target).FileList->count(), 0);
    }
};

QTEST_MAIN(TestSynchronize)
#include "TestSynchronize.moc"
