// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Unattended.h"

#include "app/ConsoleHost.h"
#include "app/StartUp.h"
#include "engine/RunState.h"
#include "platform/ProgramFolder.h"
#include "settings/Options.h"

#include <cstdio>

namespace Tandemix {

int RunUnattended(int argc, char** /*argv*/)
{
    ConsoleHost host;
    Options options;
    RunState state(host, options);
    host.InstallSignalHandlers();
    host.OnInterrupt = [](void* context) {
        static_cast<RunState*>(context)->StopButtonClick();
    };
    host.OnInterruptContext = &state;

    std::string programFolder = ProgramFolder();
    std::string configPath = PrepareDefaultConfig(programFolder);
    PrepareTempFolder(TempFolderFor(programFolder), state, options);

    if (argc < 2) {
        std::fprintf(stderr,
                     "tandemix: no display to open the window on.\n"
                     "Run a folder pair unattended with: tandemix SOURCE TARGET AUTORUN\n");
        return static_cast<int>(ExitCode::Usage);
    }
    std::fprintf(stderr, "tandemix: this command line cannot run without a display yet.\n");
    (void)configPath;
    return static_cast<int>(ExitCode::Usage);
}

} // namespace Tandemix
