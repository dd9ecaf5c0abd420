// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The program's own words for the error prompt, the file copy and folder creation: one place each.
namespace Tandemix::CopyMsg {

// ---- Error prompt -----------------------------------------------------------------------------
inline constexpr std::string_view ContinueQuestion = "Do you want to continue?";
inline constexpr std::string_view NetworkPathError = "Network Path Error, Drive not available.";
inline constexpr std::string_view DiskFullDrive = "Disk full error, drive: ";
inline constexpr std::string_view ContinueBatch = "Do you want to continue batch processing?";
inline constexpr std::string_view DiskFullLog = "Disk Full Error: ";

// ---- File copy --------------------------------------------------------------------------------
inline constexpr std::string_view CouldNotRead = "Could Not Read File:";
inline constexpr std::string_view CouldNotWrite = "Could Not Write File:";
inline constexpr std::string_view UserSkipped = "User Skipped File:";
inline constexpr std::string_view TargetDrive = "Target Drive ";
inline constexpr std::string_view NotEnoughSpace = " Does Not Have Enough Available Space!";
// A copy whose data arrived but whose time or attributes the target filesystem would not take.
inline constexpr std::string_view CouldNotSetTime = "Could Not Set File Time:";
inline constexpr std::string_view CouldNotSetAttributes = "Could Not Set Attributes:";
// Follows the first time problem of a run: the rest of that run's are not reported.
inline constexpr std::string_view TimeNotKeptNote =
    "(the target does not keep file times; not reported again in this run)";
// A source written to while it was copied: the copy is discarded and the old target kept.
inline constexpr std::string_view ChangedDuringCopy = "File Changed During Copy:";
// A copy that ended in an unexpected error; the error's own text follows the path.
inline constexpr std::string_view CouldNotCopy = "Could Not Copy File:";

// ---- Folder creation --------------------------------------------------------------------------
inline constexpr std::string_view CreatingFolder = "Creating Folder: ";
inline constexpr std::string_view NeedToCreateFolder = "Need to Create Folder: ";
inline constexpr std::string_view CouldNotCreateFolder = "Could not create folder: ";
inline constexpr std::string_view CouldNotCreateGoto = "Could not create/goto folder: ";
inline constexpr std::string_view PossibleDisconnected = "Possible disconnected drive: ";

} // namespace Tandemix::CopyMsg
