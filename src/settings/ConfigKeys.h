// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/Options.h"

#include <string>
#include <string_view>
#include <variant>

namespace Tandemix {

inline constexpr std::string_view MiscSection = "Misc Options";
inline constexpr std::string_view AppSection = "Application Options";
inline constexpr std::string_view CompressionSection = "Compression Options";
inline constexpr std::string_view ReportSection = "Report Options";
inline constexpr std::string_view FileSection = "File Options";
inline constexpr std::string_view ProSection = "Pro Options";

// Keys whose stored text is worked out at save time rather than held in one option.
enum class Derived
{
    CompileDate,
    RevisionCode,
    WindowsVersion,
    DatesFromTo,
    DateFrom,
    DateTo,
    DatesNoDays,
    DatesAll,
    Lists, // not a key: the list sections are written at this point
    RealTimeMonitoring,
};

// When a load reads the key into its option as it stands.
enum class KeyLoad
{
    Plain, // with the other settings, before a reopened batch list applies its row 1
    AfterLists, // after that row, which it overrules
    Automation, // with the automation options, read apart at start-up
    Own, // by code of its own: a rule, a range, a start-up-only value, or a derived text
};

using KeyField = std::variant<Derived, bool Options::*, int Options::*, std::string Options::*>;

// One key of the configuration file. The table below is the only place a key is spelled:
// saving walks it in order, loading reads every Plain, AfterLists or Automation key from it,
// and the code that loads an Own key looks the key up by its option.
struct ConfigKey
{
    std::string_view Section;
    std::string_view Name;
    std::string_view Default; // as text: "1"/"0" for a switch
    KeyField Field;
    KeyLoad Load = KeyLoad::Plain;
};

// Every key in the order a save writes them.
inline const ConfigKey ConfigKeys[] = {
    {MiscSection, "Compile Date", "", Derived::CompileDate, KeyLoad::Own},
    {MiscSection, "Revision Code", "0", Derived::RevisionCode, KeyLoad::Own},
    {MiscSection, "Windows Version", "", Derived::WindowsVersion, KeyLoad::Own},

    {CompressionSection, "Use Compression", "0", &Options::UseCompression},
    {CompressionSection, "CompressExpand", "0", &Options::CompressExpand, KeyLoad::Own},
    {CompressionSection, "Compression Speed", "0", &Options::CompressionSpeed, KeyLoad::Own},
    {CompressionSection, "CompressedFileExt", "ZIP", &Options::CompressedFileExt, KeyLoad::Own},

    {AppSection, "MainLeft", "50", &Options::MainLeft, KeyLoad::Own},
    {AppSection, "MainTop", "100", &Options::MainTop, KeyLoad::Own},
    {AppSection, "ReportLeft", "50", &Options::ReportLeft, KeyLoad::Own},
    {AppSection, "ReportTop", "100", &Options::ReportTop, KeyLoad::Own},
    {AppSection, "ShowHint", "0", &Options::ShowHint},
    {AppSection, "MenuAutoPopup", "1", &Options::MenuAutoPopup},
    {AppSection, "ShowBottomMenu", "0", &Options::ShowBottomMenu, KeyLoad::Own},
    {AppSection, "ShowTopMenu", "0", &Options::ShowTopMenu, KeyLoad::Own},
    {AppSection, "ExpandOptionsDisplay", "0", &Options::ExpandOptionsDisplay, KeyLoad::Own},
    {AppSection, "SaveSettingsOnExit", "1", &Options::SaveSettingsOnExit},
    {AppSection, "RecoverDelFilesFolder", "", &Options::RecoverDelFilesFolder, KeyLoad::Own},
    {AppSection, "SortFileLists", "0", &Options::SortFileLists, KeyLoad::AfterLists},
    {AppSection, "DisplayMessages", "1", &Options::DisplayMessages},

    {ReportSection, "UseLogFile", "1", &Options::UseLogFile},
    {ReportSection, "ReportLogOverwrite", "0", &Options::ReportLogOverwrite},
    {ReportSection, "ReportPreLogOverwrite", "0", &Options::ReportPreLogOverwrite},
    {ReportSection, "ReportEmptyFolders", "1", &Options::ReportEmptyFoldersCheck},
    {ReportSection, "ReportUpdateFiles", "1", &Options::ReportUpdateFilesCheck},
    {ReportSection, "ReportAddedFiles", "1", &Options::ReportAddedFilesCheck},
    {ReportSection, "ReportFileDate", "1", &Options::ReportFileDateCheck},
    {ReportSection, "ReportFileTime", "1", &Options::ReportFileTimeCheck},
    {ReportSection, "ReportFileSize", "1", &Options::ReportFileSizeCheck},
    {ReportSection, "ReportFileErrors", "1", &Options::ReportFileErrorsCheck},
    {ReportSection, "ReportAppErrors", "1", &Options::ReportAppErrorsCheck},
    {ReportSection, "ReportDirCreation", "1", &Options::ReportDirectoryCreationCheck},
    {ReportSection, "LogFileName", "Tandemix.Log", &Options::LogFileName},
    {ReportSection, "PreReportFileName", "PreSync.Log", &Options::PreReportFileName},
    {ReportSection, "LogSize", "32000", &Options::LogSize},
    {ReportSection, "UseReportForm", "1", &Options::UseReportForm},
    {ReportSection, "ListUnMatchedFiles", "0", &Options::ListUnMatchedFiles},

    {FileSection, "UseDatesFromTo", "0", Derived::DatesFromTo, KeyLoad::Own},
    {FileSection, "UseDateFrom", "2162688", Derived::DateFrom, KeyLoad::Own},
    {FileSection, "UseDateTo", "", Derived::DateTo, KeyLoad::Own},
    // Stored, but a load derives it from the date mode.
    {FileSection, "TodayFrom", "0", &Options::TodayFrom, KeyLoad::Own},
    {FileSection, "UseDatesNoDays", "0", Derived::DatesNoDays, KeyLoad::Own},
    {FileSection, "PastDaysCount", "3", &Options::PastDaysCount},
    {FileSection, "UseDatesAll", "1", Derived::DatesAll, KeyLoad::Own},
    {FileSection, "CheckNormal", "1", &Options::CheckNormal},
    {FileSection, "CheckArchive", "1", &Options::CheckArchive},
    {FileSection, "CheckReadOnly", "1", &Options::CheckReadOnly},
    {FileSection, "CheckSystem", "1", &Options::CheckSystem},
    {FileSection, "CheckHidden", "1", &Options::CheckHidden},
    // Loaded from the include list's selected entry.
    {FileSection, "IncludeString", "*.*", &Options::IncludeString, KeyLoad::Own},
    {FileSection, "CreateSubFolderOption", "1", &Options::CreateSubFolderOption},
    {FileSection, "UpdateFilesOption", "1", &Options::UpdateFilesOption},
    {FileSection, "AddFilesOption", "1", &Options::AddFilesOption},
    {FileSection, "IncludeSubFolderOption", "1", &Options::IncludeSubFolderOption},
    {FileSection, "MaxFileSize", "0", &Options::MaxFileSize},
    {FileSection, "MinFileSize", "0", &Options::MinFileSize},
    {FileSection, "DeleteUnmatched", "0", &Options::DeleteUnmatched, KeyLoad::Own},
    {FileSection,
     "DeleteUnmatchedWarningDelay",
     "10",
     &Options::DeleteUnmatchedWarningDelay,
     KeyLoad::AfterLists},
    {FileSection, "ReplicateFolders", "0", &Options::ReplicateFolders, KeyLoad::Own},
    {FileSection, "MassDeletionGuard", "1", &Options::MassDeletionGuard},

    {{}, {}, {}, Derived::Lists, KeyLoad::Own},

    {ProSection, "Real-Time Monitoring", "0", Derived::RealTimeMonitoring, KeyLoad::Own},
    {ProSection, "Pre-Delete Unmatched Files", "0", &Options::DeleteUnMatchPriorToSync, KeyLoad::Automation},
    {ProSection, "Reset File Archive Attrib", "0", &Options::CheckResetArchive, KeyLoad::Automation},
    {ProSection, "Pole Source", "0", &Options::PoleEvery, KeyLoad::Own},
    {ProSection, "Pole Source Every", "0", &Options::PoleSecs, KeyLoad::Automation},
    {ProSection, "Sched Sync", "0", &Options::RunSyncSched, KeyLoad::Own},
    {ProSection, "Sched Sync Every", "0", &Options::RunSyncEveryMin, KeyLoad::Automation},
    {FileSection, "Ignore Target Space", "0", &Options::IgnoreTargetSpace, KeyLoad::Automation},
};

} // namespace Tandemix
