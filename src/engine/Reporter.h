// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string_view>

namespace Tandemix {

// Report categories; the numbers are those every caller and the report file use.
enum class ReportCategory : int
{
    Added = 0,
    Updated = 1,
    Excluded = 2,
    UnMatched = 3,
    Messages = 4,
    Deletions = 5,
};

// Log request kinds understood by the log writer.
enum class LogKind : int
{
    Closed = 0,
    OpenSyncLog = 1,
    CloseSyncLog = 2,
    AddedFile = 3,
    UpdatedFile = 4,
    FileError = 5,
    Summary = 6,
    OpenPreSyncLog = 7,
    ClosePreSyncLog = 8,
    FolderCreated = 9,
    AppError = 10,
};

// One line a run files, as the callers hand it over.
struct ReportEntry
{
    std::string_view Name{};
    std::string_view Path{};
    std::string_view SizeText{}; // bytes as decimal text
    std::string_view Detail{}; // date and time, or a marker such as "Folder-------------"
    std::string_view Kind{}; // "Add", an exclusion reason, a withdrawal, or the message itself
    ReportCategory Category = ReportCategory::Messages;
    // An unmatched entry inside an archive: the archive's path. Empty for a file on the disk.
    std::string_view Archive{};
};

// Where the engine files what it did: the log files and the report lists. The engine never
// touches a log file itself. No call raises. The run-level calls at the end do nothing by default:
// a reporter without report lists (a test's, a display-less tool's) simply keeps what it has.
// UI thread only.
class Reporter
{
public:
    virtual ~Reporter() = default;
    virtual void WriteLogFile(std::string_view text, LogKind kind) noexcept = 0;
    virtual void AddReportEntry(const ReportEntry& entry) noexcept = 0;
    // A line of the message list.
    void AddMessage(std::string_view text) noexcept { AddReportEntry({.Kind = text}); }
    // A folder listing starts: the unmatched files it finds are filed together, in listing
    // order, above those of folders listed earlier.
    virtual void BeginListing() noexcept {}

    // Empties every report list and zeroes their counts and totals (a run starts afresh).
    virtual void ClearReports() noexcept {}
    // Empties the unmatched list: a run that did not complete leaves no unmatched items.
    virtual void ClearUnMatched() noexcept {}
    // Entries in the message list: the run ends with "Done: There are messages!" when any.
    virtual std::int64_t MessageCount() const noexcept { return 0; }
    // Set just before the log is closed: the closing line says "Stopped" rather than
    // "Completed" for a run that was stopped or aborted.
    virtual void SetRunStopped(bool /*stopped*/) noexcept {}
    // Writes out the log lines held back (a file's line waits for the folder's end or for the
    // next line of another kind): called at each folder's end and before a question.
    virtual void FlushLog() noexcept {}
};

// For code paths that run before logging is wired, and for tests that do not look at reports.
class NullReporter : public Reporter
{
public:
    void WriteLogFile(std::string_view, LogKind) noexcept override {}
    void AddReportEntry(const ReportEntry&) noexcept override {}
};

} // namespace Tandemix
