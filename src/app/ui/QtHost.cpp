// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/QtHost.h"

#include "app/ui/Mainfrm3.h"
#include "unmatched/ui/FileDelTimer.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace Tandemix {

namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QtHost::QtHost(TMainSyncForm& form)
    : FForm(form)
{}

void QtHost::ShowStatus(std::string_view text) noexcept
{
    if (FForm.StatusPanel == nullptr) {
        return; // still building the window
    }
    FForm.StatusPanel->setText(Text(text));
    FForm.StatusPanel->repaint();
}

void QtHost::SetCursorShape(CursorShape shape) noexcept
{
    if (shape == FCursor) {
        return;
    }
    // One override at a time: the application cursor stack is replaced, never grown.
    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
    if (shape == CursorShape::Busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (shape == CursorShape::Arrow) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    FCursor = shape;
}

CursorShape QtHost::CurrentCursorShape() const noexcept
{
    return FCursor;
}

void QtHost::SetStopEnabled(bool enabled) noexcept
{
    if (FForm.StopButton == nullptr) {
        return;
    }
    FForm.StopButton->setEnabled(enabled);
}

void QtHost::EnableControls(bool enable) noexcept
{
    FForm.ApplyControlsEnabled(enable);
}

void QtHost::SetElapsedTimerRunning(bool running) noexcept
{
    if (running) {
        FForm.Timer2->start();
    } else {
        FForm.Timer2->stop();
    }
}

void QtHost::ShowElapsed(std::string_view text) noexcept
{
    FForm.ElapsedTime->setText(Text(text));
}

void QtHost::ProcessMessages()
{
    FForm.FollowSkipButton();
    // The pump runs between the chunks of a long copy too: the file's progress shows there.
    if (FForm.State().BusyCount > 0) {
        FForm.ShowRunProgress(FForm.Engine());
    }
    QApplication::processEvents(QEventLoop::AllEvents);
}

void QtHost::ShowRunProgress(const EngineState& engine) noexcept
{
    FForm.ShowRunProgress(engine);
}

void QtHost::RunFinished() noexcept
{
    FForm.RunFinished();
}

CountdownAnswer QtHost::DeletionCountdown(int seconds, std::size_t entries)
{
    if (FQuestions != nullptr) {
        return FQuestions->DeletionCountdown(seconds, entries);
    }
    TFileDelTimer countdown(seconds, entries, !FForm.Opts().RunBatchList, &FForm);
    return countdown.Run();
}

void QtHost::ShowUnmatchedSelected() noexcept
{
    FForm.ShowUnmatchedSelected();
}

DialogResult QtHost::Ask(std::string_view text, DialogButtons buttons)
{
    if (FQuestions != nullptr) {
        return FQuestions->Ask(text, buttons);
    }
    QMessageBox::StandardButtons shown;
    switch (buttons) {
    case DialogButtons::Ok:
        shown = QMessageBox::Ok;
        break;
    case DialogButtons::OkCancel:
        shown = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case DialogButtons::YesNo:
        shown = QMessageBox::Yes | QMessageBox::No;
        break;
    case DialogButtons::YesCancel:
        shown = QMessageBox::Yes | QMessageBox::Cancel;
        break;
    case DialogButtons::AbortIgnore:
        shown = QMessageBox::Abort | QMessageBox::Ignore;
        break;
    case DialogButtons::AbortRetryIgnore:
        shown = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        break;
    }
    QMessageBox box(QMessageBox::Warning, FForm.windowTitle(), Text(text), shown, &FForm);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return DialogResult::Ok;
    case QMessageBox::Cancel:
        return DialogResult::Cancel;
    case QMessageBox::Abort:
        return DialogResult::Abort;
    case QMessageBox::Retry:
        return DialogResult::Retry;
    case QMessageBox::Ignore:
        return DialogResult::Ignore;
    case QMessageBox::Yes:
        return DialogResult::Yes;
    case QMessageBox::No:
        return DialogResult::No;
    default:
        // Closing the box with Escape or the title bar means the cautious answer.
        return buttons == DialogButtons::YesNo ? DialogResult::No : DialogResult::Cancel;
    }
}

void QtHost::Inform(std::string_view text, int offsetX, int offsetY)
{
    if (FQuestions != nullptr) {
        (void)FQuestions->Ask(text, DialogButtons::Ok);
        return;
    }
    QString shown = Text(text);
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::Information, FForm.windowTitle(), shown, QMessageBox::Ok, &FForm);
    box.adjustSize();
    QPoint centre = FForm.geometry().center() + QPoint(offsetX, offsetY);
    box.move(centre - QPoint(box.width() / 2, box.height() / 2));
    box.exec();
}

} // namespace Tandemix
