// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/EngineState.h"
#include "engine/Reporter.h"
#include "engine/RunState.h"
#include "reporting/LogFile.h"
#include "reporting/ReportLists.h"
#include "settings/Options.h"

#include <string>
#include <string_view>

namespace Tandemix {

// The program's Reporter: log requests go to the log files, report entries to the six report
// lists, each read against the options and run state of the moment. Owned by the main window
// (or the console of an unattended run) for the program's lifetime. UI thread only.
class ProgramReporter : public Reporter
{
public:
    ProgramReporter(Options& options, RunState& state, EngineState& engine, std::string programFolder);
    ~ProgramReporter() override;
    ProgramReporter(const ProgramReporter&) = delete;
    ProgramReporter& operator=(const ProgramReporter&) = delete;

    void WriteLogFile(std::string_view text, LogKind kind) noexcept override;
    void AddReportEntry(const ReportEntry& entry) noexcept override;
    void BeginListing() noexcept override { FLists.BeginListing(); }

    void ClearReports() noexcept override { FLists.ClearReports(); }
    void ClearUnMatched() noexcept override { FLists.ClearUnMatched(); }
    std::int64_t MessageCount() const noexcept override
    {
        return static_cast<std::int64_t>(FLists.List(ReportCategory::Messages).Count());
    }
    void SetRunStopped(bool stopped) noexcept override { FRunStopped = stopped; }
    void FlushLog() noexcept override { FLog.Flush(); }

    LogFile& Log() { return FLog; }
    const LogFile& Log() const { return FLog; }
    ReportLists& Lists() { return FLists; }
    const ReportLists& Lists() const { return FLists; }

private:
    Options& FOptions;
    RunState& FState;
    EngineState& FEngine;
    LogFile FLog;
    ReportLists FLists;
    bool FRunStopped = false;
};

} // namespace Tandemix
