// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/DelayCountdown.h"

#include "automation/CommandLine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <tuple>

namespace Tandemix {
namespace {

using std::chrono::milliseconds;

TEST(ParseDelayArgTest, ReadsSecondsAndPlacement)
{
    // Five digits at most; "_" has no -D at all.
    // clang-format off
    const std::tuple<const char*, int, bool> rows[] = {
        {"-D10", 10, false}, {"-DH10", 10, true}, {"-d5", 5, false}, {"-D123456", 12345, false}, {"_", 0, false},
        {"-D", 0, false}, {"-D0", 0, false}, {"-D-5", 0, false}, {"-S30", 0, false}, {"/data/X30", 0, false}};
    // clang-format on
    for (const auto& [arg, seconds, offScreen] : rows) {
        DelayRequest request = ParseDelayArg(arg);
        EXPECT_EQ(std::tuple(request.Seconds, request.OffScreen), std::tuple(seconds, offScreen)) << arg;
    }
}

TEST(DelayCountdownTest, RunsOutAfterExactlyItsSecondsAndTheFirstAnswerStands)
{
    for (int seconds : {1, 3, 10}) {
        DelayCountdown countdown(seconds);
        for (int tick = 1; tick < seconds; ++tick) {
            countdown.Tick();
            ASSERT_FALSE(countdown.Finished()) << seconds << " s, tick " << tick;
            EXPECT_EQ(countdown.SecCount(), seconds - tick);
        }
        countdown.Tick();
        countdown.Press(DelayResult::Exit); // the first answer stands, the countdown's own included
        EXPECT_EQ(countdown.Result(), DelayResult::Continue) << seconds;
    }
    EXPECT_EQ(CountdownText(10), "Automatic batch operation will begin in 10 seconds.");

    DelayCountdown stopped(10);
    stopped.Tick();
    stopped.Press(DelayResult::Stop);
    stopped.Press(DelayResult::Continue);
    for (int i = 0; i < 20; ++i) {
        stopped.Tick(); // the timer may still fire once after a button
    }
    EXPECT_EQ(std::tuple(stopped.Result(), stopped.SecCount()), std::tuple(DelayResult::Stop, 9));
}

// A clock that only advances when the countdown sleeps, and an interrupt that arrives at a
// chosen moment of that clock.
struct FakeConsole
{
    milliseconds Slept{0};
    std::optional<milliseconds> InterruptAt;
    std::string Output;

    DelayResult Run(int seconds, bool showCount)
    {
        char* buffer = nullptr;
        std::size_t size = 0;
        std::FILE* out = open_memstream(&buffer, &size);
        ConsoleCountdownIo io;
        io.Out = out;
        io.ShowCount = showCount;
        io.Sleep = [this](milliseconds span) {
            Slept += span;
        };
        io.Interrupted = [this] {
            return InterruptAt && Slept >= *InterruptAt;
        };
        DelayResult result = RunConsoleCountdown(seconds, io);
        std::fclose(out);
        Output.assign(buffer, size);
        std::free(buffer);
        return result;
    }
};

// Only an interrupt ends the wait early, and within a tenth of a second even at the last moment.
TEST(ConsoleCountdownTest, WaitsTheWholeTimeSayingSoOnlyToATerminalUnlessInterrupted)
{
    FakeConsole console;
    EXPECT_EQ(console.Run(3, true), DelayResult::Continue);
    EXPECT_EQ(console.Slept, milliseconds{3000});
    // One line rewritten once a second, counting down, closed by a line end.
    for (const char* second : {"3", "2", "1"}) {
        EXPECT_NE(console.Output.find(std::string("begin in ") + second + " seconds."), std::string::npos);
    }
    EXPECT_EQ(console.Output.find("begin in 0 seconds."), std::string::npos);
    EXPECT_EQ(console.Output.back(), '\n');

    FakeConsole silent; // not a terminal
    EXPECT_EQ(silent.Run(2, false), DelayResult::Continue);
    EXPECT_EQ(silent.Slept, milliseconds{2000});
    EXPECT_TRUE(silent.Output.empty()) << silent.Output;

    for (auto [seconds, at] : {std::pair{10, 1250}, std::pair{2, 2000}}) {
        FakeConsole interrupted;
        interrupted.InterruptAt = milliseconds{at};
        EXPECT_EQ(interrupted.Run(seconds, false), DelayResult::Stop) << at;
        EXPECT_GE(interrupted.Slept, milliseconds{at});
        EXPECT_LE(interrupted.Slept, milliseconds{at + 100});
    }
}

} // namespace
} // namespace Tandemix
