// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CopyOneFile.h"

#include "engine/CopyMessages.h"
#include "engine/FileHelpers.h"
#include "engine/FileListing.h"
#include "engine/ShowError.h"
#include "platform/AtomicFile.h"
#include "platform/Attributes.h"
#include "platform/FaultHook.h"
#include "platform/FileIo.h"
#include "platform/FileOps.h"
#include "platform/FileTimes.h"
#include "platform/Mounts.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>

namespace Tandemix {

namespace {

constexpr std::uint32_t CopiedAttrBits = Attr::ReadOnly | Attr::Hidden | Attr::System | Attr::Archive;

// Closes a descriptor exactly once, on every way out.
class Descriptor
{
public:
    Descriptor() = default;
    ~Descriptor()
    {
        if (FFd >= 0) {
            (void)CloseFile(FFd, {});
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    void Adopt(int fd) { FFd = fd; }
    int Fd() const { return FFd; }
    // Closes now and says whether the data made it: network filesystems report failed writes here.
    bool Close(std::string_view path)
    {
        int fd = FFd;
        FFd = -1;
        return CloseFile(fd, path).Ok();
    }

private:
    int FFd = -1;
};

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

enum class Outcome
{
    Done,
    ReadFailed,
    WriteFailed,
    Skipped,
    Stopped,
    SourceChanged,
};

int Percent(std::int64_t copied, std::int64_t total)
{
    if (copied <= 0 || total <= 0) {
        return 100;
    }
    if (copied >= total) {
        return 100;
    }
    return static_cast<int>(std::llround(static_cast<double>(copied) * 100.0 / static_cast<double>(total)));
}

// The existing target is replaced only if it fits: free space unknown (-1), the whole file fits,
// or the space the old copy frees makes it fit.
bool RoomFor(std::int64_t freeSpace, std::int64_t size, std::int64_t existing)
{
    return freeSpace == -1 || freeSpace >= size || freeSpace > size - existing;
}

void ReportProblem(RunContext& ctx, std::string_view label, const std::string& path, LogKind kind)
{
    ctx.Report.WriteLogFile(ProblemLogLine(label, path), kind);
    ctx.Report.AddMessage(ProblemMessageLine(label, path));
}

// One copy in progress: the source, the target and the new file that becomes the target. The
// data goes to an unnamed file where the filesystem has them (a killed run leaves nothing), else
// to a named temporary file recorded in the temporary-file journal.
class FileCopier
{
public:
    FileCopier(RunContext& ctx, const CopyRequest& r)
        : FCtx(ctx)
        , FReq(r)
        , FTargetFolder(AddTrailingBackslash(r.TargetFolder))
        , FSourcePath(AddTrailingBackslash(r.SourceFolder) + r.Name)
        , FTargetPath(FTargetFolder + (r.TargetName.empty() ? r.Name : r.TargetName))
        , FAdd(r.TargetName.empty())
        , FFolders(r.Folders != nullptr ? *r.Folders : FOwnFolders)
    {
        // Where a folder cannot be held open, the whole paths serve as before.
        FSourceDir = FFolders.Source.For(r.SourceFolder);
        FTargetDir = FFolders.Target.For(r.TargetFolder);
        FSourceName = FSourceDir >= 0 ? r.Name : FSourcePath;
        FTargetName = FTargetDir >= 0 ? (r.TargetName.empty() ? r.Name : r.TargetName) : FTargetPath;
        if (FSourceDir < 0) {
            FSourceDir = AT_FDCWD;
        }
        if (FTargetDir < 0) {
            FTargetDir = AT_FDCWD;
        }
    }

    CopyResult Run()
    {
        if (!OpenSource()) {
            return Finish(Outcome::ReadFailed);
        }

        // An add looks for nothing under its name: whatever appeared there since the decision
        // makes the final link or rename fail, and is never replaced.
        struct stat target
        {};
        bool targetExists = !FAdd && StatEntry(FTargetPath, target);
        std::int64_t existing = targetExists && S_ISREG(target.st_mode) ? target.st_size : 0;
        if (!FCtx.Opts.IgnoreTargetSpace && !RoomFor(FCtx.Engine.TargetFreeSpace, FReq.Size, existing)) {
            // A figure counted down by the run errs low: the disk has the last word on a refusal.
            if (FCtx.Engine.TargetFreeSpaceCounted) {
                UpdateFreeSpace(FCtx, Side::Target, FReq.TargetFolder);
            }
            if (!RoomFor(FCtx.Engine.TargetFreeSpace, FReq.Size, existing)) {
                return AskAboutSpace();
            }
        }
        // The user asked not to overwrite read-only files; the rename below would do it regardless
        // of the target's mode, so the rule is kept here.
        if (targetExists && !FCtx.Opts.CheckReadOnly
            && (AttrFromStat(FTargetPath, target, false) & Attr::ReadOnly) != 0) {
            return Finish(Outcome::WriteFailed);
        }

        Outcome outcome = FReq.IsLink ? WriteLink() : WriteData();
        if (outcome == Outcome::Done) {
            outcome = PutInPlace();
        }
        if (outcome == Outcome::Done) {
            CarryTimesAndAttributes();
            outcome = CloseHeld();
        }
        return Finish(outcome);
    }

private:
    bool OpenSource()
    {
        if (FReq.IsLink) {
            SysResult<std::string> text = ReadLinkText(FSourcePath, FSourceStat);
            if (!text) {
                return false;
            }
            FLinkText = std::move(text.Value());
            return true;
        }
        SysResult<int> fd = OpenRegularForReadAt(FSourceDir, FSourceName, FSourcePath, FSourceStat);
        if (!fd) {
            return false;
        }
        FSource.Adopt(*fd);
        return true;
    }

    CopyResult AskAboutSpace()
    {
        // There are no drive letters here: the mount point holding the target folder is what
        // tells the user which disk is full.
        std::string message(CopyMsg::TargetDrive);
        message.append("\"")
            .append(MountPointOf(FReq.TargetFolder))
            .append("\"")
            .append(CopyMsg::NotEnoughSpace);
        int answer = ShowError(FCtx, message, ErrorCode::DiskFull);
        return answer == static_cast<int>(DialogResult::Yes) ? CopyResult::NextFolder : CopyResult::StopRun;
    }

    bool CreateTarget()
    {
        // An unnamed file cannot be opened by name while it is written: it may have its final
        // mode from the start. A named one is private until it is complete.
        if (SysResult<int> unnamed = CreateUnnamedAt(FTargetDir, FTargetFolder, CopyMode())) {
            FTempFd.Adopt(*unnamed);
            FUnnamed = true;
            return true;
        }
        int fd = -1;
        SysResult<std::string> named = CreateTempFile(FTargetPath, 0600, fd);
        if (!named) {
            return false;
        }
        FTempFd.Adopt(fd);
        FTemp.Adopt(std::move(named.Value()));
        return true;
    }

    Outcome WriteData()
    {
        if (!CreateTarget()) {
            return Outcome::WriteFailed;
        }
        FCtx.Engine.FileGauge = 0;
        FCtx.State.SkipFileButtonTag = 0;
        FCtx.Engine.SkipFileEnabled = true;
        Outcome outcome = CopyChunks();
        FCtx.Engine.SkipFileEnabled = false;
        if (outcome != Outcome::Done) {
            return outcome;
        }
        struct stat after
        {};
        if (!StatOf(FSource.Fd(), after) || !SourceUnchanged(after)) {
            return Outcome::SourceChanged;
        }
        // Permission bits other than the write bits follow the source (an executable stays one);
        // read-only is applied last, after the times, from the decided attributes. A new file
        // linked in by its descriptor gets its mode with its attributes, where the umask or a
        // folder's default permissions have given it another one.
        if (!FUnnamed || !FAdd) {
            (void)SetModeOf(FTempFd.Fd(), CopyMode());
        }
        if (FUnnamed) {
            return Outcome::Done; // the descriptor is what gets linked in
        }
        return FTempFd.Close(FTemp.Path()) ? Outcome::Done : Outcome::WriteFailed;
    }

    mode_t CopyMode() const { return (FSourceStat.st_mode & 0777) | S_IWUSR; }

    // The copy is of the file that was decided on only when nothing wrote to the source
    // meanwhile: as listed (when the listing is known) and as opened, and exactly that many
    // bytes were read. A file whose size says less than it holds (procfs) fails here too.
    bool SourceUnchanged(const struct stat& after) const
    {
        const std::int64_t total = FSourceStat.st_size;
        bool listed = FReq.SourceMTime.tv_sec != 0 || FReq.SourceMTime.tv_nsec != 0;
        if (listed && (FReq.Size != total || !SameTime(FReq.SourceMTime, FSourceStat.st_mtim))) {
            return false;
        }
        return FCopied == total && after.st_size == total && SameTime(after.st_mtim, FSourceStat.st_mtim);
    }

    Outcome CopyChunks()
    {
        const std::int64_t total = FSourceStat.st_size;
        for (;;) {
            // At the listed size one plain read confirms the end.
            SysResult<std::size_t> got =
                FCopied == total ? CopyPastEnd(FSource.Fd(), FTempFd.Fd())
                                 : CopyChunk(FSource.Fd(), FTempFd.Fd(), CopyChunkSize, FTargetPath);
            if (!got) {
                // Only the plain read of the fallback path is known to be the source's fault.
                return std::strcmp(got.Call(), "read") == 0 ? Outcome::ReadFailed : Outcome::WriteFailed;
            }
            FCopied += static_cast<std::int64_t>(*got);
            FCtx.Engine.FileGauge = Percent(FCopied, total);
            if (*got == 0) {
                return Outcome::Done;
            }
            if (FCopied == total) {
                continue; // complete: the next call only confirms the end
            }
            // Below the size, or past it because the file grows while it is copied: either way
            // more may come, so Stop and Skip File must still be heard.
            if (FCtx.State.CheckForStop() > 0) {
                return Outcome::Stopped;
            }
            if (FCtx.State.SkipFileButtonTag == 1) {
                return Outcome::Skipped;
            }
        }
    }

    Outcome WriteLink()
    {
        FCtx.Engine.FileGauge = 100;
        if (FAdd) {
            // A new name: made in place, and refused if something took the name meanwhile.
            FPlaced = MakeSymlink(FLinkText, FTargetPath).Ok();
            return FPlaced ? Outcome::Done : Outcome::WriteFailed;
        }
        SysResult<std::string> named = CreateTempEntry(FTargetPath, [this](const std::string& path) {
            SysStatus made = MakeSymlink(FLinkText, path);
            return made ? 0 : made.Error();
        });
        if (!named) {
            return Outcome::WriteFailed;
        }
        FTemp.Adopt(std::move(named.Value()));
        return Outcome::Done;
    }

    // An add never replaces anything; an update replaces the twin it was decided against, and
    // a link there is replaced as a link, never written through.
    Outcome PutInPlace()
    {
        if (FPlaced) {
            return Outcome::Done;
        }
        if (FUnnamed && FAdd) {
            if (!LinkUnnamedAt(FTempFd.Fd(), FTargetDir, FTargetName, FTargetPath)) {
                return Outcome::WriteFailed;
            }
            FHeld = true; // times and attributes go on through the descriptor, then it is closed
            return Outcome::Done;
        }
        if (FUnnamed) {
            // A rename needs a name to move: the complete file gets a temporary one first.
            SysResult<std::string> named = CreateTempEntry(FTargetPath, [this](const std::string& path) {
                SysStatus linked = LinkUnnamed(FTempFd.Fd(), path);
                return linked ? 0 : linked.Error();
            });
            if (!named) {
                return Outcome::WriteFailed;
            }
            FTemp.Adopt(std::move(named.Value()));
            if (!FTempFd.Close(FTemp.Path())) {
                return Outcome::WriteFailed;
            }
        }
        SysStatus placed =
            FAdd ? RenameNoReplace(FTemp.Path(), FTargetPath) : RenameOver(FTemp.Path(), FTargetPath);
        if (!placed) {
            return Outcome::WriteFailed;
        }
        FTemp.Release();
        return Outcome::Done;
    }

    // On the final name, after the rename: some filesystems (FUSE FAT, exFAT) stamp "now" on
    // whatever is renamed, and the archive mark must hold the time the file keeps. The data is
    // complete by now; a time or attribute the filesystem would not keep is reported without
    // making the copy count as failed (it would only be copied again every run).
    void CarryTimesAndAttributes()
    {
        struct stat placed
        {};
        bool timesKept =
            FHeld
                ? SetFileTimesOf(FTempFd.Fd(), FTargetPath, FSourceStat.st_atim, FSourceStat.st_mtim, placed)
                      .Ok()
                : SetFileTimes(FTargetPath, FSourceStat.st_atim, FSourceStat.st_mtim).Ok();
        if (!timesKept) {
            ReportTimesNotKept();
        }
        if (!FReq.IsLink) {
            std::uint32_t attr = FReq.Attr & CopiedAttrBits;
            if (FCtx.Opts.CheckResetArchive) {
                attr &= ~Attr::Archive;
            }
            bool set = FHeld ? (timesKept || StatOf(FTempFd.Fd(), placed))
                                   && SetNewFileAttr(FTempFd.Fd(), FTargetPath, placed, attr, CopyMode()).Ok()
                             : SetFileAttr(FTargetPath, attr).Ok();
            if (!set) {
                ReportProblem(FCtx, CopyMsg::CouldNotSetAttributes, FTargetPath, LogKind::FileError);
            }
        }
        if (FCtx.Opts.CheckResetArchive) {
            // Not worth failing a finished copy for: at worst the source is backed up again.
            (void)ResetArchive(FSourcePath);
        }
    }

    // A filesystem that cannot keep times cannot keep them for any file: once per run is news,
    // every file after that would bury the other messages.
    void ReportTimesNotKept()
    {
        if (FCtx.Engine.Totals.FileTimeNotKeptReported) {
            return;
        }
        FCtx.Engine.Totals.FileTimeNotKeptReported = true;
        std::string note = " ";
        note.append(CopyMsg::TimeNotKeptNote);
        FCtx.Report.WriteLogFile(ProblemLogLine(CopyMsg::CouldNotSetTime, FTargetPath) + note,
                                 LogKind::FileError);
        FCtx.Report.AddMessage(ProblemMessageLine(CopyMsg::CouldNotSetTime, FTargetPath) + note);
    }

    // The new file linked in by its descriptor is closed last: a network filesystem reports a
    // failed write only here, and then the name just linked is ours to take back.
    Outcome CloseHeld()
    {
        if (!FHeld) {
            return Outcome::Done;
        }
        if (!FTempFd.Close(FTargetPath)) {
            (void)DeleteFileAt(FTargetDir, FTargetName, FTargetPath); // linked by us a moment ago
            return Outcome::WriteFailed;
        }
        return Outcome::Done;
    }

    CopyResult Finish(Outcome outcome)
    {
        switch (outcome) {
        case Outcome::Done:
            return CopyResult::Copied;
        case Outcome::ReadFailed:
            ReportProblem(FCtx, CopyMsg::CouldNotRead, FSourcePath, LogKind::UpdatedFile);
            return CopyResult::NotCopied;
        case Outcome::WriteFailed:
            ReportProblem(FCtx, CopyMsg::CouldNotWrite, FTargetPath, LogKind::UpdatedFile);
            return CopyResult::NotCopied;
        case Outcome::Skipped:
            ReportProblem(FCtx, CopyMsg::UserSkipped, FSourcePath, LogKind::UpdatedFile);
            return CopyResult::NotCopied;
        case Outcome::SourceChanged:
            ReportProblem(FCtx, CopyMsg::ChangedDuringCopy, FSourcePath, LogKind::UpdatedFile);
            return CopyResult::NotCopied;
        case Outcome::Stopped:
            return CopyResult::StopRun;
        }
        return CopyResult::NotCopied;
    }

    RunContext& FCtx;
    const CopyRequest& FReq;
    std::string FTargetFolder;
    std::string FSourcePath;
    std::string FTargetPath;
    bool FAdd;
    CopyFolders FOwnFolders;
    CopyFolders& FFolders;
    int FSourceDir = AT_FDCWD; // the open source folder, or AT_FDCWD with FSourceName a whole path
    int FTargetDir = AT_FDCWD;
    std::string FSourceName;
    std::string FTargetName;
    Descriptor FSource;
    struct stat FSourceStat
    {};
    std::int64_t FCopied = 0;
    std::string FLinkText;
    bool FUnnamed = false; // the data is in an unnamed file, linked in when complete
    bool FPlaced = false; // already under its final name
    bool FHeld = false; // under its final name and still open through FTempFd
    // Members go in reverse order: the descriptor is closed before the temporary file is deleted.
    TempEntry FTemp;
    Descriptor FTempFd;
};

} // namespace

int CopyOneFile(RunContext& ctx, const CopyRequest& r)
{
    if (ctx.State.CheckForStop() > 0) {
        return static_cast<int>(CopyResult::StopRun);
    }
    FileCopier copier(ctx, r);
    return static_cast<int>(copier.Run());
}

} // namespace Tandemix
