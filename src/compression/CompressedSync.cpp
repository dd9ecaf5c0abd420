// SPDX-License-Identifier: GPL-3.0-or-later
#include "compression/CompressedSync.h"

#include "compression/CompressionMessages.h"
#include "engine/CopyMessages.h"
#include "engine/CopyOneFile.h"
#include "engine/FileHelpers.h"
#include "engine/FileListing.h"
#include "engine/ListingMessages.h"
#include "engine/Messages.h"
#include "engine/ShowError.h"
#include "platform/AsciiText.h"
#include "platform/FileIo.h"
#include "platform/FileOps.h"
#include "platform/FileTimes.h"
#include "platform/PathText.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

namespace Tandemix {

namespace {

std::string NamePart(const std::string& path)
{
    return std::string(LastComponent(path));
}

bool IsArchiveFile(const std::string& path)
{
    struct stat st
    {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The side a compressed run keeps its archive on.
Side ArchiveSide(const Options& opts)
{
    return opts.CompressExpand == 0 ? Side::Target : Side::Source;
}

bool CompressedRun(const RunContext& ctx)
{
    return ctx.State.SyncActive && ctx.Opts.UseCompression;
}

// The include masks as the listing takes them: the text (a ";" added when it lacks one) cut to
// 100 characters, each piece before a ";" in order; a last piece the cut separated from its ";"
// is dropped.
std::vector<std::string> ArchiveMasks(std::string text)
{
    if (text.empty() || text.back() != ';') {
        text.push_back(';');
    }
    text = text.substr(0, 100);
    std::vector<std::string> masks;
    std::size_t start = 0;
    for (std::size_t semi = text.find(';'); semi != std::string::npos; semi = text.find(';', start)) {
        masks.push_back(text.substr(start, semi - start));
        start = semi + 1;
    }
    return masks;
}

std::uint32_t AttributesOf(const TZlFileAttributes& a)
{
    return (a.ReadOnly ? 1u : 0u) | (a.Hidden ? 2u : 0u) | (a.System ? 4u : 0u) | (a.Archive ? 32u : 0u);
}

int LevelFor(int speed)
{
    return speed == 1 ? 9 : speed == 2 ? 1 : 6;
}

} // namespace

std::string CompressedFolderName(const std::string& folder, const std::string& compressedExt)
{
    std::string plain(WithoutTrailingSlashes(folder));
    if (plain.empty() || plain == "/") {
        return "/" + std::string(ZipMsg::RootArchive) + compressedExt;
    }
    return plain + "/" + std::string(LastComponent(plain)) + compressedExt;
}

CompressionHooks::CompressionHooks(ReportLists& lists)
    : BatchHooks(lists)
    , FLists(lists)
{
    BindEvents();
}

void CompressionHooks::BindEvents()
{
    ZipControl.OnAdding = [this](TZipArchiver&, const TZlFileStats& stats) {
        FileStarted(stats, ZipMsg::Compressing, ZipMsg::CompressingFile);
    };
    ZipControl.OnUpdating = [this](TZipArchiver&, const TZlFileStats& stats) {
        FileStarted(stats, ZipMsg::Updating, ZipMsg::UpdatingFiles);
    };
    ZipControl.OnExtracting = [this](TZipArchiver&, const TZlFileStats& stats) {
        FileStarted(stats, ZipMsg::Expanding, ZipMsg::ExpandingFile);
    };
    ZipControl.OnStatus = [this](TZipArchiver& zip, const TZlFileStats& stats) {
        if (FCtx == nullptr) {
            return;
        }
        EngineState& engine = FCtx->Engine;
        RunTotals& totals = engine.Totals;
        if (totals.CurrentFileName != "none") {
            engine.FileGauge = stats.PercentDone();
            if (engine.DecidedBytes > 0) {
                double share = static_cast<double>(ZipBytesDone) / static_cast<double>(engine.DecidedBytes);
                engine.DirGauge = static_cast<int>(std::lround(std::min(share, 1.0) * 100.0));
            }
            if (stats.PercentDone() == 100) {
                engine.CompressionMessage = ZipMsg::Writing;
                totals.CurrentFileName = NamePart(zip.ZipFileName);
                totals.ActiveFileSize = 0;
                engine.FileGauge = 50;
            }
        }
        FCtx->Hst.ShowRunProgress(engine);
        if (FCtx->State.CheckForStop() > 0) {
            zip.Abort = true;
        }
    };
    ZipControl.OnDeleting = [this](TZipArchiver&, const std::string& name) {
        if (FCtx != nullptr) {
            FCtx->State.StatusMsg(std::string(ZipMsg::DeletingCompressed) + name);
        }
    };
    ZipControl.OnTesting = [this](TZipArchiver& zip, const TZlFileStats&) {
        if (FCtx != nullptr && FCtx->State.CheckForStop() > 0) {
            zip.Abort = true;
        }
    };
    ZipControl.OnPwdQuery = [this](TZipArchiver&, TZlPwdQuery& query) {
        if (FCtx == nullptr) {
            return;
        }
        std::string message = std::string(ZipMsg::PasswordIncorrect1) + NamePart(query.FileName)
                              + std::string(ZipMsg::PasswordIncorrect2);
        constexpr int Abort = 3;
        if (ShowError(*FCtx, message, ErrorCode::FileAccess) == Abort) {
            FCtx->State.OperationState = static_cast<int>(OperationStates::ZipAbort);
        }
    };
    ZipControl.OnListing = [this](TZipArchiver& zip, const TZlFileStats& stats) {
        if (FCtx == nullptr) {
            return;
        }
        Side side = zip.Tag == 1 ? Side::Source : Side::Target;
        std::string folder = AddTrailingBackslash(ListingOf(FCtx->Engine, side).Folder);
        std::string name = NamePart(stats.FileName);
        FoundFile file{{name, AttributesOf(stats.Attributes), stats.DosDateTime, stats.Size},
                       stats.CompressedSize};
        if (AddFileRecord(*FCtx, folder, side, file)) {
            // Entries keep the packed time only: the decision compares that against the file's.
            TFileData& record = ListingOf(FCtx->Engine, side).Files.back();
            record.MTime = timespec{UnpackFileTime(stats.DosDateTime), 0};
            record.ArchiveName = zip.ZipFileName;
            ArchiveBytesListed += stats.Size;
            if (FFileUnmatched) {
                // Marked with its archive: deleting it must take the entry, not a file of the
                // same name beside the archive.
                FCtx->Report.AddReportEntry({.Name = record.FileName,
                                             .Path = record.FolderPath,
                                             .SizeText = std::to_string(record.FileSize),
                                             .Detail = FileDateTimeText(record.FileTime),
                                             .Kind = Msg::ReportUnMatchedFiles,
                                             .Category = ReportCategory::UnMatched,
                                             .Archive = zip.ZipFileName});
            }
        }
        if (FCtx->State.CheckForStop() > 0) {
            zip.Abort = true;
        }
    };
}

void CompressionHooks::FileStarted(const TZlFileStats& stats,
                                   std::string_view caption,
                                   std::string_view status)
{
    if (FCtx == nullptr) {
        return;
    }
    EngineState& engine = FCtx->Engine;
    RunTotals& totals = engine.Totals;
    totals.CurrentFileNo += 1;
    engine.CompressionMessage = caption;
    totals.CurrentFileName = NamePart(stats.FileName);
    FCtx->State.StatusMsg(std::string(status) + totals.CurrentFileName);
    engine.FileGauge = 0;
    totals.ActiveFileSize = stats.Size;
    ZipBytesDone += stats.Size;
    FCtx->Hst.ShowRunProgress(engine);
    if (FCtx->State.CheckForStop() > 0) {
        ZipControl.Abort = true;
    }
}

bool CompressionHooks::ListArchiveView(RunContext& ctx, Side side, const std::string& folder)
{
    SideListing& listing = ListingOf(ctx.Engine, side);
    std::string archive = CompressedFolderName(folder, ctx.Opts.CompressedExt);
    bool exists = IsArchiveFile(archive);
    listing.ViewCompressedEnabled = exists;
    if (CompressedRun(ctx)) {
        // The run looks at the archive on its side whatever the boxes showed, even one that
        // does not exist yet (every file is then new to it).
        listing.ViewCompressed = side == ArchiveSide(ctx.Opts);
        if (!listing.ViewCompressed) {
            return false;
        }
    } else if (!listing.ViewCompressed || !exists) {
        return false;
    }
    ShowArchiveContents(ctx, side);
    return true;
}

int CompressionHooks::ShowArchiveContents(RunContext& ctx, Side side)
{
    SideListing& listing = ListingOf(ctx.Engine, side);
    ArchiveBytesListed = 0;
    ZipControl.Tag = static_cast<int>(side);
    ZipControl.ZipFileName = CompressedFolderName(listing.Folder, ctx.Opts.CompressedExt);
    listing.Files.clear();
    listing.Unlisted.clear();
    listing.Special.clear();
    listing.FileCount = 0;
    listing.ByteTotal = 0;
    listing.ViewCompressed = true;
    if (IsArchiveFile(ZipControl.ZipFileName)) {
        listing.FileCount = ListArchive(ctx, side);
        listing.ByteTotal = ArchiveBytesListed;
    }
    UpdateFreeSpace(ctx, side, AddTrailingBackslash(listing.Folder));
    if (!ctx.State.SyncActive) {
        ctx.State.StatusMsg(Msg::Ready);
    }
    return listing.FileCount;
}

int CompressionHooks::ListArchive(RunContext& ctx, Side side)
{
    SideListing& listing = ListingOf(ctx.Engine, side);
    listing.Files.clear();
    std::vector<std::string> masks = ArchiveMasks(ctx.Opts.IncludeString);
    auto n = static_cast<int>(ZipControl.CountFiles());
    if (n > 100) {
        ctx.State.StatusMsg(std::string(ZipMsg::Listing) + std::to_string(n)
                            + std::string(ZipMsg::ListingFiles));
    }
    // Counting empties the component's list like every operation does, so the masks are handed
    // over again for the listing itself.
    ZipControl.FilesToProcess = masks;
    // Archive entries are not files in the folder: the listing files none as a plain unmatched
    // file. Those of the archive a run writes are filed as entries of that archive instead.
    bool fileUnmatched = side == Side::Target && CompressedRun(ctx) && ArchiveSide(ctx.Opts) == Side::Target
                         && ReportsUnmatchedFiles(ctx);
    bool suppressed = ctx.State.SuppressUnmatchedReport;
    ctx.State.SuppressUnmatchedReport = true;
    RunContext* outer = FCtx;
    FCtx = &ctx;
    FFileUnmatched = fileUnmatched;
    ZipControl.List();
    FFileUnmatched = false;
    FCtx = outer;
    ctx.State.SuppressUnmatchedReport = suppressed;
    if (side == Side::Target && ctx.State.SyncActive) {
        ctx.Engine.TotalFileCount += n;
    }
    return static_cast<int>(listing.Files.size());
}

void CompressionHooks::PrepareArchiveSide(RunContext& ctx)
{
    ZipControl.FilesToProcess.clear();
    EngineState& engine = ctx.Engine;
    engine.CompressionMessage = ZipMsg::Preparing;
    ctx.State.StatusMsg(ZipMsg::PreparingList);
    FExpanding = ctx.Opts.CompressExpand != 0;
    if (FExpanding) {
        ZipControl.ZipFileName = CompressedFolderName(engine.Source.Folder, ctx.Opts.CompressedExt);
        ZipControl.ExtractDirectory = engine.Target.Folder;
        engine.ArchiveBeingWritten.clear();
    } else {
        ZipControl.ZipFileName = CompressedFolderName(engine.Target.Folder, ctx.Opts.CompressedExt);
        engine.ArchiveBeingWritten = ZipControl.ZipFileName;
    }
}

int CompressionHooks::ArchiveFile(RunContext& ctx, const DeltaRow& row)
{
    if (FExpanding) {
        ZipControl.FilesToProcess.push_back(row.FileName);
        return static_cast<int>(CopyResult::Copied);
    }
    std::string path = AddTrailingBackslash(row.SourceFolder) + row.FileName;
    if (path == ZipControl.ZipFileName) {
        return static_cast<int>(CopyResult::NotCopied); // the archive never goes into itself
    }
    SysResult<int> readable = OpenForRead(path);
    if (!readable.Ok()) {
        ctx.Report.WriteLogFile(ProblemLogLine(CopyMsg::CouldNotRead, path), LogKind::FileError);
        ctx.Report.AddMessage(ProblemMessageLine(CopyMsg::CouldNotRead, path));
        return static_cast<int>(CopyResult::NotCopied);
    }
    ::close(readable.Value());
    ZipControl.FilesToProcess.push_back(path);
    return static_cast<int>(CopyResult::Copied);
}

void CompressionHooks::FinishArchiveSide(RunContext& ctx)
{
    EngineState& engine = ctx.Engine;
    // Without decided files there is nothing to do: an extraction with an empty list would
    // take every entry out of the archive, over newer files in the target.
    if (ZipControl.FilesToProcess.empty() || engine.PreReportRun) {
        ZipControl.FilesToProcess.clear();
        engine.CompressionMessage.clear();
        engine.ArchiveBeingWritten.clear();
        return;
    }
    auto files = static_cast<int>(ZipControl.FilesToProcess.size());
    if (FExpanding) {
        ZipControl.ExtractDirectory = engine.Target.Folder;
    }
    int result = CompressOrExpand(ctx, FExpanding ? 2 : 1);
    engine.ArchiveBeingWritten.clear();
    // The files were logged as done when they were collected; a library that failed must not
    // leave the run looking complete.
    if (result != ZipAbi::Ok && result != ZipAbi::NothingToDo && result != ZipAbi::Aborted) {
        std::string why =
            result == ZipAbi::LibraryMissing ? std::string(ZipMsg::LibraryMissing) : SharedText();
        std::string what = ZipControl.ZipFileName + " (" + why + ")";
        std::string_view label = FExpanding ? ZipMsg::ExpandFailed : ZipMsg::ArchiveFailed;
        ctx.Report.WriteLogFile(ProblemLogLine(label, what), LogKind::FileError);
        ctx.Report.AddMessage(ProblemMessageLine(label, what));
        engine.Totals.FilesNotCopied += files;
    }
}

std::optional<std::set<std::string>> CompressionHooks::EntryNames(const std::string& archive, int& result)
{
    std::set<std::string> names;
    TZlFileStatsEvent shown = ZipControl.OnListing;
    ZipControl.OnListing = [&names](TZipArchiver&, const TZlFileStats& stats) {
        names.insert(NamePart(stats.FileName));
    };
    ZipControl.ZipFileName = archive;
    ZipControl.FilesToProcess.clear();
    result = ZipControl.List();
    ZipControl.OnListing = shown;
    if (result != ZipAbi::Ok && result != ZipAbi::NothingToDo) {
        return std::nullopt;
    }
    return names;
}

std::vector<std::string> CompressionHooks::DeleteArchiveEntries(RunContext& ctx,
                                                                const std::string& archive,
                                                                const std::vector<std::string>& names)
{
    auto failed = [&](int result) {
        std::string why =
            result == ZipAbi::LibraryMissing ? std::string(ZipMsg::LibraryMissing) : SharedText();
        std::string what = archive + " (" + why + ")";
        ctx.Report.WriteLogFile(ProblemLogLine(ZipMsg::ArchiveFailed, what), LogKind::FileError);
        ctx.Report.AddMessage(ProblemMessageLine(ZipMsg::ArchiveFailed, what));
    };
    SharedText().clear();
    int listed = ZipAbi::Ok;
    std::optional<std::set<std::string>> before = EntryNames(archive, listed);
    if (!before) {
        failed(listed);
        return {};
    }
    // Each name is handed over as the entry it stands for: itself, or the one entry that differs
    // only in case (a line read back is lower case). A name with wildcards that is no entry's,
    // or one that fits several entries, is never handed over: it would take others along.
    std::vector<std::string> gone;
    std::vector<std::pair<std::string, std::string>> handed; // name, the entry it stands for
    for (const std::string& name : names) {
        if (before->contains(name)) {
            handed.emplace_back(name, name);
            continue;
        }
        std::vector<std::string> fits;
        for (const std::string& entry : *before) {
            if (EqualsNoCaseAscii(entry, name)) {
                fits.push_back(entry);
            }
        }
        if (fits.empty() && name.find_first_of("*?") == std::string::npos) {
            gone.push_back(name); // nothing of that name left: nothing to delete
        } else if (fits.size() == 1) {
            handed.emplace_back(name, fits.front());
        }
    }
    if (handed.empty()) {
        return gone;
    }
    TZipArchiver& zip = ZipControl;
    zip.ZipFileName = archive;
    zip.FilesToProcess.clear();
    for (const auto& [name, entry] : handed) {
        zip.FilesToProcess.push_back(entry);
    }
    zip.MultidiskMode = false;
    zip.Password = ctx.Opts.PassWordName;
    RunContext* outer = FCtx;
    FCtx = &ctx;
    int result = zip.Delete();
    FCtx = outer;
    zip.Password.clear();
    if (result != ZipAbi::Ok && result != ZipAbi::NothingToDo && result != ZipAbi::Aborted) {
        failed(result);
    }
    // What went is what the archive is seen not to hold any more, whatever the call answered.
    std::optional<std::set<std::string>> after = EntryNames(archive, listed);
    if (after) {
        for (const auto& [name, entry] : handed) {
            if (!after->contains(entry)) {
                gone.push_back(name);
            }
        }
    }
    return gone;
}

int CompressionHooks::CompressOrExpand(RunContext& ctx, int mode)
{
    TZipArchiver& zip = ZipControl;
    zip.Recurse = false;
    zip.UsePaths = false;
    zip.Password = ctx.Opts.PassWordName;
    zip.MoveFiles = false;
    zip.MultidiskMode = false;
    zip.ClearDisks = false;
    zip.IncludeVolumeLabel = false;
    zip.Overwrite = TZlOverwrite::zowAlways;

    EngineState& engine = ctx.Engine;
    engine.CompressionMessage = ZipMsg::Preparing;
    engine.FileGauge = 0;
    engine.DirGauge = 0;
    ZipBytesDone = 0;
    engine.Totals.CurrentFileNo = 0;
    SharedText().clear();
    RunContext* outer = FCtx;
    FCtx = &ctx;
    int result = 0;
    if (mode == 1) {
        zip.IncludeHiddenFiles = ctx.Opts.ReplicateFolders || ctx.Opts.CheckHidden;
        zip.Compression = LevelFor(ctx.Opts.CompressionSpeed);
        result = zip.Add(TZlAddMode::zamAdd);
    } else {
        result = zip.Extract(TZlAddMode::zamAdd);
    }
    FCtx = outer;
    zip.Password.clear();
    engine.CompressionMessage.clear();
    return result;
}

} // namespace Tandemix
