// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CreateFolderPath.h"

#include "engine/CopyMessages.h"
#include "engine/ShowError.h"
#include "platform/FileOps.h"
#include "platform/Mounts.h"

#include <cerrno>
#include <string_view>

namespace Tandemix {

namespace {

constexpr std::size_t MessageLabelWidth = 26;

// Joins made with an extra separator ("a//b", "a/b/") name the same folder; the logs and the
// list of created folders should show it one way only.
std::string Normalised(const std::string& path)
{
    std::string folder;
    folder.reserve(path.size());
    for (char c : path) {
        if (c == '/' && !folder.empty() && folder.back() == '/') {
            continue;
        }
        folder += c;
    }
    if (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

// "" for a bare relative name, "/" for a folder right below the root.
std::string ParentOf(const std::string& folder)
{
    std::size_t slash = folder.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : folder.substr(0, slash);
}

// Both failures put the same two lines into the message list, so the report shows why the
// folder's files were left alone; the log names what failed.
void ReportUnreachable(RunContext& ctx, const std::string& folder, std::string_view logText)
{
    // The mount point holding the folder tells the user which disk may have gone away.
    ctx.Report.AddReportEntry({},
                              {},
                              {},
                              {},
                              PadRight(CopyMsg::PossibleDisconnected, MessageLabelWidth)
                                  + MountPointOf(folder),
                              ReportCategory::Messages);
    ctx.Report.AddReportEntry({},
                              {},
                              {},
                              {},
                              PadRight(CopyMsg::CouldNotCreateGoto, MessageLabelWidth) + folder,
                              ReportCategory::Messages);
    ctx.Report.WriteLogFile(std::string(logText) + folder, LogKind::AppError);
}

} // namespace

FolderResult CreateFolderPath(RunContext& ctx, const std::string& path)
{
    std::string folder = Normalised(path);
    if (FolderExists(folder)) {
        return FolderResult::Exists;
    }

    // The root always exists, so the recursion ends at the first level below it at the latest.
    std::string parent = ParentOf(folder);
    bool parentReady = true;
    if (!parent.empty() && parent != "/") {
        parentReady = CreateFolderPath(ctx, parent) != FolderResult::Failed;
    }

    if (parentReady && ctx.Engine.PreReportRun) {
        // A report must not change the disk it reports on.
        ctx.Report.WriteLogFile(std::string(CopyMsg::NeedToCreateFolder) + folder, LogKind::FolderCreated);
        return FolderResult::WouldCreate;
    }

    if (parentReady) {
        SysStatus made = CreateFolder(folder);
        if (!made) {
            if (made.Error() == EEXIST && FolderExists(folder)) {
                return FolderResult::Exists; // made by someone else meanwhile
            }
            // No "insert the next disk" question here: removable media are mounts of their own,
            // and a full one fails like any other disk.
            ReportUnreachable(ctx, folder, CopyMsg::CouldNotCreateFolder);
            return FolderResult::Failed;
        }
        if (FolderExists(folder)) {
            ctx.Engine.DirDelList.push_back(folder);
            ctx.Report.WriteLogFile(std::string(CopyMsg::CreatingFolder) + folder, LogKind::FolderCreated);
            return FolderResult::Created;
        }
    }

    ReportUnreachable(ctx, folder, CopyMsg::CouldNotCreateGoto);
    return FolderResult::Failed;
}

} // namespace Tandemix
