// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/ui/MapNetworkDrive.h"

#include "app/ui/UiText.h"
#include "filemanager/FileManagerMessages.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

namespace Tandemix {

TMapNetworkDriveForm::TMapNetworkDriveForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("MapNetworkDriveForm"));
    setWindowTitle(UiText(FileManagerMsg::MapNetworkDrive));
    auto* form = new QFormLayout(this);
    ShareKindBox = new QComboBox(this);
    ShareKindBox->addItems({UiText("Windows share (SMB)"),
                            UiText("SSH (SFTP)"),
                            UiText("WebDAV"),
                            UiText("WebDAV, secure (HTTPS)")});
    ServerEdit = new QLineEdit(this);
    ServerEdit->setPlaceholderText(UiText("nas.local"));
    FolderEdit = new QLineEdit(this);
    FolderEdit->setPlaceholderText(UiText("share/folder"));
    UserEdit = new QLineEdit(this);
    DomainEdit = new QLineEdit(this);
    PasswordEdit = new QLineEdit(this);
    PasswordEdit->setEchoMode(QLineEdit::Password);
    PortBox = new QSpinBox(this);
    PortBox->setRange(0, 65535);
    PortBox->setSpecialValueText(UiText("default"));
    form->addRow(UiText("Kind:"), ShareKindBox);
    form->addRow(UiText("Server:"), ServerEdit);
    form->addRow(UiText("Share or folder:"), FolderEdit);
    form->addRow(UiText("User:"), UserEdit);
    form->addRow(UiText("Domain:"), DomainEdit);
    form->addRow(UiText("Password:"), PasswordEdit);
    form->addRow(UiText("Port:"), PortBox);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The domain belongs to Windows shares only.
    connect(ShareKindBox, &QComboBox::currentIndexChanged, this, [this](int kind) {
        DomainEdit->setEnabled(kind == 0);
    });
}

ShareAddress TMapNetworkDriveForm::Address() const
{
    ShareAddress address;
    address.Kind = static_cast<ShareKind>(ShareKindBox->currentIndex());
    address.Server = CoreText(ServerEdit->text().trimmed());
    address.Path = CoreText(FolderEdit->text().trimmed());
    address.User = CoreText(UserEdit->text());
    address.Domain = address.Kind == ShareKind::Smb ? CoreText(DomainEdit->text()) : std::string();
    address.Password = CoreText(PasswordEdit->text());
    address.Port = PortBox->value();
    return address;
}

std::optional<ShareAddress> TMapNetworkDriveForm::Ask(QWidget* parent)
{
    TMapNetworkDriveForm dialog(parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Address();
}

} // namespace Tandemix
