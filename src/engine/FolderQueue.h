// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"
#include "engine/RunTotals.h"

#include <optional>
#include <string>

namespace Tandemix {

// The folder a run synchronises into when the create-sub-folder option is on: the target plus
// the source folder's own name, so that "Photos" lands in "backup/Photos" and not loose in
// "backup". Nothing when the target already ends in that name (compared without case) or the
// source has no name of its own (the root).
std::optional<std::string> SubFolderTarget(const std::string& source, const std::string& target);

// Applies the create-sub-folder option to the folders on screen: makes the target
// SubFolderTarget(...) and creates it. False, after telling the user "Cannot Create/Change
// Folder: ", when it cannot be created; the run then synchronises nothing.
bool UseSubFolderTarget(RunContext& ctx);

// Fills Engine.FolderQueue with the pairs the run will walk: the pair on screen (followed by
// its whole sub-tree when sub-folders are included), or, for a batch list, every row's pairs
// each followed by a Next marker. A stop while counting leaves the queue empty.
void BuildFolderQueue(RunContext& ctx);

// Queues (source, target) followed by every sub-folder pair below it, depth first, each folder
// before its own sub-folders, to any depth; hidden folders included, symbolic links to folders
// never followed (no loops, nothing outside the tree). Target names mirror the source names.
// Returns the number of sub-folders queued, which is also what it adds to PreFolderCount; -1
// when a stop was requested (the queue then holds a part of the tree). Polls for a stop at
// every folder entry.
int EnqueueFolderTree(RunContext& ctx, const std::string& source, const std::string& target);

// Works the queue pair by pair: lists both folders, creates a missing target, decides and
// copies (SyncFolder). Returns the result of the last folder: 0 completed, 4 stopped or
// aborted (the rest of the queue is dropped), 3 the last folder was left early.
int WalkFolderQueue(RunContext& ctx, RunSender sender);

// Removes the folders this run created that stayed empty, the last created first (so a chain
// of empty folders goes completely); a folder with anything in it stays. Empties the list.
// Then gives the folders made for a source folder that folder's permission bits.
void RemoveEmptyCreatedFolders(RunContext& ctx);

// Gives each folder the run made for a source folder that folder's permission bits, children
// before parents, and forgets them. A folder that was there before the run is never changed.
void ApplyCreatedFolderModes(RunContext& ctx);

} // namespace Tandemix
