// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The program's own words for the operation state and the status line: one place each.
namespace Tandemix::Msg {

inline constexpr std::string_view Ready = "Ready";
inline constexpr std::string_view Working = "Working.....";
inline constexpr std::string_view Stopping = "Stopping..... Please Wait!";
inline constexpr std::string_view ConfirmStop = "Are you sure you want to terminate the current operation?";

} // namespace Tandemix::Msg
