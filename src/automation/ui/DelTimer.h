// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/DelayCountdown.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

namespace Tandemix {

// The countdown before an automatic run: the user may go on at once, stop the run, or end the
// program. When the count runs out the run goes on.
class TDelayTimer : public QDialog
{
    Q_OBJECT

public:
    TDelayTimer(int seconds, QWidget* parent = nullptr);

    // Shows the dialog modally and returns what ended it.
    DelayResult Run();
    int SecCount() const { return FCountdown.SecCount(); }

    QLabel* CountLabel = nullptr;
    QPushButton* ContinueButton = nullptr;
    QPushButton* StopButton = nullptr;
    QPushButton* ExitButton = nullptr;
    QTimer* Timer1 = nullptr;

private:
    void Press(DelayResult button);
    void Tick();

    DelayCountdown FCountdown;
};

} // namespace Tandemix
