// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DiskSpace.h"

#include <sys/statvfs.h>

#include <limits>

namespace Tandemix {

std::int64_t FreeSpace(const std::string& path)
{
    struct statvfs info;
    if (::statvfs(path.c_str(), &info) != 0) {
        return -1;
    }
    constexpr auto Max = static_cast<unsigned long long>(std::numeric_limits<std::int64_t>::max());
    auto blocks = static_cast<unsigned long long>(info.f_bavail);
    auto blockSize = static_cast<unsigned long long>(info.f_frsize);
    if (blockSize != 0 && blocks > Max / blockSize) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return static_cast<std::int64_t>(blocks * blockSize);
}

} // namespace Tandemix
