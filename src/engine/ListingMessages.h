// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The folder listing's and the file filters' own words: status texts, exclusion reasons, report
// kinds and log lines. One place each.
namespace Tandemix::Msg {

inline constexpr std::string_view SynchronizingFolder = "Synchronizing folder: ";
inline constexpr std::string_view UpdateFileListings = "Update File Listings";
inline constexpr std::string_view FreeSpaceUnknown = "Unknown";
// What an empty include edit becomes, and what replication lists.
inline constexpr std::string_view EveryFileMask = "*.*";

// Date stamp reports: the full path, two blanks, the first text, two blanks, the second.
inline constexpr std::string_view DateStampNotValid = "Date stamp is not valid!";
inline constexpr std::string_view DateStampSkipping = "Skipping file!.";
inline constexpr std::string_view DateStampBefore1980 = "Date stamp is older than 1980!";
inline constexpr std::string_view DateStampUsing1980 = "Using date: 1980.";
inline constexpr std::string_view DateStampGap = "  ";
// A fifo, socket or device where a file is looked for: "Not a regular file: " + its full path.
inline constexpr std::string_view NotARegularFile = "Not a regular file: ";
// A folder that stops answering in the middle of a listing: its files cannot be trusted to be
// all there, and a missing source file would make its target twin look unmatched.
inline constexpr std::string_view FolderReadFailed = "Folder could not be read completely!";

// Report kinds and details of the unmatched list as the listing files them.
inline constexpr std::string_view ReportUnMatchedFiles = "UnMatched Files";
inline constexpr std::string_view ReportUnMatchedFolder = "UnMatched Folder";
inline constexpr std::string_view ReportFolderDetail = "Folder-------------";

// Exclusion reasons, in the order the filters test them.
inline constexpr std::string_view ReasonNormalFile = "Normal File";
inline constexpr std::string_view ReasonArchiveFile = "Archive File";
inline constexpr std::string_view ReasonSystemFile = "System File";
inline constexpr std::string_view ReasonHiddenFile = "Hidden File";
inline constexpr std::string_view ReasonReadOnlyFile = "Read Only File";
inline constexpr std::string_view ReasonExcludePrefix = "Exclude: ";
inline constexpr std::string_view ReasonSizeExclusion = "Size Exclusion";
inline constexpr std::string_view ReasonDateExclusion = "Date Exclusion";

inline constexpr std::string_view EnterANumber = "Please enter a number in this field!";

} // namespace Tandemix::Msg
