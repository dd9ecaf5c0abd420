// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"

namespace Tandemix {

// Decides, file by file, what the copy step has to do for the folder pair on screen: every
// source file without a target twin becomes an add row ("No Match"), every one that must
// replace its twin an update row; everything else is left alone. Consumes the source listing
// completely (a stop leaves the undecided rest in place) and takes every matched file out of
// the target listing, so what remains there are the target files without a source match, in
// listing order. Names match exactly first; a name differing only in case matches a target
// file that no source file claims by its exact name. The target files the filters left out are
// twins too (decided as any other, never unmatched), and a target entry that is not a file
// blocks the copy of its name with a message. Times compare as UTC two-second slots, so a
// daylight-saving change never flips a decision. Linear in the number of files.
// selectedOnly: only the source files marked Selected take part (drag-and-drop of a selection).
void MatchAndDecide(RunContext& ctx, bool selectedOnly);

// "Update List": previews the decisions for the folders on screen (the target as a run would
// write into it), then lists both folders again so the panes show them once more.
void UpdateButtonClick(RunContext& ctx);

// Empties the decision grid and zeroes its totals and the gauges.
void ClearDeltaButtonClick(RunContext& ctx);

} // namespace Tandemix
