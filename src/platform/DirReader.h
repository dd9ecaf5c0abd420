// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SysResult.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

struct DirEntry
{
    std::string Name; // bytes as the folder holds them, valid UTF-8 or not
    bool IsDir = false;
    bool IsLink = false; // the link itself: never followed, IsDir false, its own size and times
    std::uint32_t Attr = 0;
    std::int64_t Size = 0; // 0 for folders
    timespec MTime{};
    timespec ATime{};
    // A fifo, socket or device (only ever seen with EntryOptions::WithSpecial): not a file to
    // synchronise, but a name that is taken. Only the name is filled in where the folder itself
    // tells the entry's type; otherwise what its stat gave.
    bool IsSpecial = false;
};

struct EntryOptions
{
    bool WithArchive = true; // false: the archive xattr is not read and Archive is always set
    bool WithSpecial = false; // also visit fifos, sockets and devices, flagged IsSpecial
};

// Lists a folder with one readdir and one fstatat per entry (plus the archive xattr unless
// `WithArchive` is false). "." and ".." are skipped, and so are fifos, sockets and devices,
// which are not files to synchronise, unless `WithSpecial` asks for them (they cost no stat
// where the folder records entry types). An entry that vanishes between readdir and fstatat is
// skipped; any other failure ends the listing with the error, so that a file is never silently
// missing from a listing that claims to be complete. `visit` returns false to stop early.
// Opening the folder consults FaultOp::Open.
SysStatus ForEachEntry(const std::string& folder,
                       const std::function<bool(const DirEntry&)>& visit,
                       EntryOptions options);
SysStatus ForEachEntry(const std::string& folder,
                       const std::function<bool(const DirEntry&)>& visit,
                       bool withArchive = true);
// ForEachEntry's entries in the folder's order, or its failure.
SysResult<std::vector<DirEntry>> ReadFolderEntries(const std::string& folder, EntryOptions options);
// The names of the sub-folders only (hidden ones included, links never), read without a stat
// per entry where the filesystem records entry types: walking a tree for its folders costs one
// readdir per folder, not one stat per file.
SysStatus ForEachSubFolder(const std::string& folder, const std::function<bool(const std::string&)>& visit);

} // namespace Tandemix
