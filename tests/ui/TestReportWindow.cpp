// SPDX-License-Identifier: GPL-3.0-or-later
// The report window's commands, driven through its menus as a user drives them, with the file,
// print and font dialogs answered by the test and its questions by the scripted host.
#include "compression/CompressedSync.h"
#include "reporting/ui/ReportListsView.h"
#include "support/TempTree.h"
#include "ui/support/ReportingRig.h"

#include <QPrinter>
#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace Tandemix;

namespace {

struct Rig : Test::ReportingRig
{
    TempTree Tree;
    TReportForm1& Form = *Page.ReportForm();
    int DialogsShown = 0;

    Rig()
    {
        Opts.ListUnMatchedFiles = true;
        Form.ChooseFont = [this](const QFont&) {
            ++DialogsShown;
            return std::optional<QFont>(QFont(QStringLiteral("Monospace"), 15));
        };
    }

    // Lines as a run files them, newest on top.
    void File(std::initializer_list<const char*> names,
              ReportCategory category,
              const std::string& folder = "/data/docs/",
              const char* size = "100")
    {
        State.SyncActive = true;
        for (const char* name : names) {
            Reporter.AddReportEntry({name, folder, size, "7/22/97 10:01:44 AM", "Add", category});
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
    QStringList Rows(ReportCategory category) const
    {
        QStringList rows;
        QAbstractItemModel* model = Form.List(category)->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            rows << model->index(row, 0).data().toString();
        }
        return rows;
    }
    QString Figures(ReportCategory category) const
    {
        return Form.ItemCount(category)->text() + QLatin1Char('/') + Form.FileSizeTotal(category)->text();
    }
};

// python3's zipfile: archives made and read back outside our code. Its output, trimmed.
QString Python(const char* script, std::initializer_list<std::string> args)
{
    QStringList argv{QStringLiteral("-c"),
                     QStringLiteral("import sys, zipfile\n") + QString::fromUtf8(script)};
    for (const std::string& arg : args) {
        argv << QString::fromStdString(arg);
    }
    QProcess python;
    python.start(QStringLiteral("python3"), argv);
    python.waitForFinished();
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed();
}

} // namespace

class TestReportWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Rig> R;

private slots:
    void init() { R = std::make_unique<Rig>(); }
    void cleanup()
    {
        QVERIFY(R->Script.Unexpected.empty());
        R.reset();
    }

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
        QCOMPARE(R->Script.Questions.back().Text,
                 "Are you sure you want to replace the Updated report listing?");
        QVERIFY(R->Rows(Updated).size() == 1 && R->Rows(Updated).front().startsWith(QStringLiteral("other")));
        QCOMPARE(R->Figures(Updated), QStringLiteral("1/100"));
        QVERIFY(!R->Form.Compressed(Updated));

        R->Script.QueueAnswer(DialogResult::Yes);
        R->Form.LoadReport1->trigger();
        QCOMPARE(R->Rows(Updated), saved);
        QCOMPARE(R->Figures(Updated), QStringLiteral("2/200"));
        QVERIFY(R->Form.Compressed(Updated));
        QCOMPARE(R->Form.ItemCount(Updated)->palette().color(QPalette::WindowText), QColor(Qt::red));

        // A file that cannot be read is said, and the list keeps its lines.
        R->ChooseFile(R->Tree.Path("missing.TXR"));
        R->Script.QueueAnswer(DialogResult::Ok);
        R->Form.LoadReport1->trigger();
        QCOMPARE(R->Script.Questions.back().Text, "File Load Error: " + R->Tree.Path("missing.TXR") + "!");
        QCOMPARE(R->Rows(Updated), saved);

        // An unmatched list loads without the warning meant for a user's visit to its page.
        R->Opts.ListUnMatchedFiles = false;
        R->Tree.AddFile("u.TXR", std::string_view("UnMatched\td\t1\t5\t\r\nloaded\r\n"));
        R->ChooseFile(R->Tree.Path("u.TXR"));
        R->Script.QueueAnswer(DialogResult::Yes);
        R->Form.LoadReport1->trigger();
        QCOMPARE(R->Rows(UnMatched), QStringList{QStringLiteral("loaded")});
        QCOMPARE(R->Figures(UnMatched), QStringLiteral("1/5"));
        QVERIFY(R->Reporter.Lists().UnmatchedItems().empty());
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

    void deleteIsOfferedOnlyWhereLinesNameFilesAndTheUnMatchedPageWarnsWhenNotListed()
    {
        const bool offered[] = {true, true, false, true, false, false};
        for (int page = 0; page < 6; ++page) {
            R->Form.ShowPage(static_cast<ReportCategory>(page));
            QCOMPARE(std::pair(R->Form.Delete1->isEnabled(), R->Form.Delete2->isEnabled()),
                     std::pair(offered[page], offered[page]));
        }
        QVERIFY(R->Script.Questions.empty());

        R->Opts.ListUnMatchedFiles = false;
        R->Script.QueueAnswer(DialogResult::Ok);
        R->Form.TabbedNotebook1->setCurrentIndex(3);
        QCOMPARE(R->Script.Questions.size(), 1u);
        QVERIFY(
            R->Script.Questions[0].Text.starts_with("You must enable the \"List UnMatched Target Files\""));
        QCOMPARE(R->Form.CurrentPage(), ReportCategory::UnMatched);
    }

    // Delete takes the files the selected lines name from the target, and only from there; a
    // selection holding a line that cannot be read back whole deletes nothing at all.
    void deleteTakesTheSelectedFilesFromTheTargetAndNeverActsOnHalfASelection()
    {
        const std::string target = R->Tree.AddFolder("dst");
        R->Tree.AddFile("dst/copied.txt", "c");
        R->Tree.AddFile("dst/kept.txt", "k");
        R->Tree.AddFile("elsewhere/other.txt", "o");
        R->Engine.Target.Folder = target;
        R->File({"copied.txt", "kept.txt"}, ReportCategory::Added, target + "/");
        R->File({"other.txt"}, ReportCategory::Added, R->Tree.Path("elsewhere") + "/");
        R->Form.ShowPage(ReportCategory::Added);
        QListView* list = R->Form.List(ReportCategory::Added);
        auto select = [&](const QString& name) {
            for (int row = 0; row < list->model()->rowCount(); ++row) {
                if (list->model()->index(row, 0).data().toString().startsWith(name)) {
                    list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select);
                }
            }
        };
        select(QStringLiteral("copied.txt"));
        select(QStringLiteral("other.txt"));
        R->Script.QueueAnswer(DialogResult::Yes);
        R->Script.QueueAnswer(DialogResult::Ok); // "lies outside the target"
        R->Form.Delete1->trigger();
        QVERIFY(!R->Tree.Exists("dst/copied.txt"));
        QVERIFY(R->Tree.Exists("dst/kept.txt"));
        QVERIFY(R->Tree.Exists("elsewhere/other.txt")); // outside the target on screen
        QCOMPARE(R->Rows(ReportCategory::Added).size(), 2);

        // A name holding a TAB: its fields shift, so the whole selection stays.
        R->File({"odd\tname.txt"}, ReportCategory::Added, target + "/");
        list->clearSelection();
        select(QStringLiteral("kept.txt"));
        select(QStringLiteral("odd"));
        R->Script.QueueAnswer(DialogResult::Yes);
        R->Script.QueueAnswer(DialogResult::Ok);
        R->Form.Delete1->trigger();
        QVERIFY(R->Tree.Exists("dst/kept.txt"));
        QVERIFY(R->Script.Questions.back().Text.starts_with("Nothing was deleted"));
    }

    // On a compressed list Delete takes the entries from the folder's archive: the run's own
    // unmatched entry, and a line of the list read back. Files of those names beside the archive
    // stay, and so does every other entry.
    void deleteOnACompressedListTakesTheEntriesFromTheArchiveOnly()
    {
        const std::string target = R->Tree.AddFolder("dst");
        const std::string archive = target + "/dst.zip";
        Python("with zipfile.ZipFile(sys.argv[1], 'w') as z:\n    for n in sys.argv[2:]: z.writestr(n, n)",
               {archive, "gone.txt", "Loaded.txt", "keep.txt"});
        R->Tree.AddFile("dst/gone.txt", "plain");
        R->Tree.AddFile("dst/Loaded.txt", "plain");
        CompressionHooks zip{R->Reporter.Lists()};
        zip.ZipControl.LibraryFolders = {TANDEMIX_ZIPLIBS_DIR};
        R->Engine.Hooks = &zip;
        R->Engine.Target.Folder = target;
        R->Opts.CompressedExt = ".zip";
        R->Opts.UseCompression = true;
        R->State.SyncActive = true;
        R->Reporter.AddReportEntry({.Name = "gone.txt",
                                    .Path = target + "/",
                                    .SizeText = "8",
                                    .Detail = "7/22/97 10:01:44 AM",
                                    .Kind = "UnMatched Files",
                                    .Category = ReportCategory::UnMatched,
                                    .Archive = archive});
        R->State.SyncActive = false;
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
        QCOMPARE(Python("print(zipfile.ZipFile(sys.argv[1]).namelist())", {archive}),
                 QStringLiteral("['keep.txt']"));
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
};

QTEST_MAIN(TestReportWindow)
#include "TestReportWindow.moc"
