// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The configuration file's own words: what it writes as fixed values and what the user is told.
namespace Tandemix::Msg {

// Written into every saved configuration; a file without it is not one of ours.
inline constexpr std::string_view CompileDateText = "July 23, 1997";
// The spelling is the one users have always seen; it stays.
inline constexpr std::string_view UnrecognizableConfigFile = "Unrecognizable Configurtation File!";

// Files written by old releases kept the date range as text. The three paragraphs of the warning,
// separated by two line feeds; the two dates go between the parts of the second one.
inline constexpr std::string_view OldDatesParagraph1 =
    "For compatibility reasons, dates are now being stored as integers in the INI file.";
inline constexpr std::string_view OldDatesParagraph2Start = "Updating To-From dates to: ";
inline constexpr std::string_view OldDatesParagraph2Middle = " and ";
inline constexpr std::string_view OldDatesParagraph2End = " respectively.";
inline constexpr std::string_view OldDatesParagraph3 =
    "Please verify To-From dates being used in the File Options screen.";

// The date range's label and the sync log's header line: "File Dates: <from> To: <to>".
inline constexpr std::string_view FileDatesPrefix = "File Dates: ";
inline constexpr std::string_view FileDatesTo = " To: ";

} // namespace Tandemix::Msg
