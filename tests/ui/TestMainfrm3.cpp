// SPDX-License-Identifier: GPL-3.0-or-later
// The main window frame driven as a user drives it, with questions answered by a script.
#include "engine/BusySection.h"
#include "engine/ui/FileOptionsPage.h"
#include "ui/support/WindowRig.h"

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
        QCOMPARE(form->TabSet2->count() + 1, form->Notebook2->count()); // the decision grid has no tab
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Ready"));
        QVERIFY(!form->StopButton->isEnabled() && !form->SkipFileButton->isEnabled());
        QVERIFY(!std::filesystem::exists(R->Home.Path("TXTEMP00/old")));
        QVERIFY(R->Script.Questions.empty()); // the leftovers go without a dialog
        QVERIFY(form->Opts().DisplayMessages && form->DisplayMessages->isChecked());
        QVERIFY(!form->mnuCustom0->isVisible() && !form->mnuCustom1->isVisible());

        R->Home.Write("Custom1.TXT", "Site Notes\r\nBack up on Fridays\r\n");
        form = R->Open();
        QVERIFY(form->mnuCustom1->isVisible());
        QCOMPARE(form->mnuCustom1->text(), QStringLiteral("Site Notes"));
    }

    void stopAsksAtThePoll()
    {
        TMainSyncForm* form = R->Open();
        BusySection busy(form->State());
        R->Script.QueueAnswer(DialogResult::Yes);
        QTest::mouseClick(form->StopButton, Qt::LeftButton);
        QCOMPARE(form->State().OperationState, 1); // nothing happens before the poll
        QVERIFY(form->State().CheckForStop() > 0);
        QCOMPARE(R->Script.Questions.size(), size_t(1));
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Stopping..... Please Wait!"));
        form->State().OperationState = 0;
    }

    void exitAsksOnlyWhileRunning()
    {
        TMainSyncForm* form = R->Open();
        form->State().SetCursor(-11);
        R->Script.QueueAnswer(DialogResult::No);
        form->Exit1->trigger();
        QVERIFY(form->isVisible());
        QCOMPARE(form->State().OperationState, 0);
        QCOMPARE(R->Script.Questions.size(), size_t(1));

        form->State().SetCursor(0);
        form->CloseButton->click();
        QVERIFY(!form->isVisible());
        QCOMPARE(R->Script.Questions.size(), size_t(1));
    }

    // The seconds come from the run's clock, set here by hand; the window's timer only asks.
    void elapsedTimeRunsDuringATimedOperation()
    {
        TMainSyncForm* form = R->Open();
        RunState::Clock::time_point now{};
        form->State().SetClock([&now] { return now; });
        form->State().StartTimingEvent();
        QCOMPARE(form->ElapsedTime->text(), QStringLiteral("0:00:00"));
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Working....."));
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
