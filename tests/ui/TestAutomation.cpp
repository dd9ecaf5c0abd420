// SPDX-License-Identifier: GPL-3.0-or-later
// The "Pro Options" automation controls, the countdown before an automatic run, the tray icon
// and its menu, and the administrator password's entry dialog, driven as a user drives them.
#include "app/ui/PassWrd1.h"
#include "app/ui/TrayIcon.h"
#include "automation/ui/DelTimer.h"
#include "automation/ui/ProOptionsPage.h"
#include "filemanager/ui/FolderPanes.h"
#include "ui/support/WindowRig.h"

using namespace Tandemix;

class TestAutomation : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Test::WindowRig> R;
    TMainSyncForm* Form = nullptr;

private slots:
    void init()
    {
        R = std::make_unique<Test::WindowRig>();
        Form = R->Open();
    }
    void cleanup() { R.reset(); }

    void theScheduleAndThePollingExcludeEachOther()
    {
        ProOptionsPage* page = Form->ProOptions;
        page->RunSyncEveryMin->setText(QStringLiteral("90"));
        page->RunSyncSched->click();
        QCOMPARE(Form->Auto().SchedRunTimer.Interval, 90LL * 60000);
        QVERIFY(!page->RunSyncEveryMin->isEnabled());

        page->PoleSecs->setText(QStringLiteral("5"));
        page->PoleEvery->click();
        QVERIFY(page->PoleEvery->isChecked() && !page->RunSyncSched->isChecked());
        QCOMPARE(Form->Auto().CheckDiskSpaceTimer.Interval, 5000LL);
        QVERIFY(page->RunSyncEveryMin->isEnabled());

        // A value that is no number: the box shows what the refusal left, off with "0".
        page->PoleEvery->click();
        page->PoleSecs->setText(QStringLiteral("soon"));
        page->PoleEvery->click();
        QVERIFY(!page->PoleEvery->isChecked());
        QCOMPARE(page->PoleSecs->text(), QStringLiteral("0"));
    }

    void aChangeInTheWatchedSourceIsSynchronised()
    {
        const std::string source = R->Tree.AddFolder("src");
        const std::string target = R->Tree.AddFolder("dst");
        Form->DirectoryListBox1Change(Side::Source, source);
        Form->DirectoryListBox1Change(Side::Target, target);
        Form->Opts().CreateSubFolderOption = false;
        Form->ProOptions->MonitorSourceDriveCheck->click();
        QTRY_COMPARE_WITH_TIMEOUT(Test::Items(Form->ProOptions->FolderWatch),
                                  QStringList{QString::fromStdString(source)},
                                  10000);

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
        QVERIFY(Form->ProOptions->FolderQue->count() == 0);

        // Double-clicking a tree while no batch list is open ends the monitoring, as unchecking
        // does: the watcher ends, and its folder leaves the list.
        emit Form->Panes->TreeDoubleClicked(Side::Target);
        QVERIFY(!Form->ProOptions->MonitorSourceDriveCheck->isChecked());
        QCOMPARE(Form->ProOptions->FolderWatch->count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(Form->Auto().Monitor.RunningWatchers(), 0, 1000);
    }

    // Its tool tip is cut to 62 characters, and a right click without a menu only calls its handler.
    void theTrayIconOnItsOwn()
    {
        TTrayIcon tray;
        tray.SetToolTip(QString(70, QLatin1Char('x')));
        QCOMPARE(tray.ToolTip(), QString(62, QLatin1Char('x')));
        int clicks = 0;
        QPoint where;
        tray.OnClick = [&clicks] {
            ++clicks;
        };
        tray.OnRightClick = [&where](QPoint at) {
            where = at;
        };
        tray.Activated(QSystemTrayIcon::Context, QPoint(7, 9));
        QCOMPARE(where, QPoint(7, 9));
        QCOMPARE(clicks, 0);
    }

    void theTrayMenuOffersShowRunNowAndExit()
    {
        QStringList texts;
        for (QAction* action : Form->TrayPopupMenu1->actions()) {
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        }
        QCOMPARE(texts, Test::Names({"Show", "Run Now", "-", "Exit"}));
    }

    void showWithAWrongPasswordLeavesTheWindowHiddenButNotMinimised()
    {
        Form->GoToTray();
        QVERIFY(Form->RunningMinimized && Form->TrayIcon1->Active());
        Form->hide();
        int asked = 0;
        Form->AdminPasswordGate = [&asked] {
            ++asked;
            return false;
        };
        Form->Show1Click();
        QCOMPARE(asked, 1);
        QVERIFY(!Form->isVisible());
        QVERIFY(!Form->RunningMinimized);

        Form->AdminPasswordGate = [] {
            return true;
        };
        Form->Show1Click();
        QVERIFY(Form->isVisible());
        QCOMPARE(Form->x(), Form->Opts().HomeLeft);
    }

    void minimisingWithoutTheTrayIconOnlyMarksTheWindow()
    {
        Form->showMinimized();
        QTRY_VERIFY(Form->RunningMinimized);
        QVERIFY(Form->isVisible()); // still on the taskbar
        Form->showNormal();
        QTRY_VERIFY(!Form->RunningMinimized);

        // Exit behind a password that is not given leaves the program running.
        Form->AdminPasswordGate = [] {
            return false;
        };
        Form->Exit2->trigger();
        QVERIFY(Form->isVisible());
    }

    void theEntryDialogStaysOpenUntilTheRightPassword()
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
    }

    void theChangeDialogWantsTheOldPasswordExactly()
    {
        Form->Opts().AdminPassWord = "Secret";
        std::vector<TMainSyncForm::PasswordChange> answers = {
            {true, "secret", "New"}, // the entry dialog's letter case is not good enough here
            {true, "Secret", "New"},
        };
        std::size_t asked = 0;
        Form->AskPasswordChange = [&] {
            return answers.at(asked++);
        };
        std::vector<std::pair<std::string, std::string>> written;
        Form->WritePasswordFile = [&written](const std::string& archive, const std::string& admin) {
            written.emplace_back(archive, admin);
            return true;
        };
        Form->ProOptions->SetAdminPW->click();
        QCOMPARE(asked, std::size_t(2));
        QCOMPARE(R->Script.Questions.size(), std::size_t(1));
        QCOMPARE(R->Script.Questions[0].Text,
                 std::string("Sorry, I do not recognize that Old Password.\nPlease try again."));
        QCOMPARE(Form->Opts().AdminPassWord, std::string("New"));
        // With no archive password, the file's first line is empty.
        QCOMPARE(written, (std::vector<std::pair<std::string, std::string>>{{"", "New"}}));

        // Cancel changes nothing, and a file that cannot be written is said.
        answers = {{false, "", ""}};
        asked = 0;
        Form->ProOptions->SetAdminPW->click();
        QCOMPARE(Form->Opts().AdminPassWord, std::string("New"));
        answers = {{true, "QJ47", ""}};
        asked = 0;
        Form->WritePasswordFile = [](const std::string&, const std::string&) {
            return false;
        };
        Form->ProOptions->SetAdminPW->click();
        QCOMPARE(Form->Opts().AdminPassWord, std::string());
        QVERIFY(R->Script.Questions.back().Text.find("Tandemix.PWL") != std::string::npos);
    }

    // The countdown before an automatic run: it runs out into the run, or the user decides first.
    void theCountdownRunsOutIntoTheRunAndAtOnceFromZero()
    {
        TDelayTimer dialog(2);
        dialog.Timer1->setInterval(10); // the count, not the clock, is under test
        QCOMPARE(dialog.CountLabel->text(), QStringLiteral("2"));
        QCOMPARE(dialog.Run(), DelayResult::Continue);
        QCOMPARE(dialog.SecCount(), 0);
        // No countdown at all for zero seconds.
        TDelayTimer none(0);
        QVERIFY(none.ContinueButton->isDefault());
        QCOMPARE(none.Run(), DelayResult::Continue);
        QVERIFY(!none.isVisible());
    }

    void stopAndExitOnTheCountdownAreTheUsersWord()
    {
        for (auto [button, expected] : {std::pair{0, DelayResult::Stop}, std::pair{1, DelayResult::Exit}}) {
            TDelayTimer dialog(60);
            QTimer::singleShot(0, &dialog, [&dialog, button] {
                (button == 0 ? dialog.StopButton : dialog.ExitButton)->click();
            });
            QCOMPARE(dialog.Run(), expected);
            QCOMPARE(dialog.SecCount(), 60);
        }
    }
};

QTEST_MAIN(TestAutomation)
#include "TestAutomation.moc"
