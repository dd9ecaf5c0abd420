// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileHelpers.h"

#include "platform/FileOps.h"

#include <gtest/gtest.h>

namespace Tandemix {
namespace {

TEST(FormatSizeTest, GivesTheUnitAndTwoDecimals)
{
    // clang-format off
    const std::pair<std::int64_t, const char*> rows[] = {
        {-5, "0 bytes"}, {0, "0 bytes"}, {1, "1 bytes"}, {1023, "1023 bytes"},
        {1024, "1.00 KB"}, {1536, "1.50 KB"}, {1048575, "1,024.00 KB"}, {1048576, "1.00 MB"},
        // 2^30 is below the program's gigabyte
        {1073741824, "1,024.00 MB"}, {1097153000, "1,046.33 MB"}, {1097153001, "1.00 GB"}, {5LL * 1097153000, "5.00 GB"},
        // beyond 32 bits and in the thousands
        {1234LL * 1097153000 + 548576500, "1,234.50 GB"},
    };
    // clang-format on
    for (const auto& [bytes, text] : rows) {
        EXPECT_EQ(FormatSize(bytes), text) << bytes;
    }
}

// Letters in fixed order ("normal" has none); directory and volume letters are never read back.
// And a path gets its trailing separator once.
TEST(AttributeLettersTest, LettersComeInFixedOrderAndReadBack)
{
    EXPECT_EQ(AttrToLetters(33), "ar");
    EXPECT_EQ(AttrToLetters(1 | 2 | 4 | 8 | 16 | 32), "advshr");
    EXPECT_EQ(LettersToAttr("ar"), 33u);
    EXPECT_EQ(LettersToAttr("advshr"), 32u | 4u | 2u | 1u);
    EXPECT_EQ(AddTrailingBackslash("/home/u"), "/home/u/");
    EXPECT_EQ(AddTrailingBackslash("/home/u/"), "/home/u/");
    EXPECT_EQ(AddTrailingBackslash(""), "/");
    EXPECT_EQ(RemoveSpaces(" *.txt; *.doc ;"), "*.txt;*.doc;");
}

} // namespace
} // namespace Tandemix
