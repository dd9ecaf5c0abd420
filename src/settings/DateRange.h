// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/Options.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace Tandemix {

// The date range of the file filters. From and To are packed dates at midnight; a file passes
// when its day lies between their days, both ends included, whatever its time of day. "Today"
// is always derived from a `now` handed in, so the range can be computed for any moment.

// The day part of a packed date-time: ordering these orders whole days.
constexpr std::uint32_t PackedDay(std::uint32_t packed)
{
    return packed >> 16;
}

// Midnight of the local day holding `now`, packed.
std::uint32_t TodayPacked(std::time_t now);
// Midnight of the local day `days` days before the day of `now`; 1980-01-01 at the earliest.
std::uint32_t DaysBeforeToday(std::time_t now, long long days);
// Both ends included; only the days count.
bool WithinDays(std::uint32_t packed, std::uint32_t from, std::uint32_t to);

// The masked edits' "mm/dd/yy" text (blanks where nothing is typed yet). A two-digit year
// 00-49 is 2000-2049 and 50-99 is 1950-1999; a date before 1980 gives 1980-01-01, the earliest
// date a file can carry. Nothing for an incomplete or impossible date.
std::optional<std::uint32_t> ParseMaskedDate(std::string_view text);
// "mm/dd/yy" for a packed date, as the masked edits show it.
std::string MaskedDateText(std::uint32_t packed);
// The combined date-and-time text of the date labels: the date alone at midnight.
std::string DateLabelText(std::uint32_t packed);

// What the three date labels show after a change of the range.
struct DateLabels
{
    std::string DateFromLabel;
    std::string DateToLabel;
    std::string UseFileDatesLabel; // "File Dates: <from> To: <to>", also the sync log's header line
};

// Normalises the range (From 0 is 1980-01-01, To 0 is today) and gives the label texts.
DateLabels SetSyncDateLabel(Options& opts, std::time_t now);

// The date radio buttons and edits. Each ends with SetSyncDateLabel.
DateLabels UseDatesAllClick(Options& opts, std::time_t now);
DateLabels UseDatesNoDaysClick(Options& opts, std::time_t now);
// A text that is not a whole number of days leaves the range as it was.
DateLabels PastDaysCountChange(Options& opts, std::string_view text, std::time_t now);
// A text that is not a complete date leaves From (To) as it was.
DateLabels UseDateFromChange(Options& opts, std::string_view text, std::time_t now);
DateLabels UseDateToChange(Options& opts, std::string_view text, std::time_t now);
// The text "Today" writes into the To edit (whose change event then sets To).
std::string TodayFromClick(std::time_t now);

} // namespace Tandemix
