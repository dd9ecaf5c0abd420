// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/CopyOneFile.h"

#include "engine/CopyMessages.h"
#include "engine/FileHelpers.h"
#include "engine/ShowError.h"
#include "platform/AtomicFile.h"
#include "platform/Attributes.h"
#include "platform/DirReader.h"
#include "platform/FaultHook.h"
#include "platform/FileIo.h"
#include "platform/FileOps.h"
#include "platform/FileTimes.h"
#include "platform/Mounts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

namespace Tandemix {

namespace {

// A fresh temporary name collides only with another writer of the same file at the same moment.
constexpr int TempCreateAttempts = 16;
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

// The temporary copy beside the target: deleted on every way out except the rename that makes
// it the target.
class TempEntry
{
public:
    TempEntry() = default;
    ~TempEntry()
    {
        if (!FPath.empty()) {
            (void)DeleteFile(FPath);
        }
    }
    TempEntry(const TempEntry&) = delete;
    TempEntry& operator=(const TempEntry&) = delete;

    void Adopt(std::string path) { FPath = std::move(path); }
    const std::string& Path() const { return FPath; }
    void Release() { FPath.clear(); }

private:
    std::string FPath;
};

enum class Outcome
{
    Done,
    ReadFailed,
    WriteFailed,
    Skipped,
    Stopped,
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
    ctx.Report.AddReportEntry({}, {}, {}, {}, ProblemMessageLine(label, path), ReportCategory::Messages);
}

// One copy in progress: the source, the target and the temporary file that becomes the target.
class FileCopier
{
public:
    FileCopier(RunContext& ctx, const CopyRequest& r)
        : FCtx(ctx)
        , FReq(r)
        , FSourcePath(AddTrailingBackslash(r.SourceFolder) + r.Name)
        , FTargetPath(AddTrailingBackslash(r.TargetFolder) + r.Name)
    {}

    CopyResult Run()
    {
        if (!OpenSource()) {
            return Finish(Outcome::ReadFailed);
        }

        struct stat target
        {};
        bool targetExists = ::lstat(FTargetPath.c_str(), &target) == 0;
        std::int64_t existing = targetExists && S_ISREG(target.st_mode) ? target.st_size : 0;
        if (!FCtx.Opts.IgnoreTargetSpace && !RoomFor(FCtx.Engine.TargetFreeSpace, FReq.Size, existing)) {
            return AskAboutSpace();
        }
        // The user asked not to overwrite read-only files; the rename below would do it regardless
        // of the target's mode, so the rule is kept here.
        if (targetExists && !FCtx.Opts.CheckReadOnly
            && (AttrFromStat(FTargetPath, target, false) & Attr::ReadOnly) != 0) {
            return Finish(Outcome::WriteFailed);
        }

        Outcome outcome = FReq.IsLink ? WriteLink() : WriteData();
        if (outcome == Outcome::Done) {
            outcome = Complete();
        }
        return Finish(outcome);
    }

private:
    bool OpenSource()
    {
        if (FReq.IsLink) {
            if (int fault = CheckFault(FaultOp::Read, FSourcePath); fault != 0) {
                return false;
            }
            if (::lstat(FSourcePath.c_str(), &FSourceStat) != 0 || !S_ISLNK(FSourceStat.st_mode)) {
                return false;
            }
            std::vector<char> text(static_cast<std::size_t>(FSourceStat.st_size) + 2);
            ssize_t length = ::readlink(FSourcePath.c_str(), text.data(), text.size());
            // A link rewritten longer since the lstat does not fit: treat it as unreadable now.
            if (length < 0 || static_cast<std::size_t>(length) >= text.size()) {
                return false;
            }
            FLinkText.assign(text.data(), static_cast<std::size_t>(length));
            return true;
        }
        SysResult<int> fd = OpenForRead(FSourcePath);
        if (!fd) {
            return false;
        }
        FSource.Adopt(*fd);
        return ::fstat(FSource.Fd(), &FSourceStat) == 0 && !S_ISDIR(FSourceStat.st_mode);
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

    bool CreateTemp()
    {
        for (int attempt = 0; attempt < TempCreateAttempts; ++attempt) {
            std::string path = TempPathFor(FTargetPath);
            // Private while it is written; it gets the source's mode when it is complete.
            SysResult<int> fd = CreateNew(path, 0600);
            if (fd) {
                FTempFd.Adopt(*fd);
                FTemp.Adopt(std::move(path));
                return true;
            }
            if (fd.Error() != EEXIST) {
                return false;
            }
        }
        return false;
    }

    Outcome WriteData()
    {
        if (!CreateTemp()) {
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
        // Permission bits other than the write bits follow the source (an executable stays one);
        // read-only is applied last, after the times, from the decided attributes.
        (void)::fchmod(FTempFd.Fd(), (FSourceStat.st_mode & 0777) | S_IWUSR);
        return FTempFd.Close(FTemp.Path()) ? Outcome::Done : Outcome::WriteFailed;
    }

    Outcome CopyChunks()
    {
        const std::int64_t total = FSourceStat.st_size;
        std::int64_t copied = 0;
        for (;;) {
            SysResult<std::size_t> got = CopyChunk(FSource.Fd(), FTempFd.Fd(), CopyChunkSize, FTemp.Path());
            if (!got) {
                // Only the plain read of the fallback path is known to be the source's fault.
                return std::strcmp(got.Call(), "read") == 0 ? Outcome::ReadFailed : Outcome::WriteFailed;
            }
            copied += static_cast<std::int64_t>(*got);
            FCtx.Engine.FileGauge = Percent(copied, total);
            if (*got == 0) {
                return Outcome::Done;
            }
            if (copied == total) {
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
        for (int attempt = 0; attempt < TempCreateAttempts; ++attempt) {
            std::string path = TempPathFor(FTargetPath);
            if (CheckFault(FaultOp::Open, path) != 0) {
                return Outcome::WriteFailed;
            }
            if (::symlink(FLinkText.c_str(), path.c_str()) == 0) {
                FTemp.Adopt(std::move(path));
                FCtx.Engine.FileGauge = 100;
                return Outcome::Done;
            }
            if (errno != EEXIST) {
                return Outcome::WriteFailed;
            }
        }
        return Outcome::WriteFailed;
    }

    // Times after the last write and close, then attributes (read-only last), then the rename
    // that makes the copy the target.
    Outcome Complete()
    {
        bool timesSet = SetFileTimes(FTemp.Path(), FSourceStat.st_atim, FSourceStat.st_mtim).Ok();
        bool attrSet = true;
        if (!FReq.IsLink) {
            std::uint32_t attr = FReq.Attr & CopiedAttrBits;
            if (FCtx.Opts.CheckResetArchive) {
                attr &= ~Attr::Archive;
            }
            attrSet = SetFileAttr(FTemp.Path(), attr).Ok();
        }
        if (!RenameOver(FTemp.Path(), FTargetPath)) {
            return Outcome::WriteFailed;
        }
        FTemp.Release();
        // The data is complete; a time or attribute the filesystem would not keep is reported
        // without making the copy count as failed (it would only be copied again every run).
        if (!timesSet) {
            ReportProblem(FCtx, CopyMsg::CouldNotSetTime, FTargetPath, LogKind::FileError);
        }
        if (!attrSet) {
            ReportProblem(FCtx, CopyMsg::CouldNotSetAttributes, FTargetPath, LogKind::FileError);
        }
        if (FCtx.Opts.CheckResetArchive) {
            // Not worth failing a finished copy for: at worst the source is backed up again.
            (void)ResetArchive(FSourcePath);
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
        case Outcome::Stopped:
            return CopyResult::StopRun;
        }
        return CopyResult::NotCopied;
    }

    RunContext& FCtx;
    const CopyRequest& FReq;
    std::string FSourcePath;
    std::string FTargetPath;
    Descriptor FSource;
    struct stat FSourceStat
    {};
    std::string FLinkText;
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

void RemoveStaleTempFiles(const std::string& folder)
{
    std::vector<std::string> stale;
    (void)ForEachEntry(
        folder,
        [&stale](const DirEntry& entry) {
            if (!entry.IsDir && IsTempName(entry.Name)) {
                stale.push_back(entry.Name);
            }
            return true;
        },
        false);
    std::string base = AddTrailingBackslash(folder);
    for (const std::string& name : stale) {
        (void)DeleteFile(base + name);
    }
}

} // namespace Tandemix
