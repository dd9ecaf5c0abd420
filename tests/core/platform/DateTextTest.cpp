// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DateText.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <ostream>

namespace Tandemix {
namespace {

std::time_t Utc(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return ::timegm(&tm);
}

struct DateCase
{
    const char* Label;
    std::time_t Time;
    const char* Date;
    const char* Clock;
};

void PrintTo(const DateCase& row, std::ostream* out)
{
    *out << row.Date << ' ' << row.Clock;
}

class DateTextTest : public testing::TestWithParam<DateCase>
{
protected:
    ScopedEnv Zone{"TZ", "UTC"};
};

TEST_P(DateTextTest, UsForms)
{
    const DateCase& row = GetParam();
    EXPECT_EQ(ShortDateText(row.Time), row.Date);
    EXPECT_EQ(LongTimeText(row.Time), row.Clock);
    EXPECT_EQ(DateTimeText(row.Time), std::string(row.Date) + " " + row.Clock);
}

INSTANTIATE_TEST_SUITE_P(
    Rows,
    DateTextTest,
    testing::Values(DateCase{"MorningSingleDigits", Utc(1998, 1, 5, 9, 5, 3), "1/5/98", "9:05:03 AM"},
                    DateCase{"LastSecondOfTheYear", Utc(2007, 12, 31, 23, 59, 59), "12/31/07", "11:59:59 PM"},
                    DateCase{"Noon", Utc(2000, 2, 29, 12, 0, 0), "2/29/00", "12:00:00 PM"},
                    DateCase{"Midnight", Utc(2001, 10, 10, 0, 0, 0), "10/10/01", "12:00:00 AM"},
                    DateCase{"HalfPastMidnight", Utc(2001, 10, 10, 0, 30, 0), "10/10/01", "12:30:00 AM"},
                    DateCase{"HalfPastNoon", Utc(2001, 10, 10, 12, 30, 9), "10/10/01", "12:30:09 PM"},
                    DateCase{"OnePm", Utc(2001, 10, 10, 13, 0, 0), "10/10/01", "1:00:00 PM"},
                    DateCase{"LastMorningSecond", Utc(2001, 10, 10, 11, 59, 59), "10/10/01", "11:59:59 AM"}),
    [](const testing::TestParamInfo<DateCase>& row) { return std::string(row.param.Label); });

TEST(DateTextLocalTest, UsesLocalTime)
{
    ScopedEnv zone("TZ", "Europe/Berlin");
    // 23:30 UTC is half past midnight of the next day in Berlin in winter.
    std::time_t t = Utc(1998, 1, 5, 23, 30, 0);
    EXPECT_EQ(DateTimeText(t), "1/6/98 12:30:00 AM");
}

} // namespace
} // namespace Tandemix
