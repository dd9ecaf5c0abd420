// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace Tandemix {

// Case changes of ASCII letters only. The bytes of every other UTF-8 character lie above 0x7F,
// so a multi-byte character is never cut or altered: paths and names stay byte-exact.
constexpr char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

constexpr char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

inline std::string UpperAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        c = UpperAscii(c);
    }
    return out;
}

inline std::string LowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        c = LowerAscii(c);
    }
    return out;
}

inline bool EqualsNoCaseAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// The lower-case form of a code point by the C.UTF-8 tables: names must match alike whatever
// locale the user runs in (the C locale would fold ASCII only).
char32_t LowerCodePoint(char32_t c);

// Length of the valid UTF-8 sequence at text[i] and its code point; 0 when it is not one
// (overlong forms, surrogates and values above U+10FFFF included).
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& out);

// Characters, not bytes, of a UTF-8 text: continuation bytes do not start one.
std::size_t CharacterCount(std::string_view text);

// The first `count` characters of a UTF-8 text, by the same count: a character is never split.
std::string_view FirstCharacters(std::string_view text, std::size_t count);

// `text` padded with blanks on the right to at least `width` characters. Characters, not bytes:
// a UTF-8 name must line up with an ASCII one in the logs and lists.
std::string PadRight(std::string_view text, std::size_t width);

// The same on the left, for columns of figures that line up on their last digit.
std::string PadLeft(std::string_view text, std::size_t width);

} // namespace Tandemix
