// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/DelayCountdown.h"

#include "automation/CommandLineMessages.h"

#include <thread>

namespace Tandemix {

namespace {

// An interrupt must end the wait promptly, but waking more often buys nothing.
constexpr std::chrono::milliseconds WakeInterval{100};
constexpr std::chrono::milliseconds OneSecond{1000};

} // namespace

void DelayCountdown::Tick()
{
    if (FResult) {
        return;
    }
    --FSecCount;
    if (FSecCount < 1) {
        FResult = DelayResult::Continue;
    }
}

void DelayCountdown::Press(DelayResult button)
{
    if (!FResult) {
        FResult = button;
    }
}

std::string CountdownText(int secCount)
{
    std::string text(Msg::DelayWill);
    text += ' ';
    text += Msg::DelayBeginIn;
    text += ' ';
    text += std::to_string(secCount);
    text += ' ';
    text += Msg::DelaySeconds;
    return text;
}

DelayResult RunConsoleCountdown(int seconds, const ConsoleCountdownIo& io)
{
    auto sleep = [&io](std::chrono::milliseconds span) {
        if (io.Sleep) {
            io.Sleep(span);
        } else {
            std::this_thread::sleep_for(span);
        }
    };
    auto interrupted = [&io] {
        return io.Interrupted && io.Interrupted();
    };

    DelayCountdown countdown(seconds);
    bool lineOpen = false;
    while (!countdown.Finished()) {
        if (io.ShowCount && io.Out != nullptr) {
            std::string text = io.Text ? io.Text(countdown.SecCount()) : CountdownText(countdown.SecCount());
            std::fprintf(io.Out, "\r\033[K%s", text.c_str());
            std::fflush(io.Out);
            lineOpen = true;
        }
        for (auto waited = std::chrono::milliseconds{0}; waited < OneSecond && !countdown.Finished();
             waited += WakeInterval) {
            if (interrupted()) {
                countdown.Press(DelayResult::Stop);
                break;
            }
            sleep(WakeInterval);
        }
        // A signal during the last slice still counts: the user asked before the run began.
        if (interrupted()) {
            countdown.Press(DelayResult::Stop);
        }
        countdown.Tick();
    }
    if (lineOpen) {
        std::fputc('\n', io.Out);
        std::fflush(io.Out);
    }
    return *countdown.Result();
}

} // namespace Tandemix
