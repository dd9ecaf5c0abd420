// SPDX-License-Identifier: GPL-3.0-or-later
#include "compression/ui/ChgPwd.h"

#include "app/ui/UiText.h"

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
    setWindowTitle(UiText("Password Change"));
    auto* form = new QFormLayout;
    OldPassword = new QLineEdit(this);
    OldPassword->setObjectName(QStringLiteral("OldPassword"));
    NewPassword = new QLineEdit(this);
    NewPassword->setObjectName(QStringLiteral("NewPassword"));
    form->addRow(UiText("Old Password:"), OldPassword);
    form->addRow(UiText("New Password:"), NewPassword);
    auto* ok = new QPushButton(UiText("&Ok"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(UiText("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(ok, &QPushButton::clicked, this, [this] { done(1); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(2); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addLayout(buttons);
    setSizeGripEnabled(false);
}

void TPassWordCheckForm::Clear()
{
    OldPassword->clear();
    NewPassword->clear();
}

int TPassWordCheckForm::ShowModal()
{
    Clear();
    return exec();
}

} // namespace Tandemix
