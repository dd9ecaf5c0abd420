// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/LaterHooks.h"
#include "reporting/ReportLists.h"
#include "unmatched/DeleteUnmatched.h"

namespace Tandemix {

// The run's hand-over for unmatched target items: what the walk left in the program's
// unmatched list is deleted when the options say so. UI thread only.
class UnmatchedHooks : public LaterHooks
{
public:
    explicit UnmatchedHooks(ReportLists& lists)
        : FLists(lists)
    {}

    bool DeleteUnmatchedFiles(RunContext& ctx, RunSender sender) override
    {
        return Tandemix::DeleteUnmatchedFiles(ctx, FLists, sender);
    }

private:
    ReportLists& FLists;
};

} // namespace Tandemix
