// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/LogNames.h"

#include "platform/DirReader.h"
#include "platform/FileOps.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace Tandemix {

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

std::vector<TrimmedLog> TrimLogsAtLoad(const std::string& programFolder, const Options& options)
{
    std::vector<TrimmedLog> trimmed;
    if (options.LogSize <= 0) {
        return trimmed;
    }
    std::string folder = AddTrailingBackslash(programFolder);
    // The names the next run will open, so the file trimmed is the file that run writes.
    std::string names[] = {LogNameToOpen(options.LogFileName, LogMsg::DefaultSyncLogName),
                           LogNameToOpen(options.PreReportFileName, LogMsg::DefaultPreSyncLogName)};
    auto limit = static_cast<std::int64_t>(options.LogSize);
    std::vector<TrimmedLog> oversized;
    (void)ForEachEntry(
        folder,
        [&](const DirEntry& entry) {
            if (entry.IsDir || entry.Size <= limit) {
                return true;
            }
            for (const std::string& name : names) {
                if (entry.Name == name) {
                    oversized.push_back({entry.Name, entry.Size});
                    break;
                }
            }
            return true;
        },
        false);
    for (TrimmedLog& log : oversized) {
        if (DeleteFile(folder + log.Name).Ok()) {
            trimmed.push_back(std::move(log));
        }
    }
    return trimmed;
}

std::string TrimmedLogNote(const TrimmedLog& log)
{
    return log.Name + std::string(LogMsg::TrimmedBefore) + std::to_string(log.Size)
           + std::string(LogMsg::TrimmedAfter);
}

} // namespace Tandemix
