// SPDX-License-Identifier: GPL-3.0-or-later
// Lists one folder pair and decides it, as a run does for each folder, with nothing shown and
// nothing reported: the engine's own cost of a no-op resync, for bench/listing_bench.sh.
//
//   list_decide SOURCE TARGET
//
// Prints "rows adds updates unmatched elapsed-ms" on one line.
#include "engine/DecideMessages.h"
#include "engine/EngineState.h"
#include "engine/FileListing.h"
#include "engine/Host.h"
#include "engine/MatchAndDecide.h"
#include "engine/Reporter.h"
#include "engine/RunContext.h"
#include "engine/RunState.h"
#include "settings/Options.h"

#include <chrono>
#include <cstdio>

namespace {

using namespace Tandemix;

class NullHost : public Host
{
public:
    void ShowStatus(std::string_view) noexcept override {}
    void SetCursorShape(CursorShape shape) noexcept override { FCursor = shape; }
    CursorShape CurrentCursorShape() const noexcept override { return FCursor; }
    void SetStopEnabled(bool) noexcept override {}
    void EnableControls(bool) noexcept override {}
    void SetElapsedTimerRunning(bool) noexcept override {}
    void ShowElapsed(std::string_view) noexcept override {}
    void ProcessMessages() override {}
    DialogResult Ask(std::string_view, DialogButtons) override { return DialogResult::Ok; }

private:
    CursorShape FCursor = CursorShape::Default;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SOURCE TARGET\n", argv[0]);
        return 2;
    }
    NullHost host;
    NullReporter reporter;
    Options options;
    options.DisplayMessages = false;
    RunState state(host, options);
    EngineState engine;
    RunContext ctx{options, state, host, reporter, engine};
    engine.Source.Folder = argv[1];
    engine.Target.Folder = argv[2];
    // As inside a run: the counters and the unmatched bookkeeping are part of the cost.
    state.SyncActive = true;

    auto start = std::chrono::steady_clock::now();
    BuildFileListing(ctx, Side::Source);
    BuildFileListing(ctx, Side::Target);
    MatchAndDecide(ctx, false);
    auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);

    std::size_t adds = 0;
    for (const DeltaRow& row : engine.Delta.Rows) {
        adds += row.Reason == Msg::NoMatch ? 1 : 0;
    }
    std::printf("%zu %zu %zu %zu %.1f\n",
                engine.Delta.Rows.size(),
                adds,
                engine.Delta.Rows.size() - adds,
                engine.Target.Files.size(),
                elapsed.count());
    return 0;
}
