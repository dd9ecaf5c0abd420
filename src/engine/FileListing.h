// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EngineState.h"
#include "engine/RunContext.h"
#include "platform/Mounts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace Tandemix {

// How a listing ended. Anything but Listed means the side's list may lack files that exist, so
// nothing may be judged unmatched (and deleted) on the strength of it.
enum class ListingOutcome
{
    Listed, // the folder was read to its end
    NotListed, // settings are being applied: the list was left alone
    FolderMissing, // the folder does not exist: listed as empty
    Stopped, // a stop request ended the listing early
    ReadFailed, // the folder could not be read (completely); reported in the logs
};

SideListing& ListingOf(EngineState& engine, Side side);

// Lists the side's folder into the side's list, through the file filters: one read of the
// folder, one stat per entry, every include mask applied to each name in mask order (a file
// matching two masks is listed twice). Folders are never listed; during a run the target's
// sub-folders are filed as unmatched. Updates the counts, the byte total and the free space.
// Polls for a stop at every entry found. UI thread only.
ListingOutcome BuildFileListing(RunContext& ctx, Side side);

// Lists the source, then the target, pumping the host's events between; shows "Ready".
void RefreshFileListings(RunContext& ctx);

// Passes one found file through the filters; when it passes, appends its record to the side's
// list (and during a run files a target file as unmatched until the decision finds its source).
// A source file that fails is filed as excluded with the reason; a target file is dropped.
bool AddFileRecord(RunContext& ctx,
                   std::string_view name,
                   const std::string& folder,
                   Side side,
                   std::uint32_t attr,
                   std::uint32_t packedTime,
                   std::int64_t size,
                   std::int64_t compressedSize,
                   bool isLink);

// The date-and-time text a listed file carries in the report lists. Whoever takes a file back
// out of the unmatched list must build its detail with this same text.
std::string FileDateTimeText(std::uint32_t packedTime);

// Free bytes of the filesystem a folder is (or will be) on; -1 when they cannot be read.
std::int64_t FreeSpaceAt(const std::string& folder);

// Shows the free space beside the side's pane (and for the target keeps the figure the space
// check reads). A target whose free space cannot be read, a share that does not answer, shows
// "Unknown" and keeps -1, which switches the space check off.
void UpdateFreeSpace(RunContext& ctx,
                     Side side,
                     const std::string& folder,
                     std::int64_t (*freeSpace)(const std::string&) = &FreeSpaceAt);

// The compressed view of a folder: lists the folder's archive instead of the folder when the
// side's compressed view is chosen. Archives are not readable yet: always false, and the
// side's compressed view stays unavailable.
bool ListCompressedView(RunContext& ctx, Side side, const std::string& folder);

} // namespace Tandemix
