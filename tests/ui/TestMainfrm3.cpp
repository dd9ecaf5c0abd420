// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven as a user drives it: its frame, pages, menus and view options, its
// automation controls and tray icon; questions are answered by a script and the settings file
// dialog is replaced by a chosen path.
#include "app/ui/HelpWindow.h"
#include "app/ui/MainMenus.h"
#include "app/ui/PageTabs.h"
#include "app/ui/PassWrd1.h"
#include "app/ui/TrayIcon.h"
#include "automation/ui/DelTimer.h"
#include "automation/ui/ProOptionsPage.h"
#include "engine/BusySection.h"
#include "engine/ui/FileOptionsPage.h"
#include "filemanager/ui/FolderPanes.h"
#include "reporting/ui/ReportListsView.h"
#include "reporting/ui/ReportingPage.h"
#include "ui/support/WindowRig.h"

#include <algorithm>
#include <deque>
#include <filesystem>

using namespace Tandemix;
using Test::Items;
using Test::Names;

namespace {

struct PageItem
{
    const char* Item;
    bool Upper;
    int Tab;
    const char* Page;
    const char* Checked;
    int HelpContext;
};

// The hidden "Dial-Up Service" item selects the same page and checks the visible item of it.
constexpr PageItem PageItems[] = {{"Synchronization1", true, 1, "Synchronize", "Synchronization1", 5},
                                  {"BuildBatchList1", true, 2, "Build Batch Lists", "BuildBatchList1", 6},
                                  {"Compression1", false, 1, "Compression", "Compression1", 10},
                                  {"ReportingOptions1", false, 2, "Reporting", "ReportingOptions1", 8},
                                  {"RunBatchLists1", false, 3, "Run Batch Lists", "RunBatchLists1", 9},
                                  {"AdvOptions1", false, 4, "Pro Options", "AdvOptions1", 15},
                                  {"DialUpService1", false, 4, "Pro Options", "AdvOptions1", 15}};

} // namespace

class TestMainfrm3 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::WindowRig> R;

    // Started as the program starts it: the start-up applies the stored expand state.
    TMainSyncForm* Start()
    {
        TMainSyncForm* form = R->Open();
        form->ChooseSettingsFile = [](bool) {
            return QString();
        };
        form->ShowOptionsButtonClick(form);
        return form;
    }

    // The hidden "Dial-Up Service" item is left out where enabling is checked: an action that
    // is not visible never reports itself enabled.
    static QList<QAction*> LowerItems(TMainSyncForm* form, bool withHidden = true)
    {
        QList<QAction*> items{form->FileOptions1,
                              form->Compression1,
                              form->ReportingOptions1,
                              form->RunBatchLists1,
                              form->AdvOptions1};
        return withHidden ? items << form->DialUpService1 : items;
    }

private slots:
    void init() { R = std::make_unique<Test::WindowRig>(); }
    void cleanup() { R.reset(); } // the rig checks its questions as it goes

    // The countdown before an automatic run: it runs out into the run, or the user decides first.
    // It comes first: a closed main window ends the application, and every dialog's event loop
    // opened after that returns at once.
    void theCountdownRunsOutIntoTheRunUnlessTheUserStopsOrExits()
    {
        TDelayTimer dialog(2);
        dialog.Timer1->setInterval(10); // the count, not the clock, is under test
        QCOMPARE(dialog.CountLabel->text(), QStringLiteral("2"));
        QCOMPARE(dialog.Run(), DelayResult::Continue);
        // No countdown at all for zero seconds.
        TDelayTimer none(0);
        QVERIFY(none.ContinueButton->isDefault());
        QCOMPARE(none.Run(), DelayResult::Continue);
        QVERIFY(!none.isVisible());

        for (auto [button, expected] : {std::pair{0, DelayResult::Stop}, std::pair{1, DelayResult::Exit}}) {
            TDelayTimer waiting(60);
            QTimer::singleShot(0, &waiting, [&waiting, button] {
                (button == 0 ? waiting.StopButton : waiting.ExitButton)->click();
            });
            QCOMPARE(waiting.Run(), expected);
        }
    }

    void pageItemSelectsItsTabAndChecksOnlyItself_data()
    {
        QTest::addColumn<int>("row");
        for (int row = 0; row < static_cast<int>(std::size(PageItems)); ++row) {
            QTest::newRow(PageItems[row].Item) << row;
        }
    }
    void pageItemSelectsItsTabAndChecksOnlyItself()
    {
        QFETCH(int, row);
        const PageItem& r = PageItems[row];
        TMainSyncForm* form = Start();
        form->ExpandOptions1->trigger();
        // From the other end of the lower set, so a row selecting its first tab proves something.
        form->SetTabs2AndMenus(0);
        form->Opts().RunBatchList = true;

        form->findChild<QAction*>(QString::fromUtf8(r.Item))->trigger();

        QCOMPARE((r.Upper ? form->TabSet1 : form->TabSet2)->currentIndex(), r.Tab);
        QCOMPARE((r.Upper ? form->Notebook1 : form->Notebook2)->currentWidget()->objectName(),
                 QString::fromUtf8(r.Page));
        QCOMPARE(form->HelpContext, r.HelpContext);
        QList<QAction*> group =
            r.Upper
                ? QList<QAction*>{form->DirectorySelections1, form->Synchronization1, form->BuildBatchList1}
                : LowerItems(form);
        for (QAction* action : group) {
            QCOMPARE(action->isChecked(), action->objectName() == QString::fromUtf8(r.Checked));
        }
        // The other page set keeps its own check mark.
        QVERIFY(r.Upper ? form->FileOptions1->isChecked() : form->DirectorySelections1->isChecked());
        QVERIFY(!form->DialUpService1->isVisible());
        // Building batch lists and running one exclude each other.
        QCOMPARE(form->Opts().RunBatchList, r.Item != std::string_view("BuildBatchList1"));
    }

    void tabClicksAndUnknownIndexes()
    {
        TMainSyncForm* form = Start();
        QTest::mouseClick(form->TabSet1, Qt::LeftButton, {}, form->TabSet1->tabRect(1).center());
        QCOMPARE(form->Notebook1->currentIndex(), 1);
        QVERIFY(form->Synchronization1->isChecked());

        // An index with no page selects the first one and checks no item.
        form->SetTabs1AndMenus(7);
        QCOMPARE(std::pair(form->TabSet1->currentIndex(), form->Notebook1->currentIndex()), std::pair(0, 0));
        QVERIFY(!form->DirectorySelections1->isChecked() && !form->Synchronization1->isChecked());
        form->SetTabs2AndMenus(-1);
        QCOMPARE(form->TabSet2->currentIndex(), 0);
        QVERIFY(!form->FileOptions1->isChecked());
    }

    void collapsingDisablesLowerItemsAndBuildBatchList()
    {
        TMainSyncForm* form = Start();
        auto expect = [form](bool expanded, const char* step) {
            const QList<QAction*> items = LowerItems(form, !expanded) << form->BuildBatchList1;
            const QString at = QString::fromUtf8(step);
            for (QAction* item : items) {
                QVERIFY2(item->isEnabled() == expanded, qPrintable(item->objectName() + u' ' + at));
            }
            for (QWidget* part :
                 std::initializer_list<QWidget*>{form->Notebook2, form->TabSet2, form->SeparatorPanel}) {
                QVERIFY2(part->isVisible() == expanded, qPrintable(part->objectName() + u' ' + at));
            }
            QCOMPARE(form->ExpandOptions1->isChecked(), expanded);
            QCOMPARE(form->ShowOptionsButton->isChecked(), expanded);
            QCOMPARE(form->SpeedButton2->isChecked(), !expanded);
        };
        expect(false, "at start");
        const int collapsed = form->height();
        form->ExpandOptions1->trigger();
        expect(true, "expanded");
        QVERIFY(form->height() > collapsed);
        form->ShowOptionsButton->click();
        expect(false, "collapsed");
        QCOMPARE(form->height(), collapsed);
        // Applying the state again (as start-up and loads do) neither toggles nor shrinks.
        form->ShowOptionsButtonClick(form);
        expect(false, "applied again");
        QCOMPARE(form->height(), collapsed);
    }

    void sortedListsStaySortedOnSynchronizePage()
    {
        TMainSyncForm* form = Start();
        QListWidget* list = form->Panes->Pane(Side::Source).FileList;
        form->Engine().Source.Files.clear();
        for (const char* name : {"c.txt", "a.txt", "b.txt"}) {
            form->Engine().Source.Files.emplace_back().FileName = name;
        }
        form->ShowListing(Side::Source);
        QCOMPARE(Items(list), Names({"c.txt", "a.txt", "b.txt"})); // as the folder gives them

        form->SortFileLists1->trigger();
        QVERIFY(form->Opts().SortFileLists);
        QCOMPARE(Items(list), Names({"a.txt", "b.txt", "c.txt"}));

        form->Synchronization1->trigger();
        QVERIFY(!form->SortFileLists1->isEnabled());
        QVERIFY(form->SortFileLists1->isChecked() && form->Opts().SortFileLists);
        form->ShowListing(Side::Source);
        QCOMPARE(Items(list), Names({"a.txt", "b.txt", "c.txt"}));

        form->DirectorySelections1->trigger();
        QVERIFY(form->SortFileLists1->isEnabled());
        form->SortFileLists1->trigger();
        QCOMPARE(Items(list), Names({"c.txt", "a.txt", "b.txt"}));
    }

    // Which files are refused, and what a file holds, is the configuration's; here the menu
    // items reach the files and the window shows what came back.
    void settingsComeBackFromAChosenFileTheDefaultFileAndARestart()
    {
        TMainSyncForm* form = Start();
        form->LoadSettings1->trigger(); // both dialogs cancelled
        form->SaveSettings1->trigger();
        QList<bool> asked;
        form->ChooseSettingsFile = [&](bool save) {
            asked << save;
            return QString::fromStdString(R->Home.Path("mine.CFG"));
        };

        // A chosen file brings back the options; pages and the expand state are the window's own.
        auto expectOptions = [&form] {
            QVERIFY(form->SortFileLists1->isChecked() && form->Opts().SortFileLists);
            QVERIFY(!form->DisplayMessages->isChecked() && !form->Opts().DisplayMessages);
        };
        // What was saved, each item once: what follows from a page or a switch is its own test's.
        auto expectRestored = [&form, &expectOptions] {
            expectOptions();
            QCOMPARE(form->TabSet1->currentIndex(), 1);
            QCOMPARE(form->TabSet2->currentIndex(), 2);
            QVERIFY(form->ExpandOptions1->isChecked());
            QVERIFY(form->ShowHints1->isChecked() && !form->EnablePopUpMenus1->isChecked());
        };
        // Back to the first pages, collapsed, unsorted and with messages, before each load.
        auto undo = [&form] {
            form->FileOptions1->trigger();
            form->DirectorySelections1->trigger();
            if (form->ExpandOptions1->isChecked()) {
                form->ExpandOptions1->trigger();
            }
            form->SortFileLists1->trigger();
            form->DisplayMessages->trigger();
            QVERIFY(!form->Opts().SortFileLists && form->Opts().DisplayMessages);
        };
        form->SortFileLists1->trigger(); // only available on the folder page
        form->Synchronization1->trigger();
        form->ExpandOptions1->trigger();
        form->ReportingOptions1->trigger();
        form->ShowHints1->trigger();
        form->EnablePopUpMenus1->trigger();
        form->DisplayMessages->trigger();
        form->SaveSettings1->trigger();
        form->SaveDefaultData1->trigger();
        undo();
        form->LoadSettings1->trigger();
        expectOptions();
        undo();
        form->LoadDefaultSettings1->trigger();
        expectRestored();
        QCOMPARE(asked, QList<bool>({true, false}));

        // What the window holds is saved on the way out, unless that is switched off.
        QVERIFY(form->SaveSettingsOnExit1->isChecked());
        form->FileOptions->IncludeString->setEditText(QStringLiteral("*.txt;*.doc"));
        form->FileOptions->CheckHidden->setChecked(false);
        form->CloseButton->click();
        form = Start();
        expectRestored();
        QCOMPARE(form->FileOptions->IncludeString->currentText(), QStringLiteral("*.txt;*.doc"));
        QVERIFY(!form->FileOptions->CheckHidden->isChecked());

        std::filesystem::remove(R->Home.Path("TXDef.CFG"));
        form->SaveSettingsOnExit1->setChecked(false);
        form->CloseButton->click();
        QVERIFY(!std::filesystem::exists(R->Home.Path("TXDef.CFG")));
    }

    void recentPairsAreSavedAndOpenedAndSwapExchangesThem()
    {
        R->AddFiles({"data/report.txt", "backup/old.txt", "backup/older.txt"});
        const std::string data = R->Tree.Path("data");
        const std::string backup = R->Tree.Path("backup");
        TMainSyncForm* form = Start();
        QVERIFY(!form->RecentFolder1->isVisible() && !form->RecentFolderSeparator->isVisible());
        R->Point("data", "backup");
        form->SaveDefaultData1->trigger();
        QVERIFY(form->RecentFolder1->isVisible() && form->RecentFolderSeparator->isVisible()
                && !form->RecentFolder2->isVisible());
        QCOMPARE(form->RecentFolder1->text(), QString::fromStdString(data + " >> " + backup));

        R->Point("backup", "data");
        form->RecentFolder1->trigger();
        QCOMPARE(Items(form->Panes->Pane(Side::Source).FileList), Names({"report.txt"}));
        QCOMPARE(form->Panes->Pane(Side::Target).FileList->count(), 2);

        form->Opts().RunBatchList = true;
        form->SwapSourceandTarget1->trigger();
        QCOMPARE(form->Engine().Source.Folder, backup);
        QCOMPARE(Items(form->Panes->Pane(Side::Target).FileList), Names({"report.txt"}));
        QCOMPARE(form->Panes->Pane(Side::Source).FolderLabel->text(), QString::fromStdString(backup));
        QVERIFY(!form->Opts().RunBatchList);

        // A pair with a folder that is gone says so and changes nothing.
        TempTree::RemoveAll(backup);
        R->Script.QueueAnswer(DialogResult::Ok);
        form->RecentFolder1->trigger();
        QCOMPARE(form->Engine().Source.Folder, backup);
        QVERIFY(!R->Tree.Exists("backup"));

        // How captions split into folders; the expected ones as "source|target", empty when the
        // caption is no pair.
        const char* const rows[][2] = {{"/data >> /backup", "/data|/backup"},
                                       {"/my data >> /my b", "/my data|/my b"},
                                       {"/data>>/backup", "/data|/backup"},
                                       {"/data >>/backup", "/data|/backup"},
                                       {"/a> >> /b", "/a>|/b"},
                                       {"/data /backup", ""},
                                       {" >> /backup", ""},
                                       {"", ""}};
        for (const auto& [caption, expected] : rows) {
            std::optional<RecentPair> pair = SplitRecentPair(caption);
            QVERIFY2((pair ? pair->Source + "|" + pair->Target : std::string()) == expected, caption);
        }
        QCOMPARE(MenuCaption("/R&D >> /b"), QStringLiteral("/R&&D >> /b"));
    }

    void showHintsGovernsTooltipsAndStatusLineAndPopUpMenusOpenOnlyWhenEnabled()
    {
        TMainSyncForm* form = Start();
        QToolButton* button = form->ShowOptionsButton;
        const QPoint inside(3, 3);
        QHelpEvent askForTip(QEvent::ToolTip, inside, button->mapToGlobal(inside));
        QEnterEvent enter(inside, inside, button->mapToGlobal(inside));
        const QString hint = QStringLiteral("Display/hide extended options");
        for (bool shown : {true, false}) {
            form->ShowHints1->trigger();
            QApplication::sendEvent(button, &askForTip);
            QTRY_COMPARE(QToolTip::isVisible(), shown);
            QToolTip::hideText();
            QTRY_VERIFY(!QToolTip::isVisible()); // it fades out
            QApplication::sendEvent(button, &enter);
            QCOMPARE(form->StatusPanel->text(), shown ? hint : QStringLiteral("Ready"));
        }

        // The pop-up menus open exactly when enabled, and refresh the side opened on.
        R->AddFiles({"data/a.txt", "backup/a.txt"});
        R->Point("data", "backup");
        R->AddFiles({"data/b.txt", "backup/b.txt"});

        QCOMPARE(Test::RightClick(form->Panes->Pane(Side::Target).FileList), form->FilePopUpMenu1);
        form->FilePopUpMenu1->actions().front()->trigger();
        QCOMPARE(form->Panes->Pane(Side::Target).FileList->count(), 2);
        QCOMPARE(form->Panes->Pane(Side::Source).FileList->count(), 1);
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Ready"));

        SidePane& source = form->Panes->Pane(Side::Source);
        const std::pair<QWidget*, QMenu*> controls[] = {{source.FileList, form->FilePopUpMenu1},
                                                        {source.DirectoryListBox, form->DirPopUpMenu1},
                                                        {source.DriveBox, form->DriveRefreshMenu}};
        for (bool enabled : {true, false}) {
            QCOMPARE(form->Opts().MenuAutoPopup, enabled); // on unless the settings say otherwise
            for (const auto& [control, menu] : controls) {
                QVERIFY2((Test::RightClick(control) == menu) == enabled, qPrintable(menu->objectName()));
            }
            form->EnablePopUpMenus1->trigger();
        }
    }

    void helpOpensAtTheSectionOfTheSelectedPageAndHasNoEmptySections()
    {
        TMainSyncForm* form = Start();
        form->ExpandOptions1->trigger();
        form->ReportingOptions1->trigger();
        form->HelpContents1->trigger();
        QVERIFY(form->HelpForm != nullptr && form->HelpForm->isVisible());
        QTextBrowser* browser = form->HelpForm->Browser;
        QCOMPARE(browser->source().fragment(), QStringLiteral("reporting"));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Tandemix User Guide")));

        // Every page's help context leads to a section the guide really has.
        QList<int> contexts{TargetDeltaHelpContext};
        contexts << QList<int>(std::begin(UpperHelpContexts), std::end(UpperHelpContexts))
                 << QList<int>(std::begin(LowerHelpContexts), std::end(LowerHelpContexts));
        for (int context : contexts) {
            const QString anchor = GuideAnchorFor(context);
            QVERIFY2(!anchor.isEmpty()
                         && browser->toHtml().contains(QStringLiteral("name=\"") + anchor + u'"'),
                     qPrintable(QString::number(context) + u' ' + anchor));
        }
        QVERIFY(!browser->toPlainText().contains(QStringLiteral("not written yet")));

        QTest::keyClick(browser, Qt::Key_Escape);
        QVERIFY(!form->HelpForm->isVisible());
    }

    void shortcutsReachTheirItems()
    {
        R->Tree.AddFolder("data");
        const std::string backup = R->Tree.AddFolder("backup");
        TMainSyncForm* form = Start();
        R->Point("data", "backup");
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form)) {
            QSKIP("the platform plugin cannot activate the window, so no shortcut reaches it");
        }
        // Ctrl+E is shown by two items; only "Expand Options" may hold it, or neither would fire.
        QTest::keyClick(form, Qt::Key_E, Qt::ControlModifier);
        QVERIFY(form->ExpandOptions1->isChecked());
        QVERIFY(form->DisplayMessages->isChecked());
        QTest::keyClick(form, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(form->Engine().Source.Folder, backup);
        // Alt+O is the Options button's alone: it collapses what Ctrl+E expanded.
        QTest::keyClick(form, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(!form->ExpandOptions1->isChecked());
        QCOMPARE(form->OptionsMenu->title(), QStringLiteral("O&ptions"));
        QTest::keyClick(form, Qt::Key_F1);
        QVERIFY(form->HelpForm != nullptr && form->HelpForm->isVisible());
    }

    void startsReadyClearsTheStaleTempFolderAndShowsCustomTextAndATrimmedLog()
    {
        std::filesystem::create_directories(R->Home.Path("TXTEMP00/old"));
        R->Home.Write("TXTEMP00/old/a.zip", "zip");
        TMainSyncForm* form = R->Open();
        QCOMPARE(form->windowTitle(), QStringLiteral("Tandemix v4.0.2 for Win95/NT"));
        QCOMPARE(form->Reports->ReportForm()->windowTitle(),
                 QStringLiteral("Tandemix - Expanded Reporting Screen"));
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Ready"));
        QVERIFY(!form->StopButton->isEnabled() && !form->SkipFileButton->isEnabled());
        QVERIFY(!std::filesystem::exists(R->Home.Path("TXTEMP00/old"))); // and without a dialog
        QVERIFY(!form->mnuCustom0->isVisible() && !form->mnuCustom1->isVisible());

        R->Home.Write("Custom1.TXT", "Site Notes\r\nBack up on Fridays\r\n");
        R->Home.Write("TXDef.CFG", "[Report Options]\r\nLogSize=100\r\n");
        R->Home.Write("Tandemix.Log", std::string(500, 'x'));
        form = R->Open();
        QVERIFY(form->mnuCustom1->isVisible());
        QCOMPARE(form->mnuCustom1->text(), QStringLiteral("Site Notes"));
        QVERIFY2(form->StatusPanel->text().startsWith(QStringLiteral("Tandemix.Log had grown to 500 bytes")),
                 qPrintable(form->StatusPanel->text()));
    }

    // The commonest laptop screens hold the whole window with the options shown, whatever
    // size the window had before; every control of the status line stays reachable.
    void fitsLaptopScreensWithTheOptionsExpanded()
    {
        TMainSyncForm* form = R->Open();
        form->ShowOptionsButtonClick(form->ShowOptionsButton);
        QVERIFY(form->Notebook2->isVisible());
        const int titleBar = 40;
        for (QRect room : {QRect(0, 0, 1280, 800), QRect(0, 0, 1366, 768), QRect(0, 0, 1280, 720)}) {
            form->setGeometry(200, 300, 1900, 1300); // as a bigger screen left it
            form->FitOnScreen(room);
            QApplication::processEvents();
            QVERIFY2(form->minimumSizeHint().height() + titleBar <= room.height(),
                     qPrintable(QString::number(form->minimumSizeHint().height())));
            QVERIFY(form->minimumSizeHint().width() <= room.width());
            QVERIFY(room.contains(form->geometry()));
            for (QWidget* control : std::initializer_list<QWidget*>{form->TabSet1,
                                                                    form->ShowOptionsButton,
                                                                    form->StatusPanel,
                                                                    form->StopButton,
                                                                    form->SkipFileButton,
                                                                    form->CloseButton,
                                                                    form->TabSet2}) {
                QRect where(control->mapTo(form, QPoint()), control->size());
                QVERIFY2(form->rect().contains(where) && control->height() > 0,
                         qPrintable(control->objectName()));
            }
        }
        // A wide screen's room goes to the folder trees, not to edits stretched across it.
        form->resize(1900, 1040);
        QApplication::processEvents();
        QTreeView* tree = form->Panes->Pane(Side::Source).DirectoryListBox;
        QVERIFY(tree->height() >= 10 * tree->fontMetrics().height());
        QVERIFY(form->FileOptions->TodayFrom->width() < 200);
        QVERIFY(form->FileOptions->MaxFileSize->width() < 300);
        const auto labels = form->FileOptions->findChildren<QLabel*>();
        auto days = std::ranges::find(labels, QStringLiteral("days"), &QLabel::text);
        QVERIFY(days != labels.end());
        QLineEdit* count = form->FileOptions->PastDaysCount;
        QVERIFY((*days)->mapTo(form, QPoint()).x() - count->mapTo(form, QPoint(count->width(), 0)).x() < 20);
    }

    // Stop asks at the poll; Exit asks only while a run goes on. The elapsed seconds come from
    // the run's clock, set here by hand; the window's timer only asks.
    void stopAndExitAskAndTheElapsedTimeRuns()
    {
        TMainSyncForm* form = R->Open();
        RunState::Clock::time_point now{};
        form->State().SetClock([&now] { return now; });
        form->State().StartTimingEvent();
        QCOMPARE(form->ElapsedTime->text(), QStringLiteral("0:00:00"));
        QVERIFY(form->Timer2->isActive());
        now += std::chrono::seconds(61);
        QVERIFY(QMetaObject::invokeMethod(form->Timer2, "timeout"));
        QCOMPARE(form->ElapsedTime->text(), QStringLiteral("0:01:01"));
        form->State().StopTiming();
        QVERIFY(!form->Timer2->isActive());
        {
            BusySection busy(form->State());
            R->Script.QueueAnswer(DialogResult::Yes);
            QTest::mouseClick(form->StopButton, Qt::LeftButton);
            QCOMPARE(form->State().OperationState, 1); // nothing happens before the poll
            QVERIFY(form->State().CheckForStop() > 0);
            QCOMPARE(form->StatusPanel->text(), QStringLiteral("Stopping..... Please Wait!"));
            form->State().OperationState = 0;

            R->Script.QueueAnswer(DialogResult::No);
            form->Exit1->trigger();
            QVERIFY(form->isVisible());
            QCOMPARE(form->State().OperationState, 0);
        }
        form->CloseButton->click(); // asks nothing with no run going on
        QVERIFY(!form->isVisible());
    }

    void theScheduleAndThePollingExcludeEachOtherAndAWatchedChangeIsSynchronised()
    {
        TMainSyncForm* form = R->Open();
        ProOptionsPage* page = form->ProOptions;
        page->RunSyncEveryMin->setText(QStringLiteral("90"));
        page->RunSyncSched->click();
        QCOMPARE(form->Auto().SchedRunTimer.Interval, 90LL * 60000);
        QVERIFY(!page->RunSyncEveryMin->isEnabled());

        page->PoleSecs->setText(QStringLiteral("5"));
        page->PoleEvery->click();
        QVERIFY(page->PoleEvery->isChecked() && !page->RunSyncSched->isChecked());
        QCOMPARE(form->Auto().CheckDiskSpaceTimer.Interval, 5000LL);
        QVERIFY(page->RunSyncEveryMin->isEnabled());

        // A value that is no number: the box shows what the refusal left, off with "0".
        page->PoleEvery->click();
        page->PoleSecs->setText(QStringLiteral("soon"));
        R->Script.QueueAnswer(DialogResult::Ok);
        page->PoleEvery->click();
        QVERIFY(!page->PoleEvery->isChecked());
        QCOMPARE(page->PoleSecs->text(), QStringLiteral("0"));

        // A change in the watched source is synchronised.
        const QString source = QString::fromStdString(R->Tree.AddFolder("src"));
        R->Tree.AddFolder("dst");
        R->Point("src", "dst");
        form->Opts().CreateSubFolderOption = false;
        form->ProOptions->MonitorSourceDriveCheck->click();
        QTRY_COMPARE_WITH_TIMEOUT(Items(page->FolderWatch), QStringList{source}, 10000);

        // The watcher sets its watches on a thread of its own, after the folder is listed as
        // watched: a change made before that is not seen. On a loaded machine that takes a while,
        // so the file is written again every two seconds until one change is synchronised.
        QElapsedTimer sinceWritten;
        auto writeNow = [&] {
            R->Tree.AddFile("src/new.txt", "new");
            sinceWritten.start();
        };
        writeNow();
        auto synchronised = [&] {
            if (sinceWritten.elapsed() > 2000) {
                writeNow();
            }
            return R->Tree.Exists("dst/new.txt");
        };
        QTRY_VERIFY_WITH_TIMEOUT(synchronised(), 15000);
        QVERIFY(form->ProOptions->FolderQue->count() == 0);

        // Double-clicking a tree while no batch list is open ends the monitoring, as unchecking
        // does: the watcher ends, and its folder leaves the list.
        emit form->Panes->TreeDoubleClicked(Side::Target);
        QVERIFY(!form->ProOptions->MonitorSourceDriveCheck->isChecked());
        QCOMPARE(form->ProOptions->FolderWatch->count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(form->Auto().Monitor.RunningWatchers(), 0, 1000);
    }

    // The window's tray menu; on its own the icon's tool tip is cut to 62 characters, and a right
    // click without a menu only calls its handler.
    void theTrayMenuOffersShowRunNowAndExitAndTheIconCutsItsTip()
    {
        QStringList texts;
        for (QAction* action : R->Open()->TrayPopupMenu1->actions()) {
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        QCOMPARE(texts, Test::Names({"Show", "Run Now", "-", "Exit"}));

        TTrayIcon tray;
        tray.SetToolTip(QString(70, QLatin1Char('x')));
        QCOMPARE(tray.ToolTip(), QString(62, QLatin1Char('x')));
        QPoint where;
        tray.OnClick = [] {
            QFAIL("a right click called the click handler");
        };
        tray.OnRightClick = [&where](QPoint at) {
            where = at;
        };
        tray.Activated(QSystemTrayIcon::Context, QPoint(7, 9));
        QCOMPARE(where, QPoint(7, 9));
    }

    // Minimised without the tray icon the window is only marked; from the tray, Show with a wrong
    // password leaves it hidden but no longer minimised.
    void minimisingAndShowingAgainFromTheTray()
    {
        TMainSyncForm* form = R->Open();
        form->showMinimized();
        QTRY_VERIFY(form->RunningMinimized);
        QVERIFY(form->isVisible()); // still on the taskbar
        form->showNormal();
        QTRY_VERIFY(!form->RunningMinimized);

        form->GoToTray();
        QVERIFY(form->RunningMinimized && form->TrayIcon1->Active());
        form->hide();
        int asked = 0;
        bool given = false;
        form->AdminPasswordGate = [&asked, &given] {
            ++asked;
            return given;
        };
        form->Show1Click();
        QCOMPARE(asked, 1);
        QVERIFY(!form->isVisible());
        QVERIFY(!form->RunningMinimized);

        given = true;
        form->Show1Click();
        QVERIFY(form->isVisible());
        QCOMPARE(form->x(), form->Opts().HomeLeft);

        // Exit behind a password that is not given leaves the program running.
        given = false;
        form->Exit2->trigger();
        QCOMPARE(asked, 3);
        QVERIFY(form->isVisible());
    }

    // Which passwords are good is the password file's; the entry dialog stays open until one is.
    void thePasswordDialogsAndTheChange()
    {
        TPasswordDlg dialog("Secret");
        dialog.show();
        dialog.Password->setText(QStringLiteral("wrong"));
        dialog.OKBtn->click();
        QVERIFY(dialog.isVisible() && dialog.Password->text().isEmpty());
        dialog.Password->setText(QStringLiteral("SECRET"));
        dialog.OKBtn->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.Password->text().isEmpty());

        TMainSyncForm* form = R->Open();
        form->Opts().AdminPassWord = "Secret";
        std::deque<TMainSyncForm::PasswordChange> answers = {
            {true, "secret", "New"}, // the entry dialog's letter case is not good enough here
            {true, "Secret", "New"},
            {false, "", ""},
            {true, "QJ47", ""}};
        form->AskPasswordChange = [&answers] {
            TMainSyncForm::PasswordChange answer = answers.front();
            answers.pop_front();
            return answer;
        };
        std::vector<std::pair<std::string, std::string>> written;
        form->WritePasswordFile = [&written](const std::string& archive, const std::string& admin) {
            written.emplace_back(archive, admin);
            return written.size() == 1; // the second write fails
        };
        R->Script.QueueAnswer(DialogResult::Ok);
        form->ProOptions->SetAdminPW->click();
        QCOMPARE(answers.size(), std::size_t(2));
        QCOMPARE(R->Script.LastQuestion(), "Sorry, I do not recognize that Old Password.\nPlease try again.");
        QCOMPARE(form->Opts().AdminPassWord, std::string("New"));
        // With no archive password, the file's first line is empty.
        QCOMPARE(written, (std::vector<std::pair<std::string, std::string>>{{"", "New"}}));

        // Cancel changes nothing, and a file that cannot be written is said.
        form->ProOptions->SetAdminPW->click();
        QCOMPARE(form->Opts().AdminPassWord, std::string("New"));
        R->Script.QueueAnswer(DialogResult::Ok);
        form->ProOptions->SetAdminPW->click();
        QCOMPARE(form->Opts().AdminPassWord, std::string());
        QVERIFY(R->Script.LastQuestion().find("Tandemix.PWL") != std::string::npos);
    }
};

QTEST_MAIN(TestMainfrm3)
#include "TestMainfrm3.moc"
