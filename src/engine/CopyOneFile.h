// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"
#include "platform/FileIo.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace Tandemix {

// The open source and target folders of the files being copied: a folder's copies look names up
// in them instead of walking each whole path again.
struct CopyFolders
{
    FolderHandle Source;
    FolderHandle Target;
};

// One decided file to copy, as the decision grid describes it.
struct CopyRequest
{
    std::string Name;
    std::string SourceFolder; // with or without the trailing separator
    std::string TargetFolder; // with or without the trailing separator
    std::int64_t Size = 0; // the source size the decision saw; the space check uses it
    std::uint32_t Time = 0; // the packed time the decision saw
    std::uint32_t Attr = 0; // attribute bits to give the copy (read-only, hidden, system, archive)
    bool IsLink = false; // copy the symbolic link itself, never what it points at
    // The twin the decision saw: empty for an add (which must never replace a file that
    // appeared since), else the existing target's own name (a case-only twin keeps its name).
    std::string TargetName{};
    timespec SourceMTime{}; // the source's last write as listed; {0, 0}: not known
    CopyFolders* Folders = nullptr; // kept open across a folder's copies; none: opened for this one
};

// What became of one file; the numbers are what the run driver acts on.
enum class CopyResult : int
{
    Copied = 0,
    NotCopied = 1, // unreadable source, unwritable target, or skipped: go on with the next file
    NextFolder = 3, // no room, and the user chose to go on with the batch's next folder
    StopRun = 4, // stop requested, or no room and the user did not choose to go on
};

// Copies one file into the target folder without ever leaving a damaged target behind: the data
// goes to a new file beside the target, which replaces the target in one rename (an update) or
// takes a name nobody holds (an add: a file that appeared there meanwhile is never replaced)
// only when every byte is written and the source proved unchanged; times and attributes follow
// on the final name. Stop, Skip File, a read or write error, a full disk, a source that changed
// while it was read or a killed process leave the old target exactly as it was. Polls stop and
// skip after every chunk of about a mebibyte and keeps Engine.FileGauge at the percentage
// copied. Returns a CopyResult number (0, 1, 3, 4). UI thread only.
int CopyOneFile(RunContext& ctx, const CopyRequest& r);

// Bytes moved between two polls of stop and skip.
inline constexpr std::size_t CopyChunkSize = 1024 * 1024;

} // namespace Tandemix
