// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/LogNames.h"

#include <cstddef>
#include <string_view>

// The log writer's own words (the file names are the settings' own, in LogNames.h). One place each: users
// grep their logs for them.
namespace Tandemix::LogMsg {

inline constexpr std::string_view SyncStarted = "Synchronization Started: ";
inline constexpr std::string_view SyncCompleted = "Synchronization Completed: ";
inline constexpr std::string_view SyncStopped = "Synchronization Stopped: ";
inline constexpr std::string_view PreSyncStarted = "Pre-Synchronization Report Started: ";
inline constexpr std::string_view PreSyncCompleted = "Pre-Synchronization Report Completed: ";
inline constexpr std::string_view PreSyncStopped = "Pre-Synchronization Report Stopped: ";
inline constexpr std::size_t SyncRuleWidth = 49;
inline constexpr std::size_t PreSyncRuleWidth = 55;

inline constexpr std::string_view ErrorReported = "Error Reported: ";
// Said once per run when the log cannot be written (a full disk, a folder without rights).
inline constexpr std::string_view CannotWriteLog = "Could Not Write Log File: ";

// Names the viewer starts instead of showing.
inline constexpr std::string_view StartedExtensions[] = {".exe", ".bat"};

} // namespace Tandemix::LogMsg
