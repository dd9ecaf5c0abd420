// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SysResult.h"

#include <sys/stat.h>

#include <cstdint>
#include <ctime>
#include <string>

namespace Tandemix {

// Packed date-times are the FAT layout of a local time: date in the high 16 bits
// ((year-1980)<<9 | month<<5 | day), time in the low 16 (hour<<11 | minute<<5 | second/2).
// Decisions compare these values, so two times within the same even second are equal.
inline constexpr std::uint32_t PackedTimeFloor = 2162688; // 1980-01-01 00:00:00

// Times before 1980 pack to PackedTimeFloor; odd seconds round down. Fails (EOVERFLOW) after
// 2107-12-31 23:59:58, which seven year bits cannot hold.
SysResult<std::uint32_t> PackFileTime(std::time_t t);
bool IsBefore1980(std::time_t t); // local time
std::time_t UnpackFileTime(std::uint32_t packed); // local time, daylight saving found by mktime
// The packed fields as they stand, not normalised (tm_isdst -1): month 13 stays 13.
std::tm PackedFields(std::uint32_t packed);

// Gives the entry (a symlink itself, not its target) both times, then reads them back: a
// filesystem that stores something else (2 s or more away, as FUSE FAT drives do with an
// omitted atime or an out-of-range date) is reported with (ERANGE, "utimensat-verify") instead
// of looking fine and being copied again on every run. Consults FaultOp::SetTimes.
SysStatus SetFileTimes(const std::string& path, const timespec& atime, const timespec& mtime);
// The same for the open file `fd` (`path` names it for the hook); `st` receives its stat as read
// back, which holds the times it keeps.
SysStatus SetFileTimesOf(int fd,
                         const std::string& path,
                         const timespec& atime,
                         const timespec& mtime,
                         struct stat& st);

} // namespace Tandemix
