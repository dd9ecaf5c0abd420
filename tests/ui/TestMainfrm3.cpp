// SPDX-License-Identifier: GPL-3.0-or-later
// The main window frame driven as a user drives it, with questions answered by a script.
#include "app/StartUp.h"
#include "app/ui/Mainfrm3.h"
#include "engine/BusySection.h"
#include "engine/ui/FileOptionsPage.h"
#include "support/ScriptedHost.h"
#include "support/TempHome.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <memory>

using namespace Tandemix;

class TestMainfrm3 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::TempHome> Home;
    Test::ScriptedHost Script;

    std::unique_ptr<TMainSyncForm> MakeForm()
    {
        auto form = std::make_unique<TMainSyncForm>(Home->Folder());
        form->HostSeam().RouteQuestionsTo(&Script);
        return form;
    }

private slots:
    void init()
    {
        Home = std::make_unique<Test::TempHome>();
        Script = Test::ScriptedHost();
    }
    void cleanup() { Home.reset(); }

    void showsTitleTabsAndReady()
    {
        auto form = MakeForm();
        form->show();
        QCOMPARE(form->windowTitle(), QStringLiteral("Tandemix v4.0.2 for Win95/NT"));
        QCOMPARE(form->TabSet2->count() + 1, form->Notebook2->count()); // the decision grid has no tab
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Ready"));
        QVERIFY(!form->StopButton->isEnabled());
        QVERIFY(!form->SkipFileButton->isEnabled());
    }

    void staleTempFolderIsGoneWithoutADialog()
    {
        std::filesystem::create_directories(Home->Path("TXTEMP00/old"));
        Home->Write("TXTEMP00/old/a.zip", "zip");
        auto form = MakeForm();
        QVERIFY(!std::filesystem::exists(Home->Path("TXTEMP00/old")));
        QVERIFY(Script.Questions.empty());
        QVERIFY(form->Opts().DisplayMessages);
        QVERIFY(form->DisplayMessages->isChecked());
    }

    void customTextItemsFollowTheFile()
    {
        {
            auto form = MakeForm();
            form->show();
            QVERIFY(!form->mnuCustom0->isVisible());
            QVERIFY(!form->mnuCustom1->isVisible());
        }
        Home->Write("Custom1.TXT", "Site Notes\r\nBack up on Fridays\r\n");
        auto form = MakeForm();
        form->show();
        QVERIFY(form->mnuCustom1->isVisible());
        QCOMPARE(form->mnuCustom1->text(), QStringLiteral("Site Notes"));
    }

    void stopButtonFollowsNestedBusySections()
    {
        auto form = MakeForm();
        form->show();
        {
            BusySection outer(form->State());
            QVERIFY(form->StopButton->isEnabled());
            {
                BusySection inner(form->State());
            }
            QVERIFY(form->StopButton->isEnabled());
        }
        QVERIFY(!form->StopButton->isEnabled());
    }

    void stopClickDuringAnOperationAsksAtThePoll()
    {
        auto form = MakeForm();
        form->show();
        BusySection busy(form->State());
        Script.QueueAnswer(DialogResult::Yes);
        QTest::mouseClick(form->StopButton, Qt::LeftButton);
        QCOMPARE(form->State().OperationState, 1); // nothing happens before the poll
        QVERIFY(form->State().CheckForStop() > 0);
        QCOMPARE(Script.Questions.size(), size_t(1));
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Stopping..... Please Wait!"));
        form->State().OperationState = 0;
    }

    void exitAsksOnlyWhileRunning()
    {
        auto form = MakeForm();
        form->show();
        form->State().SetCursor(-11);
        Script.QueueAnswer(DialogResult::No);
        form->Exit1->trigger();
        QVERIFY(form->isVisible());
        QCOMPARE(form->State().OperationState, 0);
        QCOMPARE(Script.Questions.size(), size_t(1));

        form->State().SetCursor(0);
        form->CloseButton->click();
        QVERIFY(!form->isVisible());
        QCOMPARE(Script.Questions.size(), size_t(1));
    }

    void elapsedTimeRunsDuringATimedOperation()
    {
        auto form = MakeForm();
        form->show();
        form->State().StartTimingEvent();
        QCOMPARE(form->ElapsedTime->text(), QStringLiteral("0:00:00"));
        QCOMPARE(form->StatusPanel->text(), QStringLiteral("Working....."));
        QVERIFY(form->Timer2->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(form->ElapsedTime->text(), QStringLiteral("0:00:01"), 2500);
        form->State().StopTiming();
        QVERIFY(!form->Timer2->isActive());
    }

    void optionsSurviveARestart()
    {
        {
            auto form = MakeForm();
            form->show();
            QVERIFY(form->SaveSettingsOnExit1->isChecked());
            form->DisplayMessages->setChecked(false);
            form->FileOptions->IncludeString->setEditText(QStringLiteral("*.txt;*.doc"));
            form->FileOptions->CheckHidden->setChecked(false);
            form->CloseButton->click();
        }
        QVERIFY(std::filesystem::exists(Home->Path("TXDef.CFG")));
        auto form = MakeForm();
        form->show();
        QVERIFY(!form->DisplayMessages->isChecked());
        QVERIFY(!form->Opts().DisplayMessages);
        QCOMPARE(form->FileOptions->IncludeString->currentText(), QStringLiteral("*.txt;*.doc"));
        QVERIFY(!form->FileOptions->CheckHidden->isChecked());
    }

    void noSaveWhenSaveOnExitIsOff()
    {
        auto form = MakeForm();
        form->show();
        form->SaveSettingsOnExit1->setChecked(false);
        form->CloseButton->click();
        QVERIFY(!std::filesystem::exists(Home->Path("TXDef.CFG")));
    }
};

QTEST_MAIN(TestMainfrm3)
#include "TestMainfrm3.moc"
