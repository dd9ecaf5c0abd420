// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace Tandemix {

namespace AdminMsg {
inline constexpr std::string_view OldPasswordUnknown =
    "Sorry, I do not recognize that Old Password.\nPlease try again.";
inline constexpr std::string_view PasswordFileNotWritten =
    "The new administrator password holds until the program ends; it could not be kept in ";
} // namespace AdminMsg

// The service password, accepted in place of the administrator password by both checks.
inline constexpr std::string_view ServicePassword = "QJ47";

// The entry asked for at the tray's Show and Exit: letter case does not matter (it is typed
// blind, at a machine left running); the service password must be typed exactly.
bool AdminEntryAccepted(std::string_view entry, std::string_view adminPassword);

// The old password of the change dialog: exactly the current one (an empty one by an empty
// entry), or the service password.
bool OldPasswordAccepted(std::string_view entry, std::string_view currentPassword);

} // namespace Tandemix
