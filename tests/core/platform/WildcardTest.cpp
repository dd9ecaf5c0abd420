// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Wildcard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace Tandemix {
namespace {

// Bytes outside printable ASCII as \xNN, so that failures stay readable.
std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", byte);
        out += byte >= 0x20 && byte < 0x7F ? std::string(1, c) : std::string(hex);
    }
    return out;
}

TEST(MatchesMaskTest, Masks)
{
    // clang-format off
    const struct { std::string Name, Mask; bool Matches; } rows[] = {
        // Everything masks and extensions.
        {"README", "*.*", true}, {".bashrc", "*.*", true}, {"archive.tar.gz", "*.*", true},
        {".bashrc", "*", true}, {"A.TXT", "*.txt", true}, {"a.txt", "*.TXT", true},
        {"a.txt.bak", "*.txt", false}, {"atxt", "*.txt", false}, {".txt", "*.txt", true},
        {"notes", "notes.*", true}, {"notesx", "notes.*", false}, {"x.a", "*a.*", true},
        // Question marks: exactly one character.
        {"", "?", false}, {"a", "?", true}, {"ab", "?", false}, {"abc", "a?c", true},
        {"ac", "a?c", false}, {"a*c", "a?c", true}, {"file10.log", "file?.log", false},
        // A trailing dot asks for no extension.
        {"abc", "*.", true}, {"a.b", "*.", false}, {"abc", "abc.", true},
        {"abd", "abc.", false}, {"Makefile", "make*.", true}, {"make.bak", "make*.", false},
        // Several stars, and one that must not take exponential time.
        {"ace", "a*c*e", true}, {"abcdx", "a*c*e", false},
        {"mississippi", "m*iss*ppi", true}, {"mississippi", "m*iss*x", false},
        {"backup-2024-01.zip", "*-*-??.zip", true}, {"backup-2024-1.zip", "*-*-??.zip", false},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*c", false},
        // UTF-8 characters, any case.
        {"étude", "É*", true}, {"ÉTUDE.TXT", "é*.txt", true}, {"étude", "e*", false},
        {"naïve", "na?ve", true}, {"naïve", "na??ve", false}, {"Straße", "STRA?E", true},
        {"Ωμέγα", "ωΜ*", true}, {"日本語.txt", "???.txt", true},
        {"\xF0\x9F\x98\x80", "?", true}, {"\xF4\x8F\xBF\xBF", "?", true},
        // Names that are not UTF-8 are bytes: one stray byte is one character, compared exactly.
        // Overlong forms, surrogates and code points past U+10FFFF are not characters either.
        {"\xFF" "abc", "\xFF*", true}, {"\xFF" "abc", "?abc", true}, {"\xFE", "\xFF", false},
        {"caf\xE9", "CAF?", true}, {"caf\xC9", "caf\xE9", false}, {"\xC3\x28", "?(", true},
        {"\xE0\x80\xAF", "?", false}, {"\xE0\x80\xAF", "???", true},
        {"\xF0\x8F\xBF\xBF", "?", false}, {"\xF4\x90\x80\x80", "?", false},
        {"\xF4\x90\x80\x80", "????", true}, {"\xED\xA0\x80", "?", false}};
    // clang-format on
    for (const auto& row : rows) {
        EXPECT_EQ(MatchesMask(row.Name, row.Mask), row.Matches)
            << Escaped(row.Name) << " vs " << Escaped(row.Mask);
    }
}

} // namespace
} // namespace Tandemix
