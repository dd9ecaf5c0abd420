// SPDX-License-Identifier: GPL-3.0-or-later
// The main window frame driven as a user drives it, with questions answered by a script.
#include "engine/BusySection.h"
#include "engine/ui/FileOptionsPage.h"
#include "filemanager/ui/FolderPanes.h"
#include "reporting/ui/ReportListsView.h"
#include "reporting/ui/ReportingPage.h"
#include "ui/support/WindowRig.h"

#include <algorithm>
#include <filesystem>

using namespace Tandemix;

class TestMainfrm3 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::WindowRig> R;

private slots:
    void init() { R = std::make_unique<Test::WindowRig>(); }
    void cleanup() { R.reset(); }

    void startsReadyClearsTheStaleTempFolderAndShowsCustomText()
    {
        std::filesystem::create_directories(R->Home.Path("TXTEMP00/old"));
        R->Home.Write("TXTEMP00/old/a.zip", "zip");
        TMainSyncForm* form = R->Open();
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Ready"));
        QVERIFY(!form->StopButton->isEnabled() && !form->SkipFileButton->isEnabled());
        QVERIFY(!std::filesystem::exists(R->Home.Path("TXTEMP00/old")));
        QVERIFY(R->Script.Questions.empty()); // the leftovers go without a dialog
        QVERIFY(!form->mnuCustom0->isVisible() && !form->mnuCustom1->isVisible());

        R->Home.Write("Custom1.TXT", "Site Notes\r\nBack up on Fridays\r\n");
        form = R->Open();
        QVERIFY(form->mnuCustom1->isVisible());
        QCOMPARE(form->mnuCustom1->text(), QStringLiteral("Site Notes"));
    }

    void captionsAreTheirOwnAndALogTrimmedAtStartIsTold()
    {
        R->Home.Write("TXDef.CFG", "[Report Options]\r\nLogSize=100\r\n");
        R->Home.Write("Tandemix.Log", std::string(500, 'x'));
        TMainSyncForm* form = R->Open();
        QCOMPARE(form->windowTitle(), QStringLiteral("Tandemix v4.0.2 for Win95/NT"));
        QCOMPARE(form->Reports->ReportForm()->windowTitle(),
                 QStringLiteral("Tandemix - Expanded Reporting Screen"));
        QVERIFY2(form->StatusPanel->text().startsWith(QStringLiteral("Tandemix.Log had grown to 500 bytes")),
                 qPrintable(form->StatusPanel->text()));
        QVERIFY(!std::filesystem::exists(R->Home.Path("Tandemix.Log")));
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
        auto days = std::find_if(labels.begin(), labels.end(), [](QLabel* label) {
            return label->text() == QStringLiteral("days");
        });
        QVERIFY(days != labels.end());
        QLineEdit* count = form->FileOptions->PastDaysCount;
        QVERIFY((*days)->mapTo(form, QPoint()).x() - count->mapTo(form, QPoint(count->width(), 0)).x() < 20);
    }

    // Stop asks at the poll; Exit asks only while a run goes on.
    void stopAndExitAsk()
    {
        TMainSyncForm* form = R->Open();
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
            QCOMPARE(R->Script.Questions.size(), size_t(2));
        }
        form->CloseButton->click();
        QVERIFY(!form->isVisible());
        QCOMPARE(R->Script.Questions.size(), size_t(2));
    }

    // The seconds come from the run's clock, set here by hand; the window's timer only asks.
    void elapsedTimeRunsDuringATimedOperation()
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
    }

    void optionsSurviveARestartUnlessSaveOnExitIsOff()
    {
        TMainSyncForm* form = R->Open();
        QVERIFY(form->SaveSettingsOnExit1->isChecked());
        form->DisplayMessages->setChecked(false);
        form->FileOptions->IncludeString->setEditText(QStringLiteral("*.txt;*.doc"));
        form->FileOptions->CheckHidden->setChecked(false);
        form->CloseButton->click();

        form = R->Open();
        QVERIFY(!form->DisplayMessages->isChecked() && !form->Opts().DisplayMessages);
        QCOMPARE(form->FileOptions->IncludeString->currentText(), QStringLiteral("*.txt;*.doc"));
        QVERIFY(!form->FileOptions->CheckHidden->isChecked());

        std::filesystem::remove(R->Home.Path("TXDef.CFG"));
        form->SaveSettingsOnExit1->setChecked(false);
        form->CloseButton->click();
        QVERIFY(!std::filesystem::exists(R->Home.Path("TXDef.CFG")));
    }
};

QTEST_MAIN(TestMainfrm3)
#include "TestMainfrm3.moc"
