// SPDX-License-Identifier: GPL-3.0-or-later
// The "Reporting" page and the report window, driven as a user drives them, against the real
// options, configuration loader and reporter.
#include "reporting/ui/ReportListsView.h"
#include "settings/OptionRules.h"
#include "support/TempTree.h"
#include "ui/support/ReportingRig.h"

#include <QtTest>
#include <QtWidgets>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace Tandemix;

namespace {

struct Rig : Test::ReportingRig
{
    // A line as a run files it: name, folder, size, date, kind.
    void File(const char* name, const char* size, const char* kind, ReportCategory category)
    {
        Reporter.AddReportEntry({name, "/data/docs", size, "7/22/97 10:01:44 AM", kind, category});
    }
};

struct CheckOption
{
    const char* Name;
    bool Options::*Field;
};

constexpr CheckOption CheckOptions[] = {
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

// Each widget by name, so a failure says which one is wrong.
void ExpectEnabled(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* widget : widgets) {
        QVERIFY2(widget->isEnabled() == enabled, qPrintable(widget->objectName()));
    }
}

QString Row(QListView* view, int row)
{
    return view->model()->index(row, 0).data().toString();
}

} // namespace

class TestReportingPage : public QObject
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

    void clickingACheckBoxChangesItsOption()
    {
        QSignalSpy changed(&R->Page, &ReportingPage::OptionChanged);
        for (const CheckOption& option : CheckOptions) {
            auto* check = R->Page.findChild<QCheckBox*>(QString::fromUtf8(option.Name));
            const bool before = R->Opts.*option.Field;
            QVERIFY2(check->isEnabled() && check->isChecked() == before, option.Name);
            check->click();
            QVERIFY2(R->Opts.*option.Field == !before && changed.count() == 1, option.Name);
            check->click();
            QVERIFY2(R->Opts.*option.Field == before, option.Name);
            changed.clear();
        }
    }

    void showOptionsShowsTheOptionsAndARunGivesBackOnlyWhatItAllows()
    {
        Options& o = R->Opts;
        o.UseLogFile = o.ReportFileTimeCheck = o.ReportAddedFilesCheck = false;
        o.ReportPreLogOverwrite = o.ListUnMatchedFiles = true;
        o.LogFileName = "mine.txt";
        o.PreReportFileName = "before.txt";
        o.LogSize = 500;
        QSignalSpy changed(&R->Page, &ReportingPage::OptionChanged);

        R->Page.ShowOptions();
        ReportingPage& page = R->Page;
        for (const CheckOption& option : CheckOptions) {
            auto* check = page.findChild<QCheckBox*>(QString::fromUtf8(option.Name));
            QVERIFY2(check->isChecked() == R->Opts.*option.Field, option.Name);
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

    void typedLogNamesAndSizeReachTheOptions()
    {
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
        QCOMPARE(shown.at(2).at(0).toBool(), true);
        QCOMPARE(shown.at(3).at(0).toBool(), false);

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

    void deletingUnmatchedLocksReportingOn()
    {
        R->Opts.UseReportForm = false;
        SetDeleteUnmatched(R->Opts, true);
        R->Page.ShowOptions();
        QVERIFY(R->Page.UseReportForm->isChecked());
        QVERIFY(R->Page.ListUnMatchedFiles->isChecked());
        ExpectEnabled({R->Page.UseReportForm, R->Page.ListUnMatchedFiles}, false);
        QVERIFY(R->Page.DisplayReportFormButton->isEnabled());

        SetDeleteUnmatched(R->Opts, false);
        R->Page.EnableReportControls();
        ExpectEnabled({R->Page.UseReportForm, R->Page.ListUnMatchedFiles}, true);
    }

    void windowShowsWhatARunFiled()
    {
        R->Opts.ListUnMatchedFiles = true;
        R->State.SyncActive = true;
        R->File("first.txt", "1000", "Add", ReportCategory::Added);
        R->File("second.txt", "234", "Add", ReportCategory::Added);
        R->File("changed.doc", "4096", "Update", ReportCategory::Updated);
        R->File("extra.txt", "10", "UnMatched Files", ReportCategory::UnMatched);
        R->Reporter.AddMessage("Cannot copy first.txt");
        R->Reporter.AddMessage("-----");

        QVERIFY(R->Page.JumpToReport(ReportCategory::Messages));
        TReportForm1* form = R->Page.ReportForm();
        QVERIFY(form->isVisible());
        QCOMPARE(form->TabbedNotebook1->currentIndex(), 4);
        QVERIFY(Row(form->MemoAdded, 0).startsWith(QStringLiteral("second.txt ")));
        // Each page's count and size total; a separator is listed but not counted, messages have
        // no size.
        const std::pair<ReportCategory, const char*> totals[] = {{ReportCategory::Added, "1234"},
                                                                 {ReportCategory::Updated, "4096"},
                                                                 {ReportCategory::UnMatched, "10"}};
        for (const auto& [category, total] : totals) {
            QCOMPARE(form->ItemCount(category)->text(), QString::number(R->Reporter.Lists().Count(category)));
            QCOMPARE(form->FileSizeTotal(category)->text(), QString::fromUtf8(total));
        }
        QCOMPARE(form->ItemCount(ReportCategory::Messages)->text(), QStringLiteral("1"));
        QVERIFY(form->FileSizeTotal(ReportCategory::Messages)->isHidden());

        // Lines filed while the window is open show up without anyone asking.
        R->File("third.txt", "6", "Add", ReportCategory::Added);
        QTRY_COMPARE(form->MemoAdded->model()->rowCount(), 3);
        QCOMPARE(form->ItemCount(ReportCategory::Added)->text(), QStringLiteral("3"));
        QCOMPARE(form->FileSizeTotal(ReportCategory::Added)->text(), QStringLiteral("1240"));

        // An unchanged list is not shown anew (that would drop the user's selection).
        QSignalSpy reset(form->MemoUpdated->model(), &QAbstractItemModel::modelReset);
        form->Refresh();
        form->Refresh();
        QCOMPARE(reset.count(), 0);

        // The view reads the list where it lies, one row at a time: a line changed in place (same
        // count, before any refresh) is what the model answers, which a copy could not do.
        QVERIFY(form->MemoAdded->uniformItemSizes());
        R->Reporter.Lists().List(ReportCategory::Added).RemoveAt(0);
        R->Reporter.Lists().List(ReportCategory::Added).Insert(0, "replaced line");
        QCOMPARE(Row(form->MemoAdded, 0), QStringLiteral("replaced line"));

        R->Reporter.ClearReports();
        form->Refresh();
        QCOMPARE(form->MemoAdded->model()->rowCount(), 0);
        QCOMPARE(form->FileSizeTotal(ReportCategory::Added)->text(), QStringLiteral("0"));
        R->State.SyncActive = false;
    }

    void aLogTrimmedAtLoadIsExplainedUntilARunWritesItAgain()
    {
        const std::string note = R->Page.NoteLogTrimmed({"Tandemix.Log", 123456});
        QVERIFY2(note.starts_with("Tandemix.Log had grown to 123456 bytes"), note.c_str());
        QCOMPARE(R->Page.ViewLog->toolTip(), QString::fromStdString(note));
        QVERIFY(R->Page.ViewPreLog->toolTip().isEmpty());
        R->Script.QueueAnswer(DialogResult::Ok);
        R->Page.ViewLog->click();
        QCOMPARE(R->Script.Questions.size(), std::size_t{1});
        QCOMPARE(R->Script.Questions.front().Text, note);

        R->Home.Write("Tandemix.Log", "\r\n=====\r\n"); // the next run's log
        R->Page.ShowLogNames();
        QVERIFY(R->Page.ViewLog->toolTip().isEmpty());
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
        QTest::newRow("log shown") << false << true << true << QString() << QString();
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
        ScopedEnv editorVariable("EDITOR",
                                 editor.isEmpty() ? std::nullopt
                                                  : std::optional<std::string>(editor.toStdString()));
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
            QVERIFY(R->Script.Questions.empty());
            QTRY_COMPARE(QString::fromStdString(R->Home.Read("viewer-was-started")),
                         QString::fromStdString(log));
        } else {
            QCOMPARE(R->Script.Questions.size(), std::size_t{1});
            const auto& asked = R->Script.Questions.front();
            QCOMPARE(asked.Buttons, DialogButtons::Ok);
            QVERIFY2(QString::fromStdString(asked.Text).startsWith(question), asked.Text.c_str());
            QVERIFY2(asked.Text.find(log) != std::string::npos, asked.Text.c_str());
        }
    }
};

QTEST_MAIN(TestReportingPage)
#include "TestReportingPage.moc"
