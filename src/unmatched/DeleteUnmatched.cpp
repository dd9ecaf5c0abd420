// SPDX-License-Identifier: GPL-3.0-or-later
#include "unmatched/DeleteUnmatched.h"

#include "engine/LaterHooks.h"
#include "engine/ShowError.h"
#include "platform/DateText.h"
#include "platform/DirReader.h"
#include "platform/FileOps.h"
#include "platform/FileTimes.h"
#include "platform/Mounts.h"
#include "platform/PathText.h"
#include "reporting/ReportFile.h"
#include "unmatched/UnmatchedMessages.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <string_view>
#include <system_error>
#include <utility>

namespace Tandemix {

namespace {

bool Below(std::string_view root, std::string_view path)
{
    std::string_view base = WithoutTrailingSlashes(root);
    return path.size() > base.size() + 1 && path.starts_with(base) && path[base.size()] == '/';
}

// Every folder from the target root down to `path`'s parent is a real folder: a link among them
// would take the deletion somewhere the user never named.
bool ReachableWithoutLinks(const std::string& root, const std::string& path)
{
    if (!Below(root, path)) {
        return false;
    }
    std::string folder(WithoutTrailingSlashes(root));
    std::string_view rest = std::string_view(path).substr(folder.size() + 1);
    for (std::size_t slash = rest.find('/'); slash != std::string_view::npos; slash = rest.find('/')) {
        folder.append("/").append(rest.substr(0, slash));
        rest.remove_prefix(slash + 1);
        struct stat st;
        if (!StatEntry(folder, st) || !S_ISDIR(st.st_mode)) {
            return false;
        }
    }
    return true;
}

std::string RecoveryInForce(const Options& opts)
{
    const std::string& folder = opts.RecoverDelFilesFolder;
    return !folder.empty() && FolderExists(folder) ? AddTrailingBackslash(folder) : std::string();
}

// "name (2).ext": a file recovered earlier under the same bare name is never overwritten.
std::string NumberedName(std::string_view name, int number)
{
    std::size_t dot = name.find_last_of('.');
    if (dot == 0 || dot == std::string_view::npos) {
        dot = name.size();
    }
    return std::string(name.substr(0, dot)) + " (" + std::to_string(number) + ")"
           + std::string(name.substr(dot));
}

SysStatus MoveToRecovery(const std::string& path, std::string_view name, const std::string& recovery)
{
    constexpr int Tries = 1000;
    for (int number = 1; number <= Tries; ++number) {
        std::string to = recovery + (number == 1 ? std::string(name) : NumberedName(name, number));
        SysStatus moved = MoveFile(path, to);
        if (moved || moved.Error() != EEXIST) {
            return moved;
        }
    }
    return SysFail(EEXIST, "rename");
}

void Fail(RunContext& ctx, std::string_view label, const std::string& path, int error)
{
    std::string text = ProblemMessageLine(label, path);
    if (error != 0) {
        text += " (" + std::generic_category().message(error) + ")";
    }
    (void)ShowError(ctx, text, 0);
    ctx.Engine.Totals.ItemsNotDeleted += 1;
}

void FileDeleted(RunContext& ctx, const std::string& name, const std::string& folder, const DirEntry& entry)
{
    SysResult<std::uint32_t> packed = PackFileTime(entry.MTime.tv_sec);
    std::string when = PackedDateTimeText(packed ? *packed : PackedTimeFloor);
    std::string size = std::to_string(entry.Size);
    ctx.Report.AddReportEntry({.Name = name,
                               .Path = folder,
                               .SizeText = size,
                               .Detail = when,
                               .Kind = UnmatchedMsg::FileDeleted,
                               .Category = ReportCategory::Deletions});
}

// One file or link inside a folder being deleted, or one file entry: moved to the recovery
// folder or erased. A link goes as a link, whatever it points at.
bool RemoveFile(RunContext& ctx,
                const std::string& folder,
                const DirEntry& entry,
                const std::string& recovery)
{
    std::string path = folder + entry.Name;
    if (!recovery.empty() && !entry.IsLink) {
        SysStatus moved = MoveToRecovery(path, entry.Name, recovery);
        if (!moved) {
            Fail(ctx, UnmatchedMsg::CouldNotRecover, path, moved.Error());
        }
        return moved.Ok();
    }
    SysStatus erased = DeleteFile(path);
    if (!erased) {
        Fail(ctx, UnmatchedMsg::CouldNotDeleteFile, path, erased.Error());
        return false;
    }
    FileDeleted(ctx, entry.Name, folder, entry);
    return true;
}

bool RemoveFolderEntry(RunContext& ctx, const std::string& path)
{
    SysStatus removed = RemoveFolder(path);
    if (!removed) {
        Fail(ctx, UnmatchedMsg::CouldNotDeleteFolder, path, removed.Error());
        return false;
    }
    std::string name(LastComponent(path));
    std::string parent(ParentFolder(path));
    ctx.Report.AddReportEntry({.Name = name,
                               .Path = parent,
                               .SizeText = "0",
                               .Detail = UnmatchedMsg::FolderDeletedDetail,
                               .Kind = UnmatchedMsg::FolderDeleted,
                               .Category = ReportCategory::Deletions});
    return true;
}

// Empties a folder depth first. Sub-folders are entered only as real folders, so a link inside
// never leads the deletion out of the tree; the recovery folder, wherever it lies, is kept.
bool DeleteFolderContents(RunContext& ctx, const std::string& folder, const std::string& recovery)
{
    std::string base = AddTrailingBackslash(folder);
    SysResult<std::vector<DirEntry>> entries =
        ReadFolderEntries(base, {.WithArchive = false, .WithSpecial = true});
    if (!entries) {
        Fail(ctx, UnmatchedMsg::CouldNotDeleteFolder, folder, entries.Error());
        return false;
    }
    bool whole = true;
    for (const DirEntry& entry : *entries) {
        if (ctx.State.CheckForStop() > 0) {
            return false;
        }
        std::string path = base + entry.Name;
        if (entry.IsDir && !entry.IsLink) {
            if (!recovery.empty() && (AddTrailingBackslash(path) == recovery || Below(path, recovery))) {
                whole = false; // the recovery folder is never deleted
                continue;
            }
            ctx.State.StatusMsg(std::string(UnmatchedMsg::DeletingFolder) + path);
            whole = DeleteFolderContents(ctx, path, recovery) && RemoveFolderEntry(ctx, path) && whole;
        } else {
            whole = RemoveFile(ctx, base, entry, recovery) && whole;
        }
    }
    return whole;
}

std::int64_t FilesInside(const std::string& folder)
{
    SysResult<std::vector<DirEntry>> entries =
        ReadFolderEntries(AddTrailingBackslash(folder), {.WithArchive = false, .WithSpecial = true});
    std::int64_t count = 0;
    if (entries) {
        for (const DirEntry& entry : *entries) {
            count +=
                entry.IsDir && !entry.IsLink ? FilesInside(AddTrailingBackslash(folder) + entry.Name) : 1;
        }
    }
    return count;
}

bool HasEntries(const std::string& folder)
{
    bool any = false;
    (void)ForEachEntry(
        folder,
        [&any](const DirEntry&) {
            any = true;
            return false;
        },
        EntryOptions{.WithArchive = false, .WithSpecial = true});
    return any;
}

std::string HoldText(DeletionHold hold, const RunContext& ctx, const DeletionPlan& plan)
{
    const std::string& source = ctx.Engine.Folders.SourceRoot;
    switch (hold) {
    case DeletionHold::SourceMissing:
        return std::string(UnmatchedMsg::HeldSourceMissing) + source;
    case DeletionHold::SourceEmpty:
        return std::string(UnmatchedMsg::HeldSourceEmpty) + source;
    case DeletionHold::SourceNotMounted:
        return std::string(UnmatchedMsg::HeldSourceNotMounted) + source;
    case DeletionHold::MassDeletion:
        return std::string(UnmatchedMsg::HeldMassDeletion) + std::to_string(plan.FilesToDelete)
               + std::string(UnmatchedMsg::FilesToDelete) + std::to_string(plan.TargetFiles) + ", "
               + ctx.Engine.Folders.TargetRoot;
    case DeletionHold::None:
        break;
    }
    return {};
}

// Held back: in the window the user may still say yes; nobody watching means no.
bool OverruledByUser(RunContext& ctx, const std::string& text)
{
    if (!ctx.Hst.CanAsk()) {
        (void)ctx.Hst.Ask(text, DialogButtons::Ok); // where a script's output goes
        return false;
    }
    return ctx.Hst.Ask(text + std::string(UnmatchedMsg::AskAnyway), DialogButtons::YesNo)
           == DialogResult::Yes;
}

} // namespace

DeletionPlan PlanDeletion(const RunContext& ctx, std::vector<UnmatchedItem> items)
{
    DeletionPlan plan;
    plan.TargetFiles = ctx.Engine.Folders.TargetFilesListed;
    for (const UnmatchedItem& item : items) {
        if (item.IsFolder) {
            std::int64_t inside = FilesInside(item.Folder + item.Name);
            plan.FilesToDelete += inside;
            plan.TargetFiles += inside;
        } else {
            plan.FilesToDelete += 1;
        }
    }
    plan.Items = std::move(items);
    return plan;
}

DeletionHold HoldFor(const RunContext& ctx, const DeletionPlan& plan)
{
    const std::string& source = ctx.Engine.Folders.SourceRoot;
    if (plan.Items.empty()) {
        return DeletionHold::None;
    }
    if (source.empty() || !FolderExists(source)) {
        return DeletionHold::SourceMissing;
    }
    if (IsUnmountedMountPoint(source)) {
        return DeletionHold::SourceNotMounted;
    }
    if (!HasEntries(source)) {
        return DeletionHold::SourceEmpty;
    }
    if (ctx.Opts.MassDeletionGuard && plan.FilesToDelete >= MassDeletionMinimum
        && plan.FilesToDelete * 2 > plan.TargetFiles) {
        return DeletionHold::MassDeletion;
    }
    return DeletionHold::None;
}

bool DeleteUnmatchedFiles(RunContext& ctx, ReportLists& lists, RunSender sender)
{
    // In a batch each row decides for its own items only: what this row leaves is kept for
    // good, whatever the next row's settings say.
    struct ForgetAfterBatchRow
    {
        RunContext& Ctx;
        ReportLists& Lists;
        ~ForgetAfterBatchRow()
        {
            if (Ctx.Opts.RunBatchList) {
                Lists.ForgetUnmatchedRecords();
            }
        }
    } forget{ctx, lists};
    const Options& opts = ctx.Opts;
    if (!opts.DeleteUnmatched || sender == RunSender::PreReportButton) {
        return true;
    }
    DeletionPlan plan = PlanDeletion(ctx, lists.UnmatchedItems());
    if (plan.Items.empty()) {
        return true;
    }
    if (DeletionHold hold = HoldFor(ctx, plan); hold != DeletionHold::None) {
        std::string text = HoldText(hold, ctx, plan);
        if (!OverruledByUser(ctx, text)) {
            (void)ShowError(ctx, text, ErrorCode::LogOnly);
            ctx.State.StatusMsg(text);
            ctx.Engine.Totals.ItemsNotDeleted += static_cast<int>(plan.Items.size());
            return true;
        }
    }
    if (opts.DeleteUnmatchedWarningDelay > 0) {
        CountdownAnswer answer =
            ctx.Hst.DeletionCountdown(opts.DeleteUnmatchedWarningDelay, plan.Items.size());
        if (answer == CountdownAnswer::Manual) {
            ctx.State.OperationState = 1;
            ctx.Hst.ShowUnmatchedSelected();
        }
        if (answer != CountdownAnswer::Delete) {
            return false;
        }
    }
    (void)DeleteListedItems(ctx, lists, ReportCategory::UnMatched, plan.Items, ctx.Engine.Folders.TargetRoot);
    return true;
}

std::optional<std::vector<UnmatchedItem>>
ItemsOfLines(const ReportLists& lists, ReportCategory category, const std::vector<std::string>& lines)
{
    std::vector<UnmatchedItem> items;
    for (const std::string& line : lines) {
        if (category == ReportCategory::UnMatched) {
            if (const UnmatchedItem* record = lists.UnmatchedRecord(line)) {
                items.push_back(*record);
                continue;
            }
        }
        // name, size, detail, folder: exactly three TABs, a size that is a number, a folder
        // that is a whole path. Anything else is a line whose fields cannot be trusted.
        if (std::count(line.begin(), line.end(), '\t') != 3) {
            return std::nullopt;
        }
        UnmatchedItem item{.Name = GetTabField(line, 1),
                           .Folder = GetTabField(line, 4),
                           .SizeText = GetTabField(line, 2),
                           .Detail = GetTabField(line, 3),
                           .IsFolder = line.find(UnmatchedMsg::FolderDeletedDetail) != std::string::npos,
                           .Line = line};
        bool sized =
            !item.SizeText.empty() && std::all_of(item.SizeText.begin(), item.SizeText.end(), [](char c) {
                return c >= '0' && c <= '9';
            });
        if (item.Name.empty() || item.Name.find('/') != std::string::npos || !sized
            || !item.Folder.starts_with('/') || !item.Folder.ends_with('/')) {
            return std::nullopt;
        }
        items.push_back(std::move(item));
    }
    return items;
}

namespace {

// The component takes a leading '<' or '>' for a mask; the library takes a name for itself,
// one with '/' for a path. Names like that could take other entries along, so they stay.
bool NameableInArchive(const std::string& name)
{
    return !name.empty() && name.find('/') == std::string::npos && name.front() != '<' && name.front() != '>'
           && name != "-i" && name != "-x";
}

// An entry of an archive lying in the pair's target, in the folder the line names: the archive
// is a real file reached without links.
bool ArchiveInTarget(const std::string& root, const UnmatchedItem& item)
{
    struct stat st;
    return !root.empty() && AddTrailingBackslash(std::string(ParentFolder(item.Archive))) == item.Folder
           && ReachableWithoutLinks(root, item.Archive) && StatEntry(item.Archive, st) && S_ISREG(st.st_mode);
}

// Deletes the gathered entries of one archive; those it no longer holds leave the list, each
// filed as deleted with the archive as its place.
std::size_t DeleteFromArchive(RunContext& ctx,
                              ReportLists& lists,
                              ReportCategory category,
                              const std::string& archive,
                              const std::vector<UnmatchedItem>& items)
{
    std::vector<std::string> names;
    for (const UnmatchedItem& item : items) {
        names.push_back(item.Name);
    }
    std::vector<std::string> gone = HooksOf(ctx).DeleteArchiveEntries(ctx, archive, names);
    std::size_t kept = 0;
    for (const UnmatchedItem& item : items) {
        if (std::find(gone.begin(), gone.end(), item.Name) == gone.end()) {
            Fail(ctx, UnmatchedMsg::CouldNotDeleteEntry, archive + "/" + item.Name, 0);
            kept += 1;
            continue;
        }
        ctx.Report.AddReportEntry({.Name = item.Name,
                                   .Path = archive,
                                   .SizeText = item.SizeText,
                                   .Detail = item.Detail,
                                   .Kind = UnmatchedMsg::FileDeleted,
                                   .Category = ReportCategory::Deletions});
        lists.RemoveListed(category, item);
    }
    return kept;
}

} // namespace

std::size_t DeleteListedItems(RunContext& ctx,
                              ReportLists& lists,
                              ReportCategory category,
                              const std::vector<UnmatchedItem>& items,
                              const std::string& targetRoot)
{
    // Deletion goes on while the run is still active (a stop ends it), so its lines are filed.
    bool active = ctx.State.SyncActive;
    ctx.State.SyncActive = true;
    const std::string recovery = RecoveryInForce(ctx.Opts);
    const std::string& root = targetRoot;
    std::size_t kept = 0;
    // Entries of archives, by archive in the order first named: one library call each.
    std::vector<std::pair<std::string, std::vector<UnmatchedItem>>> archived;
    for (const UnmatchedItem& item : items) {
        if (ctx.State.CheckForStop() > 0) {
            kept += 1;
            continue;
        }
        if (!item.Archive.empty()) {
            std::string entry = item.Archive + "/" + item.Name;
            if (!ArchiveInTarget(root, item)) {
                Fail(ctx, UnmatchedMsg::HeldOutsideTarget, entry, 0);
            } else if (!NameableInArchive(item.Name) || item.IsFolder) {
                Fail(ctx, UnmatchedMsg::HeldArchiveName, entry, 0);
            } else if (!recovery.empty()) {
                Fail(ctx, UnmatchedMsg::HeldArchiveRecovery, entry, 0);
            } else {
                auto same = std::find_if(archived.begin(), archived.end(), [&](const auto& group) {
                    return group.first == item.Archive;
                });
                if (same == archived.end()) {
                    archived.emplace_back(item.Archive, std::vector<UnmatchedItem>{});
                    same = std::prev(archived.end());
                }
                same->second.push_back(item);
                continue;
            }
            kept += 1;
            continue;
        }
        std::string path = item.Folder + item.Name;
        bool gone = false;
        struct stat st;
        if (root.empty() || !ReachableWithoutLinks(root, path)) {
            Fail(ctx, UnmatchedMsg::HeldOutsideTarget, path, 0);
        } else if (!StatEntry(path, st)) {
            gone = true; // nothing there any more: nothing to delete
        } else if (item.IsFolder && S_ISDIR(st.st_mode)) {
            ctx.State.StatusMsg(UnmatchedMsg::DeletingFolderStatus);
            bool keepsRecovery =
                !recovery.empty() && (AddTrailingBackslash(path) == recovery || Below(path, recovery));
            gone =
                !keepsRecovery && DeleteFolderContents(ctx, path, recovery) && RemoveFolderEntry(ctx, path);
        } else if (!item.IsFolder && !S_ISDIR(st.st_mode)) {
            ctx.State.StatusMsg(std::string(UnmatchedMsg::DeletingFile) + item.Name);
            DirEntry entry{.Name = item.Name,
                           .IsLink = S_ISLNK(st.st_mode),
                           .Size = st.st_size,
                           .MTime = st.st_mtim};
            gone = RemoveFile(ctx, item.Folder, entry, recovery);
        } else {
            // A folder where a file was listed, or the reverse: it changed since, so it stays.
            Fail(ctx, UnmatchedMsg::CouldNotDeleteFile, path, S_ISDIR(st.st_mode) ? EISDIR : ENOTDIR);
        }
        if (gone) {
            lists.RemoveListed(category, item);
        } else {
            kept += 1;
        }
    }
    for (const auto& [archive, entries] : archived) {
        kept += DeleteFromArchive(ctx, lists, category, archive, entries);
    }
    ctx.State.SyncActive = active;
    return kept;
}

bool DeleteFolderContents(RunContext& ctx, const std::string& folder)
{
    std::string recovery = RecoveryInForce(ctx.Opts);
    // Emptying the recovery folder itself (or a folder in it) means erasing: a move would only
    // give its files new names beside the old ones.
    if (!recovery.empty() && (AddTrailingBackslash(folder) == recovery || Below(recovery, folder))) {
        recovery.clear();
    }
    return DeleteFolderContents(ctx, folder, recovery);
}

} // namespace Tandemix
