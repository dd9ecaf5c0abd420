// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/AboutBox.h"

#include "app/ui/UiText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace Tandemix {

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(UiText("About Tandemix"));
    auto* column = new QVBoxLayout(this);
    auto* name = new QLabel(UiText("<h2>") + UiText(AppName) + UiText("</h2>"), this);
    auto* version = new QLabel(UiText("Version ") + UiText(AppVersion), this);
    auto* line = new QLabel(UiText("Keeps pairs of folders in step: adds new files, updates older copies,\n"
                                   "and lists or removes what the source no longer has."),
                            this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    column->addWidget(name);
    column->addWidget(version);
    column->addWidget(line);
    column->addWidget(buttons);
}

} // namespace Tandemix
