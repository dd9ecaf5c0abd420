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
    std::uint32_t date = packed >> 16;
    std::uint32_t time = packed & 0xFFFF;
    int year = static_cast<int>(date >> 9) + 1980;
    int month = static_cast<int>((date >> 5) & 0x0F);
    int day = static_cast<int>(date & 0x1F);
    int hour = static_cast<int>(time >> 11);
    int minute = static_cast<int>((time >> 5) & 0x3F);
    int second = static_cast<int>(time & 0x1F) * 2;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) {
        return false;
    }
    int days = DaysIn[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0);
    if (day > days) {
        return false;
    }
    tm = std::tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return true;
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
