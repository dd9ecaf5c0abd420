// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FolderQueue.h"

#include "engine/CopyOneFile.h"
#include "engine/CreateFolderPath.h"
#include "engine/DecideMessages.h"
#include "engine/FileHelpers.h"
#include "engine/FileListing.h"
#include "engine/LaterHooks.h"
#include "engine/ListingMessages.h"
#include "engine/Messages.h"
#include "engine/RunMessages.h"
#include "engine/ShowError.h"
#include "engine/SyncFolder.h"
#include "platform/AsciiText.h"
#include "platform/DirReader.h"
#include "platform/FaultHook.h"
#include "platform/FileOps.h"
#include "platform/FolderPrefetch.h"
#include "platform/PathText.h"
#include "settings/OptionRules.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace Tandemix {

namespace {

// The listing of a folder's parent filed the folder as unmatched; the walk has reached it, so
// it has a source twin after all.
void WithdrawUnmatchedFolder(RunContext& ctx, const std::string& folder)
{
    std::string_view name = LastComponent(folder);
    if (!ReportsUnmatched(ctx) || name.empty()) {
        return;
    }
    ctx.Report.AddReportEntry({.Name = name,
                               .Path = ParentFolder(folder),
                               .SizeText = "0",
                               .Detail = Msg::ReportFolderDetail,
                               .Kind = RunMsg::DeleteUnMatchedFolder,
                               .Category = ReportCategory::UnMatched});
}

// A target folder whose files are not decided (its source could not be listed completely)
// must not leave them unmatched: the deletion of unmatched files would take files whose
// source twins simply were not seen.
void WithdrawUnmatchedFiles(RunContext& ctx)
{
    if (!ReportsUnmatched(ctx)) {
        return;
    }
    for (const TFileData& file : ctx.Engine.Target.Files) {
        FileUnmatchedEntry(ctx, file, Msg::DeleteUnMatchedFiles);
    }
}

void ReportUnreadable(RunContext& ctx, const std::string& folder, int error)
{
    std::string message = folder;
    message.append(Msg::DateStampGap)
        .append(Msg::FolderReadFailed)
        .append(Msg::DateStampGap)
        .append(std::strerror(error));
    ShowError(ctx, message, ErrorCode::LogOnly);
}

// A folder the run made gets its source folder's permission bits once the run has filled it.
void RememberSourceMode(RunContext& ctx, const std::string& target, const std::string& source)
{
    SysResult<unsigned> mode = FolderPermissions(source);
    if (mode) {
        ctx.Engine.Folders.Created.push_back(CreatedFolder{target, *mode});
    }
}

enum class PairResult
{
    Done, // the folder was synchronised (its SyncFolder result stands)
    Skipped, // nothing to do or nothing possible here; go on with the next pair
    Stopped, // a stop ended a listing
};

// Pops a batch item's end: its unmatched items are handled and the next row is loaded.
// False when the batch ends here.
bool NextBatchItem(RunContext& ctx, RunSender sender)
{
    LaterHooks& hooks = HooksOf(ctx);
    ctx.State.SyncActive = false;
    if (!hooks.DeleteUnmatchedFiles(ctx, sender)) {
        return false;
    }
    RemoveEmptyCreatedFolders(ctx);
    ctx.State.SyncActive = true;
    int row = hooks.BatchCurrentRow(ctx) + 1;
    if (hooks.BatchRow(ctx, row).Target.empty()) {
        return false;
    }
    bool suppressed = ctx.State.SuppressUnmatchedReport;
    ctx.State.SuppressUnmatchedReport = true;
    int loaded = hooks.InitiateBatchItem(ctx, row);
    ctx.State.SuppressUnmatchedReport = suppressed;
    return loaded != 1;
}

PairResult WalkPair(RunContext& ctx, const FolderPair& pair, int& result, RunSender sender)
{
    EngineState& engine = ctx.Engine;
    RunTotals& totals = engine.Totals;

    if (pair.Top) {
        engine.Folders.TargetRoot = pair.TargetRoot;
        engine.Folders.SourceRoot = pair.Source;
        engine.Folders.TargetFilesListed = 0;
    }
    if (!FolderExists(pair.Source)) {
        // Gone since it was counted: its files were not synchronised, and the user must hear
        // why rather than take the run for complete.
        ReportUnreadable(ctx, pair.Source, ENOENT);
        WithdrawUnmatchedFolder(ctx, pair.Target);
        totals.FoldersNotSynced += 1;
        return PairResult::Skipped;
    }
    if (pair.Unreadable) {
        WithdrawUnmatchedFolder(ctx, pair.Target);
        totals.FoldersNotSynced += 1;
        return PairResult::Skipped;
    }

    engine.Source.Folder = pair.Source;
    // The target is read meanwhile, on the worker; an injected fault must meet the reads in the
    // order the program makes them, so a test's fault turns this off.
    if (engine.Prefetch != nullptr && !AnyFaultArmed()) {
        engine.Prefetch->Start(AddTrailingBackslash(pair.Target), ListingEntryOptions(ctx, Side::Target));
    }
    ListingOutcome source = BuildFileListing(ctx, Side::Source);
    engine.Target.Files.clear();
    WithdrawUnmatchedFolder(ctx, pair.Source);
    // Only a complete source listing may be decided: a file missing from it would make its
    // target twin look unmatched.
    if (source == ListingOutcome::Stopped) {
        return PairResult::Stopped;
    }
    if (source != ListingOutcome::Listed) {
        WithdrawUnmatchedFolder(ctx, pair.Target);
        if (source == ListingOutcome::FolderMissing) {
            ReportUnreadable(ctx, pair.Source, ENOENT); // the listing reports every other failure
        }
        totals.FoldersNotSynced += 1;
        return PairResult::Skipped;
    }

    FolderResult made = CreateFolderPath(ctx, pair.Target);
    if (made == FolderResult::Failed) {
        totals.FoldersNotSynced += 1;
        return PairResult::Skipped;
    }
    if (made == FolderResult::Created) {
        RememberSourceMode(ctx, pair.Target, pair.Source);
    }
    engine.Target.Folder = pair.Target;
    ListingOutcome target = BuildFileListing(ctx, Side::Target);
    WithdrawUnmatchedFolder(ctx, pair.Target);
    if (target == ListingOutcome::Stopped) {
        WithdrawUnmatchedFiles(ctx);
        return PairResult::Stopped;
    }
    // A target file missing from its listing would be taken for one to add and overwritten
    // unseen; a missing target folder (a report run's) lists as empty.
    if (target != ListingOutcome::Listed && target != ListingOutcome::FolderMissing) {
        WithdrawUnmatchedFiles(ctx);
        totals.FoldersNotSynced += 1;
        return PairResult::Skipped;
    }

    engine.Folders.TargetFilesListed += static_cast<std::int64_t>(engine.Target.Files.size());
    totals.TotDirCount += 1;
    totals.FoldersSynced += 1;
    totals.TotFileCount += static_cast<int>(engine.Source.Files.size());
    totals.TotFileSize += engine.Source.ByteTotal;
    result = SyncFolder(ctx, sender);
    return PairResult::Done;
}

// The pair the window shows, without its sub-folders.
void EnqueueWindowPair(EngineState& engine)
{
    engine.FolderQueue.push_back(FolderPair{engine.Source.Folder,
                                            engine.Target.Folder,
                                            false,
                                            true,
                                            false,
                                            engine.Folders.TargetRoot});
    engine.Totals.PreFolderCount += 1;
}

} // namespace

std::optional<std::string> SubFolderTarget(const std::string& source, const std::string& target)
{
    std::string_view name = LastComponent(source);
    if (name.empty() || name == "/" || EqualsNoCaseAscii(name, LastComponent(target))) {
        return std::nullopt;
    }
    return AddTrailingBackslash(std::string(WithoutTrailingSlashes(target))) + std::string(name);
}

bool UseSubFolderTarget(RunContext& ctx)
{
    std::optional<std::string> folder = SubFolderTarget(ctx.Engine.Source.Folder, ctx.Engine.Target.Folder);
    if (!folder) {
        return true;
    }
    FolderResult made = CreateFolderPath(ctx, *folder);
    if (made == FolderResult::Failed) {
        ShowError(ctx, std::string(RunMsg::CannotCreateChangeFolder) + *folder, 0);
        return false;
    }
    if (made == FolderResult::Created) {
        RememberSourceMode(ctx, *folder, ctx.Engine.Source.Folder);
    }
    ctx.Engine.Target.Folder = *folder;
    return true;
}

void BuildFolderQueue(RunContext& ctx)
{
    EngineState& engine = ctx.Engine;
    RunTotals& totals = engine.Totals;
    engine.FolderQueue.clear();
    totals.PreFolderCount = 0;
    bool stopped = false;

    if (!ctx.Opts.RunBatchList) {
        if (ctx.Opts.IncludeSubFolderOption) {
            stopped = EnqueueFolderTree(ctx, engine.Source.Folder, engine.Target.Folder) < 0;
        } else {
            EnqueueWindowPair(engine);
        }
    } else {
        LaterHooks& hooks = HooksOf(ctx);
        int rows = hooks.BatchRowCount(ctx);
        for (int row = 1; row <= rows && !stopped; ++row) {
            BatchRowFolders folders = hooks.BatchRow(ctx, row);
            if (folders.Source.empty() || folders.Target.empty()) {
                continue;
            }
            if (hooks.InitiateBatchItem(ctx, row) == 0) {
                ctx.State.StatusMsg(Msg::Working);
                // The row's options are the window's now.
                engine.Folders.TargetRoot = engine.Target.Folder;
                if (ctx.Opts.IncludeSubFolderOption) {
                    if (!ctx.Opts.CreateSubFolderOption || UseSubFolderTarget(ctx)) {
                        stopped = EnqueueFolderTree(ctx, engine.Source.Folder, engine.Target.Folder) < 0;
                    }
                } else {
                    EnqueueWindowPair(engine);
                }
                engine.FolderQueue.push_back(FolderPair{{}, {}, true});
            }
            stopped = stopped || ctx.State.CheckForStop() > 0;
        }
    }

    if (stopped) {
        engine.FolderQueue.clear();
        totals.PreFolderCount = 0;
    }
    totals.FolderGaugeMax = totals.PreFolderCount;
}

int EnqueueFolderTree(RunContext& ctx, const std::string& source, const std::string& target)
{
    EngineState& engine = ctx.Engine;
    // Worked with a stack of its own rather than by recursion, and each folder is read to its
    // end before any sub-folder is opened: a deep tree needs neither deep recursion nor one
    // open folder per level.
    std::vector<std::pair<std::string, std::string>> pending{{source, target}};
    std::vector<std::string> subFolders;
    int count = 0;
    bool top = true;
    while (!pending.empty()) {
        // Named variables, not a structured binding: the lambda below captures them.
        std::string from = std::move(pending.back().first);
        std::string to = std::move(pending.back().second);
        pending.pop_back();
        subFolders.clear();
        bool stopped = false;
        SysStatus read = ForEachSubFolder(from, [&](const std::string& name) {
            if (ctx.State.CheckForStop() > 0) {
                stopped = true;
                return false;
            }
            // Links are never folders here, so a link to a folder is not followed. The recovery
            // folder is never walked, on either side: what deletions kept there would be copied
            // back, or a source folder of its name copied into it.
            if (ctx.Opts.RecoverDelFilesFolder.empty()
                || (!IsRecoveryFolder(ctx.Opts, AddTrailingBackslash(from) + name)
                    && !IsRecoveryFolder(ctx.Opts, AddTrailingBackslash(to) + name))) {
                subFolders.push_back(name);
            }
            return true;
        });
        if (stopped) {
            return -1;
        }
        FolderPair pair{from, to, false, top};
        if (top) {
            pair.TargetRoot = engine.Folders.TargetRoot;
        }
        top = false;
        // A folder that is not there is the walk's to skip; one that cannot be read completely
        // may hide sub-folders.
        if (!read && read.Error() != ENOENT) {
            pair.Unreadable = true;
            ReportUnreadable(ctx, from, read.Error());
        }
        engine.FolderQueue.push_back(std::move(pair));
        std::string fromBase = AddTrailingBackslash(from);
        std::string toBase = AddTrailingBackslash(to);
        // Pushed in reverse, so the first one found is walked (with its whole tree) first.
        for (auto name = subFolders.rbegin(); name != subFolders.rend(); ++name) {
            pending.emplace_back(fromBase + *name, toBase + *name);
        }
        count += static_cast<int>(subFolders.size());
    }
    // The sub-folders only: the pair asked for is the one the count is of.
    engine.Totals.PreFolderCount += count;
    return count;
}

int WalkFolderQueue(RunContext& ctx, RunSender sender)
{
    EngineState& engine = ctx.Engine;
    RunTotals& totals = engine.Totals;
    std::deque<FolderPair>& queue = engine.FolderQueue;
    ctx.State.SyncActive = true;
    int result = 0;
    // A worker pays for itself from the second pair on; a single folder is read as it comes.
    std::optional<FolderPrefetch> prefetch;
    if (queue.size() > 1) {
        prefetch.emplace();
    }
    struct PrefetchFor
    {
        EngineState& Engine;
        ~PrefetchFor() { Engine.Prefetch = nullptr; }
    } during{engine};
    engine.Prefetch = prefetch ? &*prefetch : nullptr;

    while (!queue.empty()) {
        if (ctx.State.CheckForStop() > 0) {
            // A stop at the top of the walk still leaves the unmatched items of the pairs not
            // walked unknown: the run must not go on to delete any.
            result = 4;
            queue.clear();
            break;
        }
        FolderPair pair = std::move(queue.front());
        queue.pop_front();

        if (pair.Next) {
            if (!NextBatchItem(ctx, sender)) {
                queue.clear();
                break;
            }
            continue;
        }

        if (totals.PreFolderCount > 0) {
            totals.FolderGauge += 1;
            totals.PreFolderCount -= 1;
        }
        PairResult walked = WalkPair(ctx, pair, result, sender);
        ctx.Hst.ShowRunProgress(engine);
        if (walked == PairResult::Stopped) {
            result = 4;
        }
        // 4 ends the run (a stop, or no room and no next folder to go on with); 3 only the
        // folder, which is done already.
        if (result == 4) {
            queue.clear();
            break;
        }
    }

    if (ctx.Opts.RunBatchList) {
        ctx.State.SyncActive = false;
        HooksOf(ctx).ReturnToFirstBatchRow(ctx);
    }
    return result;
}

void RemoveEmptyCreatedFolders(RunContext& ctx)
{
    std::vector<std::string>& created = ctx.Engine.DirDelList;
    if (created.empty()) {
        ApplyCreatedFolderModes(ctx);
        return;
    }
    ctx.State.StatusMsg(Msg::Working);
    // Removing an empty folder is all that happens: a folder that holds anything makes the
    // removal fail, and it stays, as does one that cannot be removed for any other reason.
    for (auto folder = created.rbegin(); folder != created.rend(); ++folder) {
        (void)RemoveFolder(*folder);
    }
    created.clear();
    ApplyCreatedFolderModes(ctx);
}

void ApplyCreatedFolderModes(RunContext& ctx)
{
    std::vector<CreatedFolder>& made = ctx.Engine.Folders.Created;
    // Children before parents: a parent without search permission for its owner would keep
    // the children from being reached. A folder removed as empty is simply not there.
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
        (void)SetFolderPermissions(folder->Folder, folder->Mode);
    }
    made.clear();
}

} // namespace Tandemix
