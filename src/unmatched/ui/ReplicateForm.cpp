// SPDX-License-Identifier: GPL-3.0-or-later
#include "unmatched/ui/ReplicateForm.h"

#include "app/ui/UiText.h"
#include "settings/OptionRules.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace Tandemix {

namespace {

QLabel* Wrapped(const char* text, QWidget* parent)
{
    auto* label = new QLabel(UiText(text), parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

TReplicateForm::TReplicateForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ReplicateForm"));
    setWindowTitle(UiText("Replicate Notice"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(Wrapped("Replicate folders will match the target folder and all sub-folders "
                            "with the selected source folder.",
                            this),
                    0,
                    0,
                    1,
                    3);
    grid->addWidget(Wrapped("Any Files or folders that are found in the target folder "
                            "that do not have a matching file in the "
                            "source folder will be deleted.",
                            this),
                    1,
                    0,
                    1,
                    3);
    grid->addWidget(Wrapped("All file option settings will be ignored during replication operation.", this),
                    2,
                    0,
                    1,
                    3);
    Edit1 = new QLineEdit(QString::number(ProposedDelay), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaximumWidth(Edit1->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    grid->addWidget(new QLabel(UiText("Display Deletetion Warning For "), this), 3, 0);
    grid->addWidget(Edit1, 3, 1);
    grid->addWidget(new QLabel(UiText("Seconds."), this), 3, 2);
    Button1 = new QPushButton(UiText("&Ok"), this);
    Button1->setDefault(true);
    Button2 = new QPushButton(UiText("C&ancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 4, 0, 1, 3);
    Refuse = [this](const QString& text) {
        QMessageBox::warning(this, windowTitle(), text);
    };
    connect(Button1, &QPushButton::clicked, this, [this] {
        if (Accept()) {
            accept();
        }
    });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    resize(420, sizeHint().height());
}

bool TReplicateForm::Accept()
{
    std::optional<std::int64_t> delay = WholeNumber(CoreText(Edit1->text()));
    if (!delay || *delay < -99999 || *delay > 99999) {
        Refuse(QStringLiteral("'%1' is not a valid integer value").arg(Edit1->text()));
        return false;
    }
    FDelay = static_cast<int>(*delay);
    return true;
}

std::optional<int> TReplicateForm::Run()
{
    Edit1->setText(QString::number(ProposedDelay));
    if (exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return FDelay;
}

} // namespace Tandemix
