// SPDX-License-Identifier: GPL-3.0-or-later
// The "Reporting" page and the report window's commands, driven as a user drives them, with the
// file, print and font dialogs answered by the test and its questions by the scripted host.
#include "compression/CompressedSync.h"
#include "core/compression/ZipReadBack.h"
#include "engine/EngineState.h"
#include "engine/RunContext.h"
#include "engine/RunState.h"
#include "reporting/ProgramReporter.h"
#include "reporting/ui/ReportListsView.h"
#include "reporting/ui/ReportingPage.h"
#include "ui/support/WindowRig.h"

#include <QPrinter>

#include <filesystem>
#include <fstream>
#include <utility>

using namespace Tandemix;
using Test::ExpectEnabled;

namespace {

// Everything the Reporting page and its report window work on, as the main window holds it, in
// a program folder of its own, with questions answered by a script, each of them expected.
struct Rig
{
    Test::TempHome Home;
    Test::ScriptedHost Script;
    Options Opts;
    RunState State{Script, Opts};
    EngineState Engine;
    ProgramReporter Reporter{Opts, State, Engine, Home.Folder()};
    RunContext Ctx{Opts, State, Script, Reporter, Engine};
    ReportingPage Page{Ctx, Reporter.Lists(), Home.Folder()};
    TempTree Tree;
    TReportForm1& Form = *Page.ReportForm();
    int DialogsShown = 0;

    Rig()
    {
        Page.ListUnMatchedFiles->click(); // the unmatched page's lines are filed, as a user asks
        Form.ChooseFont = [this](const QFont&) {
            ++DialogsShown;
            return std::optional<QFont>(QFont(QStringLiteral("Monospace"), 15));
        };
    }
    ~Rig() { QVERIFY(Script.Unexpected.empty() && Script.UnusedAnswers() == 0); }

    // Lines as a run files them, newest on top; with `archive`, of entries of that archive.
    void File(std::initializer_list<const char*> names,
              ReportCategory category,
              const std::string& folder = "/data/docs/",
              const char* size = "100",
              const std::string& archive = {})
    {
        State.SyncActive = true;
        for (const char* name : names) {
            Reporter.AddReportEntry({name, folder, size, "7/22/97 10:01:44 AM", "Add", category, archive});
        }
        State.SyncActive = false;
        Form.Refresh();
    }
    // The file dialogs answer `path`, counting how often they were asked.
    void ChooseFile(const std::string& path)
    {
        Form.ChooseReportFile = [this, path](bool, const QString&) {
            ++DialogsShown;
            return QString::fromStdString(path);
        };
    }
    QStringList Rows(ReportCategory category) const { return Test::Items(Form.List(category)); }
    QString Figures(ReportCategory category) const
    {
        return Form.ItemCount(category)->text() + QLatin1Char('/') + Form.FileSizeTotal(category)->text();
    }
};

// Each check box of the Reporting page by name, with the option it is.
constexpr std::pair<const char*, bool Options::*> CheckOptions[] = {
    {"UseLogFileCheck", &Options::UseLogFile},
    {"ReportLogOverwrite", &Options::ReportLogOverwrite},
    {"ReportPreLogOverwrite", &Options::ReportPreLogOverwrite},
    {"ReportUpdateFilesCheck", &Options::ReportUpdateFilesCheck},
    {"ReportAddedFilesCheck", &Options::ReportAddedFilesCheck},
    {"ReportFileErrorsCheck", &Options::ReportFileErrorsCheck},
    {"ReportAppErrorsCheck", &Options::ReportAppErrorsCheck},
    {"ReportFileSizeCheck", &Options::ReportFileSizeCheck},
    {"ReportFileDateCheck", &Options::ReportFileDateCheck},
    {"ReportFileTimeCheck", &Options::ReportFileTimeCheck},
    {"ReportEmptyFoldersCheck", &Options::ReportEmptyFoldersCheck},
    {"ReportDirectoryCreationCheck", &Options::ReportDirectoryCreationCheck},
    {"UseReportForm", &Options::UseReportForm},
    {"ListUnMatchedFiles", &Options::ListUnMatchedFiles},
};

} // namespace

class TestReportWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Rig> R;

private slots:
    void init() { R = std::make_unique<Rig>(); }
    void cleanup() { R.reset(); }

    void aSavedListLoadsBackOnItsOwnPageAndReplacesOnlyWhenTheUserSaysYes()
    {
        using enum ReportCategory;
        R->File({"a.txt", "b.txt"}, Updated);
        R->File({"kept.txt"}, UnMatched);
        const QStringList saved = R->Rows(Updated);
        R->Form.SetCompressed(Updated, true);
        R->Form.ShowPage(Updated);
        R->ChooseFile(R->Tree.Path("Updated.TXR"));
        R->Form.SaveAs1->trigger();
        R->Form.ClearList1->trigger();
        R->File({"other.txt"}, Updated);
        R->Form.SetCompressed(Updated, false);

        // The file names its page: the window goes there, asks, and a No changes nothing.
        R->Form.ShowPage(Added);
        R->Script.QueueAnswer(DialogResult::No);
        R->Form.LoadReport1->trigger();
        QCOMPARE(R->Form.CurrentPage(), Updated);
        QCOMPARE(R->Script.LastQuestion(), "Are you sure you want to replace the Updated report listing?");
        QCOMPARE(R->Figures(Updated), QStringLiteral("1/100"));
        QVERIFY(!R->Form.Compressed(Updated));

        R->Script.QueueAnswer(DialogResult::Yes);
        R->Form.LoadReport1->trigger();
        QCOMPARE(R->Rows(Updated), saved);
        QCOMPARE(R->Figures(Updated), QStringLiteral("2/200"));
        QCOMPARE(R->Form.ItemCount(Updated)->palette().color(QPalette::WindowText), QColor(Qt::red));

        // A file that cannot be read is said, and the list keeps its lines.
        R->ChooseFile(R->Tree.Path("missing.TXR"));
        R->Script.QueueAnswer(DialogResult::Ok);
        R->Form.LoadReport1->trigger();
        QCOMPARE(R->Script.LastQuestion(), "File Load Error: " + R->Tree.Path("missing.TXR") + "!");
        QCOMPARE(R->Rows(Updated), saved);

        // An unmatched list loads without the warning meant for a user's visit to its page.
        R->Opts.ListUnMatchedFiles = false;
        R->Tree.AddFile("u.TXR", std::string_view("UnMatched\td\t1\t5\t\r\nloaded\r\n"));
        R->ChooseFile(R->Tree.Path("u.TXR"));
        R->Script.QueueAnswer(DialogResult::Yes);
        R->Form.LoadReport1->trigger();
        QCOMPARE(R->Rows(UnMatched), QStringList{QStringLiteral("loaded")});
        QCOMPARE(R->Figures(UnMatched), QStringLiteral("1/5"));
    }

    void copyWithNothingSelectedCopiesAllAndLeavesNothingSelected()
    {
        R->File({"a.txt", "b.txt", "c.txt"}, ReportCategory::Added);
        QListView* list = R->Form.MemoAdded;
        const QStringList rows = R->Rows(ReportCategory::Added);
        R->Form.Copy1->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), rows.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        QVERIFY(!list->selectionModel()->hasSelection());

        // A part of the list is copied in list order, and stays selected.
        list->selectionModel()->select(list->model()->index(2, 0), QItemSelectionModel::Select);
        list->selectionModel()->select(list->model()->index(0, 0), QItemSelectionModel::Select);
        R->Form.Copy2->trigger();
        QCOMPARE(R->Form.Memo1, (QStringList{rows[0], rows[2]}));
        QCOMPARE(list->selectionModel()->selectedRows().size(), 2);
        R->Form.UnSelectAll1->trigger();
        QVERIFY(!list->selectionModel()->hasSelection());
    }

    void printingAnEmptyListPrintsItsThreeHeaderLines()
    {
        const std::string pdf = R->Tree.Path("list.pdf");
        bool print = false;
        R->Form.ChoosePrinter = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf));
            return print;
        };
        R->Form.ShowPage(ReportCategory::Deletions);
        R->Form.Print1->trigger(); // cancelled
        QVERIFY(!R->Tree.Exists("list.pdf"));
        QVERIFY(R->Form.Memo1.isEmpty());

        // The header's words are the report file's; here it names the page shown.
        print = true;
        R->Form.Print1->trigger();
        QCOMPARE(R->Form.Memo1.size(), 3);
        QVERIFY(R->Form.Memo1[0].startsWith(QStringLiteral("List Name: Deletions\t")));
        QVERIFY(R->Tree.ReadFile("list.pdf").starts_with("%PDF"));
    }

    void deleteIsOfferedWhereLinesNameFilesAndTakesThemFromTheTargetOnlyAndNeverHalfASelection()
    {
        const bool offered[] = {true, true, false, true, false, false};
        for (int page = 0; page < 6; ++page) {
            R->Form.ShowPage(static_cast<ReportCategory>(page));
            QCOMPARE(std::pair(R->Form.Delete1->isEnabled(), R->Form.Delete2->isEnabled()),
                     std::pair(offered[page], offered[page]));
        }

        R->Opts.ListUnMatchedFiles = false;
        R->Script.QueueAnswer(DialogResult::Ok);
        R->Form.TabbedNotebook1->setCurrentIndex(3);
        QVERIFY(R->Script.LastQuestion().starts_with("You must enable the \"List UnMatched Target Files\""));
        QCOMPARE(R->Form.CurrentPage(), ReportCategory::UnMatched);

        // Delete takes the files the selected lines name from the target, and only from there; a
        // selection holding a line that cannot be read back whole deletes nothing at all.
        const std::string target = R->Tree.AddFolder("dst");
        R->Tree.AddFile("dst/copied.txt", "c");
        R->Tree.AddFile("dst/kept.txt", "k");
        R->Tree.AddFile("elsewhere/other.txt", "o");
        R->Engine.Target.Folder = target;
        R->File({"copied.txt", "kept.txt"}, ReportCategory::Added, target + "/");
        R->File({"other.txt"}, ReportCategory::Added, R->Tree.Path("elsewhere") + "/");
        R->Form.ShowPage(ReportCategory::Added);
        QListView* list = R->Form.List(ReportCategory::Added);
        auto deleteLines = [&](const QStringList& starts) { // answering Yes, then Ok to what it says
            list->clearSelection();
            for (int row = 0; row < list->model()->rowCount(); ++row) {
                const QModelIndex line = list->model()->index(row, 0);
                for (const QString& start : starts) {
                    if (line.data().toString().startsWith(start)) {
                        list->selectionModel()->select(line, QItemSelectionModel::Select);
                    }
                }
            }
            R->Script.QueueAnswer(DialogResult::Yes);
            R->Script.QueueAnswer(DialogResult::Ok);
            R->Form.Delete1->trigger();
        };
        deleteLines(Test::Names({"copied.txt", "other.txt"})); // Ok to "lies outside the target"
        QVERIFY(!R->Tree.Exists("dst/copied.txt"));
        QVERIFY(R->Tree.Exists("dst/kept.txt"));
        QVERIFY(R->Tree.Exists("elsewhere/other.txt")); // outside the target on screen
        QCOMPARE(R->Rows(ReportCategory::Added).size(), 2);

        // A name holding a TAB: its fields shift, so the whole selection stays.
        R->File({"odd\tname.txt"}, ReportCategory::Added, target + "/");
        deleteLines(Test::Names({"kept.txt", "odd"}));
        QVERIFY(R->Tree.Exists("dst/kept.txt"));
        QVERIFY(R->Script.LastQuestion().starts_with("Nothing was deleted"));
    }

    // On a compressed list Delete takes the entries from the folder's archive: the run's own
    // unmatched entry, and a line of the list read back. Files of those names beside the archive
    // stay, and so does every other entry.
    void deleteOnACompressedListTakesTheEntriesFromTheArchiveOnly()
    {
        const std::string target = R->Tree.AddFolder("dst");
        const std::string archive = target + "/dst.zip";
        Test::MakeArchive(archive, {"gone.txt", "Loaded.txt", "keep.txt"});
        R->Tree.AddFile("dst/gone.txt", "plain");
        R->Tree.AddFile("dst/Loaded.txt", "plain");
        CompressionHooks zip{R->Reporter.Lists()};
        zip.ZipControl.LibraryFolders = {TANDEMIX_ZIPLIBS_DIR};
        R->Engine.Hooks = &zip;
        R->Engine.Target.Folder = target;
        R->Opts.CompressedExt = ".zip";
        R->Opts.UseCompression = true;
        R->File({"gone.txt"}, ReportCategory::UnMatched, target + "/", "8", archive);
        R->File({"Loaded.txt"}, ReportCategory::Added, target + "/", "10");
        R->Form.SetCompressed(ReportCategory::Added, true);

        for (ReportCategory page : {ReportCategory::UnMatched, ReportCategory::Added}) {
            R->Form.ShowPage(page);
            R->Form.Refresh();
            R->Form.List(page)->selectAll();
            R->Script.QueueAnswer(DialogResult::Yes);
            R->Form.Delete1->trigger();
            QVERIFY(R->Rows(page).isEmpty());
        }
        QCOMPARE(Test::EntriesOf(archive), std::string("keep.txt"));
        QCOMPARE(R->Tree.ReadFile("dst/gone.txt"), std::string("plain"));
        QCOMPARE(R->Tree.ReadFile("dst/Loaded.txt"), std::string("plain"));
        R->Engine.Hooks = nullptr;
    }

    void noListCommandDoesAnythingWhileARunIsActive()
    {
        R->File({"a.txt"}, ReportCategory::Added);
        R->ChooseFile(R->Tree.Path("Added.TXR"));
        R->Form.ChoosePrinter = [this](QPrinter&) {
            return ++R->DialogsShown, false;
        };
        QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
        const QFont font = R->Form.MemoAdded->font();

        R->State.SyncActive = true;
        for (QAction* command : {R->Form.LoadReport1,
                                 R->Form.SaveAs1,
                                 R->Form.Print1,
                                 R->Form.Copy1,
                                 R->Form.Copy2,
                                 R->Form.ClearList1,
                                 R->Form.ClearList2,
                                 R->Form.Font1}) {
            command->trigger();
        }
        QCOMPARE(R->DialogsShown, 0);
        QCOMPARE(R->Rows(ReportCategory::Added).size(), 1);
        QCOMPARE(R->Figures(ReportCategory::Added), QStringLiteral("1/100"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
        QCOMPARE(R->Form.MemoAdded->font(), font);

        // Once the run is over the same commands work.
        R->State.SyncActive = false;
        R->Form.Font1->trigger();
        QCOMPARE(R->Form.MemoDeletion->font().pointSize(), 15);
        R->Form.ClearList1->trigger();
        QCOMPARE(R->Figures(ReportCategory::Added), QStringLiteral("0/0"));
    }

    // The "Reporting" page, against the real options, configuration loader and reporter: each
    // check box is its option, clicked and shown; a run gives back only what the switches allow.
    void eachCheckBoxIsItsOptionAndARunGivesBackOnlyWhatItAllows()
    {
        QSignalSpy changed(&R->Page, &ReportingPage::OptionChanged);
        for (auto [name, field] : CheckOptions) {
            auto* check = R->Page.findChild<QCheckBox*>(QString::fromUtf8(name));
            const bool before = R->Opts.*field;
            QVERIFY2(check->isEnabled() && check->isChecked() == before, name);
            check->click();
            QVERIFY2(R->Opts.*field == !before && changed.count() == 1, name);
            check->click();
            QVERIFY2(R->Opts.*field == before, name);
            changed.clear();
        }

        Options& o = R->Opts;
        o.UseLogFile = o.ReportFileTimeCheck = o.ReportAddedFilesCheck = false;
        o.ReportPreLogOverwrite = true;
        o.ListUnMatchedFiles = false; // on in the rig
        o.LogFileName = "mine.txt";
        o.PreReportFileName = "before.txt";
        o.LogSize = 500;
        R->Page.ShowOptions();
        ReportingPage& page = R->Page;
        for (auto [name, field] : CheckOptions) {
            auto* check = page.findChild<QCheckBox*>(QString::fromUtf8(name));
            QVERIFY2(check->isChecked() == R->Opts.*field, name);
        }
        QCOMPARE(page.LogFileName->text(), QStringLiteral("mine.txt"));
        QCOMPARE(page.PreReportFileName->text(), QStringLiteral("before.txt"));
        QCOMPARE(page.MaxLogFileSize->text(), QStringLiteral("500"));
        // With the log off, what only the sync log uses is off too; the pre-sync report is a
        // log whatever the switch says.
        auto expectLogOffControls = [&page] {
            ExpectEnabled({page.LogFileName, page.ViewLog, page.ReportLogOverwrite, page.ReportFileSizeCheck},
                          false);
            ExpectEnabled(
                {page.UseLogFileCheck, page.PreReportFileName, page.ViewPreLog, page.MaxLogFileSize},
                true);
        };
        expectLogOffControls();
        // Showing what was loaded is not a change the user made.
        QCOMPARE(changed.count(), 0);

        // A run locks the controls and gives back only what the switches allow.
        page.EnableRunControls(false);
        ExpectEnabled({page.UseLogFileCheck,
                       page.PreReportFileName,
                       page.MaxLogFileSize,
                       page.ViewPreLog,
                       page.ReportIncludeOptions,
                       page.UseReportForm,
                       page.ListUnMatchedFiles,
                       page.DisplayReportFormButton},
                      false);
        page.EnableRunControls(true);
        expectLogOffControls();
        QVERIFY(page.DisplayReportFormButton->isEnabled());

        page.UseLogFileCheck->click();
        QVERIFY(R->Opts.UseLogFile);
        ExpectEnabled({page.ReportFileSizeCheck, page.ViewLog}, true);
    }

    void displayButtonShowsAndHidesTheWindowAndReportingOffHidesIt()
    {
        ReportingPage& page = R->Page;
        QSignalSpy shown(&page, &ReportingPage::ReportFormShownChanged);
        QSignalSpy available(&page, &ReportingPage::ReportFormAvailable);
        const QString display = QStringLiteral("Display &Reports");
        QCOMPARE(page.DisplayReportFormButton->text(), display);
        page.DisplayReportFormButton->click();
        QVERIFY(page.ReportForm()->isVisible());
        QCOMPARE(page.DisplayReportFormButton->text(), QStringLiteral("Hide &Reports"));
        page.DisplayReportFormButton->click();
        QVERIFY(!page.ReportForm()->isVisible());
        QCOMPARE(page.DisplayReportFormButton->text(), display);

        // Closed from the window itself, the button must not go on offering "Hide".
        page.DisplayReportFormButton->click();
        page.ReportForm()->Button1->click();
        QVERIFY(!page.ReportForm()->isVisible());
        QCOMPARE(page.DisplayReportFormButton->text(), display);
        QCOMPARE(shown.count(), 4);
        QCOMPARE(std::pair(shown.at(2).at(0).toBool(), shown.at(3).at(0).toBool()), std::pair(true, false));

        // Reporting off hides the window, keeps it hidden and disables its controls.
        page.DisplayReportFormButton->click();
        page.UseReportForm->click();
        QVERIFY(!R->Opts.UseReportForm);
        QVERIFY(!page.ReportForm()->isVisible());
        QCOMPARE(page.DisplayReportFormButton->text(), display);
        ExpectEnabled({page.ListUnMatchedFiles, page.DisplayReportFormButton}, false);
        QVERIFY(!page.JumpToReport(ReportCategory::Messages));
        QVERIFY(!page.ReportForm()->isVisible());
        QCOMPARE(available.last().at(0).toBool(), false);
        page.UseReportForm->click();
        ExpectEnabled({page.ListUnMatchedFiles, page.DisplayReportFormButton}, true);
        QVERIFY(!page.ReportForm()->isVisible());
        QCOMPARE(available.last().at(0).toBool(), true);
    }

    void windowShowsWhatARunFiled()
    {
        using enum ReportCategory;
        R->File({"first.txt"}, Added, "/data/docs/", "1000");
        R->File({"second.txt"}, Added, "/data/docs/", "234");
        R->File({"changed.doc"}, Updated, "/data/docs/", "4096");
        R->State.SyncActive = true;
        R->Reporter.AddMessage("Cannot copy first.txt");

        QVERIFY(R->Page.JumpToReport(Messages));
        TReportForm1* form = R->Page.ReportForm();
        QVERIFY(form->isVisible());
        QCOMPARE(form->TabbedNotebook1->currentIndex(), 4);
        // Messages are counted but have no size.
        QCOMPARE(form->ItemCount(Messages)->text(), QStringLiteral("1"));
        QVERIFY(form->FileSizeTotal(Messages)->isHidden());

        // Lines filed while the window is open show up without anyone asking.
        R->Reporter.AddReportEntry({"third.txt", "/data/docs/", "6", "7/22/97 10:01:44 AM", "Add", Added});
        QTRY_COMPARE(form->MemoAdded->model()->rowCount(), 3);
        QCOMPARE(R->Figures(Added), QStringLiteral("3/1240"));

        // An unchanged list is not shown anew (that would drop the user's selection).
        QSignalSpy reset(form->MemoUpdated->model(), &QAbstractItemModel::modelReset);
        form->Refresh();
        form->Refresh();
        QCOMPARE(reset.count(), 0);

        // The view reads the list where it lies, one row at a time: a line changed in place (same
        // count, before any refresh) is what the model answers, which a copy could not do.
        QVERIFY(form->MemoAdded->uniformItemSizes());
        R->Reporter.Lists().List(Added).RemoveAt(0);
        R->Reporter.Lists().List(Added).Insert(0, "replaced line");
        QCOMPARE(R->Rows(Added).front(), QStringLiteral("replaced line"));

        R->Reporter.ClearReports();
        form->Refresh();
        QCOMPARE(form->MemoAdded->model()->rowCount(), 0);
        QCOMPARE(form->FileSizeTotal(Added)->text(), QStringLiteral("0"));
        R->State.SyncActive = false;
    }

    // A log trimmed at load is explained until a run writes it again; typed log names and the
    // size reach the options.
    void aTrimmedLogIsExplainedAndTypedLogNamesReachTheOptions()
    {
        const std::string note = R->Page.NoteLogTrimmed({"Tandemix.Log", 123456});
        QVERIFY2(note.starts_with("Tandemix.Log had grown to 123456 bytes"), note.c_str());
        QCOMPARE(R->Page.ViewLog->toolTip(), QString::fromStdString(note));
        QVERIFY(R->Page.ViewPreLog->toolTip().isEmpty());
        R->Script.QueueAnswer(DialogResult::Ok);
        R->Page.ViewLog->click();
        QCOMPARE(R->Script.Questions.front().Text, note);

        R->Home.Write("Tandemix.Log", "\r\n=====\r\n"); // the next run's log
        R->Page.ShowLogNames();
        QVERIFY(R->Page.ViewLog->toolTip().isEmpty());

        ReportingPage& page = R->Page;
        page.LogFileName->clear();
        QTest::keyClicks(page.LogFileName, QStringLiteral("mylog.txt"));
        QCOMPARE(R->Opts.LogFileName, std::string("mylog.txt"));
        page.PreReportFileName->clear();
        QTest::keyClicks(page.PreReportFileName, QStringLiteral("ahead"));
        QCOMPARE(R->Opts.PreReportFileName, std::string("ahead"));

        // A run opens the log under its ".Log" name; the page shows that name afterwards.
        R->Reporter.WriteLogFile("", LogKind::OpenSyncLog);
        R->Reporter.WriteLogFile("", LogKind::CloseSyncLog);
        page.ShowLogNames();
        QCOMPARE(page.LogFileName->text(), QStringLiteral("mylog.Log"));

        page.MaxLogFileSize->clear();
        QTest::keyClicks(page.MaxLogFileSize, QStringLiteral("-12x5"));
        QCOMPARE(page.MaxLogFileSize->text(), QStringLiteral("125"));
        QCOMPARE(R->Opts.LogSize, 125);
        page.MaxLogFileSize->selectAll();
        QTest::keyClick(page.MaxLogFileSize, Qt::Key_Backspace);
        QCOMPARE(R->Opts.LogSize, 0);
        emit page.MaxLogFileSize->editingFinished();
        QCOMPARE(page.MaxLogFileSize->text(), QStringLiteral("0"));
    }

    void viewingALog_data()
    {
        QTest::addColumn<bool>("preSync");
        QTest::addColumn<bool>("logExists");
        QTest::addColumn<bool>("viewerInstalled");
        QTest::addColumn<QString>("editor"); // EDITOR, with no terminal program to run it in
        QTest::addColumn<QString>("question"); // empty: none asked
        const QString noLog = QStringLiteral("There is no log file yet: ");
        QTest::newRow("no log yet") << false << false << true << QString() << noLog;
        QTest::newRow("pre-sync log shown") << true << true << true << QString() << QString();
        QTest::newRow("nothing can show it")
            << false << true << false << QString()
            << QStringLiteral("Nothing on this computer can show the log file");
        QTest::newRow("an editor but no terminal")
            << false << true << false << QStringLiteral("vi")
            << QStringLiteral("The editor named in VISUAL or EDITOR needs a terminal");
    }
    void viewingALog()
    {
        QFETCH(bool, preSync);
        QFETCH(bool, logExists);
        QFETCH(bool, viewerInstalled);
        QFETCH(QString, editor);
        QFETCH(QString, question);
        // The only viewer on offer writes down which file it was asked to show.
        const std::string bin = R->Home.Path("bin");
        const std::string marker = R->Home.Path("viewer-was-started");
        std::filesystem::create_directories(bin);
        if (viewerInstalled) {
            std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > '" << marker << "'\n";
            std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
        }
        ScopedEnv path("PATH", bin);
        ScopedEnv visual("VISUAL", std::nullopt);
        ScopedEnv editorEnv("EDITOR", editor.isEmpty() ? std::nullopt : std::optional(editor.toStdString()));
        const char* logName = preSync ? "PreSync.Log" : "Tandemix.Log";
        const std::string log = R->Home.Path(logName);
        if (logExists) {
            R->Home.Write(logName, "\r\n=====\r\n");
        }
        if (!question.isEmpty()) {
            R->Script.QueueAnswer(DialogResult::Ok);
        }

        (preSync ? R->Page.ViewPreLog : R->Page.ViewLog)->click();

        if (question.isEmpty()) {
            QTRY_COMPARE(QString::fromStdString(R->Home.Read("viewer-was-started")),
                         QString::fromStdString(log));
        } else {
            const auto& asked = R->Script.Questions.front();
            QCOMPARE(asked.Buttons, DialogButtons::Ok);
            QVERIFY2(QString::fromStdString(asked.Text).startsWith(question), asked.Text.c_str());
            QVERIFY2(asked.Text.find(log) != std::string::npos, asked.Text.c_str());
        }
    }
};

QTEST_MAIN(TestReportWindow)
#include "TestReportWindow.moc"
