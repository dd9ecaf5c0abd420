// SPDX-License-Identifier: GPL-3.0-or-later
// The countdown before an automatic run: it runs out into the run, or the user decides first.
#include "automation/ui/DelTimer.h"

#include <QtTest>
#include <QtWidgets>

using namespace Tandemix;

class TestDelTimer : public QObject
{
    Q_OBJECT

private slots:
    void runsOutIntoTheRunAndAtOnceFromZero()
    {
        TDelayTimer dialog(2);
        dialog.Timer1->setInterval(10); // the count, not the clock, is under test
        QCOMPARE(dialog.CountLabel->text(), QStringLiteral("2"));
        QCOMPARE(dialog.Run(), DelayResult::Continue);
        QCOMPARE(dialog.SecCount(), 0);
        // No countdown at all for zero seconds.
        TDelayTimer none(0);
        QVERIFY(none.ContinueButton->isDefault());
        QCOMPARE(none.Run(), DelayResult::Continue);
        QVERIFY(!none.isVisible());
    }

    void stopAndExitAreTheUsersWord()
    {
        for (auto [button, expected] : {std::pair{0, DelayResult::Stop}, std::pair{1, DelayResult::Exit}}) {
            TDelayTimer dialog(60);
            QTimer::singleShot(0, &dialog, [&dialog, button] {
                (button == 0 ? dialog.StopButton : dialog.ExitButton)->click();
            });
            QCOMPARE(dialog.Run(), expected);
            QCOMPARE(dialog.SecCount(), 60);
        }
    }
};

QTEST_MAIN(TestDelTimer)
#include "TestDelTimer.moc"
