// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Wildcard.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

namespace Tandemix {
namespace {

struct MaskCase
{
    std::string Name;
    std::string Mask;
    bool Matches;
};

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

void PrintTo(const MaskCase& row, std::ostream* out)
{
    *out << '"' << Escaped(row.Name) << "\" vs \"" << Escaped(row.Mask) << '"';
}

class MatchesMaskTest : public testing::TestWithParam<MaskCase>
{};

TEST_P(MatchesMaskTest, Row)
{
    EXPECT_EQ(MatchesMask(GetParam().Name, GetParam().Mask), GetParam().Matches);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Masks, MatchesMaskTest, testing::Values(
    // Everything masks and extensions.
    MaskCase{"README", "*.*", true}, MaskCase{".bashrc", "*.*", true}, MaskCase{"archive.tar.gz", "*.*", true},
    MaskCase{".bashrc", "*", true}, MaskCase{"A.TXT", "*.txt", true}, MaskCase{"a.txt", "*.TXT", true},
    MaskCase{"a.txt.bak", "*.txt", false}, MaskCase{"atxt", "*.txt", false}, MaskCase{".txt", "*.txt", true},
    MaskCase{"notes", "notes.*", true}, MaskCase{"notesx", "notes.*", false}, MaskCase{"x.a", "*a.*", true},
    // Question marks: exactly one character.
    MaskCase{"", "?", false}, MaskCase{"a", "?", true}, MaskCase{"ab", "?", false}, MaskCase{"abc", "a?c", true},
    MaskCase{"ac", "a?c", false}, MaskCase{"a*c", "a?c", true}, MaskCase{"file10.log", "file?.log", false},
    // A trailing dot asks for no extension.
    MaskCase{"abc", "*.", true}, MaskCase{"a.b", "*.", false}, MaskCase{"abc", "abc.", true},
    MaskCase{"abd", "abc.", false}, MaskCase{"Makefile", "make*.", true}, MaskCase{"make.bak", "make*.", false},
    // Several stars, and one that must not take exponential time.
    MaskCase{"ace", "a*c*e", true}, MaskCase{"abcdx", "a*c*e", false},
    MaskCase{"mississippi", "m*iss*ppi", true}, MaskCase{"mississippi", "m*iss*x", false},
    MaskCase{"backup-2024-01.zip", "*-*-??.zip", true}, MaskCase{"backup-2024-1.zip", "*-*-??.zip", false},
    MaskCase{"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*c", false},
    // UTF-8 characters, any case.
    MaskCase{"étude", "É*", true}, MaskCase{"ÉTUDE.TXT", "é*.txt", true}, MaskCase{"étude", "e*", false},
    MaskCase{"naïve", "na?ve", true}, MaskCase{"naïve", "na??ve", false}, MaskCase{"Straße", "STRA?E", true},
    MaskCase{"Ωμέγα", "ωΜ*", true}, MaskCase{"日本語.txt", "???.txt", true},
    MaskCase{"\xF0\x9F\x98\x80", "?", true}, MaskCase{"\xF4\x8F\xBF\xBF", "?", true},
    // Names that are not UTF-8 are bytes: one stray byte is one character, compared exactly.
    // Overlong forms, surrogates and code points past U+10FFFF are not characters either.
    MaskCase{"\xFF" "abc", "\xFF*", true}, MaskCase{"\xFF" "abc", "?abc", true}, MaskCase{"\xFE", "\xFF", false},
    MaskCase{"caf\xE9", "CAF?", true}, MaskCase{"caf\xC9", "caf\xE9", false}, MaskCase{"\xC3\x28", "?(", true},
    MaskCase{"\xE0\x80\xAF", "?", false}, MaskCase{"\xE0\x80\xAF", "???", true},
    MaskCase{"\xF0\x8F\xBF\xBF", "?", false}, MaskCase{"\xF4\x90\x80\x80", "?", false},
    MaskCase{"\xF4\x90\x80\x80", "????", true}, MaskCase{"\xED\xA0\x80", "?", false}));
// clang-format on

} // namespace
} // namespace Tandemix
