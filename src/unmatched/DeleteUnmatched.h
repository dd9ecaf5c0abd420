// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"
#include "engine/RunTotals.h"
#include "reporting/ReportLists.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Tandemix {

// Why the unmatched items of a pair are held back although deletion is on. Each is how users of
// sync tools lose data: the source side was not seen whole, or the deletion is far too big.
enum class DeletionHold
{
    None,
    SourceMissing, // the source folder is gone
    SourceEmpty, // no entries at all while the target has some: an unmounted drive's mount point
    SourceNotMounted, // a mount point of the system's table whose file system is not mounted
    MassDeletion, // more than half of the target's files, and at least MassDeletionMinimum
};

inline constexpr std::int64_t MassDeletionMinimum = 10;

// What a deletion of unmatched items would remove.
struct DeletionPlan
{
    std::vector<UnmatchedItem> Items;
    std::int64_t FilesToDelete = 0; // the file entries, and the files inside folder entries
    std::int64_t TargetFiles = 0; // the target files the walk listed, and those inside folders
};

DeletionPlan PlanDeletion(const RunContext& ctx, std::vector<UnmatchedItem> items);
// The first guard that holds the plan back, or None.
DeletionHold HoldFor(const RunContext& ctx, const DeletionPlan& plan);

// Deletes what the run left in the unmatched list, at the end of a run or between batch items:
// after the guards, after the countdown, never through a link, never outside the pair's target,
// into the recovery folder when one is set. False only when the user cancelled.
bool DeleteUnmatchedFiles(RunContext& ctx, ReportLists& lists, RunSender sender);

// Deletes the given entries of a list now (the end of a run, the report window's Delete):
// deleted entries leave the list, an entry that could not be deleted stays. Nothing outside
// `targetRoot`, or below a link inside it, is touched. Returns the number of entries that stay.
std::size_t DeleteListedItems(RunContext& ctx,
                              ReportLists& lists,
                              ReportCategory category,
                              const std::vector<UnmatchedItem>& items,
                              const std::string& targetRoot);

// The entries that report lines name: the run's own record for an unmatched line, otherwise the
// line read back field by field (name, size, detail, folder; "---" marks a folder). Nothing at
// all when one line cannot be read back whole (a name holding a TAB, a damaged line): a
// selection is never half acted on.
std::optional<std::vector<UnmatchedItem>>
ItemsOfLines(const ReportLists& lists, ReportCategory category, const std::vector<std::string>& lines);

// Empties a folder depth first, as a deletion of unmatched folders does: files go to the
// recovery folder when one is set (and the recovery folder itself is kept), every deletion is
// filed, a link is deleted as a link and never entered. Each failure is reported; the rest goes
// on. The recovery folder itself, or a folder in it, is emptied by erasing. True when nothing
// stayed.
bool DeleteFolderContents(RunContext& ctx, const std::string& folder);

} // namespace Tandemix
