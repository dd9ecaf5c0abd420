// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gmock/gmock.h>

#include <ctime>
#include <ostream>
#include <string>

namespace Tandemix::Test {

// Names parameterised cases after their table row, in test names and in listings.
struct ByName
{
    template <typename Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& row) const
    {
        return row.param.Name;
    }
};

// A fixture with a table row as its parameter, for TEST_P: `using Cases = TableOf<Fixture, Row>;`.
template <typename Fixture, typename Row>
class TableOf : public Fixture, public ::testing::WithParamInterface<Row>
{};

// Prints a table row by its name in failure messages; bring it in with a using-declaration
// in the test's own namespace so the lookup for the row's type finds it.
template <typename Row>
void PrintTo(const Row& row, std::ostream* out) requires requires
{
    row.Name;
}
{
    *out << '"' << row.Name << '"';
}

// A moment in local time, whatever the machine's zone.
inline std::time_t LocalTime(int year, int month, int day, int hour = 12, int minute = 0, int second = 0)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

} // namespace Tandemix::Test
