// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/ChgPwd.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Tandemix {

TPassWordCheckForm::TPassWordCheckForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("PassWordCheckForm"));
    setWindowTitle(tr("Change Password"));
    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    OldPassword = new QLineEdit(this);
    OldPassword->setObjectName(QStringLiteral("OldPassword"));
    OldPassword->setEchoMode(QLineEdit::Password);
    NewPassword = new QLineEdit(this);
    NewPassword->setObjectName(QStringLiteral("NewPassword"));
    NewPassword->setEchoMode(QLineEdit::Password);
    form->addRow(tr("Old Password:"), OldPassword);
    form->addRow(tr("New Password:"), NewPassword);
    column->addLayout(form);
    auto* buttons = new QHBoxLayout;
    OkButton = new QPushButton(tr("&Ok"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(tr("&Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    buttons->addStretch(1);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    column->addLayout(buttons);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TPassWordCheckForm::showEvent(QShowEvent* event)
{
    OldPassword->clear();
    NewPassword->clear();
    QDialog::showEvent(event);
}

} // namespace Tandemix
