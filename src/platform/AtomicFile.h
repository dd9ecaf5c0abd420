// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SysResult.h"

#include <string>
#include <string_view>

namespace Tandemix {

// Whole-file writes that a crash, a full disk or a failed call can never leave half done: the
// new content goes to a temporary file beside the target and replaces it with one rename, so
// the target is always either the old file or the complete new one. Any thread; never throws.

// Name of the temporary file written beside `finalPath` before it is renamed over it:
// ".<final name>.<6 random letters or digits>.txpart" in the same folder. The folder listing
// hides such names and a later run removes leftovers, so they must stay recognisable. A final
// name too long to carry the suffix within the 255-byte name limit is shortened in the temp name.
std::string TempPathFor(const std::string& finalPath);

// True exactly for names TempPathFor produces; takes a bare name or a path (last component).
bool IsTempName(std::string_view name);

// Writes `content` to a temporary file in the target's folder (every write checked: a short
// write is retried for the rest, never taken as success), fdatasync, close (close errors count),
// gives it the old file's owner and permission bits when the target exists, then renames it over
// `path`. A symbolic link at `path` is written through: its target is replaced, the link stays.
// An existing target that cannot be opened for writing is refused with that error (a read-only
// file stays read-only, as an in-place write would find it). On any failure the temporary file
// is removed and the old file is untouched. Consults FaultOp::Open (temp create), Write
// (CheckWriteFault may shorten a write), Sync and Rename (with `path`).
// fails: ENOENT (no folder), EACCES, EROFS, ENOSPC, EDQUOT, EIO
SysStatus WriteFileAtomically(const std::string& path, std::string_view content);

// The whole content of a file. Consults FaultOp::Read.
// fails: ENOENT when missing, EACCES, EISDIR, EIO
SysResult<std::string> ReadWholeFile(const std::string& path);

} // namespace Tandemix
