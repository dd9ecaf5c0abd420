// SPDX-License-Identifier: GPL-3.0-or-later
// The two batch pages: building a list row by row, saving and reading it back, opening it for
// running and running it from the window, and the synchronise button's caption.
#include "app/ui/PageTabs.h"
#include "automation/Automation.h"
#include "automation/ui/ProOptionsPage.h"
#include "batch/ApplyBatchRow.h"
#include "batch/BatchFile.h"
#include "batch/ui/BatchGridView.h"
#include "batch/ui/BuildBatchPage.h"
#include "batch/ui/RunBatchPage.h"
#include "compression/ui/CompressionPage.h"
#include "engine/ui/FileOptionsPage.h"
#include "engine/ui/SynchronizePage.h"
#include "filemanager/ui/FolderPanes.h"
#include "platform/WallClock.h"
#include "ui/support/WindowRig.h"
#include "unmatched/ui/UnmatchedOptions.h"

#include <array>
#include <tuple>

using namespace Tandemix;

class TestBatchPages : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::WindowRig> R;
    TempTree* Tree = nullptr;
    TMainSyncForm* Form = nullptr;
    BuildBatchPage* Build = nullptr;
    RunBatchPage* Run = nullptr;

    // Two rows built from the window: work -> one with every attribute, two -> dos without hidden files.
    void BuildTwoRows()
    {
        R->Point("work", "one");
        Build->AddBatchItemClick();
        R->Point("two", "dos");
        Form->FileOptions->CheckHidden->click();
        Build->AddBatchItemClick();
    }
    // A batch file in the program folder, one row per {source, target, include mask} of the tree
    // (an empty target stays empty), with the default options otherwise and no sub-folder of the
    // source in the target. Its path.
    std::string WriteJob(const char* file,
                         const std::vector<std::array<const char*, 3>>& pairs,
                         const char* description = "Nightly")
    {
        BatchList list{description, {}};
        for (const auto& [source, target, include] : pairs) {
            Options opts;
            opts.IncludeString = include;
            opts.CreateSubFolderOption = false;
            const std::string to = *target != '\0' ? Tree->Path(target) : std::string();
            list.Rows.push_back(NewBatchRow(int(list.Rows.size()) + 1, Tree->Path(source), to, opts, Now()));
        }
        R->Home.Write(file, BatchFileText(list));
        return R->Home.Path(file);
    }
    // Settings whose first recent batch list is `batch`.
    void WriteSettings(const char* file, const std::string& batch)
    {
        R->Home.Write(file,
                      "[Misc Options]\r\nCompile Date=July 23, 1997\r\n[Batch File List]\r\n0=" + batch
                          + "\r\n");
    }
    void StandOn(int row) { Build->BuildBatchGrid->setCurrentCell(row - 1, 1); }
    std::string Cell(int row, BatchCol col) const { return Build->Grid().At(row)[col]; }
    static void YesAndNo()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }

private slots:
    void init()
    {
        R = std::make_unique<Test::WindowRig>();
        Tree = &R->Tree;
        R->AddFiles({"work/a.txt", "two/b.doc", "two/c.txt"});
        Tree->AddFolder("one");
        Tree->AddFolder("dos");
        Form = R->Open();
        Build = Form->BuildBatch;
        Run = Form->RunBatch;
    }
    void cleanup() { R.reset(); } // the rig checks its questions as it goes

    void addNumbersRowsWithTheirOwnOptionsAndSaveReadsBackTheSameCells()
    {
        BuildTwoRows();
        QCOMPARE(Cell(1, BatchCol::Source), Tree->Path("work"));
        QCOMPARE(Cell(2, BatchCol::Target), Tree->Path("dos"));
        QCOMPARE(Cell(2, BatchCol::RowNumber), std::string("2"));
        QVERIFY(Cell(1, BatchCol::AttributeMask) != Cell(2, BatchCol::AttributeMask));
        const std::vector<BatchRow> built = Build->Grid().Rows;

        const std::string path = R->Home.Path("Lists.SNC");
        Build->DescriptionEdit->setText(QStringLiteral("Two pairs"));
        QString proposed;
        Build->ChooseBatchFile = [&](bool save, const QString& offered) {
            proposed = offered;
            return save || !proposed.isEmpty() ? QString::fromStdString(path) : QString();
        };
        Build->SaveBatchFileClick();
        QCOMPARE(proposed, QString::fromStdString(R->Home.Path("NewBatch.SNC")));
        QCOMPARE(Build->OpenBatchFileEdit->text(), QStringLiteral("Lists.SNC"));

        Build->NewBatchFileClick();
        QCOMPARE(Build->Grid().At(1), BatchRow{{"1"}});
        Build->OpenBatchFileClick();
        QCOMPARE(Build->DescriptionEdit->text(), QStringLiteral("Two pairs"));
        QVERIFY(Build->Grid().Rows == built);
        // A click on a row puts its options on the option pages.
        StandOn(2);
        QVERIFY(!Form->FileOptions->CheckHidden->isChecked());
        StandOn(1);
        QVERIFY(Form->FileOptions->CheckHidden->isChecked());
    }

    void aFolderWithATabInItsNameIsRefusedWhenAdded()
    {
        Tree->AddFolder("tab\there");
        R->Point("work", "tab\there");
        R->Script.QueueAnswer(DialogResult::Ok);
        Build->AddBatchItemClick();
        QVERIFY(R->Script.Questions[0].Text.starts_with("Batch row 1 cannot be saved"));
        QVERIFY(Cell(1, BatchCol::Source).empty());
    }

    void aRowWithoutAttributeMaskChangesNoOption()
    {
        BatchRow row{{"1", Tree->Path("work"), ">", Tree->Path("one")}};
        R->Home.Write("Bare.SNC", BatchFileText({"", {row}}));
        QVERIFY(Build->ReadBatchFile(R->Home.Path("Bare.SNC")));
        Form->Opts().IncludeString = "*.keep";
        Form->Opts().CheckHidden = false;
        const Options before = Form->Opts();
        StandOn(2);
        StandOn(1);
        QVERIFY(Form->Opts() == before);
        // Nor does a key on it store the options left on screen in it.
        QTest::keyClick(Build->BuildBatchGrid, Qt::Key_Space);
        QVERIFY(Cell(1, BatchCol::AttributeMask).empty());
    }

    void theDeleteKeyAsksAndMovesTheRowsBelowUp_data() { YesAndNo(); }
    void theDeleteKeyAsksAndMovesTheRowsBelowUp()
    {
        QFETCH(bool, yes);
        BuildTwoRows();
        const BatchRow second = Build->Grid().At(2);
        StandOn(1);
        R->Script.QueueAnswer(yes ? DialogResult::Yes : DialogResult::No);
        QTest::keyClick(Build->BuildBatchGrid, Qt::Key_Delete);
        QCOMPARE(R->Script.LastQuestion(), std::string("Are you sure you want to delete Row: 1?"));
        QCOMPARE(Cell(1, BatchCol::Source), Tree->Path(yes ? "two" : "work"));
        // The row moved up keeps its own options, not the deleted row's left on screen.
        QCOMPARE(Cell(1, BatchCol::AttributeMask) == second[BatchCol::AttributeMask], yes);
    }

    void leavingAChangedRowAsksWhetherToStoreTheChanges_data() { YesAndNo(); }
    void leavingAChangedRowAsksWhetherToStoreTheChanges()
    {
        QFETCH(bool, yes);
        BuildTwoRows();
        StandOn(1);
        const std::string mask = Cell(1, BatchCol::AttributeMask);
        Form->FileOptions->CheckSystem->click();
        QVERIFY(Build->UpdateBatchItem->isEnabled());
        R->Script.QueueAnswer(yes ? DialogResult::Yes : DialogResult::No);
        StandOn(2);
        QCOMPARE(R->Script.LastQuestion(),
                 "Changes have not been saved for current row.\n\nDo you want to save them now?");
        QCOMPARE(Cell(1, BatchCol::AttributeMask) == mask, !yes);
        QVERIFY(!Build->UpdateBatchItem->isEnabled());
        StandOn(1); // no change, no question
    }

    // Ctrl+arrows move a row with its options (which rows take which is the grid's); Swap on the
    // build page exchanges the current row's folders only.
    void ctrlArrowsMoveARowAndSwapExchangesTheCurrentRowsFolders()
    {
        BuildTwoRows();
        StandOn(2);
        StandOn(1);
        QTest::keyClick(Build->BuildBatchGrid, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(Cell(1, BatchCol::Source), Tree->Path("two"));
        QVERIFY(Form->FileOptions->CheckHidden->isChecked()); // still the moved row's options

        Form->TabSet1->setCurrentIndex(BuildBatchListsTab);
        StandOn(1);
        const std::string shown = Form->Engine().Source.Folder;
        Form->SwapSourceandTarget1->trigger();
        QCOMPARE(Cell(1, BatchCol::Source), Tree->Path("dos"));
        QCOMPARE(Cell(1, BatchCol::Target), Tree->Path("two"));
        QCOMPARE(Cell(2, BatchCol::Source), Tree->Path("work"));
        QCOMPARE(Form->Engine().Source.Folder, shown); // the panes keep their folders
        QVERIFY(!Form->Opts().RunBatchList);
    }

    void editingModeTogglesTheDirectionBrowsesForFoldersAndTakesTypedCells()
    {
        BuildTwoRows();
        Build->BuildBatchGridMouseUp();
        Build->BuildBatchGridDblClick(1, static_cast<int>(BatchCol::Direction));
        QCOMPARE(Cell(1, BatchCol::Direction), std::string("<"));
        QCOMPARE(Build->BuildBatchGrid->horizontalHeaderItem(1)->text(), QStringLiteral("Target Folder"));
        QString title;
        Build->ChooseFolder = [&](const QString& caption, const QString&) {
            title = caption;
            return QString::fromStdString(Tree->Path("dos"));
        };
        Build->BuildBatchGridDblClick(2, static_cast<int>(BatchCol::Source));
        QCOMPARE(title, QStringLiteral("Source Folder Change"));
        QCOMPARE(Cell(2, BatchCol::Source), Tree->Path("dos"));
        // A cell typed into is the list's (a row left with no folder is then not saved).
        Build->BuildBatchGrid->item(0, 3)->setText(QString());
        QVERIFY(Cell(1, BatchCol::Target).empty());
        // Outside editing mode a double click does nothing.
        Build->BuildBatchGrid->SetEditingMode(false);
        Build->BuildBatchGridDblClick(1, static_cast<int>(BatchCol::Direction));
        QCOMPARE(Cell(1, BatchCol::Direction), std::string("<"));
    }

    void openingForRunningLocksTheOptionsAndClickingARowShowsIt()
    {
        QVERIFY(Run->RunBatchFile(WriteJob("JOB.SNC", {{"work", "one", "*.*"}, {"two", "dos", "*.doc"}})));
        QCOMPARE(Run->CurrentBatchFile->text(), QStringLiteral("Nightly"));
        QCOMPARE(Run->BatchFileLoadList->currentText(), QString::fromStdString(R->Home.Path("JOB.SNC")));
        QVERIFY(Run->RunBatchList->isChecked() && Run->RunBatchList->isEnabled());
        QCOMPARE(Form->SyncPage->SyncButton->text(), QStringLiteral("&Synchronize Batch List"));
        QVERIFY(!Form->FileOptions->IncludeString->isEnabled());
        QVERIFY(!Form->LoadSettings1->isEnabled() && !Form->Unmatched->DeleteUnmatched->isEnabled());
        QCOMPARE(Form->Engine().Source.Folder, Tree->Path("work"));

        // The row already shown is not applied again; another row is.
        QSignalSpy initiated(Run, &RunBatchPage::RowInitiated);
        Run->BatchSyncGridClick(1);
        QCOMPARE(initiated.count(), 0);
        Run->BatchSyncGridClick(2);
        QCOMPARE(initiated.count(), 1);
        QCOMPARE(Form->Opts().IncludeString, std::string("*.doc"));
        QCOMPARE(Form->Engine().Target.Folder, Tree->Path("dos"));

        // Clear: no list, the switch off, the window's own options back, and nothing left
        // running the list on its own.
        Form->ProOptions->MonitorSourceDriveCheck->click();
        Form->ProOptions->RunSyncEveryMin->setText(QStringLiteral("90"));
        Form->ProOptions->RunSyncSched->click();
        QTRY_VERIFY_WITH_TIMEOUT(Form->Auto().Monitor.RunningWatchers() > 0, 10000);
        Run->ClearCurrentBatch->click();
        QVERIFY(!Form->ProOptions->MonitorSourceDriveCheck->isChecked());
        QVERIFY(!Form->ProOptions->RunSyncSched->isChecked() && !Form->Auto().SchedRunTimer.Enabled);
        QTRY_COMPARE_WITH_TIMEOUT(Form->Auto().Monitor.RunningWatchers(), 0, 1000);
        QCOMPARE(Run->CurrentBatchFile->text(), QStringLiteral("None"));
        QVERIFY(!Run->RunBatchList->isChecked() && !Run->RunBatchList->isEnabled());
        QCOMPARE(Form->Opts().IncludeString, std::string("*.*"));
        QVERIFY(Form->FileOptions->IncludeString->isEnabled() && Form->LoadSettings1->isEnabled());
        QCOMPARE(Form->SyncPage->SyncButton->text(), QStringLiteral("Synchronize &Source to Target"));
    }

    void aListWhoseThirdRowHasNoTargetRunsTheFirstTwoRows()
    {
        R->AddFiles({"three/d.txt", "four/e.txt"});
        QVERIFY(Run->RunBatchFile(WriteJob("JOB.SNC",
                                           {{"work", "one", "*.*"},
                                            {"two", "dos", "*.doc"},
                                            {"three", "", "*.*"},
                                            {"four", "cuatro", "*.*"}})));
        QSignalSpy initiated(Run, &RunBatchPage::RowInitiated);
        Form->SyncPage->SyncButton->click();
        QCOMPARE(initiated.count(), 0); // row 1 was shown already: the run starts on it
        QVERIFY(Tree->Exists("one/a.txt"));
        QVERIFY(Tree->Exists("dos/b.doc") && !Tree->Exists("dos/c.txt"));
        QVERIFY(!Tree->Exists("cuatro"));
        QCOMPARE(Run->BatchSyncGrid->CurrentGridRow(), 1);
        QVERIFY(Run->RunBatchList->isChecked() && !Form->FileOptions->IncludeString->isEnabled());
    }

    void editMovesTheOpenListToTheBuildPage()
    {
        QVERIFY(Run->RunBatchFile(WriteJob("JOB.SNC", {{"work", "one", "*.txt"}})));
        Run->EditBatch->click();
        QCOMPARE(Form->TabSet1->currentIndex(), BuildBatchListsTab);
        QCOMPARE(Cell(1, BatchCol::IncludeMask), std::string("*.txt"));
        QCOMPARE(Build->OpenBatchFileEdit->text(), QStringLiteral("JOB.SNC"));
        QCOMPARE(Run->CurrentBatchFile->text(), QStringLiteral("None"));
        QVERIFY(!Run->EditBatch->isEnabled() && !Form->Opts().RunBatchList);
        QVERIFY(Form->FileOptions->IncludeString->isEnabled());
        // Delete in the recent list forgets the file.
        Run->BatchFileLoadList->setCurrentIndex(0);
        QTest::keyClick(Run->BatchFileLoadList, Qt::Key_Delete);
        QCOMPARE(Form->Opts().BatchFileLoadList.Items, std::vector<std::string>{""});
    }

    void aSettingsFileOnTheCommandLineKeepsTheBatchFileItNamesToRun()
    {
        WriteJob("JOB.SNC", {{"work", "one", "*.*"}});
        WriteSettings("night.cfg", WriteJob("OTHER.SNC", {{"two", "dos", "*.*"}}));
        int status = -1;
        QVERIFY(Form->HandleCommandLine({"JOB.SNC", "-C:night.cfg", "-A"}, status));
        QCOMPARE(status, 0);
        QVERIFY(Tree->Exists("one/a.txt"));
        QVERIFY(!Tree->Exists("dos/b.doc"));
    }

    void loadingSettingsWhileAListIsOpenOpensTheirFirstRecentList()
    {
        WriteSettings("other.cfg", WriteJob("OTHER.SNC", {{"two", "dos", "*.doc"}}, "Other"));
        WriteSettings("gone.cfg", R->Home.Path("GONE.SNC"));
        QVERIFY(Run->RunBatchFile(WriteJob("JOB.SNC", {{"work", "one", "*.*"}})));
        Run->RunBatchList->setChecked(false); // the settings menu is there again
        std::string chosen = "other.cfg";
        Form->ChooseSettingsFile = [&](bool) {
            return QString::fromStdString(R->Home.Path(chosen));
        };
        Form->LoadSettings1Click();
        QCOMPARE(Run->CurrentBatchFile->text(), QStringLiteral("Other"));
        QCOMPARE(Form->Engine().Source.Folder, Tree->Path("two")); // its row 1 is shown
        QCOMPARE(Run->BatchFileLoadList->currentText(), QString::fromStdString(R->Home.Path("OTHER.SNC")));
        // A first recent list that is gone closes the one shown, after saying so.
        Run->RunBatchList->setChecked(false);
        chosen = "gone.cfg";
        R->Script.QueueAnswer(DialogResult::Ok);
        Form->LoadSettings1Click();
        QVERIFY(R->Script.LastQuestion().find("Batch File Not Accessible:") == 0);
        QCOMPARE(Run->CurrentBatchFile->text(), QStringLiteral("None"));
    }

    void theSynchronizeButtonSaysWhatAPressWillDo()
    {
        for (auto [replicate, compression, item, caption, sourceRed, targetRed] :
             {std::tuple{false, false, 1, "Synchronize &Source to Target", false, false},
              std::tuple{false, true, 0, "Compress &Source to Target", false, true},
              std::tuple{false, true, 1, "Expand &Source to Target", true, false},
              std::tuple{true, false, 0, "Replicate &Source to Target", false, false},
              std::tuple{true, true, 0, "Compress/Replicate &Source to Target", false, true},
              std::tuple{true, true, 1, "Expand/Replicate &Source to Target", true, false}}) {
            Options& opts = Form->Opts();
            opts.DeleteUnmatched = opts.ReplicateFolders = replicate;
            opts.UseCompression = compression;
            opts.CompressExpand = item;
            Form->RunBatchListClick();
            QCOMPARE(Form->SyncPage->SyncButton->text(), QString::fromUtf8(caption));
            QVERIFY2(Test::Red(Form->SyncPage->SyncSource) == sourceRed, caption);
            QVERIFY2(Test::Red(Form->SyncPage->SyncTarget) == targetRed, caption);
            // A list checked but not runnable leaves the caption as it is.
            Run->SetRunBatchList(false, true);
            QCOMPARE(Form->SyncPage->SyncButton->text(), QString::fromUtf8(caption));
            Run->SetRunBatchList(false, false);
        }
    }

    void eachCompressionSwitchRenamesTheButtonAndARowShowsItsOwnCompression()
    {
        R->Point("work", "one");
        Form->Opts().CompressExpand = 1;
        Form->CompressionOptions->ShowOptions();
        // Each switch asks for the caption anew (its colours are the table's above); the run
        // page's switch names the direction, in red, and goes back when switched off.
        Form->CompressionOptions->UseCompression->click();
        QCOMPARE(Form->SyncPage->SyncButton->text(), QStringLiteral("Expand &Source to Target"));
        QCheckBox* indicator = Form->CompressionOptions->SyncOptUseCompression;
        QCOMPARE(indicator->text(), QStringLiteral("Expand Source"));
        QVERIFY(Test::Red(indicator));
        Form->CompressionOptions->findChild<QRadioButton*>(QStringLiteral("CompressExpand0"))->click();
        QCOMPARE(Form->SyncPage->SyncButton->text(), QStringLiteral("Compress &Source to Target"));
        QCOMPARE(indicator->text(), QStringLiteral("Compress Target"));

        indicator->click(); // the same switch on the run page
        QCOMPARE(Form->SyncPage->SyncButton->text(), QStringLiteral("Synchronize &Source to Target"));
        QCOMPARE(indicator->text(), QStringLiteral("Use Compression"));
        QVERIFY(!Test::Red(indicator));

        // A row shown on the build page shows its compression too.
        CompressionPage* page = Form->CompressionOptions;
        page->UseCompression->click();
        Build->AddBatchItemClick();
        page->UseCompression->click();
        R->Point("two", "dos");
        Build->AddBatchItemClick();
        StandOn(1);
        QVERIFY(Form->Opts().UseCompression);
        QVERIFY(page->UseCompression->isChecked() && page->SyncOptUseCompression->isChecked());
        QCOMPARE(Form->SyncPage->SyncButton->text(), QStringLiteral("Compress &Source to Target"));
        StandOn(2);
        QVERIFY(!page->UseCompression->isChecked());
        QCOMPARE(Form->SyncPage->SyncButton->text(), QStringLiteral("Synchronize &Source to Target"));
    }

    void eachCompressionControlMarksTheBuiltRowAsChanged_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("Use Compression") << "UseCompression";
        QTest::newRow("its twin on the run page") << "SyncOptUseCompression";
        QTest::newRow("direction") << "CompressExpand1";
        QTest::newRow("speed") << "CompressionSpeed2";
        QTest::newRow("extension") << "CompressedFileExt";
    }
    void eachCompressionControlMarksTheBuiltRowAsChanged()
    {
        QFETCH(QString, control);
        // Direction, speed and extension can be changed only while compression is on.
        if (!control.endsWith(QStringLiteral("UseCompression"))) {
            Form->Opts().UseCompression = true;
            Form->CompressionOptions->ShowOptions();
        }
        BuildTwoRows();
        StandOn(1);
        QVERIFY(!Build->UpdateBatchItem->isEnabled());
        QWidget* widget = Form->findChild<QWidget*>(control);
        QVERIFY(widget != nullptr && widget->isEnabled());
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            QTest::keyClicks(edit, QStringLiteral("7"));
        } else {
            qobject_cast<QAbstractButton*>(widget)->click();
        }
        QVERIFY(Build->UpdateBatchItem->isEnabled());
        R->Script.QueueAnswer(DialogResult::No);
        StandOn(2);
    }

    void aBatchRowLocksTheCompressionControlsAndTheArchiveViews()
    {
        Form->Opts().UseCompression = true;
        Form->CompressionOptions->ShowOptions();
        Form->EnableOptionControls(false);
        CompressionPage* page = Form->CompressionOptions;
        QWidget* targetView = Form->Panes->Pane(Side::Target).ViewPanel;
        Test::ExpectEnabled({page->UseCompression,
                             page->SyncOptUseCompression,
                             page->CompressExpand,
                             page->CompressionSpeed,
                             page->CompressedFileExt,
                             page->ChgPassWordButton,
                             Form->Panes->Pane(Side::Source).ViewPanel,
                             targetView},
                            false);
        Form->EnableOptionControls(true);
        Test::ExpectEnabled({page->CompressExpand, page->ChgPassWordButton, targetView}, true);
        // Unlocked, the dependent controls still follow the switch.
        page->UseCompression->click();
        QVERIFY(page->UseCompression->isEnabled());
        Test::ExpectEnabled({page->CompressExpand, page->PasswordEncrypt}, false);

        // Replication fixes the filters, not compression: its controls stay usable.
        page->UseCompression->click();
        Form->Unmatched->ConfirmDeletion = [] {
            return 3;
        };
        Form->Unmatched->SyncOptReplicate->click();
        QVERIFY(Form->Opts().ReplicateBypass());
        Test::ExpectEnabled({page->CompressExpand, page->CompressionSpeed}, true);
    }
};

QTEST_MAIN(TestBatchPages)
#include "TestBatchPages.moc"
