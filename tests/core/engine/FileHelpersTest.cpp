// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileHelpers.h"

#include "platform/FileOps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace Tandemix {
namespace {

struct SizeCase
{
    std::int64_t Bytes;
    const char* Text;
};

class FormatSizeTest : public ::testing::TestWithParam<SizeCase>
{};

TEST_P(FormatSizeTest, GivesTheUnitAndTwoDecimals)
{
    EXPECT_EQ(FormatSize(GetParam().Bytes), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(Boundaries,
                         FormatSizeTest,
                         ::testing::Values(SizeCase{-5, "0 bytes"},
                                           SizeCase{0, "0 bytes"},
                                           SizeCase{1, "1 bytes"},
                                           SizeCase{1023, "1023 bytes"},
                                           SizeCase{1024, "1.00 KB"},
                                           SizeCase{1536, "1.50 KB"},
                                           SizeCase{1048575, "1,024.00 KB"},
                                           SizeCase{1048576, "1.00 MB"},
                                           // 2^30 is below the program's gigabyte
                                           SizeCase{1073741824, "1,024.00 MB"},
                                           SizeCase{1097153000, "1,046.33 MB"},
                                           SizeCase{1097153001, "1.00 GB"},
                                           SizeCase{5LL * 1097153000, "5.00 GB"},
                                           // beyond 32 bits and in the thousands
                                           SizeCase{1234LL * 1097153000 + 548576500, "1,234.50 GB"}));

TEST(AttributeLettersTest, ReadOnlyArchiveFileRoundTrips)
{
    EXPECT_EQ(AttrToLetters(33), "ar");
    EXPECT_EQ(LettersToAttr("ar"), 33u);
}

TEST(AttributeLettersTest, LettersComeInFixedOrder)
{
    EXPECT_EQ(AttrToLetters(0), "");
    EXPECT_EQ(AttrToLetters(1 | 2 | 4 | 8 | 16 | 32), "advshr");
    EXPECT_EQ(AttrToLetters(128), ""); // "normal" has no letter
    EXPECT_EQ(AttrToLetters(2 | 1), "hr");
}

TEST(AttributeLettersTest, DirectoryAndVolumeLettersAreIgnored)
{
    EXPECT_EQ(LettersToAttr("a"), 32u);
    EXPECT_EQ(LettersToAttr("advshr"), 32u | 4u | 2u | 1u);
    EXPECT_EQ(LettersToAttr("dv"), 0u);
    EXPECT_EQ(LettersToAttr(""), 0u);
}

TEST(PathHelpersTest, TrailingSeparatorAddedOnce)
{
    EXPECT_EQ(AddTrailingBackslash("/home/u"), "/home/u/");
    EXPECT_EQ(AddTrailingBackslash("/home/u/"), "/home/u/");
    EXPECT_EQ(AddTrailingBackslash(""), "/");
    std::string longPath = "/" + std::string(300, 'x');
    EXPECT_EQ(AddTrailingBackslash(longPath), longPath + "/");
}

TEST(PathHelpersTest, RemoveSpacesTakesEveryBlank)
{
    EXPECT_EQ(RemoveSpaces(" *.txt; *.doc ;"), "*.txt;*.doc;");
    EXPECT_EQ(RemoveSpaces(""), "");
}

TEST(PathHelpersTest, FreeSpaceOfAMissingPathIsUnknown)
{
    EXPECT_EQ(DriveFreeSpace("/nonexistent/folder/for/sure"), -1);
    EXPECT_GT(DriveFreeSpace("/"), 0);
}

} // namespace
} // namespace Tandemix
