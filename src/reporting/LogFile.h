// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Reporter.h"
#include "reporting/LogMessages.h"
#include "settings/LogNames.h"
#include "settings/Options.h"

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace Tandemix {

// The switches the log writer reads, taken from the options at the moment of each request.
struct LogSettings
{
    bool UseLogFile = true;
    bool ReportLogOverwrite = false;
    bool ReportPreLogOverwrite = false;
    bool ReportAddedFiles = true;
    bool ReportUpdateFiles = true;
    bool ReportFileErrors = true;
    bool ReportAppErrors = true; // copy application errors into the open log too
    bool ReportDirectoryCreation = true;
    // The columns of an added or updated file's line. Their check boxes are disabled while
    // the log is off, and a disabled column never counts.
    bool SizeColumn = true;
    bool DateColumn = true;
    bool TimeColumn = true;
    std::string LogFileName{LogMsg::DefaultSyncLogName};
    std::string PreReportFileName{LogMsg::DefaultPreSyncLogName};
    int LogSize = 32000; // bytes; 0 or less: no limit
};

LogSettings LogSettingsFrom(const Options& options);

// What a request reads from the run besides its text: the stop request (a closing log says
// "Stopped") and the size, date and time cells of the decided file being handled.
struct LogRunView
{
    bool Stopped = false;
    std::string_view SizeCell;
    std::string_view DateCell;
    std::string_view TimeCell;
};

// The sync log and the pre-sync report log (one channel, at most one of them open) and the
// error log. One file open per run, not per line; every line is written with a checked write
// and ends in CR LF. Never raises: a log that cannot be written stays silent and the run goes
// on. UI thread only.
class LogFile
{
public:
    // `programFolder` with or without its trailing '/'. Dates come from the program's clock.
    explicit LogFile(std::string programFolder);
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Handles one request. Opening rewrites the configured name in `settings` to the name the
    // file was opened under, so the window can show it.
    void
    WriteLogFile(std::string_view text, LogKind kind, LogSettings& settings, const LogRunView& run) noexcept;

    // Told once per run (from the opening of a log to the next opening) the first time a log
    // line cannot be written, with "Could Not Write Log File: " + the path and the reason; the
    // run itself goes on. Set by whoever can show it.
    std::function<void(const std::string&)> OnWriteFailure;

    // Writes out the lines held back. The lines of files and folders (several per folder) are
    // collected and written together: before a problem's line, when 64 KiB have gathered, here
    // (at each folder's end and before a question), and when the log is closed. A program killed
    // outright loses at most those, never a line before them.
    void Flush() noexcept;

    // 1 while the sync log or the pre-sync report log is open, else 0.
    int LogOpenFlag() const { return FFd >= 0 ? 1 : 0; }
    const std::string& OpenPath() const { return FPath; }
    const std::string& Folder() const { return FFolder; }

private:
    void Open(std::string& name, std::string_view defaultName, bool overwrite, bool preSync);
    void Close(bool preSync, bool stopped);
    void CloseChannel();
    bool WriteLine(std::string_view line);
    void HoldLine(std::string_view line);
    void WriteErrorLog(std::string_view text);
    void NoteFailure(const std::string& path, int error);
    std::string Now() const;

    std::string FFolder;
    int FFd = -1;
    std::string FPath;
    bool FFailureNoted = false;
    std::string FHeld; // file lines not written yet, each with its line end
};

// ---- File access and viewing ----------------------------------------------------------------

// True when the viewer starts the file itself rather than showing it (".exe" or ".bat"
// anywhere in the name, in any case).
bool ViewerStartsFile(std::string_view fileName);
// Starts or shows the file without waiting for it; a missing file is the viewer's to report.
// Always true.
bool OpenFileInViewer(const std::string& fileName);

// The files the two View buttons show: the names as configured, without the extension rule,
// in the program folder.
std::string ViewLogPath(const std::string& programFolder, const Options& options);
std::string ViewPreLogPath(const std::string& programFolder, const Options& options);
bool ViewLogClick(const std::string& programFolder, const Options& options);
bool ViewPreLogClick(const std::string& programFolder, const Options& options);

} // namespace Tandemix
