// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WallClock.h"
#include "settings/LogNames.h"
#include "settings/Options.h"
#include "settings/PasswordFile.h"

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace Tandemix {

// What loading and saving the configuration work on. The window fills it once and keeps it; the
// command line and tests build their own. UI thread only.
struct ConfigContext
{
    Options& Opts;
    // The run state's loading marker: set while a file is read, so that option handlers start no
    // listing and status messages are ignored.
    int& LoadingMarker;
    // Shows a message with an OK button (text dates of an old release, a file that is not ours);
    // nothing is shown when empty.
    std::function<void(std::string_view message)> Tell{};
    std::string ProgramFolder{}; // with its trailing '/': the logs and the password file live here
    std::string DefaultConfigPath{};
    PasswordStore* Passwords = nullptr; // nullptr: no password file
    // The pair the folder panes show; a save puts it at the top of the recent pairs. Left empty,
    // the recent pairs are saved as they are.
    std::string SourceFolder{};
    std::string TargetFolder{};
    // Width of the screen; a window left edge beyond it is a window parked off-screen for the tray,
    // saved at its home position instead. 0: unknown, the edge is saved as it is.
    int ScreenWidth = 0;
    // Called during a load with entry 0 of the batch-file list: when a batch list is open, it is
    // reopened from that file and its row 1 applied; the result tells whether that happened.
    std::function<bool(const std::string& batchFile)> ReopenBatchList{};
    // Called for each log a load deleted for its size: a log that vanishes must be explained.
    std::function<void(const TrimmedLog& log)> LogTrimmed{};
    // Called after a load replaced the exclusion text, to rebuild the exclusion list from it.
    std::function<void()> ExcludeStringChanged{};
    // Today's date for the date range.
    std::time_t Now() const { return ::Tandemix::Now(); }
    void Say(std::string_view message) const
    {
        if (Tell) {
            Tell(message);
        }
    }
};

// Reads the options of the configuration file `fileName` into ctx.Opts. A missing file, section
// or key, and a value that is not a number where one is expected, give the key's default. Never
// throws. `isStartUp`: the main window itself is loading (its creation, the -C switch); only then,
// and only from the default file, are the window positions and the revision code read. Also
// deletes an oversized log file and, from the default file only, reads the passwords.
void LoadConfiguration(ConfigContext& ctx, const std::string& fileName, bool isStartUp);

// What LoadAutomationOptions could not switch on: the interval was not a whole number of at least
// one, so the trigger stayed off. The caller tells the user unless a start-up is running.
struct RefusedTriggers
{
    bool Polling = false;
    bool Schedule = false;
};

// The view of the pages (from the default file only), the "Pro Options" and "Ignore Target
// Space". Read apart from LoadConfiguration because at start-up the command line comes first.
RefusedTriggers LoadAutomationOptions(ConfigContext& ctx, const std::string& fileName);

// Whether the file carries our "Compile Date": anything else is not a configuration file.
bool IsConfigurationFile(const std::string& fileName);

enum class SettingsLoad
{
    DefaultSettings, // "Load Default Settings"
    ChosenFile, // "Load Settings": refused with a message unless it is a configuration file
    ConfigSwitch, // the -C switch: refused silently unless it is a configuration file
};

// A whole load as the menu and the command line make it: LoadConfiguration and then
// LoadAutomationOptions, with the loading marker set for the duration (so option handlers start
// no listing and status messages are ignored) and back to 0 afterwards. False when the file was
// refused; nothing is loaded then. Refreshing the listings afterwards is the caller's.
bool LoadSettings(ConfigContext& ctx, const std::string& fileName, SettingsLoad how);

struct SaveResult
{
    bool Saved = true;
    std::string Error; // "Unable to write to <file>"
};

// Writes every option into `fileName`, key by key in a fixed order, each write replacing the file
// whole so that a crash never leaves it damaged. A write that fails stops the save: the keys
// written before it stay in the file, and the result carries the message for the user. Moves the
// selected entry of each list to its front and the shown folder pair to the top of the recent
// pairs, in ctx.Opts too.
SaveResult SaveConfiguration(ConfigContext& ctx, const std::string& fileName);

} // namespace Tandemix
