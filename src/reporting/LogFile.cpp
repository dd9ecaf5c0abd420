// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/LogFile.h"

#include "engine/ShowError.h"
#include "platform/DateText.h"
#include "platform/DirReader.h"
#include "platform/FileIo.h"
#include "platform/FileOps.h"
#include "platform/Launch.h"
#include "platform/ProgramFolder.h"

#include <cstring>

namespace Tandemix {

namespace {

constexpr std::size_t DetailTextWidth = 15;
constexpr std::size_t SizeColumnWidth = 9;
constexpr std::size_t DateColumnWidth = 9;
constexpr std::size_t TimeColumnWidth = 12;
constexpr std::string_view LineEnd = "\r\n";

// Counts characters, not bytes, as PadRight does: columns of UTF-8 names must line up.
void AppendRightAligned(std::string& line, std::string_view text, std::size_t width)
{
    std::size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++count;
        }
    }
    if (count < width) {
        line.append(width - count, ' ');
    }
    line.append(text);
}

std::string DetailLine(std::string_view text, const LogSettings& settings, const LogRunView& run)
{
    std::string line = PadRight(text, DetailTextWidth);
    line.push_back('\t');
    if (settings.SizeColumn) {
        line.push_back('\t');
        AppendRightAligned(line, run.SizeCell, SizeColumnWidth);
    }
    if (settings.DateColumn) {
        line.push_back('\t');
        AppendRightAligned(line, run.DateCell, DateColumnWidth);
    }
    if (settings.TimeColumn) {
        line.push_back('\t');
        AppendRightAligned(line, run.TimeCell, TimeColumnWidth);
    }
    return line;
}

std::string_view FileNamePart(std::string_view path)
{
    std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool SameTextNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y) {
            return false;
        }
    }
    return true;
}

bool CanOpen(const std::string& path, FileAccess access)
{
    SysResult<int> fd{-1};
    switch (access) {
    case FileAccess::Query:
        return FileExists(path);
    case FileAccess::Read:
        fd = OpenForRead(path);
        break;
    case FileAccess::Write:
        // Appending creates a missing file; the check must not.
        if (!FileExists(path)) {
            return false;
        }
        fd = OpenForAppend(path, false);
        break;
    }
    if (!fd) {
        return false;
    }
    (void)CloseFile(*fd, path);
    return true;
}

// Puts DisplayMessages back however the question ends.
class DisplayMessagesRestorer
{
public:
    explicit DisplayMessagesRestorer(Options& options)
        : FOptions(options)
        , FSaved(options.DisplayMessages)
    {}
    ~DisplayMessagesRestorer() { FOptions.DisplayMessages = FSaved; }
    DisplayMessagesRestorer(const DisplayMessagesRestorer&) = delete;
    DisplayMessagesRestorer& operator=(const DisplayMessagesRestorer&) = delete;

private:
    Options& FOptions;
    bool FSaved;
};

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

std::string SafeLogName(std::string_view configured, std::string_view defaultName)
{
    // A backslash can only be a folder separator of a configuration carried over from another
    // system; as part of a name it would just be confusing.
    std::size_t cut = configured.find_last_of("/\\");
    std::string_view name = cut == std::string_view::npos ? configured : configured.substr(cut + 1);
    if (name.empty() || name == "." || name == "..") {
        return std::string(defaultName);
    }
    return std::string(name);
}

std::string LogNameToOpen(std::string_view configured, std::string_view defaultName)
{
    std::string name = SafeLogName(configured, defaultName);
    std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    name.append(LogMsg::LogExtension);
    return name;
}

LogFile::LogFile(std::string programFolder, Clock now)
    : FFolder(AddTrailingSlash(std::move(programFolder)))
    , FNow(std::move(now))
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
                WriteLine(DetailLine(text, settings, run));
            }
            break;
        case LogKind::UpdatedFile:
            if (settings.ReportUpdateFiles && FFd >= 0) {
                WriteLine(DetailLine(text, settings, run));
            }
            break;
        case LogKind::FileError:
            if (settings.ReportFileErrors) {
                WriteLine(text);
            }
            break;
        case LogKind::FolderCreated:
            if (settings.ReportDirectoryCreation) {
                WriteLine(text);
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
    return DateTimeText(FNow ? FNow() : std::time(nullptr));
}

void TrimLogsAtLoad(const std::string& programFolder, const LogSettings& settings)
{
    if (settings.LogSize <= 0) {
        return;
    }
    std::string folder = AddTrailingSlash(programFolder);
    // The names the next run will open, so the file trimmed is the file that run writes.
    std::string names[] = {LogNameToOpen(settings.LogFileName, LogMsg::DefaultSyncLogName),
                           LogNameToOpen(settings.PreReportFileName, LogMsg::DefaultPreSyncLogName)};
    auto limit = static_cast<std::int64_t>(settings.LogSize);
    std::vector<std::string> oversized;
    (void)ForEachEntry(
        folder,
        [&](const DirEntry& entry) {
            if (entry.IsDir || entry.Size <= limit) {
                return true;
            }
            for (const std::string& name : names) {
                if (entry.Name == name) {
                    oversized.push_back(entry.Name);
                    break;
                }
            }
            return true;
        },
        false);
    for (const std::string& name : oversized) {
        (void)DeleteFile(folder + name);
    }
}

int CheckFileAccess(RunContext& ctx, const std::string& fileName, FileAccess access)
{
    if (CanOpen(fileName, access)) {
        return 0;
    }
    std::string_view namePart = FileNamePart(fileName);
    // The program's own files are never asked about: the question would come up on every run.
    bool ownFile = SameTextNoCase(namePart, ctx.Opts.LogFileName)
                   || SameTextNoCase(namePart, ctx.Opts.PreReportFileName)
                   || SameTextNoCase(namePart, FileNamePart(ExecutablePath()));
    int answer = 0;
    {
        DisplayMessagesRestorer restore(ctx.Opts);
        if (ownFile) {
            ctx.Opts.DisplayMessages = false;
        }
        answer = ShowError(ctx, ProblemMessageLine(LogMsg::FileAccessError, fileName), ErrorCode::FileAccess);
    }

    int result = 0;
    std::string_view word;
    if (answer == static_cast<int>(DialogResult::Abort)) {
        result = 4;
        word = LogMsg::AbortWord;
    } else if (answer == static_cast<int>(DialogResult::Ignore)) {
        result = 2;
        word = LogMsg::IgnoreWord;
    } else {
        return 0;
    }
    std::string line(LogMsg::FileAccessError);
    line.append(" ")
        .append(namePart)
        .append(LogMsg::FileAccessWordLead)
        .append(word)
        .append(LogMsg::FileAccessWordTail);
    ctx.Report.WriteLogFile(line, LogKind::FileError);
    return result;
}

bool ViewerStartsFile(std::string_view fileName)
{
    std::string lower(fileName);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
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
    return AddTrailingSlash(programFolder) + SafeLogName(options.LogFileName, LogMsg::DefaultSyncLogName);
}

std::string ViewPreLogPath(const std::string& programFolder, const Options& options)
{
    return AddTrailingSlash(programFolder)
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
