// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Tandemix {

// Who started a run. A pre-sync report run decides and logs but changes nothing on disk; a
// drop onto the target pane synchronises only the selected source files.
enum class RunSender
{
    SyncButton,
    PreReportButton,
    TargetFileList,
    Automation,
};

// How a run ended, for whoever has to report it outside the window (the command line's exit
// status). Stopped: the user confirmed a stop. Failed: the run could not start on a usable
// source, some folder or file could not be synchronised, or it was aborted without a stop (no
// room left on the target, an unexpected error).
enum class RunOutcome
{
    Completed,
    Stopped,
    Failed,
    NotStarted, // another operation was running: the request was ignored
};

// One pair of the folder queue. A batch item ends with a pair marked Next instead of folders.
struct FolderPair
{
    std::string Source;
    std::string Target;
    bool Next = false;
    // The pair a run or batch row was asked for, as opposed to a sub-folder found below it:
    // when its source is missing the run could not do what it was asked.
    bool Top = false;
    // The source's sub-folders could not all be read when the queue was built: some of them may
    // be missing from the queue, so their target twins must not be judged unmatched.
    bool Unreadable = false;
    // Of a top pair: the target folder the user named for it (the pair's target may be a
    // folder made inside it). Nothing below it is entered through a link.
    std::string TargetRoot{};
};

// Why a run did not start although nothing else was running.
enum class RunRefusal
{
    None,
    FolderPair, // the folders overlap or one is the root: nothing the user could run
    TargetBusy, // another run of this program is writing into the target
};

// The counters and gauges of a run, as the window shows them beside the progress bars.
struct RunTotals
{
    int TotFilesAdded = 0;
    int TotFilesUpdated = 0;
    // These two add up over the runs of a session, as their labels always have.
    int TotDirCount = 0; // folder pairs visited
    int TotFileCount = 0; // source files listed in the visited folders
    int FoldersSynced = 0; // folder pairs visited by this run alone
    std::int64_t TotFileSize = 0; // their bytes
    int PreFolderCount = 0; // folder pairs still to do
    int FolderGauge = 0; // folder pairs done
    int FolderGaugeMax = 0; // folder pairs queued
    int CurrentFileNo = 0; // row of the folder's decision grid being handled, from 1
    int DirFileCount = 0; // rows of the folder's decision grid
    std::string CurrentFileName = "none";
    std::int64_t ActiveFileSize = 0; // bytes of the file being handled
    // Why a run is Failed rather than Completed.
    int FilesNotCopied = 0; // unreadable source, unwritable target, no room
    int FoldersNotSynced = 0; // missing top source, unreadable folder, target not creatable
    int ItemsNotDeleted = 0; // unmatched items a guard held back or that could not be deleted
    RunOutcome Outcome = RunOutcome::Completed; // of the last run, once it has ended
    bool FileTimeNotKeptReported = false; // a target's lost file times are reported once a run
    RunRefusal Refused = RunRefusal::None; // of the last request to run
    std::string RefusalText; // what the user was told
};

// A target folder the run made, with the permission bits of its source folder. They are given
// to it only once the run has filled it: a read-only folder could not be filled otherwise.
struct CreatedFolder
{
    std::string Folder;
    unsigned Mode = 0;
};

// The target folders of a run as the walk sees them.
struct RunFolders
{
    // The target the user named for the pair being walked. Below it the run enters no link:
    // a linked folder there would take the copies somewhere the user never named.
    std::string TargetRoot{};
    // The source the user named for the pair being walked, and the target files its walk
    // listed: what the deletion of its unmatched items is weighed against.
    std::string SourceRoot{};
    std::int64_t TargetFilesListed = 0;
    std::vector<CreatedFolder> Created; // in creation order, parents first
    // A report run's folders it said it would create: listed once, taken as made thereafter.
    std::vector<std::string> WouldCreate;
};

} // namespace Tandemix
