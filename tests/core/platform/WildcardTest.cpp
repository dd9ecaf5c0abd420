// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Wildcard.h"

#include <gtest/gtest.h>

#include <cctype>
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

// Bytes outside printable ASCII as \xNN, so that names and messages stay readable.
std::string Escaped(const std::string& text)
{
    static const char* const Hex = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += Hex[byte >> 4];
            out += Hex[byte & 0x0F];
        }
    }
    return out;
}

void PrintTo(const MaskCase& row, std::ostream* out)
{
    *out << '"' << Escaped(row.Name) << "\" vs \"" << Escaped(row.Mask) << '"';
}

// Test names may hold only letters, digits and '_'.
std::string RowName(const testing::TestParamInfo<MaskCase>& info)
{
    std::string name = std::to_string(info.index) + "_";
    for (char c : Escaped(info.param.Name) + "_vs_" + Escaped(info.param.Mask)) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            name += c;
        } else if (c == '*') {
            name += "Star";
        } else if (c == '?') {
            name += "Any";
        } else if (c == '.') {
            name += "Dot";
        }
    }
    return name;
}

class MatchesMaskTest : public testing::TestWithParam<MaskCase>
{};

TEST_P(MatchesMaskTest, Row)
{
    const MaskCase& row = GetParam();
    EXPECT_EQ(MatchesMask(row.Name, row.Mask), row.Matches);
}

INSTANTIATE_TEST_SUITE_P(EverythingMasks,
                         MatchesMaskTest,
                         testing::Values(MaskCase{"README", "*.*", true},
                                         MaskCase{"a.b", "*.*", true},
                                         MaskCase{".bashrc", "*.*", true},
                                         MaskCase{"archive.tar.gz", "*.*", true},
                                         MaskCase{"README", "*", true},
                                         MaskCase{".bashrc", "*", true}),
                         RowName);

INSTANTIATE_TEST_SUITE_P(Extensions,
                         MatchesMaskTest,
                         testing::Values(MaskCase{"A.TXT", "*.txt", true},
                                         MaskCase{"a.txt", "*.TXT", true},
                                         MaskCase{"a.txt.bak", "*.txt", false},
                                         MaskCase{"atxt", "*.txt", false},
                                         MaskCase{".txt", "*.txt", true},
                                         MaskCase{"notes.txt", "notes.*", true},
                                         MaskCase{"notes", "notes.*", true},
                                         MaskCase{"notesx", "notes.*", false},
                                         MaskCase{"x.a", "*a.*", true}),
                         RowName);

INSTANTIATE_TEST_SUITE_P(QuestionMarks,
                         MatchesMaskTest,
                         testing::Values(MaskCase{"", "?", false},
                                         MaskCase{"a", "?", true},
                                         MaskCase{"ab", "?", false},
                                         MaskCase{"abc", "a?c", true},
                                         MaskCase{"ac", "a?c", false},
                                         MaskCase{"abbc", "a?c", false},
                                         MaskCase{"a*c", "a?c", true},
                                         MaskCase{"file1.log", "file?.log", true},
                                         MaskCase{"file10.log", "file?.log", false}),
                         RowName);

INSTANTIATE_TEST_SUITE_P(TrailingDot,
                         MatchesMaskTest,
                         testing::Values(MaskCase{"abc", "*.", true},
                                         MaskCase{"a.b", "*.", false},
                                         MaskCase{"abc", "abc.", true},
                                         MaskCase{"abd", "abc.", false},
                                         MaskCase{"Makefile", "make*.", true},
                                         MaskCase{"make.bak", "make*.", false}),
                         RowName);

INSTANTIATE_TEST_SUITE_P(
    SeveralStars,
    MatchesMaskTest,
    testing::Values(MaskCase{"abcde", "a*c*e", true},
                    MaskCase{"ace", "a*c*e", true},
                    MaskCase{"abcdx", "a*c*e", false},
                    MaskCase{"mississippi", "m*iss*ppi", true},
                    MaskCase{"mississippi", "m*iss*x", false},
                    MaskCase{"backup-2024-01.zip", "*-*-??.zip", true},
                    MaskCase{"backup-2024-1.zip", "*-*-??.zip", false},
                    MaskCase{"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*c", false}),
    RowName);

INSTANTIATE_TEST_SUITE_P(Utf8,
                         MatchesMaskTest,
                         testing::Values(MaskCase{"étude", "É*", true},
                                         MaskCase{"ÉTUDE.TXT", "é*.txt", true},
                                         MaskCase{"étude", "e*", false},
                                         MaskCase{"naïve", "na?ve", true},
                                         MaskCase{"naïve", "na??ve", false},
                                         MaskCase{"Straße", "STRA?E", true},
                                         MaskCase{"Ωμέγα", "ωΜ*", true},
                                         MaskCase{"日本語.txt", "???.txt", true}),
                         RowName);

// Names that are not UTF-8 are bytes: one stray byte is one character, compared exactly.
INSTANTIATE_TEST_SUITE_P(InvalidUtf8,
                         MatchesMaskTest,
                         testing::Values(MaskCase{"\xFF"
                                                  "abc",
                                                  "\xFF*",
                                                  true},
                                         MaskCase{"\xFF"
                                                  "abc",
                                                  "?abc",
                                                  true},
                                         MaskCase{"\xFE", "\xFF", false},
                                         MaskCase{"caf\xE9", "CAF?", true},
                                         MaskCase{"caf\xC9", "caf\xE9", false},
                                         MaskCase{"\xC3", "?", true},
                                         MaskCase{"\xC3\x28", "?(", true}),
                         RowName);

} // namespace
} // namespace Tandemix
