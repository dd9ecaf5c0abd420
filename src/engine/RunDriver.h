// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"
#include "engine/RunTotals.h"

#include <cstdint>

namespace Tandemix {

// The synchronise command: runs the folders on screen (or the batch list) once, or twice when
// unmatched items are to be deleted before anything is copied (a first pass that only
// decides and hands the unmatched items over, then the copy pass; the option is on again
// afterwards). Ignored while another run or any other long operation is going on, which also
// makes a second click pumped during a run harmless. Refused (Failed, with Totals.Refused and
// the reason shown) before anything is written when the folders on screen overlap or one is
// the root, or when another run of this program is writing into the target; the target is
// guarded for the whole run (TargetLock). A batch list's rows are not checked here. UI thread
// only.
RunOutcome SyncButtonClick(RunContext& ctx, RunSender sender);

// A run that decides and logs what it would do into the pre-sync report log and changes
// nothing on disk. The log is on for it whatever the setting says; the setting is kept.
RunOutcome PreReportButtonClick(RunContext& ctx);

// One run: prepares (controls, counters, timing, log header, report lists), queues the folder
// pairs, walks them, and closes (empty created folders removed, log trailer, controls back,
// "Done!"). Returns 0 completed, 4 stopped or aborted, 3 the last folder was left early.
// Engine.Totals.Outcome tells how it went.
int RunDriver(RunContext& ctx, RunSender sender);

// Walks the folder queue and then hands the unmatched items over (a completed run) or drops
// them (any other). An error raised inside is shown and ends the walk with 4.
int SyncDirectories(RunContext& ctx, RunSender sender);

} // namespace Tandemix
