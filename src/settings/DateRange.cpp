// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/DateRange.h"

#include "platform/DateText.h"
#include "platform/FileTimes.h"
#include "settings/ConfigMessages.h"
#include "settings/OptionRules.h"

#include <cstdio>

namespace Tandemix {

namespace {

constexpr int FirstYear = 1980;
constexpr int LastYear = FirstYear + 127;
// Far enough back to reach before 1980 from any date a packed time can hold; more would only
// risk overflowing the day arithmetic.
constexpr long long MaxDaysBack = 100000;

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

// Midnight of a calendar day, packed; clamped to the years seven bits can hold.
std::uint32_t PackDay(int year, int month, int day)
{
    if (year < FirstYear) {
        return PackedTimeFloor;
    }
    if (year > LastYear) {
        year = LastYear, month = 12, day = 31;
    }
    std::uint32_t date = static_cast<std::uint32_t>(year - FirstYear) << 9
                         | static_cast<std::uint32_t>(month) << 5 | static_cast<std::uint32_t>(day);
    return date << 16;
}

struct Field
{
    int Value = 0;
    std::size_t Digits = 0;
};

// One field of the masked edit: blanks around at most `maxDigits` digits.
std::optional<Field> DateField(std::string_view field, std::size_t maxDigits)
{
    while (!field.empty() && field.front() == ' ') {
        field.remove_prefix(1);
    }
    while (!field.empty() && field.back() == ' ') {
        field.remove_suffix(1);
    }
    if (field.empty() || field.size() > maxDigits) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return Field{value, field.size()};
}

DateLabels Labels(const Options& opts)
{
    DateLabels labels;
    labels.DateFromLabel = DateLabelText(opts.DateFrom);
    labels.DateToLabel = DateLabelText(opts.DateTo);
    labels.UseFileDatesLabel.append(Msg::FileDatesPrefix)
        .append(labels.DateFromLabel)
        .append(Msg::FileDatesTo)
        .append(labels.DateToLabel);
    return labels;
}

} // namespace

std::uint32_t TodayPacked(std::time_t now)
{
    return DaysBeforeToday(now, 0);
}

std::uint32_t DaysBeforeToday(std::time_t now, long long days)
{
    std::tm tm{};
    if (::localtime_r(&now, &tm) == nullptr) {
        return PackedTimeFloor;
    }
    if (days > MaxDaysBack) {
        days = MaxDaysBack;
    }
    // Noon keeps the day arithmetic clear of daylight-saving jumps, which happen at night.
    tm.tm_mday -= static_cast<int>(days);
    tm.tm_hour = 12;
    tm.tm_min = 0;
    tm.tm_sec = 0;
    tm.tm_isdst = -1;
    if (std::mktime(&tm) == static_cast<std::time_t>(-1)) {
        return PackedTimeFloor;
    }
    return PackDay(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

bool WithinDays(std::uint32_t packed, std::uint32_t from, std::uint32_t to)
{
    std::uint32_t day = PackedDay(packed);
    return day >= PackedDay(from) && day <= PackedDay(to);
}

std::optional<std::uint32_t> ParseMaskedDate(std::string_view text)
{
    std::size_t first = text.find('/');
    std::size_t second = first == std::string_view::npos ? first : text.find('/', first + 1);
    if (second == std::string_view::npos || text.find('/', second + 1) != std::string_view::npos) {
        return std::nullopt;
    }
    std::optional<Field> month = DateField(text.substr(0, first), 2);
    std::optional<Field> day = DateField(text.substr(first + 1, second - first - 1), 2);
    std::optional<Field> year = DateField(text.substr(second + 1), 4);
    if (!month || !day || !year) {
        return std::nullopt;
    }
    int fullYear = year->Value;
    if (year->Digits == 2) {
        fullYear += fullYear < 50 ? 2000 : 1900;
    } else if (year->Digits != 4) {
        return std::nullopt;
    }
    if (month->Value < 1 || month->Value > 12 || day->Value < 1
        || day->Value > DaysInMonth(fullYear, month->Value)) {
        return std::nullopt;
    }
    return PackDay(fullYear, month->Value, day->Value);
}

std::string MaskedDateText(std::uint32_t packed)
{
    std::uint32_t date = packed >> 16;
    char text[16];
    std::snprintf(text,
                  sizeof text,
                  "%02u/%02u/%02u",
                  (date >> 5) & 0x0F,
                  date & 0x1F,
                  ((date >> 9) + FirstYear) % 100);
    return text;
}

std::string DateLabelText(std::uint32_t packed)
{
    std::time_t t = UnpackFileTime(packed);
    return (packed & 0xFFFF) == 0 ? ShortDateText(t) : DateTimeText(t);
}

DateLabels SetSyncDateLabel(Options& opts, std::time_t now)
{
    if (opts.DateFrom == 0) {
        opts.DateFrom = PackedTimeFloor;
    }
    if (opts.DateTo == 0) {
        opts.DateTo = TodayPacked(now);
    }
    return Labels(opts);
}

DateLabels UseDatesAllClick(Options& opts, std::time_t now)
{
    opts.DatesMode = DateMode::All;
    opts.DateFrom = PackedTimeFloor;
    opts.DateTo = TodayPacked(now);
    return SetSyncDateLabel(opts, now);
}

DateLabels UseDatesNoDaysClick(Options& opts, std::time_t now)
{
    opts.DatesMode = DateMode::NoDays;
    std::optional<std::int64_t> days = WholeNumber(opts.PastDaysCount);
    opts.DateFrom = DaysBeforeToday(now, days && *days > 0 ? *days : 0);
    opts.DateTo = TodayPacked(now);
    return SetSyncDateLabel(opts, now);
}

DateLabels PastDaysCountChange(Options& opts, std::string_view text, std::time_t now)
{
    opts.PastDaysCount.assign(text);
    std::optional<std::int64_t> days = WholeNumber(text);
    if (days && *days >= 0) {
        opts.DateFrom = DaysBeforeToday(now, *days);
        opts.DateTo = TodayPacked(now);
    }
    return SetSyncDateLabel(opts, now);
}

DateLabels UseDateFromChange(Options& opts, std::string_view text, std::time_t now)
{
    if (std::optional<std::uint32_t> date = ParseMaskedDate(text)) {
        opts.UseDateFrom = *date;
        opts.DateFrom = *date;
    }
    return SetSyncDateLabel(opts, now);
}

DateLabels UseDateToChange(Options& opts, std::string_view text, std::time_t now)
{
    if (std::optional<std::uint32_t> date = ParseMaskedDate(text)) {
        opts.UseDateTo = *date;
        opts.DateTo = *date;
    }
    return SetSyncDateLabel(opts, now);
}

std::string TodayFromClick(std::time_t now)
{
    return MaskedDateText(TodayPacked(now));
}

} // namespace Tandemix
