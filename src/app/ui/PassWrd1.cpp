// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/PassWrd1.h"

#include "settings/AdminPassword.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Tandemix {

TPasswordDlg::TPasswordDlg(std::string adminPassword, QWidget* parent)
    : QDialog(parent)
    , FAdmin(std::move(adminPassword))
{
    setObjectName(QStringLiteral("PasswordDlg"));
    setWindowTitle(tr("Password Dialog"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(tr("Enter password:"), this));
    Password = new QLineEdit(this);
    Password->setObjectName(QStringLiteral("Password"));
    Password->setEchoMode(QLineEdit::Password);
    column->addWidget(Password);
    auto* buttons = new QHBoxLayout;
    OKBtn = new QPushButton(tr("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(tr("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    column->addLayout(buttons);
    connect(OKBtn, &QPushButton::clicked, this, &TPasswordDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TPasswordDlg::OKBtnClick()
{
    const bool accepted = AdminEntryAccepted(Password->text().toStdString(), FAdmin);
    Password->clear();
    if (accepted) {
        accept();
    }
}

} // namespace Tandemix
