// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/TempTree.h"

#include <sys/mount.h>

#include <functional>
#include <string>

namespace Tandemix {

// Runs `body` with a tmpfs of `size` (e.g. "1m") mounted on `mountPoint` in a private mount
// namespace, so a test that dies leaves no mount behind. Returns what `body` returned, or
// NoMountNamespace where this machine allows no such mount; inside `body` no test assertion
// works: report through the return value.
inline int
OnSmallTmpfs(const std::string& mountPoint, const std::string& size, const std::function<int()>& body)
{
    return RunInMountNamespace([&] {
        const std::string options = "size=" + size;
        return ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, options.c_str()) == 0 ? body()
                                                                                      : NoMountNamespace;
    });
}

} // namespace Tandemix
