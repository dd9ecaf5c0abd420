// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Host.h"

namespace Tandemix {

class TMainSyncForm;

// The host of the windowed program: shows the engine's state in the main window and asks the
// user with real message boxes. A test can route every question to a scripted host instead,
// so that no modal dialog ever blocks a test. UI thread only.
class QtHost : public Host
{
public:
    explicit QtHost(TMainSyncForm& form);

    void RouteQuestionsTo(Host* other) { FQuestions = other; }

    void ShowStatus(std::string_view text) noexcept override;
    void SetCursorShape(CursorShape shape) noexcept override;
    CursorShape CurrentCursorShape() const noexcept override;
    void SetStopEnabled(bool enabled) noexcept override;
    void EnableControls(bool enable) noexcept override;
    void SetElapsedTimerRunning(bool running) noexcept override;
    void ShowElapsed(std::string_view text) noexcept override;
    void ProcessMessages() override;
    DialogResult Ask(std::string_view text, DialogButtons buttons) override;
    // An information box (OK) centred on the window, its centre `offsetX`, `offsetY` from the
    // window's centre; LF or CR separate the lines.
    void Inform(std::string_view text, int offsetX = 0, int offsetY = 0);
    void ShowRunProgress(const EngineState& engine) noexcept override;
    void RunFinished() noexcept override;
    CountdownAnswer DeletionCountdown(int seconds, std::size_t entries) override;
    void ShowUnmatchedSelected() noexcept override;

private:
    TMainSyncForm& FForm;
    Host* FQuestions = nullptr;
    CursorShape FCursor = CursorShape::Default;
};

} // namespace Tandemix
