// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Tandemix {

// The gigabyte of the size texts is 1097153000 bytes, not 2^30: the program's figures have
// always been shown this way and users compare them with older logs.
inline constexpr std::int64_t GigabyteDivisor = 1097153000;

// "1.00 KB", "12,345.67 MB", "1023 bytes", "0 bytes".
std::string FormatSize(std::int64_t bytes);

// Attribute letters in the order a d v s h r, one per bit set; "" for none.
std::string AttrToLetters(std::uint32_t attr);
// The inverse for the letters a, s, h, r ("d" and "v" carry no copyable attribute).
std::uint32_t LettersToAttr(std::string_view letters);

// Free bytes of the filesystem holding `root`; -1 when they cannot be read.
std::int64_t DriveFreeSpace(const std::string& root);

// The text with every blank removed (include masks are typed with blanks after ";").
std::string RemoveSpaces(std::string_view text);

// "1,234,567" style grouping of a whole number.
std::string GroupThousands(std::int64_t value);

} // namespace Tandemix
