// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/LogFile.h"

#include "platform/AsciiText.h"
#include "platform/DateText.h"
#include "platform/DirReader.h"
#include "platform/FileIo.h"
#include "platform/FileOps.h"
#include "platform/Launch.h"
#include "platform/ProgramFolder.h"
#include "platform/WallClock.h"

#include <cstring>

namespace Tandemix {

namespace {

constexpr std::size_t DetailTextWidth = 15;
constexpr std::size_t SizeColumnWidth = 9;
constexpr std::size_t DateColumnWidth = 9;
constexpr std::size_t TimeColumnWidth = 12;
constexpr std::string_view LineEnd = "\r\n";

std::string DetailLine(std::string_view text, const LogSettings& settings, const LogRunView& run)
{
    std::string line = PadRight(text, DetailTextWidth);
    line.push_back('\t');
    if (settings.SizeColumn) {
        line.push_back('\t');
        line += PadLeft(run.SizeCell, SizeColumnWidth);
    }
    if (settings.DateColumn) {
        line.push_back('\t');
        line += PadLeft(run.DateCell, DateColumnWidth);
    }
    if (settings.TimeColumn) {
        line.push_back('\t');
        line += PadLeft(run.TimeCell, TimeColumnWidth);
    }
    return line;
}

} // namespace

LogSettings LogSettingsFrom(const Options& options)
{
    LogSettings settings;
    settings.UseLogFile = options.UseLogFile;
    settings.ReportLogOverwrite = options.ReportLogOverwrite;
    settings.ReportPreLogOverwrite = options.ReportPreLogOverwrite;
    settings.ReportAddedFiles = options.ReportAddedFilesCheck;
    settings.ReportUpdateFiles = options.ReportUpdateFilesCheck;
    settings.ReportFileErrors = options.ReportFileErrorsCheck;
    settings.ReportAppErrors = options.ReportAppErrorsCheck;
    settings.ReportDirectoryCreation = options.ReportDirectoryCreationCheck;
    settings.SizeColumn = options.UseLogFile && options.ReportFileSizeCheck;
    settings.DateColumn = options.UseLogFile && options.ReportFileDateCheck;
    settings.TimeColumn = options.UseLogFile && options.ReportFileTimeCheck;
    settings.LogFileName = options.LogFileName;
    settings.PreReportFileName = options.PreReportFileName;
    settings.LogSize = options.LogSize;
    return settings;
}

LogFile::LogFile(std::string programFolder)
    : FFolder(AddTrailingBackslash(std::move(programFolder)))
{}

LogFile::~LogFile()
{
    CloseChannel();
}

void LogFile::WriteLogFile(std::string_view text,
                           LogKind kind,
                           LogSettings& settings,
                           const LogRunView& run) noexcept
{
    try {
        if (!settings.UseLogFile && kind != LogKind::AppError) {
            return;
        }
        // Problems and the log's own opening and closing go out at once, the held lines first
        // so that the order stays.
        const bool held = kind == LogKind::AddedFile || kind == LogKind::UpdatedFile
                          || kind == LogKind::Summary || kind == LogKind::FolderCreated;
        if (!held) {
            Flush();
        }
        switch (kind) {
        case LogKind::OpenSyncLog:
            Open(settings.LogFileName, LogMsg::DefaultSyncLogName, settings.ReportLogOverwrite, false);
            break;
        case LogKind::OpenPreSyncLog:
            Open(settings.PreReportFileName,
                 LogMsg::DefaultPreSyncLogName,
                 settings.ReportPreLogOverwrite,
                 true);
            break;
        case LogKind::CloseSyncLog:
            Close(false, run.Stopped);
            break;
        case LogKind::ClosePreSyncLog:
            Close(true, run.Stopped);
            break;
        case LogKind::AddedFile:
            if (settings.ReportAddedFiles && FFd >= 0) {
                HoldLine(DetailLine(text, settings, run));
            }
            break;
        case LogKind::UpdatedFile:
            if (settings.ReportUpdateFiles && FFd >= 0) {
                HoldLine(DetailLine(text, settings, run));
            }
            break;
        case LogKind::FileError:
            if (settings.ReportFileErrors) {
                WriteLine(text);
            }
            break;
        case LogKind::FolderCreated:
            if (settings.ReportDirectoryCreation && FFd >= 0) {
                HoldLine(text);
            }
            break;
        case LogKind::Summary:
            if (FFd >= 0) {
                HoldLine(text);
            }
            break;
        case LogKind::AppError:
            if (settings.ReportAppErrors) {
                WriteLine(text);
            }
            WriteErrorLog(text);
            break;
        default:
            WriteLine(text);
            break;
        }
    } catch (...) {
        // Running out of memory while building a line must not end the run that asked.
    }
}

void LogFile::Open(std::string& name, std::string_view defaultName, bool overwrite, bool preSync)
{
    name = LogNameToOpen(name, defaultName);
    std::string path = FFolder + name;
    CloseChannel();
    FFailureNoted = false;
    SysResult<int> fd = OpenForAppend(path, overwrite);
    if (!fd) {
        NoteFailure(path, fd.Error());
        return;
    }
    FFd = *fd;
    FPath = std::move(path);
    std::size_t ruleWidth = preSync ? LogMsg::PreSyncRuleWidth : LogMsg::SyncRuleWidth;
    std::string_view started = preSync ? LogMsg::PreSyncStarted : LogMsg::SyncStarted;
    // A blank line and the rule separate this run from the one before when appending.
    if (WriteLine(" ") && WriteLine(std::string(ruleWidth, '='))) {
        WriteLine(std::string(started).append(Now()));
    }
}

void LogFile::Close(bool preSync, bool stopped)
{
    if (FFd < 0) {
        return;
    }
    std::string_view verb;
    if (preSync) {
        verb = stopped ? LogMsg::PreSyncStopped : LogMsg::PreSyncCompleted;
    } else {
        verb = stopped ? LogMsg::SyncStopped : LogMsg::SyncCompleted;
    }
    std::size_t ruleWidth = preSync ? LogMsg::PreSyncRuleWidth : LogMsg::SyncRuleWidth;
    if (WriteLine(std::string(verb).append(Now())) && WriteLine(std::string(ruleWidth, '='))) {
        WriteLine(" ");
    }
    // Closed even when the trailer could not be written: the next run opens afresh.
    CloseChannel();
}

void LogFile::CloseChannel()
{
    Flush();
    if (FFd >= 0) {
        (void)CloseFile(FFd, FPath);
        FFd = -1;
        FPath.clear();
    }
}

bool LogFile::WriteLine(std::string_view line)
{
    if (FFd < 0) {
        return false;
    }
    std::string bytes;
    bytes.reserve(line.size() + LineEnd.size());
    bytes.append(line).append(LineEnd);
    auto written = WriteAll(FFd, bytes.data(), bytes.size(), FPath);
    if (!written) {
        NoteFailure(FPath, written.Error());
    }
    return written.Ok();
}

void LogFile::HoldLine(std::string_view line)
{
    constexpr std::size_t HeldLimit = 64 * 1024;
    FHeld.append(line).append(LineEnd);
    if (FHeld.size() >= HeldLimit) {
        Flush();
    }
}

void LogFile::Flush() noexcept
{
    if (FHeld.empty()) {
        return;
    }
    if (FFd >= 0) {
        if (auto written = WriteAll(FFd, FHeld.data(), FHeld.size(), FPath); !written) {
            NoteFailure(FPath, written.Error());
        }
    }
    FHeld.clear();
}

void LogFile::NoteFailure(const std::string& path, int error)
{
    // Once per run: a full disk would otherwise repeat it for every line.
    if (FFailureNoted) {
        return;
    }
    FFailureNoted = true;
    if (OnWriteFailure) {
        std::string text(LogMsg::CannotWriteLog);
        text.append(path).append(" (").append(std::strerror(error)).append(")");
        OnWriteFailure(text);
    }
}

void LogFile::WriteErrorLog(std::string_view text)
{
    std::string path = FFolder + std::string(LogMsg::ErrorLogName);
    SysResult<int> fd = OpenForAppend(path, false);
    if (!fd) {
        NoteFailure(path, fd.Error());
        return;
    }
    // One write for the whole entry, so two processes appending cannot interleave its lines.
    std::string entry(LogMsg::ErrorReported);
    entry.append(Now()).append(LineEnd).append(text).append(LineEnd).append(LineEnd);
    if (auto written = WriteAll(*fd, entry.data(), entry.size(), path); !written) {
        NoteFailure(path, written.Error());
    }
    (void)CloseFile(*fd, path);
}

std::string LogFile::Now() const
{
    return DateTimeText(::Tandemix::Now());
}

bool ViewerStartsFile(std::string_view fileName)
{
    const std::string lower = LowerAscii(fileName);
    for (std::string_view extension : LogMsg::StartedExtensions) {
        if (lower.find(extension) != std::string::npos) {
            return true;
        }
    }
    return false;
}

bool OpenFileInViewer(const std::string& fileName)
{
    // Nothing to report here: a viewer that cannot show the file says so itself.
    if (ViewerStartsFile(fileName)) {
        (void)LaunchFile(fileName);
    } else {
        (void)OpenInViewer(fileName);
    }
    return true;
}

std::string ViewLogPath(const std::string& programFolder, const Options& options)
{
    return AddTrailingBackslash(programFolder) + SafeLogName(options.LogFileName, LogMsg::DefaultSyncLogName);
}

std::string ViewPreLogPath(const std::string& programFolder, const Options& options)
{
    return AddTrailingBackslash(programFolder)
           + SafeLogName(options.PreReportFileName, LogMsg::DefaultPreSyncLogName);
}

bool ViewLogClick(const std::string& programFolder, const Options& options)
{
    return OpenFileInViewer(ViewLogPath(programFolder, options));
}

bool ViewPreLogClick(const std::string& programFolder, const Options& options)
{
    return OpenFileInViewer(ViewPreLogPath(programFolder, options));
}

} // namespace Tandemix
