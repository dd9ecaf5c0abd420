// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/WindowActions.h"

#include "app/ui/Mainfrm3.h"
#include "automation/ui/DelTimer.h"
#include "batch/ui/RunBatchPage.h"
#include "engine/FileListing.h"
#include "engine/RunDriver.h"
#include "platform/FileOps.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

namespace Tandemix {

WindowActions::WindowActions(TMainSyncForm& form)
    : FForm(form)
{}

bool WindowActions::OpenBatchFile(const std::string& path)
{
    FForm.PinCommandLineBatch(path);
    if (!FForm.RunBatch->RunBatchFile(path)) {
        return false;
    }
    // Row 1 is shown before the run starts, its folders in the panes; a row that cannot be
    // applied is the run's to refuse.
    (void)FForm.RunBatch->InitiateBatchItem(1);
    return true;
}

void WindowActions::PointFolders(const std::string& source, const std::string& target)
{
    if (FolderExists(source)) {
        FForm.DirectoryListBox1Change(Side::Source, source);
    }
    if (!target.empty() && FolderExists(target)) {
        FForm.DirectoryListBox1Change(Side::Target, target);
    }
}

void WindowActions::ShowMainWindow()
{
    FForm.show();
}

void WindowActions::SelectSynchronizePage()
{
    FForm.SetTabs1AndMenus(1);
}

DelayResult WindowActions::RunCountdown(int seconds, bool offScreen, bool trayMode)
{
    TDelayTimer dialog(seconds, &FForm);
    if (offScreen) {
        // Parked off-screen, the window is minimised instead of showing a dialog nobody sees.
        FForm.showMinimized();
        QScreen* screen = QGuiApplication::primaryScreen();
        dialog.move((screen != nullptr ? screen->geometry().width() : 1024) + 500, 0);
    } else if (trayMode) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect area = screen->geometry();
            dialog.adjustSize();
            dialog.move(area.width() - dialog.width(), area.height() - dialog.height() - 30);
        }
    }
    return dialog.Run();
}

void WindowActions::BringWindowBack()
{
    if (FForm.x() > 0 && QGuiApplication::primaryScreen() != nullptr
        && FForm.x() >= QGuiApplication::primaryScreen()->geometry().width()) {
        FForm.move(FForm.Opts().HomeLeft, FForm.y());
    }
    FForm.showNormal();
}

void WindowActions::ParkInTray()
{
    FForm.GoToTray();
}

void WindowActions::MonitorSwitched()
{
    FForm.Auto().MonitorSourceDriveCheckClick();
}

void WindowActions::SetQueueCheckInterval(int milliseconds)
{
    FForm.Auto().SetQueueCheckInterval(milliseconds);
}

void WindowActions::ArmPolling(int seconds)
{
    FForm.Auto().ArmPolling(seconds);
}

void WindowActions::ArmSchedule(int minutes)
{
    FForm.Auto().ArmSchedule(minutes);
}

void WindowActions::SetSettleCount(int count)
{
    FForm.Auto().SetSettleCount(count);
}

SyncOutcome WindowActions::RunSync()
{
    return SyncOutcomeOf(FForm.SyncButtonClick(RunSender::Automation));
}

void WindowActions::ListEmptySides()
{
    for (Side side : {Side::Source, Side::Target}) {
        if (ListingOf(FForm.Engine(), side).Files.empty()
            && !ListingOf(FForm.Engine(), side).Folder.empty()) {
            (void)BuildFileListing(FForm.Context(), side);
            FForm.ShowListing(side);
        }
    }
}

void WindowActions::EndProgram(ExitStatus status)
{
    FEnd = {true, status};
}

void WindowActions::OptionsLoaded()
{
    FForm.Auto().OptionsLoaded();
    FForm.RefreshFileListings();
}

} // namespace Tandemix
