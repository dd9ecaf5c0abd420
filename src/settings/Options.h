// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace Tandemix {

enum class DateMode
{
    All,        // "All"
    NoDays,     // "Today and Past": the last PastDaysCount days
    FromTo,     // "From:" a date "To:" a date
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
    std::uint32_t UseDateTo = 0;         // packed; 0: today
    std::uint32_t DateFrom = 2162688;    // effective range start (packed)
    std::uint32_t DateTo = 0;            // effective range end (packed); 0: today

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
};

} // namespace Tandemix
