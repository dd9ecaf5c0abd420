// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"
#include "engine/RunTotals.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace Tandemix {

// What a decided row asks for under the run options.
enum class RowActions : int
{
    None = 0, // neither adds nor updates are carried out for it
    Update = 1,
    Add = 2,
};

// Add for a "No Match" row while adds are carried out, Update for any other row while updates
// are; None otherwise.
RowActions RowAction(const RunContext& ctx, std::size_t row);

// Synchronises the folder pair on screen, whose two listings are made: decides (MatchAndDecide)
// and then copies each decided file, or only logs it in a pre-sync report run, or nothing at all
// in the pre-delete pass. Every file done is logged ("Added:"/"Updated:", or "Add:"/"Update:"
// in a report run), filed in the report lists and counted. Returns 0 done, 4 stopped or aborted,
// 3 left early for the next folder (no room on the target). Outside a run (a drop of selected
// files) both folders are listed again afterwards. UI thread only.
int SyncFolder(RunContext& ctx, RunSender sender);

// The log line of a file done: the label right-aligned in 8 characters, a blank, the name
// left-aligned in at least 10.
std::string FileDoneLogLine(std::string_view label, std::string_view name);

} // namespace Tandemix
