// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the automation: the timer that drives it, the hand-over from the
// monitor threads, the "Pro Options" page it shows on, the tray icon with its menu, and the
// minimise and restore steps around the tray.
#include "app/ui/ChgPwd.h"
#include "app/ui/Mainfrm3.h"
#include "app/ui/PassWrd1.h"
#include "app/ui/TrayIcon.h"
#include "app/ui/UiText.h"
#include "automation/ui/ProOptionsPage.h"
#include "settings/AdminPassword.h"
#include "settings/PasswordFile.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace Tandemix {

namespace {

// How often the automation looks at its timers; the fastest of them ticks every 600 ms.
constexpr int PulseMs = 100;
// A window parked for the tray sits this far beyond the right edge of the screen.
constexpr int ParkBeyond = 500;

class WindowAutomationActions : public AutomationActions
{
public:
    explicit WindowAutomationActions(TMainSyncForm& form)
        : FForm(form)
    {}

    RunOutcome RunSync() override { return FForm.SyncButtonClick(RunSender::Automation); }
    void ShowCountdown(const std::string& text) override
    {
        if (FForm.ProOptions != nullptr) {
            FForm.ProOptions->SyncEverCountDown->setText(UiText(text));
        }
    }
    void ShowTrayHint(const std::string& hint) override { FForm.TrayIcon1->SetToolTip(UiText(hint)); }
    bool TrayShown() const override { return FForm.TrayIcon1->Active(); }
    void RefreshListings() override { FForm.RefreshFileListings(); }
    void AutomationChanged() override
    {
        if (FForm.ProOptions != nullptr) {
            FForm.ProOptions->ShowOptions();
        }
    }

private:
    TMainSyncForm& FForm;
};

int ScreenWidth()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry().width() : 0;
}

} // namespace

void TMainSyncForm::BuildAutomation()
{
    FAutomationActions = std::make_unique<WindowAutomationActions>(*this);
    FAutomation = std::make_unique<Automation>(FContext, *FAutomationActions);
    // A watcher's hand-over wakes the window at once rather than at the next pulse.
    FHost.HandOvers().Wake = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                FHost.HandOvers().RunPending();
                if (ProOptions != nullptr) {
                    ProOptions->ShowQueue();
                }
            },
            Qt::QueuedConnection);
    };
    AutomationTimer = new QTimer(this);
    AutomationTimer->setObjectName(QStringLiteral("AutomationTimer"));
    AutomationTimer->setInterval(PulseMs);
    connect(AutomationTimer, &QTimer::timeout, this, [this] {
        FAutomation->Pulse();
        if (ProOptions != nullptr) {
            ProOptions->ShowQueue();
        }
    });
    AutomationTimer->start();

    TrayIcon1 = new TTrayIcon(this);
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    QIcon icon = QApplication::windowIcon();
    TrayIcon1->SetIcon(icon.isNull() ? style()->standardIcon(QStyle::SP_DriveHDIcon) : icon);
    TrayPopupMenu1 = new QMenu(this);
    TrayPopupMenu1->setObjectName(QStringLiteral("TrayPopupMenu1"));
    Show1 = TrayPopupMenu1->addAction(tr("Show"), this, [this] { Show1Click(); });
    Show1->setObjectName(QStringLiteral("Show1"));
    RunNow1 = TrayPopupMenu1->addAction(tr("Run Now"), this, [this] { RunNow1Click(); });
    RunNow1->setObjectName(QStringLiteral("RunNow1"));
    TrayPopupMenu1->addSeparator();
    Exit2 = TrayPopupMenu1->addAction(tr("Exit"), this, [this] { Exit2Click(); });
    Exit2->setObjectName(QStringLiteral("Exit2"));
    TrayIcon1->PopupMenu = TrayPopupMenu1;

    AdminPasswordGate = [this] {
        if (FOptions.AdminPassWord.empty()) {
            return true;
        }
        TPasswordDlg dialog(FOptions.AdminPassWord, this);
        return dialog.exec() == QDialog::Accepted;
    };
    AskPasswordChange = [this] {
        TPassWordCheckForm dialog(this);
        PasswordChange change;
        change.Accepted = dialog.exec() == QDialog::Accepted;
        change.Old = dialog.OldPassword->text().toStdString();
        change.New = dialog.NewPassword->text().toStdString();
        return change;
    };
}

void TMainSyncForm::SetAdminPWClick()
{
    for (;;) {
        PasswordChange change = AskPasswordChange();
        if (!change.Accepted) {
            return;
        }
        if (OldPasswordAccepted(change.Old, FOptions.AdminPassWord)) {
            FOptions.AdminPassWord = change.New;
            break;
        }
        FHost.Ask(AdminMsg::OldPasswordUnknown, DialogButtons::Ok);
    }
    // In force from now, written or not: the user has just chosen it.
    if (!WritePasswordFile || !WritePasswordFile(FOptions.PassWordName, FOptions.AdminPassWord)) {
        FHost.Ask(
            std::string(AdminMsg::PasswordFileNotWritten).append(FProgramFolder).append(PasswordFileName),
            DialogButtons::Ok);
    }
}

bool TMainSyncForm::Parked() const
{
    return x() >= ScreenWidth() + ParkBeyond;
}

void TMainSyncForm::GoToTray()
{
    if (!Parked()) {
        FOptions.HomeLeft = x();
    }
    move(ScreenWidth() + ParkBeyond, y());
    TrayIcon1->SetActive(true);
    if (TrayIcon1->Shown()) {
        hide();
    } else {
        // No notification area on this desktop: a minimised window is the way back.
        showMinimized();
    }
    RunningMinimized = true;
}

void TMainSyncForm::FormMinimized()
{
    if (TrayIcon1->Active() && TrayIcon1->Shown()) {
        hide();
        FAutomation->SchedRunTimer.Enabled = true;
    }
    RunningMinimized = true;
}

void TMainSyncForm::FormRestored()
{
    RunningMinimized = false;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    setWindowTitle(UiText(AppCaption));
    if (Parked()) {
        move(FOptions.HomeLeft, y());
    }
}

void TMainSyncForm::Show1Click()
{
    if (AdminPasswordGate()) {
        if (Parked()) {
            move(FOptions.HomeLeft, y());
        }
        showNormal();
        raise();
        activateWindow();
    }
    RunningMinimized = false;
}

void TMainSyncForm::Exit2Click()
{
    if (AdminPasswordGate()) {
        Exit1Click();
    }
}

void TMainSyncForm::RunNow1Click()
{
    FAutomation->RunNow1Click();
}

void TMainSyncForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    const bool minimized = isMinimized();
    if (minimized && !FWasMinimized) {
        FormMinimized();
    } else if (!minimized && FWasMinimized) {
        FormRestored();
    }
    FWasMinimized = minimized;
}

} // namespace Tandemix
