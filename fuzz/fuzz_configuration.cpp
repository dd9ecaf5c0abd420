// SPDX-License-Identifier: GPL-3.0-or-later
// The INI object and the configuration load on any file a user or another program may leave:
// every read, a write into it (the rewrite keeps what it does not change), and a whole load.
#include "FuzzInput.h"
#include "platform/FaultHook.h"
#include "settings/Configuration.h"
#include "settings/IniFile.h"

#include <cerrno>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tandemix;
    // A load makes the recovery folder the file names, wherever that is: on fuzzed names the
    // machine would fill with folders, so every folder creation is refused (the load goes on).
    static const bool noFolders = [] {
        InjectFault(FaultPlan{.Op = FaultOp::MakeFolder, .Error = EACCES});
        return true;
    }();
    (void)noFolders;
    std::string path = Fuzz::AsFile(Fuzz::Text(data, size), "TXDef.CFG");
    IniFile snapshot = IniFile::Snapshot(path);
    for (const char* section : {"Misc Options", "File Options", "Batch File List", "Include Masks"}) {
        for (const std::string& entry : snapshot.ReadSectionValues(section)) {
            Fuzz::Require(entry.find('=') != std::string::npos);
        }
        // 1023 characters at most, and a character is at most four bytes.
        Fuzz::Require(snapshot.ReadString(section, "Compile Date", "").size() <= 4 * 1023);
        (void)snapshot.ReadInteger(section, "LogFileMaxSize", 7);
    }
    IniFile file(path);
    try {
        file.WriteString("Misc Options", "Fuzz", "value");
        Fuzz::Require(file.ReadString("Misc Options", "Fuzz", "") == "value");
    } catch (const IniWriteError&) {
    }

    Options opts;
    int marker = 0;
    ConfigContext ctx{.Opts = opts,
                      .LoadingMarker = marker,
                      .ProgramFolder = Fuzz::ScratchFolder(),
                      .DefaultConfigPath = path};
    LoadConfiguration(ctx, path, true);
    Fuzz::Require(marker == 0);
    return 0;
}
