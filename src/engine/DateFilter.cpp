// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/DateFilter.h"

#include "engine/FileListing.h"

namespace Tandemix {

DateLabels UseDatesFromToClick(RunContext& ctx, std::time_t now)
{
    ctx.Opts.DatesMode = DateMode::FromTo;
    ctx.Opts.DateFrom = ctx.Opts.UseDateFrom;
    ctx.Opts.DateTo = ctx.Opts.UseDateTo;
    DateLabels labels = SetSyncDateLabel(ctx.Opts, now);
    RefreshFileListings(ctx);
    return labels;
}

} // namespace Tandemix
