// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/Custom1.h"

#include "app/ui/UiText.h"

#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace Tandemix {

TfrmCustomText::TfrmCustomText(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCustomText"));
    setWindowTitle(UiText("User Form"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    auto* column = new QVBoxLayout(this);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    auto* ok = new QPushButton(UiText("&Ok"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    column->addWidget(ListBox1, 1);
    column->addWidget(ok, 0, Qt::AlignHCenter);
    resize(480, 360);
}

void TfrmCustomText::SetLines(const std::vector<std::string>& lines)
{
    ListBox1->clear();
    for (const std::string& line : lines) {
        ListBox1->addItem(UiText(line));
    }
}

} // namespace Tandemix
