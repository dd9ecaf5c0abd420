// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

// The run driver's own words: status texts, log labels and trailer lines, report kinds. One
// place each.
namespace Tandemix::RunMsg {

// ---- Status line ------------------------------------------------------------------------------
inline constexpr std::string_view CountingFolders = "Counting source folders....";
inline constexpr std::string_view SynchronizingSelected = "Synchronizing selected file(s)";
inline constexpr std::string_view Done = "Done!";
inline constexpr std::string_view DoneWithMessages = "Done: There are messages!";

// ---- Errors -----------------------------------------------------------------------------------
inline constexpr std::string_view CannotCreateChangeFolder = "Cannot Create/Change Folder: ";
// A pair refused before anything is written.
inline constexpr std::string_view FoldersOverlap = "Source and target overlap: ";
inline constexpr std::string_view FoldersOverlapAnd = " and ";
inline constexpr std::string_view RootFolder = "The filesystem root cannot be synchronised: ";
inline constexpr std::string_view TargetBusy = "Another run is synchronising into this target folder: ";
// The code an error raised inside the walk is shown with.
inline constexpr int WalkErrorCode = 100;

// ---- Per-file log lines and report kinds --------------------------------------------------------
// The labels of the two running totals double as the labels of the log lines.
inline constexpr std::string_view AddedLabel = "Added:";
inline constexpr std::string_view UpdatedLabel = "Updated:";
inline constexpr std::string_view AddLabel = "Add:";
inline constexpr std::string_view UpdateLabel = "Update:";
inline constexpr std::size_t LabelWidth = 8; // right-aligned
inline constexpr std::size_t NameWidth = 10; // left-aligned, at least
inline constexpr std::string_view ReportAdd = "Add";
inline constexpr std::string_view ReportUpdate = "Update";
// Takes a target folder back out of the unmatched list once the walk reaches it.
inline constexpr std::string_view DeleteUnMatchedFolder = "Delete UnMatched Folder";
// The current file between files.
inline constexpr std::string_view NoFile = "none";

// ---- Log trailer ----------------------------------------------------------------------------
inline constexpr char TrailerRuleChar = '-';
inline constexpr std::size_t TrailerRuleWidth = 55;
inline constexpr std::string_view DatesIndent = "     ";
inline constexpr std::string_view FileFilters = "   File Filters: ";
inline constexpr std::string_view FileExclusions = "File Exclusions: ";
inline constexpr std::string_view FileExclusionsNone = "File Exclusions: None";
inline constexpr std::string_view ExcludeAbove = "Exclude Files >  ";
inline constexpr std::string_view ExcludeBelow = "Exclude Files <  ";
inline constexpr std::size_t CountWidth = 6; // right-aligned
inline constexpr std::string_view FilesUpdated = " Files updated.";
inline constexpr std::string_view FilesAdded = " Files added.";
inline constexpr std::string_view FilesChecked = " Files checked.";

} // namespace Tandemix::RunMsg
