// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchRow.h"
#include "unmatched/UnmatchedHooks.h"

#include <optional>
#include <string>

namespace Tandemix {

// Reads a batch file for one of the batch pages. Lines it refuses are told through the
// context's host and the message list; a file that cannot be read gives nothing, and the user
// hears "Batch File Not Accessible:" with its path.
std::optional<BatchList> OpenBatchList(RunContext& ctx, const std::string& path);

// The run's hand-over for an open batch list, on top of the unmatched items': the rows the run
// walks one after the other, each applied to the options before its pair is queued. UI thread
// only.
class BatchHooks : public UnmatchedHooks
{
public:
    using UnmatchedHooks::UnmatchedHooks;

    // Opens a batch file for running. Lines it refuses are told through the context's host and
    // the message list; a file that cannot be read opens nothing (false).
    bool OpenBatchFile(RunContext& ctx, const std::string& path);
    const BatchList& List() const { return FList; }
    // The list the run page shows, put there by the page (a file opened, or nothing: cleared).
    void SetList(BatchList list);
    // Stands on `row` without applying it: the grid's own selection, not a run's step.
    void SetCurrentRow(int row) { FCurrentRow = row; }

    int BatchRowCount(RunContext& ctx) override;
    BatchRowFolders BatchRow(RunContext& ctx, int row) override;
    int BatchCurrentRow(RunContext& ctx) override;
    int InitiateBatchItem(RunContext& ctx, int row) override;
    void ReturnToFirstBatchRow(RunContext& ctx) override;

private:
    BatchList FList;
    int FCurrentRow = 0;
};

} // namespace Tandemix
