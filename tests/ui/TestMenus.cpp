// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's pages, menus and view options, driven as a user drives them; questions are
// answered by a script and the settings file dialog is replaced by a chosen path.
#include "app/ui/HelpWindow.h"
#include "app/ui/MainMenus.h"
#include "app/ui/Mainfrm3.h"
#include "app/ui/PageTabs.h"
#include "filemanager/ui/FolderPanes.h"
#include "support/ScriptedHost.h"
#include "support/TempHome.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>

#include <filesystem>
#include <memory>

using namespace Tandemix;

namespace {

QStringList Names(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* name : names) {
        list << QString::fromUtf8(name);
    }
    return list;
}

TFileData File(const char* name)
{
    TFileData file;
    file.FileName = name;
    return file;
}

QStringList Items(const QListWidget* list)
{
    QStringList names;
    for (int row = 0; row < list->count(); ++row) {
        names << list->item(row)->text();
    }
    return names;
}

bool DocumentHasAnchor(const QTextDocument* document, const QString& anchor)
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto part = block.begin(); !part.atEnd(); ++part) {
            if (part.fragment().charFormat().anchorNames().contains(anchor)) {
                return true;
            }
        }
    }
    return false;
}

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

// A right-click as the platform delivers it: to the viewport of a list or tree.
void RightClick(QWidget* control)
{
    auto* scrolled = qobject_cast<QAbstractScrollArea*>(control);
    QWidget* target = scrolled != nullptr ? scrolled->viewport() : control;
    QPoint position(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, target->mapToGlobal(position));
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestMenus : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::TempHome> Home;
    Test::ScriptedHost Script;

    std::unique_ptr<TMainSyncForm> MakeForm()
    {
        auto form = std::make_unique<TMainSyncForm>(Home->Folder());
        form->HostSeam().RouteQuestionsTo(&Script);
        form->ChooseSettingsFile = [](bool) {
            return QString();
        };
        return form;
    }

    // Shown as the program starts it: the start-up applies the stored expand state.
    std::unique_ptr<TMainSyncForm> StartForm()
    {
        auto form = MakeForm();
        form->show();
        form->ShowOptionsButtonClick(form.get());
        return form;
    }

    std::string MakeFolder(const std::string& name, std::initializer_list<const char*> files)
    {
        std::filesystem::create_directories(Home->Path(name));
        for (const char* file : files) {
            Home->Write(name + "/" + file, "x");
        }
        return Home->Path(name);
    }

    // The first recent pair of the defaults file the program starts from.
    void WriteRecentPair(const std::string& source, const std::string& target)
    {
        Home->Write("TXDef.CFG",
                    "[Misc Options]\r\nCompile Date=July 23, 1997\r\n[Recent Folder List]\r\nRecent Folder1="
                        + source + " >> " + target + "\r\n");
    }

    static void ShowPair(TMainSyncForm& form, const std::string& source, const std::string& target)
    {
        form.DirectoryListBox1Change(Side::Source, source);
        form.DirectoryListBox1Change(Side::Target, target);
    }

    // The hidden "Dial-Up Service" item is left out where enabling is checked: an action that
    // is not visible never reports itself enabled.
    static QList<QAction*> LowerItems(TMainSyncForm& form, bool withHidden = true)
    {
        QList<QAction*> items{form.FileOptions1,
                              form.Compression1,
                              form.ReportingOptions1,
                              form.RunBatchLists1,
                              form.AdvOptions1};
        if (withHidden) {
            items << form.DialUpService1;
        }
        return items;
    }

private slots:
    void init()
    {
        Home = std::make_unique<Test::TempHome>();
        Script = Test::ScriptedHost();
    }
    void cleanup()
    {
        QVERIFY2(Script.Unexpected.empty(), "a question nobody expected was asked");
        Home.reset();
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
        auto form = StartForm();
        form->ExpandOptions1->trigger();
        // Start from the other end of the lower set, so a row selecting its first tab proves
        // something.
        form->SetTabs2AndMenus(0);

        form->findChild<QAction*>(QString::fromUtf8(r.Item))->trigger();

        QTabBar* tabs = r.Upper ? form->TabSet1 : form->TabSet2;
        QStackedWidget* notebook = r.Upper ? form->Notebook1 : form->Notebook2;
        QCOMPARE(tabs->currentIndex(), r.Tab);
        QCOMPARE(notebook->currentWidget()->objectName(), QString::fromUtf8(r.Page));
        QCOMPARE(form->HelpContext, r.HelpContext);
        QList<QAction*> group =
            r.Upper
                ? QList<QAction*>{form->DirectorySelections1, form->Synchronization1, form->BuildBatchList1}
                : LowerItems(*form);
        for (QAction* action : group) {
            QCOMPARE(action->isChecked(), action->objectName() == QString::fromUtf8(r.Checked));
        }
        // The other page set keeps its own check mark.
        QVERIFY(r.Upper ? form->FileOptions1->isChecked() : form->DirectorySelections1->isChecked());
        QVERIFY(!form->DialUpService1->isVisible());
    }

    void clickedTabMovesTheCheckMark()
    {
        auto form = StartForm();
        QTest::mouseClick(form->TabSet1, Qt::LeftButton, {}, form->TabSet1->tabRect(1).center());
        QCOMPARE(form->Notebook1->currentIndex(), 1);
        QVERIFY(form->Synchronization1->isChecked());
        QVERIFY(!form->DirectorySelections1->isChecked());
        QCOMPARE(form->HelpContext, 5);
    }

    void unknownPageIndexSelectsFirstPageWithoutCheckMark()
    {
        auto form = StartForm();
        form->SetTabs1AndMenus(1);
        form->SetTabs1AndMenus(7);
        QCOMPARE(form->TabSet1->currentIndex(), 0);
        QCOMPARE(form->Notebook1->currentIndex(), 0);
        QVERIFY(!form->DirectorySelections1->isChecked());
        QVERIFY(!form->Synchronization1->isChecked());
        form->SetTabs2AndMenus(-1);
        QCOMPARE(form->TabSet2->currentIndex(), 0);
        QVERIFY(!form->FileOptions1->isChecked());
    }

    void buildBatchListsPageSwitchesBatchRunOff()
    {
        auto form = StartForm();
        form->ExpandOptions1->trigger();
        form->Opts().RunBatchList = true;
        form->Synchronization1->trigger();
        QVERIFY(form->Opts().RunBatchList);
        form->BuildBatchList1->trigger();
        QVERIFY(!form->Opts().RunBatchList);
    }

    void collapsingDisablesLowerItemsAndBuildBatchList()
    {
        auto form = StartForm();
        auto expectItemsEnabled = [&form](bool enabled) {
            QList<QAction*> items = LowerItems(*form, !enabled) << form->BuildBatchList1;
            for (QAction* item : items) {
                QVERIFY2(item->isEnabled() == enabled, qPrintable(item->objectName()));
            }
        };
        QVERIFY(!form->ExpandOptions1->isChecked());
        expectItemsEnabled(false);
        QVERIFY(form->SpeedButton2->isChecked());
        const int collapsed = form->height();

        form->ExpandOptions1->trigger();
        expectItemsEnabled(true);
        for (QWidget* shown :
             std::initializer_list<QWidget*>{form->Notebook2, form->TabSet2, form->SeparatorPanel}) {
            QVERIFY2(shown->isVisible(), qPrintable(shown->objectName()));
        }
        QVERIFY(form->ShowOptionsButton->isChecked());
        QVERIFY(!form->SpeedButton2->isChecked());
        QVERIFY(form->height() > collapsed);

        form->ShowOptionsButton->click();
        QVERIFY(!form->ExpandOptions1->isChecked());
        expectItemsEnabled(false);
        QVERIFY(!form->Notebook2->isVisible());
        QVERIFY(!form->SeparatorPanel->isVisible());
        QVERIFY(!form->ShowOptionsButton->isChecked());
        QCOMPARE(form->height(), collapsed);

        // Applying the state again (as start-up and loads do) neither toggles nor shrinks.
        form->ShowOptionsButtonClick(form.get());
        QVERIFY(!form->ExpandOptions1->isChecked());
        QCOMPARE(form->height(), collapsed);
    }

    void sortedListsStaySortedOnSynchronizePage()
    {
        auto form = StartForm();
        QListWidget* list = form->Panes->Pane(Side::Source).FileList;
        form->Engine().Source.Files = {File("c.txt"), File("a.txt"), File("b.txt")};
        form->ShowListing(Side::Source);
        QCOMPARE(Items(list), Names({"c.txt", "a.txt", "b.txt"})); // as the folder gives them

        form->SortFileLists1->trigger();
        QVERIFY(form->SortFileLists1->isChecked());
        QVERIFY(form->Opts().SortFileLists);
        QCOMPARE(Items(list), Names({"a.txt", "b.txt", "c.txt"}));

        form->Synchronization1->trigger();
        QVERIFY(!form->SortFileLists1->isEnabled());
        QVERIFY(form->SortFileLists1->isChecked());
        QVERIFY(form->Opts().SortFileLists);
        form->ShowListing(Side::Source);
        QCOMPARE(Items(list), Names({"a.txt", "b.txt", "c.txt"}));

        form->DirectorySelections1->trigger();
        QVERIFY(form->SortFileLists1->isEnabled());
        form->SortFileLists1->trigger();
        QCOMPARE(Items(list), Names({"c.txt", "a.txt", "b.txt"}));
    }

    void cancelledDialogOrAFileThatIsNotOursChangesNothing()
    {
        Home->Write("foreign.CFG", "[Application Options]\r\nSortFileLists=1\r\nDisplayMessages=0\r\n");
        auto form = StartForm();
        const Options before = form->Opts();
        form->LoadSettings1->trigger(); // both dialogs cancelled
        form->SaveSettings1->trigger();
        QVERIFY(Script.Questions.empty());

        form->ChooseSettingsFile = [this](bool save) {
            return save ? QString() : QString::fromStdString(Home->Path("foreign.CFG"));
        };
        Script.QueueAnswer(DialogResult::Ok);
        form->LoadSettings1->trigger();

        QCOMPARE(Script.Questions.size(), size_t(1));
        QVERIFY(form->Opts() == before);
        QVERIFY(!form->SortFileLists1->isChecked());
        QVERIFY(form->DisplayMessages->isChecked());
    }

    void savedSettingsLoadBack()
    {
        auto form = StartForm();
        const QString mine = QString::fromStdString(Home->Path("mine.CFG"));
        QList<bool> asked;
        form->ChooseSettingsFile = [&](bool save) {
            asked << save;
            return mine;
        };
        form->SortFileLists1->trigger();
        form->DisplayMessages->trigger();
        form->SaveSettings1->trigger();
        QVERIFY(std::filesystem::exists(Home->Path("mine.CFG")));

        form->SortFileLists1->trigger();
        form->DisplayMessages->trigger();
        QVERIFY(!form->Opts().SortFileLists);
        form->LoadSettings1->trigger();

        QCOMPARE(asked, QList<bool>({true, false}));
        QVERIFY(form->SortFileLists1->isChecked());
        QVERIFY(form->Opts().SortFileLists);
        QVERIFY(!form->DisplayMessages->isChecked());
        QVERIFY(!form->Opts().DisplayMessages);
        QVERIFY(Script.Questions.empty());
    }

    void loadDefaultSettingsRestoresPagesAndExpandState()
    {
        auto form = StartForm();
        form->ExpandOptions1->trigger();
        form->ReportingOptions1->trigger();
        form->SaveDefaultData1->trigger();

        form->FileOptions1->trigger();
        form->ExpandOptions1->trigger();
        form->LoadDefaultSettings1->trigger();

        QVERIFY(form->ExpandOptions1->isChecked());
        QVERIFY(form->Notebook2->isVisible());
        QCOMPARE(form->TabSet2->currentIndex(), 2);
        QVERIFY(form->ReportingOptions1->isChecked());
        QVERIFY(!form->FileOptions1->isChecked());
    }

    void savedPairBecomesTheFirstRecentItemAndPointsBothSides()
    {
        const std::string data = MakeFolder("data", {"report.txt"});
        const std::string backup = MakeFolder("backup", {"old.txt", "older.txt"});
        auto form = StartForm();
        QVERIFY(!form->RecentFolder1->isVisible());
        QVERIFY(!form->RecentFolderSeparator->isVisible()); // no pairs, no separator
        ShowPair(*form, data, backup);
        form->SaveDefaultData1->trigger();
        QVERIFY(form->RecentFolder1->isVisible());
        QVERIFY(form->RecentFolderSeparator->isVisible());
        QVERIFY(!form->RecentFolder2->isVisible());
        QCOMPARE(form->RecentFolder1->text(), QString::fromStdString(data + " >> " + backup));

        ShowPair(*form, backup, data);
        form->RecentFolder1->trigger();
        QCOMPARE(form->Engine().Source.Folder, data);
        QCOMPARE(form->Engine().Target.Folder, backup);
        QCOMPARE(Items(form->Panes->Pane(Side::Source).FileList), Names({"report.txt"}));
        QCOMPARE(form->Panes->Pane(Side::Target).FileList->count(), 2);
    }

    void recentPairWithAMissingFolderChangesNothing()
    {
        const std::string data = MakeFolder("data", {});
        WriteRecentPair(data, Home->Path("unplugged"));
        auto form = StartForm();
        const std::string source = form->Engine().Source.Folder;
        Script.QueueAnswer(DialogResult::Ok);
        form->RecentFolder1->trigger();
        QCOMPARE(Script.Questions.size(), size_t(1));
        QCOMPARE(form->Engine().Source.Folder, source);
        QVERIFY(!std::filesystem::exists(Home->Path("unplugged")));
    }

    void splitRecentPair_data()
    {
        // The expected folders as "source|target"; empty when the caption is no pair.
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("expected");
        const char* const rows[][3] = {{"as saved", "/data >> /backup", "/data|/backup"},
                                       {"blanks in names", "/my data >> /my b", "/my data|/my b"},
                                       {"no blanks", "/data>>/backup", "/data|/backup"},
                                       {"one blank", "/data >>/backup", "/data|/backup"},
                                       {"name ending in >", "/a> >> /b", "/a>|/b"},
                                       {"no marker", "/data /backup", ""},
                                       {"no source", " >> /backup", ""},
                                       {"empty", "", ""}};
        for (const auto& row : rows) {
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]);
        }
    }

    void splitRecentPair()
    {
        QFETCH(QString, caption);
        QFETCH(QString, expected);
        std::optional<RecentPair> pair = SplitRecentPair(caption.toStdString());
        QString found = pair ? QString::fromStdString(pair->Source + "|" + pair->Target) : QString();
        QCOMPARE(found, expected);
    }

    void recentCaptionShowsAmpersand() { QCOMPARE(MenuCaption("/R&D >> /b"), QStringLiteral("/R&&D >> /b")); }

    void swapExchangesTheFolders()
    {
        const std::string data = MakeFolder("data", {"new.txt"});
        const std::string backup = MakeFolder("backup", {"a.txt", "b.txt"});
        auto form = StartForm();
        ShowPair(*form, data, backup);
        form->Opts().RunBatchList = true;

        form->SwapSourceandTarget1->trigger();

        QCOMPARE(form->Engine().Source.Folder, backup);
        QCOMPARE(form->Engine().Target.Folder, data);
        QCOMPARE(form->Panes->Pane(Side::Source).FileList->count(), 2);
        QCOMPARE(Items(form->Panes->Pane(Side::Target).FileList), Names({"new.txt"}));
        QCOMPARE(form->Panes->Pane(Side::Source).FolderLabel->text(), QString::fromStdString(backup));
        QVERIFY(!form->Opts().RunBatchList);
    }

    void pagesExpandStateAndViewPreferencesSurviveARestart()
    {
        {
            auto form = StartForm();
            form->SortFileLists1->trigger(); // only available on the folder page
            form->Synchronization1->trigger();
            form->ExpandOptions1->trigger();
            form->ReportingOptions1->trigger();
            form->ShowHints1->trigger();
            form->EnablePopUpMenus1->trigger();
            form->CloseButton->click();
        }
        auto form = StartForm();
        QCOMPARE(form->TabSet1->currentIndex(), 1);
        QCOMPARE(form->Notebook1->currentIndex(), 1);
        QVERIFY(form->Synchronization1->isChecked());
        QCOMPARE(form->TabSet2->currentIndex(), 2);
        QVERIFY(form->ReportingOptions1->isChecked());
        QVERIFY(form->ExpandOptions1->isChecked());
        QVERIFY(form->Notebook2->isVisible());
        QVERIFY(form->AdvOptions1->isEnabled());
        QVERIFY(form->ShowHints1->isChecked());
        QVERIFY(!form->EnablePopUpMenus1->isChecked());
        QCOMPARE(form->Panes->Pane(Side::Source).FileList->contextMenuPolicy(), Qt::PreventContextMenu);
        QVERIFY(form->SortFileLists1->isChecked());
        QVERIFY(!form->SortFileLists1->isEnabled()); // not on the folder page
    }

    void showHintsGovernsTooltipsAndStatusLine()
    {
        auto form = StartForm();
        QToolButton* button = form->ShowOptionsButton;
        const QPoint inside(3, 3);
        auto askForTip = [&] {
            QHelpEvent event(QEvent::ToolTip, inside, button->mapToGlobal(inside));
            QApplication::sendEvent(button, &event);
        };
        QEnterEvent enter(inside, inside, button->mapToGlobal(inside));
        QVERIFY(!form->ShowHints1->isChecked());
        askForTip();
        QVERIFY(!QToolTip::isVisible());

        form->ShowHints1->trigger();
        askForTip();
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral("Display/hide extended options"));
        QToolTip::hideText();
        QTRY_VERIFY(!QToolTip::isVisible()); // it fades out
        QApplication::sendEvent(button, &enter);
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Display/hide extended options"));

        form->ShowHints1->trigger();
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Ready"));
        QApplication::sendEvent(button, &enter);
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Ready"));
        askForTip();
        QVERIFY(!QToolTip::isVisible());
    }

    void popUpMenusOpenExactlyWhenEnabledAndRefreshTheSideOpenedOn()
    {
        const std::string data = MakeFolder("data", {"a.txt"});
        const std::string backup = MakeFolder("backup", {"a.txt"});
        auto form = StartForm();
        ShowPair(*form, data, backup);
        Home->Write("data/b.txt", "x");
        Home->Write("backup/b.txt", "x");
        QVERIFY(form->EnablePopUpMenus1->isChecked()); // on unless the settings say otherwise

        RightClick(form->Panes->Pane(Side::Target).FileList);
        form->FilePopUpMenu1->actions().front()->trigger();
        form->FilePopUpMenu1->hide();
        QCOMPARE(form->Panes->Pane(Side::Target).FileList->count(), 2);
        QCOMPARE(form->Panes->Pane(Side::Source).FileList->count(), 1);
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Ready"));

        SidePane& source = form->Panes->Pane(Side::Source);
        const std::pair<QWidget*, QMenu*> controls[] = {{source.FileList, form->FilePopUpMenu1},
                                                        {source.DirectoryListBox, form->DirPopUpMenu1},
                                                        {source.DriveBox, form->DriveRefreshMenu}};
        for (const auto& [control, menu] : controls) {
            RightClick(control);
            QVERIFY2(menu->isVisible(), qPrintable(menu->objectName()));
            menu->hide();
        }
        form->EnablePopUpMenus1->trigger();
        QVERIFY(!form->Opts().MenuAutoPopup);
        for (const auto& [control, menu] : controls) {
            RightClick(control);
            QVERIFY2(!menu->isVisible(), qPrintable(menu->objectName()));
        }
    }

    void helpOpensAtTheSectionOfTheSelectedPage()
    {
        auto form = StartForm();
        form->ExpandOptions1->trigger();
        form->AdvOptions1->trigger();
        QCOMPARE(form->HelpContext, 15);

        form->HelpContents1->trigger();

        QVERIFY(form->HelpForm != nullptr);
        QVERIFY(form->HelpForm->isVisible());
        QTextBrowser* browser = form->HelpForm->Browser;
        QCOMPARE(browser->source().fragment(), QStringLiteral("pro-options"));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Tandemix User Guide")));

        // Every page's help context leads to a section the guide really has.
        QList<int> contexts{TargetDeltaHelpContext};
        contexts << QList<int>(std::begin(UpperHelpContexts), std::end(UpperHelpContexts))
                 << QList<int>(std::begin(LowerHelpContexts), std::end(LowerHelpContexts));
        for (int context : contexts) {
            QString anchor = GuideAnchorFor(context);
            QVERIFY2(!anchor.isEmpty(), qPrintable(QString::number(context)));
            QVERIFY2(DocumentHasAnchor(browser->document(), anchor), qPrintable(anchor));
        }
    }

    void shortcutsReachTheirItems()
    {
        const std::string data = MakeFolder("data", {});
        const std::string backup = MakeFolder("backup", {});
        auto form = StartForm();
        ShowPair(*form, data, backup);
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get())) {
            QSKIP("the platform plugin cannot activate the window, so no shortcut reaches it");
        }
        // Ctrl+E is shown by two items; only "Expand Options" may hold it, or neither would fire.
        QTest::keyClick(form.get(), Qt::Key_E, Qt::ControlModifier);
        QVERIFY(form->ExpandOptions1->isChecked());
        QVERIFY(form->DisplayMessages->isChecked());

        QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(form->Engine().Source.Folder, backup);

        QTest::keyClick(form.get(), Qt::Key_F1);
        QVERIFY(form->HelpForm != nullptr);
        QVERIFY(form->HelpForm->isVisible());
    }
};

QTEST_MAIN(TestMenus)
#include "TestMenus.moc"
