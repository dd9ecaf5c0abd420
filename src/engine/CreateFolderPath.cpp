// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CreateFolderPath.h"

#include "engine/CopyMessages.h"
#include "engine/ShowError.h"
#include "platform/FileOps.h"
#include "platform/Mounts.h"
#include "platform/PathText.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

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

// A folder that exists but cannot be reached puts two lines into the message list, so the report
// shows why the folder's files were left alone; the log names what failed.
void ReportUnreachable(RunContext& ctx, const std::string& folder)
{
    // The mount point holding the folder tells the user which disk may have gone away.
    ctx.Report.AddMessage(PadRight(CopyMsg::PossibleDisconnected, MessageLabelWidth) + MountPointOf(folder));
    ctx.Report.AddMessage(PadRight(CopyMsg::CouldNotCreateGoto, MessageLabelWidth) + folder);
    ctx.Report.WriteLogFile(std::string(CopyMsg::CouldNotCreateGoto) + folder, LogKind::AppError);
}

// The first link on the way from the run's target root down to `folder`, or "" when there is
// none (or the folder is not below the root: the root itself may be a link the user chose).
std::string LinkBelowRoot(const RunContext& ctx, const std::string& folder)
{
    const std::string root = Normalised(ctx.Engine.Folders.TargetRoot);
    if (root.empty()) {
        return {};
    }
    const std::string base = root == "/" ? root : root + "/";
    if (!folder.starts_with(base) || folder.size() == base.size()) {
        return {};
    }
    // One lstat a level tells both: a link is the answer, anything but a folder ends the way.
    struct stat st;
    for (std::size_t slash = folder.find('/', base.size());; slash = folder.find('/', slash + 1)) {
        std::string level = folder.substr(0, slash);
        if (!StatEntry(level, st)) {
            return {};
        }
        if (S_ISLNK(st.st_mode)) {
            return level;
        }
        if (slash == std::string::npos || !S_ISDIR(st.st_mode)) {
            return {};
        }
    }
}

// A linked folder is never entered or written through. The message says the folder could not
// be reached, not that a drive went away.
void ReportLinked(RunContext& ctx, const std::string& folder)
{
    ctx.Report.AddMessage(PadRight(CopyMsg::CouldNotCreateGoto, MessageLabelWidth) + folder);
    ctx.Report.WriteLogFile(std::string(CopyMsg::CouldNotCreateGoto) + folder, LogKind::AppError);
}

bool Contains(const std::vector<std::string>& folders, const std::string& folder)
{
    return std::find(folders.begin(), folders.end(), folder) != folders.end();
}

} // namespace

FolderResult CreateFolderPath(RunContext& ctx, const std::string& path)
{
    std::string folder = Normalised(path);
    RunFolders& folders = ctx.Engine.Folders;
    if (!LinkBelowRoot(ctx, folder).empty()) {
        ReportLinked(ctx, folder);
        return FolderResult::Failed;
    }
    if (ctx.Engine.PreReportRun && Contains(folders.WouldCreate, folder)) {
        return FolderResult::WouldCreate; // reported once already
    }
    if (FolderExists(folder)) {
        return FolderResult::Exists;
    }

    // The root always exists, so the recursion ends at the first level below it at the latest.
    std::string parent(WithoutTrailingSlashes(ParentFolder(folder)));
    bool parentReady = true;
    if (!parent.empty() && parent != "/") {
        parentReady = CreateFolderPath(ctx, parent) != FolderResult::Failed;
    }

    if (parentReady && ctx.Engine.PreReportRun) {
        // A report must not change the disk it reports on.
        ctx.Report.WriteLogFile(std::string(CopyMsg::NeedToCreateFolder) + folder, LogKind::FolderCreated);
        folders.WouldCreate.push_back(folder);
        return FolderResult::WouldCreate;
    }

    if (parentReady) {
        SysStatus made = CreateFolder(folder);
        if (!made) {
            if (made.Error() == EEXIST && FolderExists(folder)) {
                if (!LinkBelowRoot(ctx, folder).empty()) {
                    ReportLinked(ctx, folder); // a link put there meanwhile
                    return FolderResult::Failed;
                }
                return FolderResult::Exists; // made by someone else meanwhile
            }
            // No "insert the next disk" question here: removable media are mounts of their own,
            // and a full one fails like any other disk. The log line is the whole report.
            ctx.Report.WriteLogFile(std::string(CopyMsg::CouldNotCreateFolder) + folder, LogKind::AppError);
            return FolderResult::Failed;
        }
        if (FolderExists(folder)) {
            ctx.Engine.DirDelList.push_back(folder);
            ctx.Report.WriteLogFile(std::string(CopyMsg::CreatingFolder) + folder, LogKind::FolderCreated);
            return FolderResult::Created;
        }
    }

    ReportUnreachable(ctx, folder);
    return FolderResult::Failed;
}

} // namespace Tandemix
