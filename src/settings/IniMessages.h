// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace Tandemix {

// Texts of the configuration file layer, as the user sees them. "%s" stands for the file name.
inline constexpr std::string_view UnableToWriteTo = "Unable to write to %s";

} // namespace Tandemix
