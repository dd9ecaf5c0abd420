// SPDX-License-Identifier: GPL-3.0-or-later
#include "unmatched/ui/FileDelTimer.h"

#include "app/ui/UiText.h"
#include "unmatched/UnmatchedMessages.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace Tandemix {

TFileDelTimer::TFileDelTimer(int seconds, std::size_t entries, bool manualAllowed, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
    , FSeconds(seconds)
{
    setObjectName(QStringLiteral("FileDelTimer"));
    setWindowTitle(UiText(UnmatchedMsg::CountdownCaption));
    auto* grid = new QGridLayout(this);
    Label5 = new QLabel(QString::number(entries), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label4 = new QLabel(QString::number(seconds), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    // "12 UnMatched file(s) and/or folder(s) in / target will be deleted in 9 seconds!"
    auto* first = new QHBoxLayout;
    first->addWidget(Label5);
    first->addWidget(new QLabel(UiText(UnmatchedMsg::CountdownFirst), this));
    first->addStretch(1);
    auto* second = new QHBoxLayout;
    second->addWidget(new QLabel(UiText(UnmatchedMsg::CountdownSecond), this));
    second->addWidget(Label4);
    second->addWidget(new QLabel(UiText(UnmatchedMsg::CountdownThird), this));
    second->addStretch(1);
    grid->addLayout(first, 0, 0, 1, 3);
    grid->addLayout(second, 1, 0, 1, 3);

    ManualDeleteUnMatched = new QPushButton(UiText("Manually Delete From List"), this);
    ManualDeleteUnMatched->setObjectName(QStringLiteral("ManualDeleteUnMatched"));
    ManualDeleteUnMatched->setDefault(true);
    ManualDeleteUnMatched->setEnabled(manualAllowed);
    Button1 = new QPushButton(UiText("&Continue"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(UiText("C&ancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ManualDeleteUnMatched);
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 2, 0, 1, 3);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TFileDelTimer::Tick);
    connect(Button1, &QPushButton::clicked, this, [this] { Finish(CountdownAnswer::Delete); });
    connect(Button2, &QPushButton::clicked, this, [this] { Finish(CountdownAnswer::Cancel); });
    connect(ManualDeleteUnMatched, &QPushButton::clicked, this, [this] { Finish(CountdownAnswer::Manual); });
}

CountdownAnswer TFileDelTimer::Run()
{
    FAnswer = CountdownAnswer::Cancel; // closing the window keeps everything, as Cancel does
    Timer1->start();
    exec();
    Timer1->stop();
    return FAnswer;
}

void TFileDelTimer::Tick()
{
    FSeconds -= 1;
    Label4->setText(QString::number(FSeconds));
    if (FSeconds < 1) {
        Finish(CountdownAnswer::Delete);
    }
}

void TFileDelTimer::Finish(CountdownAnswer answer)
{
    Timer1->stop();
    FAnswer = answer;
    done(answer == CountdownAnswer::Cancel ? QDialog::Rejected : QDialog::Accepted);
}

} // namespace Tandemix
