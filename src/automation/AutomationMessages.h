// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The schedule's, the polling's and the real-time monitor's own words.
namespace Tandemix::Msg {

inline constexpr std::string_view ValueRange = "Value must be between 1 and 32767.";
inline constexpr std::string_view TimerNotActive = "Timer not active.";
inline constexpr std::string_view CountdownRunning = " Running";
inline constexpr std::string_view CountdownRunIn = " Run in ";
inline constexpr std::string_view CountdownRunInApprox = " Run in approx. ";
inline constexpr std::string_view CountdownHours = " Hrs";
inline constexpr std::string_view CountdownMinutes = " Mins";
inline constexpr std::string_view CountdownSeconds = " Secs";

// Tray tool tips: the program's name, then the countdown; or the polling's fixed tip.
inline constexpr std::string_view TrayName = "Tandemix";
inline constexpr std::string_view TrayAutoMode = "Tandemix Auto Mode";

inline constexpr std::string_view MonitoringFolder = "Monitoring Source Folder ";
// What a watcher says once when it changes how it watches, or stops by itself; the folder
// follows.
inline constexpr std::string_view WatchPolling =
    "Too many folders to watch for changes; looking through them every few seconds instead: ";
inline constexpr std::string_view WatchOverflow =
    "Too many changes at once to follow one by one; looked through the folder again: ";
inline constexpr std::string_view WatchNotifying = "Watching for changes again: ";
inline constexpr std::string_view WatchGone =
    "Stopped Monitoring Source Folder: it is no longer there (deleted, moved or unmounted): ";
inline constexpr std::string_view WatchFailed = "Stopped Monitoring Source Folder: it cannot be watched: ";

} // namespace Tandemix::Msg
