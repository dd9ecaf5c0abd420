// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DateText.h"

#include "platform/FileTimes.h"

#include <cstdio>

namespace Tandemix {

namespace {

bool LocalTime(std::time_t t, std::tm& out)
{
    return ::localtime_r(&t, &out) != nullptr;
}

std::string DateOf(const std::tm& tm)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d/%d/%02d", tm.tm_mon + 1, tm.tm_mday, (tm.tm_year + 1900) % 100);
    return text;
}

std::string TimeOf(const std::tm& tm)
{
    int hour = tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
    char text[32];
    std::snprintf(text,
                  sizeof text,
                  "%d:%02d:%02d %s",
                  hour,
                  tm.tm_min,
                  tm.tm_sec,
                  tm.tm_hour < 12 ? "AM" : "PM");
    return text;
}

bool LeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The packed fields as a local broken-down time; false when they name no real date or time.
bool FieldsOf(std::uint32_t packed, std::tm& tm)
{
    static constexpr int DaysIn[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    tm = PackedFields(packed);
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_hour > 23 || tm.tm_min > 59
        || tm.tm_sec > 59) {
        return false;
    }
    int year = tm.tm_year + 1900;
    return tm.tm_mday <= DaysIn[tm.tm_mon] + (tm.tm_mon == 1 && LeapYear(year) ? 1 : 0);
}

} // namespace

std::string ShortDateText(std::time_t t)
{
    std::tm tm{};
    return LocalTime(t, tm) ? DateOf(tm) : std::string();
}

std::string LongTimeText(std::time_t t)
{
    std::tm tm{};
    return LocalTime(t, tm) ? TimeOf(tm) : std::string();
}

std::string PackedDateText(std::uint32_t packed)
{
    std::tm tm{};
    return FieldsOf(packed, tm) ? DateOf(tm) : ShortDateText(UnpackFileTime(packed));
}

std::string PackedTimeText(std::uint32_t packed)
{
    std::tm tm{};
    return FieldsOf(packed, tm) ? TimeOf(tm) : LongTimeText(UnpackFileTime(packed));
}

std::string PackedDateTimeText(std::uint32_t packed)
{
    std::tm tm{};
    return FieldsOf(packed, tm) ? DateOf(tm) + " " + TimeOf(tm) : DateTimeText(UnpackFileTime(packed));
}

std::string DateTimeText(std::time_t t)
{
    std::string date = ShortDateText(t);
    if (date.empty()) {
        return {};
    }
    return date + " " + LongTimeText(t);
}

} // namespace Tandemix
