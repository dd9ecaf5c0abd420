// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DateText.h"

#include <cstdio>

namespace Tandemix {

namespace {

bool LocalTime(std::time_t t, std::tm& out)
{
    return ::localtime_r(&t, &out) != nullptr;
}

} // namespace

std::string ShortDateText(std::time_t t)
{
    std::tm tm{};
    if (!LocalTime(t, tm)) {
        return {};
    }
    char text[32];
    std::snprintf(text, sizeof text, "%d/%d/%02d", tm.tm_mon + 1, tm.tm_mday, (tm.tm_year + 1900) % 100);
    return text;
}

std::string LongTimeText(std::time_t t)
{
    std::tm tm{};
    if (!LocalTime(t, tm)) {
        return {};
    }
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

std::string DateTimeText(std::time_t t)
{
    std::string date = ShortDateText(t);
    if (date.empty()) {
        return {};
    }
    return date + " " + LongTimeText(t);
}

} // namespace Tandemix
