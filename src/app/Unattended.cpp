// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Unattended.h"

#include "app/ConsoleActions.h"
#include "app/ConsoleHost.h"
#include "app/Resident.h"
#include "app/StartUp.h"
#include "automation/CommandLine.h"
#include "batch/BatchHooks.h"
#include "compression/CompressedSync.h"
#include "engine/ConfigLink.h"
#include "engine/EngineState.h"
#include "engine/RunContext.h"
#include "engine/RunState.h"
#include "platform/ProgramFolder.h"
#include "reporting/ProgramReporter.h"
#include "settings/Configuration.h"
#include "settings/Options.h"

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace Tandemix {

namespace {

void PrintSummary(const EngineState& engine, ExitStatus status)
{
    const RunTotals& t = engine.Totals;
    const char* how = status == ExitStatus::Stopped
                          ? "Stopped"
                          : (status == ExitStatus::Failed ? "Done with problems" : "Done");
    std::fprintf(stderr,
                 "tandemix: %s: %d added, %d updated, %d checked in %d folders.\n",
                 how,
                 t.TotFilesAdded,
                 t.TotFilesUpdated,
                 engine.TotalFilesCheckedValue,
                 t.FoldersSynced);
}

} // namespace

int RunUnattended(int argc, char** argv)
{
    ConsoleHost host;
    host.InstallSignalHandlers();
    Options options;
    RunState state(host, options);
    host.OnInterrupt = [](void* context) {
        static_cast<RunState*>(context)->StopButtonClick();
    };
    host.OnInterruptContext = &state;

    std::string programFolder = ProgramFolder();
    EngineState engine;
    ProgramReporter reporter(options, state, engine, programFolder);
    CompressionHooks hooks(reporter.Lists());
    engine.Hooks = &hooks;
    RunContext ctx{options, state, host, reporter, engine};
    host.Progress = &engine;

    ConfigContext config = ConfigContextOf(options, state);
    config.ProgramFolder = programFolder;
    config.DefaultConfigPath = PrepareDefaultConfig(programFolder);
    // A log that vanished is said where a script's output goes.
    config.LogTrimmed = [](const TrimmedLog& log) {
        std::fprintf(stderr, "tandemix: %s\n", TrimmedLogNote(log).c_str());
    };
    state.SourceFileListTag = 1;
    LoadConfiguration(config, config.DefaultConfigPath, true);
    PrepareTempFolder(TempFolderFor(programFolder), state, options);
    state.SourceFileListTag = 0;

    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fprintf(stderr,
                     "tandemix: no display to open the window on.\n"
                     "Run a folder pair unattended with: tandemix SOURCE TARGET AUTORUN\n");
        return static_cast<int>(ExitStatus::NothingToRun);
    }

    ConsoleAutomationActions automationActions(ctx);
    Automation automation(ctx, automationActions);
    ConsoleActions actions(ctx);
    actions.Batch = &hooks;
    actions.Auto = &automation;
    CommandLineResult result = HandleCommandLine(config, state, actions, args);
    if (!result.Problem.empty()) {
        std::fprintf(stderr, "tandemix: %s\n", result.Problem.c_str());
    }
    ExitStatus status = actions.Ended() ? actions.Status() : result.Status;
    const RunTotals& totals = engine.Totals;
    if (result.Ran && totals.Refused != RunRefusal::None) {
        // Nothing ran: the reason is all there is to say. Overlapping folders are a command
        // line that names nothing runnable; a busy target is a run that could not be done.
        std::fprintf(stderr, "tandemix: %s\n", totals.RefusalText.c_str());
        return static_cast<int>(totals.Refused == RunRefusal::FolderPair ? ExitStatus::NothingToRun
                                                                         : ExitStatus::Failed);
    }
    if (result.Ran && isatty(fileno(stderr)) != 0) {
        PrintSummary(engine, status);
    }
    if (result.StaysResident && !actions.Ended()) {
        return StayResident(ctx, automation, automationActions);
    }
    return static_cast<int>(status);
}

} // namespace Tandemix
