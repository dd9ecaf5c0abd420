// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace Tandemix {

// Dates and times as text in local time, in the fixed US forms the program's logs and reports
// have always used, independent of the user's locale. Empty when the time cannot be converted.
std::string ShortDateText(std::time_t t); // "M/d/yy": 1/5/98, 12/31/07
std::string LongTimeText(std::time_t t); // "h:mm:ss AM": 9:05:03 AM, 12:00:00 PM, 12:30:00 AM
std::string DateTimeText(std::time_t t); // "1/5/98 9:05:03 AM"

// The same texts for a packed date-time (FileTimes.h), read from its fields: the fields are the
// local time already, so no time-zone conversion is needed. A packed value whose fields are no
// calendar date or time (from outside the program) is first normalised as mktime does.
std::string PackedDateText(std::uint32_t packed);
std::string PackedTimeText(std::uint32_t packed);
std::string PackedDateTimeText(std::uint32_t packed);

} // namespace Tandemix
