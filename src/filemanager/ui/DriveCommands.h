// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EngineState.h"
#include "filemanager/NetworkShares.h"
#include "platform/Launch.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;

namespace Tandemix {

class TMainSyncForm;

// The drive boxes' pop-up menu: refresh the drive list, the alternate folder browser, and
// network shares mapped and disconnected through `gio mount`. UI thread only.
class DriveCommands : public QObject
{
    Q_OBJECT

public:
    explicit DriveCommands(TMainSyncForm& form);

    QAction* RefreshDriveList1 = nullptr;
    QAction* SelectAlternateDriveFolder1 = nullptr;
    QAction* MapNetworkDrive1 = nullptr;
    QAction* DisconnectNetworkDrive1 = nullptr;

    void RefreshDriveList1Click();
    void SelectAlternateDriveFolder1Click(Side side);
    void MapNetworkDrive1Click();
    void DisconnectNetworkDrive1Click();

    // The seams a test fills: the folder browser, the share dialog, the choice of a mapped
    // share, and gio itself.
    std::function<std::optional<QString>(const QString& title, const QString& start)> BrowseFolder;
    std::function<std::optional<ShareAddress>()> AskShare;
    std::function<std::optional<QString>(const QStringList& shares)> ChooseShare;
    std::function<SysResult<ProgramRun>(const std::vector<std::string>& argv, const std::string& input)>
        RunGio;

private:
    // Runs gio with the hourglass; false (and told) when it failed.
    bool Gio(const std::vector<std::string>& argv, const std::string& input, std::string_view failure);

    TMainSyncForm& FForm;
};

} // namespace Tandemix
