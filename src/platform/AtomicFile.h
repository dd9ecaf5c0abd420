// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SysResult.h"

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace Tandemix {

// Whole-file writes that a crash, a full disk or a failed call can never leave half done: the
// new content goes to a temporary file beside the target and replaces it with one rename, so
// the target is always either the old file or the complete new one. Any thread; never throws.

// Name of the temporary file written beside `finalPath` before it is renamed over it:
// ".<final name>.<6 random letters or digits>.txpart" in the same folder. A final name too long
// to carry the suffix within the 255-byte name limit is shortened in the temp name.
std::string TempPathFor(const std::string& finalPath);

// True exactly for names TempPathFor produces; takes a bare name or a path (last component).
// A user may have files named like this: the name alone never makes a file ours.
bool IsTempName(std::string_view name);

// ---- Temporary entries and their journal ---------------------------------------------------------
// A killed process cannot remove its temporary files, and a later run must not guess which
// files were ours from their names. So every temporary entry is recorded before it is made:
// one small append to this process's journal file (no flush: the entry itself is not flushed
// either), and nothing more per file. Renaming or removing the entry needs no write: a recorded
// path that no longer exists is simply skipped. The journal is locked (flock) while its process
// lives, so a later run knows which journals were left by processes that ended.

// Records this process's temporary entries in `folder` (created when missing), from now on; the
// journal file is made at the first record, so a run that needs no named temporary entry writes
// nothing. An empty folder stops recording. Any thread.
void UseTempJournal(const std::string& folder);
// Every journal in `folder` whose process has ended: the recorded entries that still exist are
// removed, then the journal. Entries of a running process are left alone. Any thread.
void RemoveRecordedTempFiles(const std::string& folder);

// Makes a new entry beside `finalPath` under a fresh TempPathFor name: records it, then calls
// `make` with the name, which returns 0 or an errno (EEXIST tries another name, up to 64). On
// success the caller owns the entry and calls TempEntryGone once it is renamed or deleted.
SysResult<std::string> CreateTempEntry(const std::string& finalPath,
                                       const std::function<int(const std::string&)>& make);
// A new, private temporary file for writing (O_EXCL, `mode`); its descriptor goes to `fd`.
// Consults FaultOp::Open with the temporary path.
SysResult<std::string> CreateTempFile(const std::string& finalPath, mode_t mode, int& fd);
void TempEntryGone();

// A named temporary entry made by CreateTempEntry or CreateTempFile: deleted on every way out
// except Release (the rename that made it the final file), and struck off this process's
// outstanding temporary entries either way. Keeps errno, so a failure's cause survives it.
class TempEntry
{
public:
    TempEntry() = default;
    ~TempEntry();
    TempEntry(const TempEntry&) = delete;
    TempEntry& operator=(const TempEntry&) = delete;

    void Adopt(std::string path) { FPath = std::move(path); }
    const std::string& Path() const { return FPath; }
    void Release();

private:
    std::string FPath;
};

// Writes `content` to a temporary file in the target's folder (every write checked: a short
// write is retried for the rest, never taken as success), fdatasync, close (close errors count),
// gives it the old file's owner and permission bits when the target exists, then renames it over
// `path`. A symbolic link at `path` is written through: its target is replaced, the link stays.
// An existing target that cannot be opened for writing is refused with that error (a read-only
// file stays read-only, as an in-place write would find it). On any failure the temporary file
// is removed and the old file is untouched. Consults FaultOp::Open (temp create), Write
// (CheckWriteFault may shorten a write), Sync and Rename (with `path`).
// fails: ENOENT (no folder), EACCES, EROFS, ENOSPC, EDQUOT, EIO
// With `exactMode` the file gets exactly those bits, old file or not (a private file that was
// once readable by others is made private again).
SysStatus WriteFileAtomically(const std::string& path,
                              std::string_view content,
                              std::optional<mode_t> exactMode = std::nullopt);

// The whole content of a file. Consults FaultOp::Read.
// fails: ENOENT when missing, EACCES, EISDIR, EIO
SysResult<std::string> ReadWholeFile(const std::string& path);

} // namespace Tandemix
