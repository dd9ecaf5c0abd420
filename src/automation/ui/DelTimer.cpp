// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/ui/DelTimer.h"

#include "app/ui/UiText.h"
#include "automation/CommandLineMessages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace Tandemix {

TDelayTimer::TDelayTimer(int seconds, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , FCountdown(seconds)
{
    setObjectName(QStringLiteral("DelayTimer"));
    setWindowTitle(UiText(Msg::DelayCaption));
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(UiText(Msg::DelayWill), this), 0, Qt::AlignHCenter);
    CountLabel = new QLabel(this);
    CountLabel->setObjectName(QStringLiteral("SecCount"));
    QFont big = CountLabel->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    CountLabel->setFont(big);
    column->addWidget(CountLabel, 0, Qt::AlignHCenter);
    auto* line = new QHBoxLayout;
    line->addWidget(new QLabel(UiText(Msg::DelayBeginIn), this));
    line->addWidget(new QLabel(UiText(Msg::DelaySeconds), this));
    column->addLayout(line);

    auto* buttons = new QHBoxLayout;
    ContinueButton = new QPushButton(UiText(Msg::DelayContinueButton), this);
    ContinueButton->setDefault(true);
    StopButton = new QPushButton(UiText(Msg::DelayStopButton), this);
    ExitButton = new QPushButton(UiText(Msg::DelayExitButton), this);
    buttons->addWidget(ContinueButton);
    buttons->addWidget(StopButton);
    buttons->addWidget(ExitButton);
    column->addLayout(buttons);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { Tick(); });
    connect(ContinueButton, &QPushButton::clicked, this, [this] { Press(DelayResult::Continue); });
    connect(StopButton, &QPushButton::clicked, this, [this] { Press(DelayResult::Stop); });
    connect(ExitButton, &QPushButton::clicked, this, [this] { Press(DelayResult::Exit); });
    CountLabel->setText(QString::number(FCountdown.SecCount()));
}

DelayResult TDelayTimer::Run()
{
    if (FCountdown.SecCount() < 1) {
        return DelayResult::Continue;
    }
    Timer1->start();
    exec();
    Timer1->stop();
    // Closed by the window manager: the cautious answer.
    return FCountdown.Result().value_or(DelayResult::Stop);
}

void TDelayTimer::Press(DelayResult button)
{
    FCountdown.Press(button);
    accept();
}

void TDelayTimer::Tick()
{
    FCountdown.Tick();
    CountLabel->setText(QString::number(FCountdown.SecCount()));
    if (FCountdown.Finished()) {
        Timer1->stop();
        accept();
    }
}

} // namespace Tandemix
