// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Host.h"

namespace Tandemix {
struct EngineState;
}

#include <cstdio>
#include <string>

namespace Tandemix {

// The host of a run without a display (cron, ssh, a systemd timer). Nobody can answer a
// question, so each one gets the answer the program gives with messages switched off, and is
// written to stderr. Status goes to stderr as one rewritten line when stderr is a terminal.
// SIGINT and SIGTERM become a stop request that the next poll confirms, so an interrupted run
// still closes its log. UI (main) thread only.
class ConsoleHost : public Host
{
public:
    explicit ConsoleHost(std::FILE* out = stderr);
    ~ConsoleHost() override;

    void ShowStatus(std::string_view text) noexcept override;
    void SetCursorShape(CursorShape) noexcept override {}
    CursorShape CurrentCursorShape() const noexcept override { return CursorShape::Default; }
    void SetStopEnabled(bool) noexcept override {}
    void EnableControls(bool) noexcept override {}
    void SetElapsedTimerRunning(bool) noexcept override {}
    void ShowElapsed(std::string_view) noexcept override {}
    void ProcessMessages() override;
    DialogResult Ask(std::string_view text, DialogButtons buttons) override;
    bool CanAsk() const noexcept override { return false; }
    // Counts down on the terminal; SIGINT or SIGTERM meanwhile cancels the deletion.
    CountdownAnswer DeletionCountdown(int seconds, std::size_t entries) override;
    void ShowRunProgress(const EngineState& engine) noexcept override;

    // True once SIGINT or SIGTERM arrived; the caller turns it into a stop request.
    static bool InterruptRequested();
    void InstallSignalHandlers();

    // Set by the owner: what an interrupt does (normally RunState::StopButtonClick).
    void (*OnInterrupt)(void*) = nullptr;
    void* OnInterruptContext = nullptr;
    // The engine state whose progress the pump shows between the chunks of a long copy.
    const EngineState* Progress = nullptr;

private:
    void EndStatusLine();

    std::FILE* FOut;
    bool FTerminal = false;
    bool FLineOpen = false;
    bool FInterruptHandled = false;
    long long FLastProgressMs = 0;
};

// The answer a prompt gets when nobody may be asked.
DialogResult UnattendedAnswer(DialogButtons buttons);

} // namespace Tandemix
