// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace Tandemix {

// Trailing separators do not name anything: "/data/Photos/" is the folder "/data/Photos".
// The root keeps its one '/'.
std::string_view WithoutTrailingSlashes(std::string_view path);

// The name a path ends in: "Photos" for "/data/Photos" and "/data/Photos/", "" for "/".
std::string_view LastComponent(std::string_view path);

// What comes before LastComponent, with its trailing separator: "/data/" for "/data/Photos/",
// "/" for "/data", "" for a bare name.
std::string_view ParentFolder(std::string_view path);

} // namespace Tandemix
