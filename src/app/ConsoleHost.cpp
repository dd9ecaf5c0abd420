// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ConsoleHost.h"

#include "automation/DelayCountdown.h"
#include "engine/EngineState.h"
#include "unmatched/UnmatchedMessages.h"

#include <unistd.h>

#include <chrono>
#include <csignal>

namespace Tandemix {

namespace {

volatile std::sig_atomic_t Interrupted = 0;

extern "C" void OnSignal(int)
{
    Interrupted = 1;
}

} // namespace

ConsoleHost::ConsoleHost(std::FILE* out)
    : FOut(out)
    , FTerminal(isatty(fileno(out)) != 0)
{}

ConsoleHost::~ConsoleHost()
{
    EndStatusLine();
}

void ConsoleHost::InstallSignalHandlers()
{
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool ConsoleHost::InterruptRequested()
{
    return Interrupted != 0;
}

void ConsoleHost::EndStatusLine()
{
    if (FLineOpen) {
        std::fputc('\n', FOut);
        std::fflush(FOut);
        FLineOpen = false;
    }
}

void ConsoleHost::ShowStatus(std::string_view text) noexcept
{
    if (!FTerminal) {
        return;
    }
    // One line, rewritten in place and cut to a usual terminal width.
    std::string line(text.substr(0, 79));
    std::fprintf(FOut, "\r\033[K%s", line.c_str());
    std::fflush(FOut);
    FLineOpen = true;
}

void ConsoleHost::ProcessMessages()
{
    if (Progress != nullptr) {
        ShowRunProgress(*Progress);
    }
    if (Interrupted != 0 && !FInterruptHandled) {
        FInterruptHandled = true;
        if (OnInterrupt != nullptr) {
            OnInterrupt(OnInterruptContext);
        }
    }
}

DialogResult ConsoleHost::Ask(std::string_view text, DialogButtons buttons)
{
    EndStatusLine();
    DialogResult answer = UnattendedAnswer(buttons);
    // An interrupt is the one question an unattended user has already answered.
    if (Interrupted != 0 && buttons == DialogButtons::YesNo) {
        answer = DialogResult::Yes;
    }
    std::string shown(text);
    std::fprintf(FOut, "tandemix: %s\n", shown.c_str());
    std::fflush(FOut);
    return answer;
}

CountdownAnswer ConsoleHost::DeletionCountdown(int seconds, std::size_t entries)
{
    EndStatusLine();
    auto text = [entries](int secCount) {
        return std::to_string(entries) + " " + std::string(UnmatchedMsg::CountdownFirst) + " "
               + std::string(UnmatchedMsg::CountdownSecond) + " " + std::to_string(secCount) + " "
               + std::string(UnmatchedMsg::CountdownThird);
    };
    // Said once where nobody watches a terminal: a collected log tells why the run waited.
    if (!FTerminal) {
        std::fprintf(FOut, "tandemix: %s\n", text(seconds).c_str());
        std::fflush(FOut);
    }
    ConsoleCountdownIo io;
    io.Out = FOut;
    io.ShowCount = FTerminal;
    io.Text = text;
    io.Interrupted = [] {
        return InterruptRequested();
    };
    return RunConsoleCountdown(seconds, io) == DelayResult::Continue ? CountdownAnswer::Delete
                                                                     : CountdownAnswer::Cancel;
}

void ConsoleHost::ShowRunProgress(const EngineState& engine) noexcept
{
    if (!FTerminal) {
        return;
    }
    // A terminal line a few times a second is plenty; more only costs the run time.
    long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    if (now - FLastProgressMs < 200) {
        return;
    }
    FLastProgressMs = now;
    const RunTotals& t = engine.Totals;
    char line[160];
    std::snprintf(line,
                  sizeof line,
                  "%d added, %d updated, %d checked, %d folders to do  %.50s %d%%",
                  t.TotFilesAdded,
                  t.TotFilesUpdated,
                  engine.TotalFilesCheckedValue,
                  t.PreFolderCount,
                  t.CurrentFileName.c_str(),
                  engine.FileGauge);
    std::fprintf(FOut, "\r\033[K%s", line);
    std::fflush(FOut);
    FLineOpen = true;
}

DialogResult UnattendedAnswer(DialogButtons buttons)
{
    switch (buttons) {
    case DialogButtons::Ok:
    case DialogButtons::OkCancel:
        return DialogResult::Ok;
    case DialogButtons::YesNo:
        return DialogResult::No;
    case DialogButtons::YesCancel:
        return DialogResult::Yes;
    case DialogButtons::AbortIgnore:
    case DialogButtons::AbortRetryIgnore:
        return DialogResult::Ignore;
    }
    return DialogResult::Ok;
}

} // namespace Tandemix
