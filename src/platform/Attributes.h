// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SysResult.h"

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace Tandemix {

// File attribute bits with their classic numeric values: batch files, logs and the engine's
// decisions carry these numbers.
namespace Attr {
constexpr std::uint32_t ReadOnly = 1, Hidden = 2, System = 4, Volume = 8, Directory = 16, Archive = 32,
                        Normal = 128;
} // namespace Attr

// The archive bit ("changed since the last backup") has no Linux counterpart. It is kept as an
// extended attribute holding the mtime the file had when it was last backed up: any later
// change of the content moves the mtime and so sets the bit again without anyone clearing it.
inline constexpr const char* ArchiveXattrName = "user.tandemix.archive";

// Attribute bits from a name and its lstat: read-only when the owner write bit is clear, hidden
// when the name begins with '.', directory, archive as given; Normal only when no other bit is
// set. System and Volume are never set. `name` may be a whole path: its last component counts.
std::uint32_t AttrFromStat(std::string_view name, const struct stat& st, bool archiveSet);

// True unless the archive xattr holds the file's current mtime. Where user xattrs cannot be
// read (filesystem without them, symlinks, devices) the bit is always set, so nothing is ever
// skipped as "already backed up" by mistake.
bool ArchiveFlagSet(const std::string& path, const struct stat& st);

// The same for a name inside an open folder (the listing's hot path); `folderPrefix` is that
// folder's path with its trailing '/', used only where the kernel cannot look up relative to it.
bool ArchiveFlagSetAt(int folderFd, const char* name, const std::string& folderPrefix, const struct stat& st);
SysResult<std::uint32_t> GetFileAttr(const std::string& path); // fails: ENOENT, EACCES
// ReadOnly set clears every write bit, clear adds the owner's; Archive set removes the xattr,
// clear resets it. Hidden, System and the rest cannot be set and are ignored. A symlink's
// mode is left alone (Linux has no lchmod). Consults FaultOp::SetAttr.
SysStatus SetFileAttr(const std::string& path, std::uint32_t attr);
// The same for a file this program has just created and still holds open (`fd`, whose fstat is
// `st`; `path` names it for the hook), which is to have `mode` (less every write bit when
// read-only): it has no archive mark yet, so nothing needs to be read first, and the common case
// (archive set, not read-only, the mode already right) costs no call.
SysStatus
SetNewFileAttr(int fd, const std::string& path, const struct stat& st, std::uint32_t attr, mode_t mode);
// Clears the archive bit: stores the current mtime in the xattr. Succeeds doing nothing where
// the bit cannot be kept (no user xattrs on the filesystem; symlinks and other non-regular,
// non-folder entries). A read-only file owned by us gets its owner write bit for the moment of
// the write, since user xattrs need write permission. Consults FaultOp::SetAttr.
SysStatus ResetArchive(const std::string& path);

} // namespace Tandemix
