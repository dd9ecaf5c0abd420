// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EngineState.h"
#include "engine/FileFilters.h"
#include "engine/RunContext.h"
#include "platform/DirReader.h"
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

// How a listing of the side reads its folder now: a read done ahead of it must match.
EntryOptions ListingEntryOptions(const RunContext& ctx, Side side);

// Lists the source, then the target, pumping the host's events between; shows "Ready".
void RefreshFileListings(RunContext& ctx);

// One file a listing found.
struct FoundFile
{
    FileFacts Facts;
    std::int64_t CompressedSize = -1; // -1: not a member of an archive
    bool IsLink = false;
};

// Passes one found file through the filters; when it passes, appends its record to the side's
// list (and during a run files a target file as unmatched until the decision finds its source).
// A source file that fails is filed as excluded with the reason; a target file is dropped.
bool AddFileRecord(RunContext& ctx, const std::string& folder, Side side, const FoundFile& file);

// The date-and-time text a listed file carries in the report lists. Whoever takes a file back
// out of the unmatched list must build its detail with this same text.
std::string FileDateTimeText(std::uint32_t packedTime);

// Whether this run keeps the unmatched list: a synchronisation with the report form and its
// unmatched list on, outside the stretches where the walk suppresses it.
bool ReportsUnmatched(const RunContext& ctx);
// ReportsUnmatched, unless an archive is synchronised into its own folder: that archive holds
// every target file, so none is unmatched.
bool ReportsUnmatchedFiles(const RunContext& ctx);
// Files or withdraws (`kind`: Msg::ReportUnMatchedFiles or Msg::DeleteUnMatchedFiles) one target
// file's line in the unmatched list; both build the line alike, so a withdrawal finds its line.
void FileUnmatchedEntry(RunContext& ctx, const TFileData& file, std::string_view kind);

// Free bytes of the filesystem a folder is (or will be) on; -1 when they cannot be read.
std::int64_t FreeSpaceAt(const std::string& folder);

// Shows the free space beside the side's pane (and for the target keeps the figure the space
// check reads). A target whose free space cannot be read, a share that does not answer, shows
// "Unknown" and keeps -1, which switches the space check off.
void UpdateFreeSpace(RunContext& ctx,
                     Side side,
                     const std::string& folder,
                     std::int64_t (*freeSpace)(const std::string&) = &FreeSpaceAt);

// After a copy of `bytes` into the target: lowers the target's free space by what the file
// takes, without asking the disk (the disk is asked once per folder, and again by the space
// check before it refuses a file).
void CountDownTargetSpace(RunContext& ctx, std::int64_t bytes);

// The compressed view of a folder: lists the folder's archive instead of the folder when the
// side's compressed view is chosen (through the run's hooks; without them, never).
bool ListCompressedView(RunContext& ctx, Side side, const std::string& folder);

} // namespace Tandemix
