// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Host.h"

#include <QDialog>

#include <cstddef>

class QLabel;
class QPushButton;
class QTimer;

namespace Tandemix {

// "File/Folder Deletion Warning": counts down before unmatched items are deleted. Continue or
// the end of the count deletes, Cancel keeps everything, "Manually Delete From List" stops the
// run and leaves the choice to the user in the report window.
class TFileDelTimer : public QDialog
{
    Q_OBJECT

public:
    TFileDelTimer(int seconds, std::size_t entries, bool manualAllowed, QWidget* parent = nullptr);

    CountdownAnswer Run();
    // One second went by; below 1 the count ends with Delete.
    void Tick();
    CountdownAnswer Answer() const { return FAnswer; }

    QLabel* Label5 = nullptr; // the number of entries
    QLabel* Label4 = nullptr; // seconds left
    QPushButton* ManualDeleteUnMatched = nullptr;
    QPushButton* Button1 = nullptr; // Continue
    QPushButton* Button2 = nullptr; // Cancel
    QTimer* Timer1 = nullptr;

private:
    void Finish(CountdownAnswer answer);

    int FSeconds;
    CountdownAnswer FAnswer = CountdownAnswer::Cancel;
};

} // namespace Tandemix
