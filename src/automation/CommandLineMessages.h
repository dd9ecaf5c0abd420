// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The command line's own words: the countdown before an automatic run, and what a line that
// cannot run is told.
namespace Tandemix::Msg {

// The countdown dialog and its console twin.
inline constexpr std::string_view DelayCaption = "Tandemix Notice";
inline constexpr std::string_view DelayWill = "Automatic batch operation will";
inline constexpr std::string_view DelayBeginIn = "begin in";
inline constexpr std::string_view DelaySeconds = "seconds.";
inline constexpr std::string_view DelayContinueButton = "&C&ontinue";
inline constexpr std::string_view DelayStopButton = "&Stop";
inline constexpr std::string_view DelayExitButton = "E&xit";

// Why a command line ran nothing; the argument concerned follows where the text ends in ": ".
inline constexpr std::string_view NotFolderOrBatch =
    "The first argument is neither a batch file nor an existing folder given by its full path: ";
inline constexpr std::string_view BatchFileMissing = "Batch file not found: ";
inline constexpr std::string_view BatchFileNotOpened = "The batch file could not be opened: ";
inline constexpr std::string_view TargetFolderMissing = "Target folder not found: ";
inline constexpr std::string_view NoTargetFolder =
    "An automatic run needs a target folder given by its full path after the source folder.";
inline constexpr std::string_view SettingsFileNotLoaded =
    "The settings file cannot be read or is not a settings file; nothing was run: ";
inline constexpr std::string_view NothingToRunWithoutWindow =
    "Without a display only AUTORUN (or -C:file) runs anything; nothing was run.";

} // namespace Tandemix::Msg
