// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filemanager/NetworkShares.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace Tandemix {

// "Map Network Drive": the kind of share, its server and folder, and the user's name and
// password when the share asks for them. UI thread only.
class TMapNetworkDriveForm : public QDialog
{
    Q_OBJECT

public:
    explicit TMapNetworkDriveForm(QWidget* parent);

    ShareAddress Address() const;
    // Shows the dialog; the address entered, or nothing when cancelled.
    static std::optional<ShareAddress> Ask(QWidget* parent);

    QComboBox* ShareKindBox = nullptr;
    QLineEdit* ServerEdit = nullptr;
    QLineEdit* FolderEdit = nullptr;
    QLineEdit* UserEdit = nullptr;
    QLineEdit* DomainEdit = nullptr;
    QLineEdit* PasswordEdit = nullptr;
    QSpinBox* PortBox = nullptr;
};

} // namespace Tandemix
