// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Wildcard.h"

#include "platform/AsciiText.h"

#include <string>

namespace Tandemix {

namespace {

// A byte that is not part of valid UTF-8 becomes a unit above every code point, so it only
// ever equals the same byte.
constexpr char32_t RawByteBase = 0x110000;

char32_t Fold(char32_t c)
{
    return c >= RawByteBase ? c : LowerCodePoint(c);
}

std::u32string FoldedUnits(std::string_view text)
{
    std::u32string units;
    units.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            units.push_back(Fold(lead));
            ++i;
            continue;
        }
        char32_t c = 0;
        std::size_t length = DecodeUtf8(text, i, c);
        if (length == 0) {
            units.push_back(RawByteBase + lead);
            ++i;
        } else {
            units.push_back(Fold(c));
            i += length;
        }
    }
    return units;
}

bool IsAscii(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

char32_t FoldAscii(char c)
{
    return static_cast<char32_t>(LowerAscii(c));
}

// Greedy match with backtracking to the last '*': linear in practice, never exponential.
// `name` and `mask` give the folded unit at an index.
template <typename NameAt, typename MaskAt>
bool MatchUnits(std::size_t nameSize, NameAt name, std::size_t maskSize, MaskAt mask)
{
    constexpr std::size_t None = static_cast<std::size_t>(-1);
    std::size_t n = 0;
    std::size_t m = 0;
    std::size_t star = None;
    std::size_t resume = 0;
    while (n < nameSize) {
        if (m < maskSize && mask(m) == U'*') {
            star = m++;
            resume = n;
        } else if (m < maskSize && (mask(m) == U'?' || mask(m) == name(n))) {
            ++n;
            ++m;
        } else if (star != None) {
            m = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (m < maskSize && mask(m) == U'*') {
        ++m;
    }
    return m == maskSize;
}

// The mask rules on top of plain matching, over units already folded.
template <typename NameAt, typename MaskAt>
bool MatchWithMaskRules(std::size_t nameSize, NameAt name, std::size_t maskSize, MaskAt mask)
{
    if (MatchUnits(nameSize, name, maskSize, mask)) {
        return true;
    }
    // "name.*" stands for "name with any extension or none": "*.*" matches "README".
    if (maskSize >= 2 && mask(maskSize - 2) == U'.' && mask(maskSize - 1) == U'*'
        && MatchUnits(nameSize, name, maskSize - 2, mask)) {
        return true;
    }
    // A trailing dot stands for "no extension": "*." matches "abc" but not "a.b".
    if (maskSize >= 1 && mask(maskSize - 1) == U'.') {
        for (std::size_t i = 0; i < nameSize; ++i) {
            if (name(i) == U'.') {
                return false;
            }
        }
        return MatchUnits(nameSize, name, maskSize - 1, mask);
    }
    return false;
}

} // namespace

bool MatchesMask(std::string_view name, std::string_view mask)
{
    // Nearly every name and mask is ASCII: no decoding, no allocation.
    if (IsAscii(name) && IsAscii(mask)) {
        return MatchWithMaskRules(
            name.size(),
            [name](std::size_t i) { return FoldAscii(name[i]); },
            mask.size(),
            [mask](std::size_t i) { return FoldAscii(mask[i]); });
    }
    std::u32string units = FoldedUnits(name);
    std::u32string pattern = FoldedUnits(mask);
    return MatchWithMaskRules(
        units.size(),
        [&units](std::size_t i) { return units[i]; },
        pattern.size(),
        [&pattern](std::size_t i) { return pattern[i]; });
}

} // namespace Tandemix
