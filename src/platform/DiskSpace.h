// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace Tandemix {

// Bytes an unprivileged user may still write on the filesystem holding `path` (statvfs
// f_bavail * f_frsize), network filesystems included; -1 when it cannot be read.
std::int64_t FreeSpace(const std::string& path);

} // namespace Tandemix
