// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AsciiText.h"

#include <locale.h>
#include <wctype.h>

namespace Tandemix {

char32_t LowerCodePoint(char32_t c)
{
    if (c < 0x80) {
        return static_cast<char32_t>(static_cast<unsigned char>(LowerAscii(static_cast<char>(c))));
    }
    static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    auto wide = static_cast<wint_t>(c);
    return static_cast<char32_t>(locale != static_cast<locale_t>(nullptr) ? ::towlower_l(wide, locale)
                                                                          : ::towlower(wide));
}

std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& out)
{
    auto byte = [&](std::size_t k) {
        return static_cast<unsigned char>(text[k]);
    };
    unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return 0;
    }
    out = c;
    return length;
}

std::size_t CharacterCount(std::string_view text)
{
    std::size_t characters = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++characters;
        }
    }
    return characters;
}

std::string_view FirstCharacters(std::string_view text, std::size_t count)
{
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && seen++ == count) {
            return text.substr(0, i);
        }
    }
    return text;
}

namespace {

std::size_t Padding(std::string_view text, std::size_t width)
{
    std::size_t characters = CharacterCount(text);
    return characters < width ? width - characters : 0;
}

} // namespace

std::string PadRight(std::string_view text, std::size_t width)
{
    return std::string(text).append(Padding(text, width), ' ');
}

std::string PadLeft(std::string_view text, std::size_t width)
{
    return std::string(Padding(text, width), ' ').append(text);
}

} // namespace Tandemix
