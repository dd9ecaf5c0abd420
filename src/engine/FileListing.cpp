// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FileListing.h"

#include "engine/FileFilters.h"
#include "engine/FileHelpers.h"
#include "engine/LaterHooks.h"
#include "engine/ListingMessages.h"
#include "engine/Messages.h"
#include "engine/ShowError.h"
#include "platform/AsciiText.h"
#include "platform/AtomicFile.h"
#include "platform/DateText.h"
#include "platform/DirReader.h"
#include "platform/FileOps.h"
#include "platform/FileTimes.h"
#include "platform/FolderPrefetch.h"
#include "platform/WallClock.h"
#include "platform/Wildcard.h"
#include "settings/OptionRules.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>
#include <utility>
#include <vector>

namespace Tandemix {

namespace {

bool NameMatches(std::string_view mask, std::string_view name)
{
    // The usual mask needs no matching at all; skipping it keeps a big folder's listing cheap.
    return mask == "*.*" || mask == "*" || MatchesMask(name, mask);
}

bool SameFolder(const std::string& a, const std::string& b)
{
    return AddTrailingBackslash(a) == AddTrailingBackslash(b);
}

// Free bytes for a folder that may not exist yet (a target created by the run): then the
// filesystem it will be created on counts.
std::int64_t FreeSpaceOf(const std::string& folder)
{
    std::int64_t bytes = DriveFreeSpace(folder);
    return bytes >= 0 ? bytes : DriveFreeSpace(MountPointOf(folder));
}

// One listing of one folder: the per-entry steps, with everything that does not change from
// entry to entry worked out once.
class FolderLister
{
public:
    FolderLister(RunContext& ctx, Side side, const std::string& folder)
        : FCtx(ctx)
        , FSide(side)
        , FListing(ListingOf(ctx.Engine, side))
        , FFolder(folder)
    {
        bool target = side == Side::Target;
        // Without a walk into sub-folders the run never looks inside them, so they must not
        // end up unmatched (and deleted) as a whole.
        FReportFolders = target && ReportsUnmatched(ctx) && ctx.Opts.IncludeSubFolderOption;
        FCountForRun = !target && ctx.State.SyncActive;
        FSkipArchive = target && ctx.State.SyncActive && ctx.Opts.UseCompression
                       && !ctx.Engine.ArchiveBeingWritten.empty();
        FKeepTwins = target;
        FReportSpecial = !target && ctx.State.SyncActive;
        FOptions = ListingEntryOptions(ctx, side);
    }

    // Reads the folder once and applies every mask in order. Entries a later mask may find are
    // kept aside during the read, so the result is that of one search per mask.
    ListingOutcome Run(const std::vector<std::string>& masks)
    {
        if (masks.empty()) {
            return ListingOutcome::Listed;
        }
        bool firstOpen = true;
        bool abandoned = false;
        std::vector<std::pair<DirEntry, std::size_t>> later; // with the first mask it matches
        std::string previous;
        auto visit = [&](const DirEntry& entry) {
            std::size_t first = FirstMask(masks, entry.Name);
            if (entry.IsSpecial) {
                Special(entry, first < masks.size());
                return true;
            }
            if (first == masks.size()) {
                KeepTwin(entry);
                return true;
            }
            if (first == 0 && firstOpen && !Found(entry, previous, true)) {
                firstOpen = false;
                // A stop that stays in force would end every later search at its first entry.
                if (masks.size() == 1 || FCtx.State.OperationState != 0) {
                    abandoned = true;
                    return false;
                }
            }
            if (masks.size() > 1 && (first > 0 || FirstMask(masks, entry.Name, 1) < masks.size())) {
                later.emplace_back(entry, first);
            }
            return true;
        };
        SysStatus status = SysOk();
        if (std::optional<std::vector<DirEntry>> read = Prefetched()) {
            for (const DirEntry& entry : *read) {
                if (!visit(entry)) {
                    break;
                }
            }
        } else {
            status = ForEachEntry(FFolder, visit, FOptions);
        }
        if (!status) {
            return Failed(status);
        }
        for (std::size_t m = 1; m < masks.size() && !abandoned; ++m) {
            previous.clear();
            for (const auto& [entry, first] : later) {
                if (NameMatches(masks[m], entry.Name) && !Found(entry, previous, first == m)) {
                    break;
                }
            }
        }
        return FStopped ? ListingOutcome::Stopped : ListingOutcome::Listed;
    }

private:
    // What a worker read of this folder already holds, when the run had it read meanwhile.
    std::optional<std::vector<DirEntry>> Prefetched()
    {
        FolderPrefetch* prefetch = FCtx.Engine.Prefetch;
        if (prefetch == nullptr || FSide != Side::Target) {
            return std::nullopt;
        }
        return prefetch->Take(FFolder, FOptions, [this] { FCtx.Hst.ProcessMessages(); });
    }

    // The first of the masks from `from` on that matches the name; masks.size() for none.
    static std::size_t
    FirstMask(const std::vector<std::string>& masks, std::string_view name, std::size_t from = 0)
    {
        std::size_t m = from;
        while (m < masks.size() && !NameMatches(masks[m], name)) {
            ++m;
        }
        return m;
    }

    // One entry found by a mask's search; false ends that search. `firstFind`: no earlier mask
    // found it (a file the filters leave out is kept as a twin once, not once per mask).
    bool Found(const DirEntry& entry, std::string& previous, bool firstFind)
    {
        if (entry.Name == previous) {
            return true;
        }
        previous.assign(entry.Name);
        if (FCtx.State.CheckForStop() > 0) {
            FStopped = true;
            return false;
        }
        if (entry.Name.empty()) {
            return true;
        }
        if (entry.IsDir) {
            // The recovery folder keeps what earlier deletions took: never a candidate itself.
            if (FReportFolders
                && (FCtx.Opts.RecoverDelFilesFolder.empty()
                    || !IsRecoveryFolder(FCtx.Opts, FFolder + entry.Name))) {
                FCtx.Report.AddReportEntry({.Name = entry.Name,
                                            .Path = FFolder,
                                            .SizeText = "0",
                                            .Detail = Msg::ReportFolderDetail,
                                            .Kind = Msg::ReportUnMatchedFolder,
                                            .Category = ReportCategory::UnMatched});
            }
            return true;
        }
        if (FCountForRun) {
            ++FCtx.Engine.TotalFileCount;
        }
        if (FSkipArchive && IsArchiveBeingWritten(entry.Name)) {
            return true;
        }
        SysResult<std::uint32_t> packed = PackFileTime(entry.MTime.tv_sec);
        if (!packed) {
            ReportDateStamp(entry.Name, Msg::DateStampNotValid, Msg::DateStampSkipping);
            if (firstFind) {
                KeepTwin(entry);
            }
            return true;
        }
        if (*packed == PackedTimeFloor && IsBefore1980(entry.MTime.tv_sec)) {
            ReportDateStamp(entry.Name, Msg::DateStampBefore1980, Msg::DateStampUsing1980);
        }
        if (AddFileRecord(FCtx,
                          FFolder,
                          FSide,
                          {{entry.Name, entry.Attr, *packed, entry.Size}, -1, entry.IsLink})) {
            FListing.ByteTotal += entry.Size;
            FListing.Files.back().ArchiveKnown = FOptions.WithArchive;
            FListing.Files.back().MTime = entry.MTime;
        } else if (firstFind) {
            KeepTwin(entry);
        }
        ++FListing.FileCount;
        return true;
    }

    // A target file the include masks or the filters left out: still the twin of a source file
    // of that name. Built from what the listing read anyway, no further system call.
    void KeepTwin(const DirEntry& entry)
    {
        if (!FKeepTwins || entry.IsDir || (FSkipArchive && IsArchiveBeingWritten(entry.Name))) {
            return;
        }
        TFileData& twin = FListing.Unlisted.emplace_back();
        twin.FileName = entry.Name;
        twin.FileSize = entry.Size;
        // Shown nowhere but in a size discrepancy, where its time cannot be out of range.
        SysResult<std::uint32_t> packed = PackFileTime(entry.MTime.tv_sec);
        twin.FileTime = packed ? *packed : 0;
        twin.MTime = entry.MTime;
        twin.AttrLetters = AttrToLetters(entry.Attr);
        twin.FolderPath = FFolder;
        twin.IsLink = entry.IsLink;
        twin.ArchiveKnown = FOptions.WithArchive;
    }

    // A fifo, socket or device. In the target it blocks a copy of a source file of its name;
    // in the source the run says why the name the user sees is not synchronised (once, and only
    // when the include masks take it in).
    void Special(const DirEntry& entry, bool matchesMask)
    {
        if (FKeepTwins) {
            TFileData& twin = FListing.Special.emplace_back();
            twin.FileName = entry.Name;
            twin.FolderPath = FFolder;
            twin.MTime = entry.MTime;
        } else if (FReportSpecial && matchesMask) {
            std::string message(Msg::NotARegularFile);
            ShowError(FCtx, message.append(FFolder).append(entry.Name), ErrorCode::LogOnly);
        }
    }

    bool IsArchiveBeingWritten(std::string_view name) const
    {
        std::string_view archive = FCtx.Engine.ArchiveBeingWritten;
        return archive.size() == FFolder.size() + name.size() && archive.substr(0, FFolder.size()) == FFolder
               && archive.substr(FFolder.size()) == name;
    }

    void ReportDateStamp(std::string_view name, std::string_view problem, std::string_view action)
    {
        std::string message = FFolder;
        message.append(name)
            .append(Msg::DateStampGap)
            .append(problem)
            .append(Msg::DateStampGap)
            .append(action);
        // A listing never raises a dialog: the message is logged and filed only.
        ShowError(FCtx, message, ErrorCode::LogOnly);
    }

    ListingOutcome Failed(const SysStatus& status)
    {
        // A folder that is not there lists as empty: a target the run has yet to create.
        if (status.Error() == ENOENT) {
            return ListingOutcome::FolderMissing;
        }
        std::string message = FFolder;
        message.append(Msg::DateStampGap)
            .append(Msg::FolderReadFailed)
            .append(Msg::DateStampGap)
            .append(std::strerror(status.Error()));
        ShowError(FCtx, message, ErrorCode::LogOnly);
        return ListingOutcome::ReadFailed;
    }

    RunContext& FCtx;
    Side FSide;
    SideListing& FListing;
    const std::string& FFolder;
    bool FReportFolders = false;
    bool FCountForRun = false;
    EntryOptions FOptions;
    bool FSkipArchive = false;
    bool FKeepTwins = false;
    bool FReportSpecial = false;
    bool FStopped = false;
};

} // namespace

EntryOptions ListingEntryOptions(const RunContext& ctx, Side side)
{
    // The archive flag costs a system call per file. Only the "Normal File" and "Archive File"
    // filters need it for every file (a file whose flag was reset is a normal file); the files a
    // run will copy get theirs when they are decided. The target keeps its specials as twins.
    bool withArchive = (!ctx.Opts.CheckArchive || !ctx.Opts.CheckNormal) && !ctx.Opts.ReplicateBypass();
    return EntryOptions{withArchive, side == Side::Target || ctx.State.SyncActive};
}

SideListing& ListingOf(EngineState& engine, Side side)
{
    return side == Side::Source ? engine.Source : engine.Target;
}

ListingOutcome BuildFileListing(RunContext& ctx, Side side)
{
    if (ctx.State.SourceFileListTag == 1) {
        return ListingOutcome::NotListed;
    }
    ctx.State.StatusMsg(Msg::Working);
    SideListing& listing = ListingOf(ctx.Engine, side);
    std::string folder = AddTrailingBackslash(listing.Folder);
    ctx.Hst.ProcessMessages();
    listing.FileCount = 0;
    listing.Unlisted.clear();
    listing.Special.clear();
    // Each folder's unmatched files stand together, above those of folders listed earlier.
    ctx.Report.BeginListing();
    if (ListCompressedView(ctx, side, folder)) {
        return ListingOutcome::Listed;
    }
    listing.Files.clear(); // keeps its capacity: the next listing of this side is as big, often
    listing.ByteTotal = 0;
    if (side == Side::Target && ctx.State.SyncActive) {
        std::string status(Msg::SynchronizingFolder);
        ctx.State.StatusMsg(status.append(UpperAscii(ctx.Engine.Source.Folder)));
    }

    if (RemoveSpaces(ctx.Opts.IncludeString).empty()) {
        ctx.Opts.IncludeString = Msg::EveryFileMask;
    }
    std::vector<std::string> masks;
    if (ctx.Opts.ReplicateFolders) {
        masks.emplace_back(Msg::EveryFileMask);
    } else {
        ctx.Opts.IncludeString = RemoveSpaces(ctx.Opts.IncludeString);
        masks = IncludeMasks(ctx.Opts.IncludeString);
    }

    FolderLister lister(ctx, side, folder);
    ListingOutcome outcome = lister.Run(masks);
    listing.FileCount = static_cast<int>(listing.Files.size());
    UpdateFreeSpace(ctx, side, folder);
    return outcome;
}

void RefreshFileListings(RunContext& ctx)
{
    if (ctx.State.SourceFileListTag >= 1) {
        return;
    }
    if (ctx.State.CheckForStop() != 1) {
        BuildFileListing(ctx, Side::Source);
    }
    ctx.Hst.ProcessMessages();
    if (ctx.State.CheckForStop() != 1) {
        BuildFileListing(ctx, Side::Target);
    }
    ctx.Hst.ProcessMessages();
    ctx.State.StatusMsg(Msg::Ready);
}

bool AddFileRecord(RunContext& ctx, const std::string& folder, Side side, const FoundFile& file)
{
    const auto& [name, attr, packedTime, size] = file.Facts;
    std::string reason =
        ExclusionReason(ctx.Opts, CurrentExcludeList(ctx.Engine, ctx.Opts), file.Facts, Now());
    if (!reason.empty()) {
        // The report lists take exclusions during a run only; saves the date text otherwise.
        if (side == Side::Source && ctx.State.SyncActive && ctx.Opts.UseReportForm) {
            ctx.Report.AddReportEntry({.Name = name,
                                       .Path = folder,
                                       .SizeText = std::to_string(size),
                                       .Detail = FileDateTimeText(packedTime),
                                       .Kind = reason,
                                       .Category = ReportCategory::Excluded});
        }
        return false;
    }
    SideListing& listing = ListingOf(ctx.Engine, side);
    TFileData& record = listing.Files.emplace_back();
    record.FileName.assign(name);
    record.FileSize = size;
    record.FileTime = packedTime;
    record.AttrLetters = AttrToLetters(attr);
    record.CompressedSize = file.CompressedSize;
    record.FolderPath = folder;
    record.IsLink = file.IsLink;
    // Archive names come with compressed synchronisation; until then no record belongs to one.

    if (side == Side::Target && ReportsUnmatchedFiles(ctx)) {
        FileUnmatchedEntry(ctx, record, Msg::ReportUnMatchedFiles);
    }
    return true;
}

bool ReportsUnmatched(const RunContext& ctx)
{
    return ctx.State.SyncActive && !ctx.State.SuppressUnmatchedReport && ctx.Opts.UseReportForm
           && ctx.Opts.ListUnMatchedFiles;
}

bool ReportsUnmatchedFiles(const RunContext& ctx)
{
    return ReportsUnmatched(ctx)
           && (!ctx.Opts.UseCompression || !SameFolder(ctx.Engine.Source.Folder, ctx.Engine.Target.Folder));
}

void FileUnmatchedEntry(RunContext& ctx, const TFileData& file, std::string_view kind)
{
    ctx.Report.AddReportEntry({.Name = file.FileName,
                               .Path = file.FolderPath,
                               .SizeText = std::to_string(file.FileSize),
                               .Detail = FileDateTimeText(file.FileTime),
                               .Kind = kind,
                               .Category = ReportCategory::UnMatched});
}

std::string FileDateTimeText(std::uint32_t packedTime)
{
    return PackedDateTimeText(packedTime);
}

std::int64_t FreeSpaceAt(const std::string& folder)
{
    return FreeSpaceOf(folder);
}

void UpdateFreeSpace(RunContext& ctx,
                     Side side,
                     const std::string& folder,
                     std::int64_t (*freeSpace)(const std::string&))
{
    SideListing& listing = ListingOf(ctx.Engine, side);
    std::int64_t bytes = freeSpace(folder);
    if (side == Side::Source) {
        listing.FreeSpaceText = FormatSize(bytes);
        return;
    }
    // A share's free space is read like a local disk's; only a figure that cannot be read at
    // all (a server that does not answer) switches the space check off.
    ctx.Engine.TargetFreeSpaceCounted = false;
    if (bytes < 0) {
        ctx.Engine.TargetFreeSpace = -1;
        listing.FreeSpaceText = Msg::FreeSpaceUnknown;
    } else {
        ctx.Engine.TargetFreeSpace = bytes;
        listing.FreeSpaceText = FormatSize(bytes);
    }
    ctx.Engine.RemainingTargetSpace = listing.FreeSpaceText;
}

void CountDownTargetSpace(RunContext& ctx, std::int64_t bytes)
{
    std::int64_t& space = ctx.Engine.TargetFreeSpace;
    if (space < 0) {
        return;
    }
    // A file takes whole blocks; the estimate errs low, and the space check reads the disk
    // again before it refuses anything on the strength of it.
    constexpr std::int64_t Block = 4096;
    std::int64_t used = (bytes + Block - 1) / Block * Block;
    space = space > used ? space - used : 0;
    ctx.Engine.TargetFreeSpaceCounted = true;
    ctx.Engine.Target.FreeSpaceText = FormatSize(space);
    ctx.Engine.RemainingTargetSpace = ctx.Engine.Target.FreeSpaceText;
}

bool ListCompressedView(RunContext& ctx, Side side, const std::string& folder)
{
    ListingOf(ctx.Engine, side).ViewCompressedEnabled = false;
    return HooksOf(ctx).ListArchiveView(ctx, side, folder);
}

} // namespace Tandemix
