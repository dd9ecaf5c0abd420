// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DateText.h"

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

} // namespace
} // namespace Tandemix
