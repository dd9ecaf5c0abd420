// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace Tandemix {

// One listed file. Sizes are 64-bit: files over 2 GiB compare and copy correctly.
struct TFileData
{
    std::string FileName;
    std::int64_t FileSize = 0;
    std::uint32_t FileTime = 0; // packed date-time of the last write (local time: for display)
    // The last write as the filesystem holds it (UTC, full precision): decisions compare this,
    // so a daylight-saving change between two files never flips one, and the copy checks the
    // source against it to see whether the file changed while it was copied.
    timespec MTime{};
    std::string AttrLetters;
    std::int64_t CompressedSize = -1; // -1: a file on disk, not an archive entry
    std::string FolderPath;
    std::string ArchiveName;
    bool IsLink = false; // a symbolic link is copied as a link, never followed
    bool Selected = false; // chosen in the file pane (drag-and-drop of selected files)
    // False when the listing did not read the archive flag (the letters then say "a"): the
    // decision reads it for the files it will copy.
    bool ArchiveKnown = true;
};

} // namespace Tandemix
