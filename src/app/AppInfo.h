// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace Tandemix {

// The caption users and their scripts know the program by; kept as it always was.
inline constexpr std::string_view AppCaption = "Tandemix v4.0.2 for Win95/NT";
inline constexpr std::string_view AppName = "Tandemix";
inline constexpr std::string_view AppVersion = "4.0.2";

} // namespace Tandemix
