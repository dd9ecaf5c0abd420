// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

// The decision step's own words: grid reasons, report kinds, messages and log lines.
namespace Tandemix::Msg {

// Grid reasons. "No Match" marks an add everywhere downstream, so an update never carries it.
inline constexpr std::string_view NoMatch = "No Match";
inline constexpr std::string_view OlderFile = "Older File";
// Target replaced although it is not older: "Always Overwrite" or an empty target of equal time.
inline constexpr std::string_view ForcedUpdate = "Forced Update";

// Report kind that takes a target file back out of the unmatched list.
inline constexpr std::string_view DeleteUnMatchedFiles = "Delete UnMatched Files";

inline constexpr std::string_view FileSizeDiscrepancy = "File Size Discrepancy:";
inline constexpr std::string_view DiscrepancyContinued = "--";
inline constexpr std::string_view DiscrepancySource = "  Source: ";
inline constexpr std::string_view DiscrepancyTarget = "  Target: ";
// The label column of the discrepancy lines is this many characters wide.
inline constexpr std::size_t DiscrepancyLabelWidth = 26;

inline constexpr std::string_view LogFrom = "From: ";
inline constexpr std::string_view LogTo = "  To: ";

} // namespace Tandemix::Msg
