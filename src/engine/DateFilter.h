// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"
#include "settings/DateRange.h"

#include <ctime>

namespace Tandemix {

// Takes the range of the two date edits and lists both folders again.
DateLabels UseDatesFromToClick(RunContext& ctx, std::time_t now);

} // namespace Tandemix
