// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/ui/DriveCommands.h"

#include "app/ui/Mainfrm3.h"
#include "app/ui/UiText.h"
#include "engine/FileListing.h"
#include "filemanager/FileManagerMessages.h"
#include "filemanager/ui/BrowseDr.h"
#include "filemanager/ui/FolderPanes.h"
#include "filemanager/ui/MapNetworkDrive.h"
#include "filemanager/ui/MenuItem.h"
#include "platform/Mounts.h"
#include "platform/PathText.h"

#include <QAction>
#include <QDir>
#include <QInputDialog>
#include <QMenu>

#include <cerrno>

namespace Tandemix {

namespace {

namespace M = FileManagerMsg;

} // namespace

DriveCommands::DriveCommands(TMainSyncForm& form)
    : QObject(&form)
    , FForm(form)
{
    setObjectName(QStringLiteral("DriveCommands"));
    BrowseFolder = [this](const QString& title, const QString& start) {
        return TBrowseDirectoryDlg::Browse(&FForm, title, start);
    };
    AskShare = [this]() {
        return TMapNetworkDriveForm::Ask(&FForm);
    };
    ChooseShare = [this](const QStringList& shares) -> std::optional<QString> {
        bool ok = false;
        QString chosen = QInputDialog::getItem(&FForm,
                                               UiText(M::DisconnectNetworkDrive),
                                               UiText("Network drive:"),
                                               shares,
                                               0,
                                               false,
                                               &ok);
        return ok && !chosen.isEmpty() ? std::optional<QString>(chosen) : std::nullopt;
    };
    RunGio = [](const std::vector<std::string>& argv, const std::string& input) {
        return RunAndWait(argv, input, M::GioTimeoutMs);
    };

    QMenu* menu = FForm.DriveRefreshMenu;
    menu->addSeparator();
    RefreshDriveList1 = MenuItem(menu, "RefreshDriveList1", M::RefreshDriveList, this);
    SelectAlternateDriveFolder1 = MenuItem(menu, "SelectAlternateDriveFolder1", M::SelectAlternate, this);
    menu->addSeparator();
    MapNetworkDrive1 = MenuItem(menu, "MapNetworkDrive1", M::MapNetworkDrive, this);
    DisconnectNetworkDrive1 = MenuItem(menu, "DisconnectNetworkDrive1", M::DisconnectNetworkDrive, this);
    connect(RefreshDriveList1, &QAction::triggered, this, [this] { RefreshDriveList1Click(); });
    connect(SelectAlternateDriveFolder1, &QAction::triggered, this, [this] {
        SelectAlternateDriveFolder1Click(FForm.PopUpSide());
    });
    connect(MapNetworkDrive1, &QAction::triggered, this, [this] { MapNetworkDrive1Click(); });
    connect(DisconnectNetworkDrive1, &QAction::triggered, this, [this] { DisconnectNetworkDrive1Click(); });
}

void DriveCommands::RefreshDriveList1Click()
{
    FForm.Panes->RefreshDriveBoxes();
}

void DriveCommands::SelectAlternateDriveFolder1Click(Side side)
{
    std::string start = ListingOf(FForm.Engine(), side).Folder;
    std::optional<QString> chosen =
        BrowseFolder(UiText(side == Side::Source ? M::SourceFolderSelection : M::TargetFolderSelection),
                     UiText(start.empty() ? CoreText(QDir::homePath()) : start));
    if (chosen) {
        FForm.FolderChosenByHand(side, CoreText(QDir::cleanPath(*chosen)));
    }
}

bool DriveCommands::Gio(const std::vector<std::string>& argv,
                        const std::string& input,
                        std::string_view failure)
{
    QtHost& host = FForm.HostSeam();
    CursorShape before = host.CurrentCursorShape();
    host.SetCursorShape(CursorShape::Busy);
    SysResult<ProgramRun> run = RunGio(argv, input);
    host.SetCursorShape(before);
    std::string problem;
    if (!run) {
        problem = run.Error() == ENOENT ? std::string(M::GioMissing)
                                        : std::string(failure) + argv.back() + ": " + run.Call();
    } else if (run->TimedOut) {
        problem = std::string(failure) + argv.back() + ":\n" + std::string(M::GioTimedOut);
    } else if (run->ExitStatus != 0) {
        problem = std::string(failure) + argv.back() + ":\n" + run->Output;
    }
    if (!problem.empty()) {
        (void)host.Ask(problem, DialogButtons::Ok);
        return false;
    }
    return true;
}

void DriveCommands::MapNetworkDrive1Click()
{
    std::optional<ShareAddress> address = AskShare();
    if (!address) {
        return; // cancelled: nothing changes
    }
    std::optional<std::string> url = ShareUrl(*address);
    if (!url) {
        (void)FForm.HostSeam().Ask(std::string(M::NotAShare) + address->Server + "/" + address->Path,
                                   DialogButtons::Ok);
        return;
    }
    (void)Gio(MountArguments(*url), MountAnswers(*address), M::CouldNotMap);
    RefreshDriveList1Click();
}

void DriveCommands::DisconnectNetworkDrive1Click()
{
    QStringList shares;
    for (const std::string& share : MountedShares(FForm.Panes->Mounts())) {
        shares << UiText(share);
    }
    if (shares.isEmpty()) {
        (void)FForm.HostSeam().Ask(M::NoShareMapped, DialogButtons::Ok);
        return;
    }
    std::optional<QString> chosen = ChooseShare(shares);
    if (!chosen) {
        return;
    }
    std::string folder = CoreText(*chosen);
    // A share the desktop mounted is named by its location; one the system mounted by its folder.
    std::optional<std::string> url = UrlOfShareFolder(LastComponent(folder));
    (void)Gio(UnmountArguments(url ? *url : folder), {}, M::CouldNotDisconnect);
    RefreshDriveList1Click();
}

} // namespace Tandemix
