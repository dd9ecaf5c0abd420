// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Tandemix {

enum class DateMode
{
    All, // "All"
    NoDays, // "Today and Past": the last PastDaysCount days
    FromTo, // "From:" a date "To:" a date
};

// A drop-down list the user picks from and the configuration keeps: its entries and the one
// selected (-1: none). Saving moves the selected entry to the front, so the newest comes first.
struct SelectableList
{
    std::vector<std::string> Items;
    int ItemIndex = -1;

    bool operator==(const SelectableList&) const = default;
};

// The program-wide copies of the options, named after their configuration keys. The
// configuration loader, a batch row and the command line write them; the engine reads them;
// the window shows them. Defaults are the values a missing configuration key gives.
struct Options
{
    // ---- Menu "Options" -------------------------------------------------------------------
    bool DisplayMessages = true; // "Display Errors During Operation": false makes prompts answer themselves
    bool SaveSettingsOnExit = true;
    bool ShowHint = false;
    bool MenuAutoPopup = true;
    bool SortFileLists = false;

    // ---- File selection filters --------------------------------------------------------------
    std::string IncludeString = "*.*";
    std::string ExcludeString;
    bool CheckNormal = true;
    bool CheckArchive = true;
    bool CheckReadOnly = true; // also allows overwriting read-only targets
    bool CheckSystem = true;
    bool CheckHidden = true;
    std::string MinFileSize = "0";
    std::string MaxFileSize = "0";
    DateMode DatesMode = DateMode::All;
    std::string PastDaysCount = "3";
    std::uint32_t UseDateFrom = 2162688; // packed; the edit's own parsed date
    std::uint32_t UseDateTo = 0; // packed; 0: today
    std::uint32_t DateFrom = 2162688; // effective range start (packed)
    std::uint32_t DateTo = 0; // effective range end (packed); 0: today

    // ---- Run options ---------------------------------------------------------------------------
    bool IncludeSubFolderOption = true;
    bool CreateSubFolderOption = true;
    bool UpdateFilesOption = true;
    bool AddFilesOption = true;
    bool AlwaysOverWrite = false;
    bool IgnoreTargetSpace = false;
    bool CheckResetArchive = false; // "Reset File Archive Attrib"
    bool DeleteUnmatched = false;
    bool ReplicateFolders = false;
    bool UseCompression = false;
    bool RunBatchList = false;

    // ---- Reporting -----------------------------------------------------------------------------
    bool UseLogFile = true;
    bool UseReportForm = true;
    bool ListUnMatchedFiles = false;
    bool ReportEmptyFoldersCheck = true;

    // ---- Automation ----------------------------------------------------------------------------
    bool MonitorSourceDriveCheck = false;
    int MonitorSourceDriveCheckTag = -1; // -33: monitoring ended together with a stopped operation

    int RevisionCode = 0; // "Revision Code" of the loaded configuration; 0 when it had none

    // Every file passes the filters when the target is made an exact replica.
    bool ReplicateBypass() const { return DeleteUnmatched && ReplicateFolders; }

    // ---- Window and view ---------------------------------------------------------------------
    int MainLeft = 50;
    int MainTop = 100;
    int HomeLeft = 50; // left edge to return to when the window was parked off-screen for the tray
    int ReportLeft = 50;
    int ReportTop = 100;
    int ShowTopMenu = 0; // selected upper page, 0-2
    int ShowBottomMenu = 0; // selected lower page, 0-4
    bool ExpandOptionsDisplay = false;

    // ---- Unmatched items ---------------------------------------------------------------------
    std::string RecoverDelFilesFolder; // with its trailing '/' when not empty
    int DeleteUnmatchedWarningDelay = 10; // seconds of the countdown; 0 or less: none
    bool DeleteUnMatchPriorToSync = false; // "Pre-Delete": a first pass only deletes
    // A deletion of more than half of a pair's target files (and at least ten) is asked about
    // in the window and refused unattended.
    bool MassDeletionGuard = true;

    // ---- Compression -------------------------------------------------------------------------
    int CompressExpand = 0; // 0 compress the target, 1 expand the source
    int CompressionSpeed = 0; // 0 normal, 1 maximum compression, 2 maximum speed
    std::string CompressedFileExt = "ZIP"; // as typed, without the dot
    std::string CompressedExt = ".ZIP"; // derived: with the dot, at most 10 characters
    std::string PassWordName; // archive password
    std::string AdminPassWord; // empty: no lock
    bool SavePasswordEnabled = false; // the archive password changed since it was read

    // ---- Log files ---------------------------------------------------------------------------
    bool ReportLogOverwrite = false;
    bool ReportPreLogOverwrite = false;
    bool ReportUpdateFilesCheck = true;
    bool ReportAddedFilesCheck = true;
    bool ReportFileDateCheck = true;
    bool ReportFileTimeCheck = true;
    bool ReportFileSizeCheck = true;
    bool ReportFileErrorsCheck = true;
    bool ReportAppErrorsCheck = true;
    bool ReportDirectoryCreationCheck = true;
    std::string LogFileName = "Tandemix.Log";
    std::string PreReportFileName = "PreSync.Log";
    int LogSize = 32000; // bytes; 0 or less: no limit

    // ---- Date range, schedule and polling ---------------------------------------------------
    bool TodayFrom = false; // the "Today" button is usable (only with From/To dates)
    bool PoleEvery = false;
    std::string PoleSecs = "0";
    bool RunSyncSched = false;
    std::string RunSyncEveryMin = "0";

    // ---- Remembered lists --------------------------------------------------------------------
    SelectableList ExcludeHistory{{""}, 0};
    SelectableList IncludeHistory{{"*.*"}, 0};
    SelectableList BatchFileLoadList{{""}, 0};
    std::array<std::string, 4> RecentFolders; // "source >> target"; empty entries are hidden

    bool operator==(const Options&) const = default;
};

} // namespace Tandemix
