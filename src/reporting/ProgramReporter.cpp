// SPDX-License-Identifier: GPL-3.0-or-later
#include "reporting/ProgramReporter.h"

#include <cstdio>
#include <string>

namespace Tandemix {

ProgramReporter::ProgramReporter(Options& options,
                                 RunState& state,
                                 EngineState& engine,
                                 std::string programFolder)
    : FOptions(options)
    , FState(state)
    , FEngine(engine)
    , FLog(std::move(programFolder))
{
    // A run without its log must not look like one that logged everything: the user hears of
    // it on the status line, on stderr (cron mails it) and in the message list.
    FLog.OnWriteFailure = [this](const std::string& text) {
        std::fprintf(stderr, "tandemix: %s\n", text.c_str());
        FState.StatusMsg(text);
        AddMessage(text);
    };
    FState.BeforeQuestion = [this] {
        FLog.Flush();
    };
}

ProgramReporter::~ProgramReporter()
{
    FState.BeforeQuestion = nullptr;
}

void ProgramReporter::WriteLogFile(std::string_view text, LogKind kind) noexcept
{
    try {
        LogSettings settings = LogSettingsFrom(FOptions);
        LogRunView run;
        run.Stopped = FState.OperationState > 0 || FRunStopped;
        std::string sizeText;
        if (kind == LogKind::AddedFile || kind == LogKind::UpdatedFile) {
            const TargetDeltaGrid& grid = FEngine.Delta;
            if (grid.CurrentRow >= 0 && static_cast<std::size_t>(grid.CurrentRow) < grid.Rows.size()) {
                const DeltaRow& row = grid.Rows[static_cast<std::size_t>(grid.CurrentRow)];
                sizeText = std::to_string(row.Size);
                run.SizeCell = sizeText;
                run.DateCell = row.DateText;
                run.TimeCell = row.TimeText;
            }
        }
        FLog.WriteLogFile(text, kind, settings, run);
        // The window shows the name the log was opened under.
        if (kind == LogKind::OpenSyncLog && settings.UseLogFile) {
            FOptions.LogFileName = settings.LogFileName;
        } else if (kind == LogKind::OpenPreSyncLog && settings.UseLogFile) {
            FOptions.PreReportFileName = settings.PreReportFileName;
        }
    } catch (...) {
        // The log never stops a run, not even when memory runs out.
    }
}

void ProgramReporter::AddReportEntry(const ReportEntry& entry) noexcept
{
    try {
        ReportSwitches switches;
        switches.SyncActive = FState.SyncActive;
        switches.UseReportForm = FOptions.UseReportForm;
        switches.ListUnMatchedFiles = FOptions.ListUnMatchedFiles;
        switches.UseCompression = FOptions.UseCompression;
        FLists.AddReportEntry(entry, switches);
    } catch (...) {
        // A line that cannot be filed is lost; the run goes on.
    }
}

} // namespace Tandemix
