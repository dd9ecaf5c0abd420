// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DateText.h"

#include "platform/FileTimes.h"
#include "support/TempTree.h"
#include "support/TestTables.h"

#include <gtest/gtest.h>

#include <string>

namespace Tandemix {
namespace {

struct DateRow
{
    std::string Name;
    const char* Zone;
    int Year, Month, Day, Hour, Minute, Second;
    const char* Text;
};

using Test::PrintTo;

class DateTextTest : public testing::TestWithParam<DateRow>
{};

TEST_P(DateTextTest, UsFormsInLocalTime)
{
    const DateRow& r = GetParam();
    ScopedEnv zone("TZ", r.Zone);
    std::tm tm{};
    tm.tm_year = r.Year - 1900, tm.tm_mon = r.Month - 1, tm.tm_mday = r.Day;
    tm.tm_hour = r.Hour, tm.tm_min = r.Minute, tm.tm_sec = r.Second;
    std::time_t t = ::timegm(&tm);
    std::string text = r.Text;
    EXPECT_EQ(DateTimeText(t), text);
    EXPECT_EQ(ShortDateText(t) + " " + LongTimeText(t), text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, DateTextTest, testing::Values(
    DateRow{"MorningSingleDigits", "UTC", 1998, 1, 5, 9, 5, 3, "1/5/98 9:05:03 AM"},
    DateRow{"LastSecondOfTheYear", "UTC", 2007, 12, 31, 23, 59, 59, "12/31/07 11:59:59 PM"},
    DateRow{"Noon", "UTC", 2000, 2, 29, 12, 0, 0, "2/29/00 12:00:00 PM"},
    DateRow{"HalfPastMidnight", "UTC", 2001, 10, 10, 0, 30, 0, "10/10/01 12:30:00 AM"},
    DateRow{"OnePm", "UTC", 2001, 10, 10, 13, 0, 0, "10/10/01 1:00:00 PM"},
    DateRow{"LastMorningSecond", "UTC", 2001, 10, 10, 11, 59, 59, "10/10/01 11:59:59 AM"},
    // 23:30 UTC is half past midnight of the next day in Berlin in winter.
    DateRow{"LocalZone", "Europe/Berlin", 1998, 1, 5, 23, 30, 0, "1/6/98 12:30:00 AM"}),
    Test::ByName());
// clang-format on

// The texts of a packed time are read from its fields; they must be what converting it to a time
// and back gives, in any zone and around the switches of daylight saving, and a packed value
// whose fields name no real date or time is normalised as before.
TEST(PackedDateTextTest, SameTextsAsTheTimeTheFieldsStandFor)
{
    auto packed = [](int year, int month, int day, int hour, int minute, int second) {
        return static_cast<std::uint32_t>((year - 1980) << 9 | month << 5 | day) << 16
               | static_cast<std::uint32_t>(hour << 11 | minute << 5 | second / 2);
    };
    const std::uint32_t values[] = {
        PackedTimeFloor,
        packed(1998, 1, 5, 9, 5, 4),
        packed(2000, 2, 29, 12, 0, 0),
        packed(2024, 3, 31, 1, 59, 58), // just before the spring switch in Berlin
        packed(2024, 10, 27, 2, 30, 0), // the hour that comes twice in autumn
        packed(2107, 12, 31, 23, 59, 58),
        packed(2001, 2, 29, 10, 0, 0), // no such day: becomes 3/1/01
        packed(2001, 4, 31, 10, 0, 0),
        packed(2001, 13, 1, 10, 0, 0), // no such month
        packed(2001, 6, 1, 24, 0, 0), // no such hour
        packed(2001, 6, 1, 10, 60, 0),
        packed(2001, 6, 0, 10, 0, 0),
    };
    for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York"}) {
        ScopedEnv tz("TZ", zone);
        for (std::uint32_t value : values) {
            std::time_t t = UnpackFileTime(value);
            SCOPED_TRACE(std::string(zone) + " " + std::to_string(value));
            EXPECT_EQ(PackedDateText(value), ShortDateText(t));
            EXPECT_EQ(PackedTimeText(value), LongTimeText(t));
            EXPECT_EQ(PackedDateTimeText(value), DateTimeText(t));
        }
    }
    ScopedEnv tz("TZ", "UTC");
    EXPECT_EQ(PackedDateTimeText(packed(1998, 1, 5, 9, 5, 4)), "1/5/98 9:05:04 AM");
    EXPECT_EQ(PackedDateText(packed(2001, 2, 29, 10, 0, 0)), "3/1/01");
}

} // namespace
} // namespace Tandemix
