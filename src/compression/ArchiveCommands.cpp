// SPDX-License-Identifier: GPL-3.0-or-later
#include "compression/ArchiveCommands.h"

#include "compression/CompressionMessages.h"
#include "engine/BusySection.h"
#include "engine/FileListing.h"
#include "engine/Messages.h"
#include "platform/DirReader.h"
#include "platform/FileOps.h"
#include "platform/PathText.h"
#include "unmatched/DeleteUnmatched.h"

#include <map>
#include <string>
#include <vector>

namespace Tandemix {

namespace {

struct TreeCommand
{
    RunContext& Ctx;
    CompressionHooks& Zip;
    Side Which;
    bool Consolidate = false;
    bool Expand = false;
};

SideListing& ListingFor(TreeCommand& c)
{
    return ListingOf(c.Ctx.Engine, c.Which);
}

void ListFolder(TreeCommand& c, const std::string& folder)
{
    SideListing& listing = ListingFor(c);
    listing.Folder = folder;
    listing.ViewCompressed = false;
    BuildFileListing(c.Ctx, c.Which);
}

// The archive's entries by name, with their sizes.
std::map<std::string, std::int64_t> EntriesOf(CompressionHooks& zip, const std::string& archive)
{
    std::map<std::string, std::int64_t> entries;
    TZlFileStatsEvent shown = zip.ZipControl.OnListing;
    zip.ZipControl.OnListing = [&](TZipArchiver&, const TZlFileStats& stats) {
        entries[stats.FileName] = stats.Size;
    };
    zip.ZipControl.ZipFileName = archive;
    zip.ZipControl.List();
    zip.ZipControl.OnListing = shown;
    return entries;
}

// Compresses the folder's listed files into its archive; the files the archive now holds whole.
std::vector<TFileData> CompressFolder(TreeCommand& c, const std::string& folder)
{
    ListFolder(c, folder);
    SideListing& listing = ListingFor(c);
    c.Ctx.Engine.Totals.DirFileCount = static_cast<int>(listing.Files.size());
    std::string archive = CompressedFolderName(folder, c.Ctx.Opts.CompressedExt);
    std::string ownName(LastComponent(archive));
    TZipArchiver& zip = c.Zip.ZipControl;
    zip.FilesToProcess.clear();
    std::vector<TFileData> listed;
    for (const TFileData& file : listing.Files) {
        if (file.FileName != ownName) {
            zip.FilesToProcess.push_back(AddTrailingBackslash(folder) + file.FileName);
            listed.push_back(file);
        }
    }
    zip.ExtractDirectory = folder;
    zip.ZipFileName = archive;
    int result = zip.FilesToProcess.empty() ? ZipAbi::NothingToDo : c.Zip.CompressOrExpand(c.Ctx, 1);
    listing.ViewCompressedEnabled = FileExists(archive);
    c.Ctx.Engine.FileGauge = 0;
    if (result != ZipAbi::Ok && result != ZipAbi::NothingToDo) {
        return {};
    }
    // Only what the archive is seen to hold, at its full size, may leave the folder.
    std::map<std::string, std::int64_t> entries = EntriesOf(c.Zip, archive);
    std::vector<TFileData> held;
    for (const TFileData& file : listed) {
        auto entry = entries.find(file.FileName);
        if (entry != entries.end() && entry->second == file.FileSize) {
            held.push_back(file);
        }
    }
    return held;
}

// Deletes the files the archive holds: the consolidation's second half.
void ConsolidateFolder(TreeCommand& c, const std::string& folder, const std::vector<TFileData>& held)
{
    std::vector<UnmatchedItem> items;
    for (const TFileData& file : held) {
        items.push_back(UnmatchedItem{file.FileName,
                                      AddTrailingBackslash(folder),
                                      std::to_string(file.FileSize),
                                      {},
                                      false,
                                      {},
                                      {}});
    }
    (void)DeleteListedItems(c.Ctx,
                            c.Zip.Lists(),
                            ReportCategory::Deletions,
                            items,
                            AddTrailingBackslash(folder));
}

void ExpandFolder(TreeCommand& c, const std::string& folder)
{
    SideListing& listing = ListingFor(c);
    listing.Folder = folder;
    listing.ViewCompressed = false;
    TZipArchiver& zip = c.Zip.ZipControl;
    zip.FilesToProcess.clear();
    zip.ExtractDirectory = folder;
    zip.ZipFileName = CompressedFolderName(folder, c.Ctx.Opts.CompressedExt);
    if (FileExists(zip.ZipFileName)) {
        c.Zip.CompressOrExpand(c.Ctx, 2);
    }
    c.Ctx.Engine.FileGauge = 0;
}

// Sub-folders in the order the folder gives them, links never entered.
std::vector<std::string> SubFoldersOf(const std::string& folder)
{
    std::vector<std::string> subs;
    (void)ForEachSubFolder(folder, [&](const std::string& name) {
        subs.push_back(AddTrailingBackslash(folder) + name);
        return true;
    });
    return subs;
}

// False when a stop ended the walk.
bool WalkTree(TreeCommand& c, const std::string& folder)
{
    if (c.Expand) {
        ExpandFolder(c, folder);
    } else {
        std::vector<TFileData> held = CompressFolder(c, folder);
        if (c.Consolidate && !held.empty()) {
            ConsolidateFolder(c, folder, held);
        }
    }
    if (!c.Ctx.Opts.IncludeSubFolderOption) {
        return true;
    }
    for (const std::string& sub : SubFoldersOf(folder)) {
        if (c.Ctx.State.CheckForStop() > 0) {
            return false;
        }
        if (!WalkTree(c, sub)) {
            return false;
        }
    }
    return true;
}

std::string Question(const RunContext& ctx, std::string_view start, const std::string& folder)
{
    return std::string(start) + folder
           + std::string(ctx.Opts.IncludeSubFolderOption ? ZipMsg::AndSubFolders : ZipMsg::QuestionMark);
}

void RunTreeCommand(TreeCommand& c, const std::string& question, bool showArchive)
{
    RunContext& ctx = c.Ctx;
    if (ctx.Hst.Ask(question, DialogButtons::YesNo) == DialogResult::No) {
        return;
    }
    SideListing& listing = ListingFor(c);
    const std::string folder = listing.Folder;
    {
        BusySection busy(ctx.State);
        ctx.State.EnableControls(false);
        WalkTree(c, folder);
        listing.Folder = folder;
        listing.ViewCompressed = showArchive;
        BuildFileListing(ctx, c.Which);
    }
    ctx.State.OperationState = 0;
    ctx.State.EnableControls(true);
    ctx.State.StatusMsg(Msg::Ready);
}

} // namespace

void CompressFolder1Click(RunContext& ctx, CompressionHooks& zip, Side side, bool consolidate)
{
    RunTotals& totals = ctx.Engine.Totals;
    totals.TotFilesAdded = 0;
    totals.TotFilesUpdated = 0;
    totals.FolderGauge = 0;
    totals.TotFileSize = 0;
    ctx.Engine.TotalFilesCheckedValue = 0;
    ctx.Engine.TotalFileCount = 0;
    ctx.Report.ClearReports();
    ctx.Engine.DirDelList.clear();
    TreeCommand command{ctx, zip, side, consolidate, false};
    std::string start =
        std::string(ZipMsg::AreYouSure) + std::string(consolidate ? ZipMsg::Consolidate : ZipMsg::Compress);
    RunTreeCommand(command, Question(ctx, start, ListingOf(ctx.Engine, side).Folder), true);
}

void ExpandFolder1Click(RunContext& ctx, CompressionHooks& zip, Side side)
{
    TreeCommand command{ctx, zip, side, false, true};
    RunTreeCommand(command, Question(ctx, ZipMsg::ExpandQuestion, ListingOf(ctx.Engine, side).Folder), false);
}

std::string ExtractEntryForViewing(RunContext& ctx,
                                   CompressionHooks& zip,
                                   Side side,
                                   const std::string& entry,
                                   const std::string& scratchFolder)
{
    const std::string scratch = AddTrailingBackslash(scratchFolder);
    if (FolderExists(scratch)) {
        // Emptied as the program's own work: the deletions are neither asked about nor listed.
        const bool wasActive = ctx.State.SyncActive;
        ctx.State.SyncActive = true;
        (void)DeleteFolderContents(ctx, scratch);
        ctx.State.SyncActive = wasActive;
    } else if (!CreateFolder(scratch)) {
        return {};
    }
    zip.ZipControl.ZipFileName =
        CompressedFolderName(ListingOf(ctx.Engine, side).Folder, ctx.Opts.CompressedExt);
    zip.ZipControl.ExtractDirectory = scratch;
    zip.ZipControl.FilesToProcess = {entry};
    if (zip.CompressOrExpand(ctx, 2) != 0) {
        return {};
    }
    const std::string path = scratch + entry;
    return FileExists(path) ? path : std::string();
}

} // namespace Tandemix
