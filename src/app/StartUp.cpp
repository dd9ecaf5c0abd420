// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StartUp.h"

#include "platform/AtomicFile.h"
#include "platform/FileOps.h"
#include "platform/Mounts.h"

#include <cstdlib>

namespace Tandemix {

std::string PrepareDefaultConfig(const std::string& programFolder)
{
    std::string current = programFolder + DefaultConfigName;
    std::string previous = programFolder + PreviousConfigName;
    if (!FileExists(current) && FileExists(previous)) {
        (void)CopyFileNoReplace(previous, current);
    }
    return current;
}

std::string TempFolderFor(const std::string& programFolder)
{
    if (!IsNetworkPath(programFolder)) {
        return programFolder + TempFolderName;
    }
    std::string cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && xdg[0] == '/') {
        cache = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        cache = std::string(home) + "/.cache";
    } else {
        cache = "/tmp";
    }
    std::string folder = cache + "/tandemix";
    (void)CreateFolder(cache);
    (void)CreateFolder(folder);
    return folder + "/" + TempFolderName;
}

void PrepareTempFolder(const std::string& tempFolder, RunState& state, Options& options)
{
    // Copies killed with an earlier process left their temporary files where they were going;
    // its journal here says which ones, and must be read before the folder is cleared.
    RemoveRecordedTempFiles(tempFolder);
    UseTempJournal(tempFolder);
    if (!FolderExists(tempFolder)) {
        (void)CreateFolder(tempFolder);
        return;
    }
    bool wasActive = state.SyncActive;
    bool hadMessages = options.DisplayMessages;
    state.SyncActive = true;
    options.DisplayMessages = false;
    (void)RemoveTree(tempFolder);
    options.DisplayMessages = hadMessages;
    state.SyncActive = wasActive;
}

std::optional<std::vector<std::string>> ReadCustomText(const std::string& programFolder)
{
    SysResult<std::string> text = ReadWholeFile(programFolder + CustomTextName);
    if (!text) {
        return std::nullopt;
    }
    std::vector<std::string> lines;
    std::string line;
    const std::string& content = text.Value();
    for (std::size_t i = 0; i < content.size(); ++i) {
        char c = content[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace Tandemix
