// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AdminPassword.h"

#include "platform/AsciiText.h"

namespace Tandemix {

bool AdminEntryAccepted(std::string_view entry, std::string_view adminPassword)
{
    return UpperAscii(entry) == UpperAscii(adminPassword) || entry == ServicePassword;
}

bool OldPasswordAccepted(std::string_view entry, std::string_view currentPassword)
{
    return entry == currentPassword || entry == ServicePassword;
}

} // namespace Tandemix
