// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace Tandemix {

// Include masks with the classic rules users type them by: '*' any run, '?' exactly one
// character, case ignored (ASCII and, for valid UTF-8, every code point; invalid UTF-8 bytes
// compare as bytes). "*" and "*.*" match every name, including one without a dot; a mask ending
// in ".*" also matches the name without that extension, and one ending in '.' ("*.", "abc.")
// also matches a name without any dot. Characters are counted, not bytes.
bool MatchesMask(std::string_view name, std::string_view mask);

} // namespace Tandemix
