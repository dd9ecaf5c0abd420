// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/Options.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Which files of the program folder the configured log names stand for. Settings own the rule,
// so that loading a configuration can trim exactly the files the next run will write.
namespace Tandemix::LogMsg {

inline constexpr std::string_view DefaultSyncLogName = "Tandemix.Log";
inline constexpr std::string_view DefaultPreSyncLogName = "PreSync.Log";
inline constexpr std::string_view ErrorLogName = "TXError.LOG";
inline constexpr std::string_view LogExtension = ".Log";
inline constexpr std::string_view TrimmedBefore = " had grown to ";
inline constexpr std::string_view TrimmedAfter =
    " bytes, past the size limit, and was deleted when the settings were loaded. The next run "
    "starts it afresh.";

} // namespace Tandemix::LogMsg

namespace Tandemix {

// The bare file name a configured log name stands for: any folder part is dropped (a log is
// always written in the program folder), and an empty name, "." or ".." gives the default.
std::string SafeLogName(std::string_view configured, std::string_view defaultName);
// The name a run opens: the safe name with its extension replaced by ".Log" (or ".Log" added).
std::string LogNameToOpen(std::string_view configured, std::string_view defaultName);

// A log deleted for its size, so that the user can be told where it went.
struct TrimmedLog
{
    std::string Name; // bare file name in the program folder
    std::int64_t Size = 0; // bytes it had grown to
};

// Deletes the sync log and the pre-sync report log when they have grown past LogSize bytes
// (a file of exactly LogSize stays; LogSize 0 or less keeps everything). Run whenever a
// configuration is loaded; a run never trims. The error log is never touched. Returns the logs
// it deleted.
std::vector<TrimmedLog> TrimLogsAtLoad(const std::string& programFolder, const Options& options);
// The sentence that tells the user where a trimmed log went.
std::string TrimmedLogNote(const TrimmedLog& log);

} // namespace Tandemix
