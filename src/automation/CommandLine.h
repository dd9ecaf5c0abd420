// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "automation/DelayCountdown.h"
#include "engine/RunState.h"
#include "engine/RunTotals.h"
#include "settings/Configuration.h"

#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

// Exit statuses of a program ended by its command line; scripts rely on them.
enum class ExitStatus : int
{
    Completed = 0,
    Failed = 1, // the run failed
    NothingToRun = 2, // the line names no batch file or folder pair that can run
    Stopped = 3, // the user, SIGINT/SIGTERM or the countdown stopped the run
};

// How the synchronisation started by the command line ended.
enum class SyncOutcome
{
    Completed,
    Failed,
    Stopped,
};

// What the command line reports for a run it asked for: one refused because another operation
// was running did not synchronise, so it failed too.
SyncOutcome SyncOutcomeOf(RunOutcome outcome);

// Where EndProgram left the program; whoever handled the command line reads it afterwards.
struct ProgramEnd
{
    bool Ended = false;
    ExitStatus Status = ExitStatus::Completed;
};

// The 1-based position of the first argument that matches `word`, or -1. Arguments and word are
// compared upper-cased, and loosely: an argument matches when it contains the word, or begins
// with "-" and the word's first or second letter ("-A" for AUTORUN, "-I" for MIN), or, for words
// whose second letter is S or D, when everything after its first character is a number.
int FindParam(const std::vector<std::string>& args, std::string_view word);

// The arguments that may carry switches: all but the leading work arguments (a batch file, or a
// source folder and its target). Folder names are the user's own words and may hold any
// letters: "/data/my-copy" must not read as "-C" (which starts a run), "/2024" not as "-S".
std::vector<std::string> SwitchWords(const std::vector<std::string>& args);

// What the "-D" argument asks for: "-D10" ten seconds, "-DH10" ten seconds with the dialog parked
// off-screen. Seconds 0: no countdown (also for "_", which stands for a missing argument).
struct DelayRequest
{
    int Seconds = 0;
    bool OffScreen = false;
};
DelayRequest ParseDelayArg(std::string_view arg);

// "~" and "~/..." with $HOME in front; anything else unchanged.
std::string ExpandHome(std::string_view path);

// What the switches change besides the options: the timers and the real-time monitor, which
// belong to whoever runs the program (the window, the console).
class SwitchActions
{
public:
    virtual ~SwitchActions() = default;

    // Options were read from a configuration file: the controls show them again, and the
    // schedule, the polling and the monitor follow them.
    virtual void OptionsLoaded() = 0;
    // Source polling every `seconds`, the schedule every `minutes`. 0: the timer's interval and
    // countdown are cleared, so it stays off.
    virtual void ArmPolling(int seconds) = 0;
    virtual void ArmSchedule(int minutes) = 0;
    // Change notifications the real-time monitor lets settle before a folder is queued.
    virtual void SetSettleCount(int count) = 0;
};

// Everything the command line asks of the program. The main window implements it with its
// controls and dialogs; a run without a display with a console that never waits for anyone.
class CommandLineActions : public SwitchActions
{
public:
    // True for the main window: a command line that runs nothing, a stopped countdown and a
    // stopped run leave the program open there. False without a display: the program ends on
    // those paths too, with the exit status that says why.
    virtual bool HasWindow() const = 0;

    // Opens the batch file for running as the run page's Open button does, applies its row 1,
    // selects it in the recent list and enables editing. False when it could not be opened.
    virtual bool OpenBatchFile(const std::string& path) = 0;
    // Points the source and target folder lists at the folders; an empty target leaves the
    // target list where it is.
    virtual void PointFolders(const std::string& source, const std::string& target) = 0;
    virtual void ShowMainWindow() = 0;
    virtual void SelectSynchronizePage() = 0;
    // The countdown before the automatic run; `trayMode`: the run will be hidden in the tray, so
    // the dialog sits at the bottom right of the screen.
    virtual DelayResult RunCountdown(int seconds, bool offScreen, bool trayMode) = 0;
    // The countdown was stopped: a window parked off-screen for the tray comes back home.
    virtual void BringWindowBack() = 0;
    // Parks the window off-screen, hides it from the taskbar and shows the tray icon only.
    virtual void ParkInTray() = 0;
    // The synchronise command on what the window shows (folder pair or batch list).
    virtual SyncOutcome RunSync() = 0;
    // The real-time monitor switches on or off as Opts.MonitorSourceDriveCheck says.
    virtual void MonitorSwitched() = 0;
    // The interval of the timer that works off the queue of changed folders.
    virtual void SetQueueCheckInterval(int milliseconds) = 0;
    // The end of the command line: a side whose file list is empty is listed, and a folder list
    // showing the top of a mount selects its first entry.
    virtual void ListEmptySides() = 0;
    // The program ends now, without saving settings. A window may end the process here; a console
    // returns and lets its caller end with the status.
    virtual void EndProgram(ExitStatus status) = 0;
};

// Applies one argument of the forms "-C:file" (load a configuration file, named by its whole
// path; a name without '/' is taken in the program folder), "-P" + seconds (polling), "-S" +
// minutes (schedule), "-W" + n (settle count 2 × n when 0 < n < 25). Anything else changes
// nothing. False, with `problem` set, when "-C" names a file that cannot be read or is not a
// settings file: nothing is loaded then, and the caller must not run on the settings it has.
bool ApplyConfigSwitch(ConfigContext& cfg,
                       SwitchActions& actions,
                       std::string_view arg,
                       std::string* problem = nullptr);

struct CommandLineResult
{
    bool Ran = false; // the synchronisation was started
    SyncOutcome Outcome = SyncOutcome::Completed; // of that run
    bool EndProgram = false; // the program ends now (EndProgram was called)
    ExitStatus Status = ExitStatus::NothingToRun; // the exit status, also when the program stays
    bool StaysResident = false; // stays open for the schedule (-S) or the real-time monitor (-R)
    std::string Problem; // why nothing ran, for the user; empty when that was not a fault
};

// Handles the program's arguments (without the program name) once, after start-up: loads the
// automation options, opens the batch file or points the folder pair, and for AUTORUN or -C runs
// the synchronisation unattended (after the -D countdown, hidden with MIN) and then ends the
// program or stays resident. cfg.Opts, `state` and the program folder are the program's own.
CommandLineResult HandleCommandLine(ConfigContext& cfg,
                                    RunState& state,
                                    CommandLineActions& actions,
                                    const std::vector<std::string>& args);

} // namespace Tandemix
