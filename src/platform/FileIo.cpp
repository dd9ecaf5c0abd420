// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileIo.h"

#include "platform/FaultHook.h"
#include "platform/PathText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

namespace Tandemix {

namespace {

constexpr std::size_t FallbackBufferSize = 1024 * 1024;

// `name` is opened inside `folderFd` (AT_FDCWD: a path); `path` names it for the fault hook.
SysResult<int> OpenCheckedAt(int folderFd, const char* name, const std::string& path, int flags, mode_t mode)
{
    if (int fault = CheckFault(FaultOp::Open, path)) {
        return SysResult<int>::Failure(fault, "open");
    }
    for (;;) {
        int fd = ::openat(folderFd, name, flags | O_CLOEXEC, mode);
        if (fd >= 0) {
            return fd;
        }
        if (errno != EINTR) {
            return SysResult<int>::Failure(errno, "open");
        }
    }
}

SysResult<int> OpenChecked(const std::string& path, int flags, mode_t mode)
{
    return OpenCheckedAt(AT_FDCWD, path.c_str(), path, flags, mode);
}

// Linking by descriptor needs CAP_DAC_READ_SEARCH; without it the kernel says ENOENT, and the
// link goes through /proc from then on (no privilege needed, one path walk more).
std::atomic<bool> EmptyPathLinkRefused{false};

// The write loop proper, without the fault hook (the caller has consulted it for these bytes).
SysResult<std::size_t> WriteRaw(int fd, const char* data, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        ssize_t written = ::write(fd, data + done, n - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue; // nothing was written: safe to repeat
            }
            return SysResult<std::size_t>::Failure(errno, "write");
        }
        if (written == 0) {
            return SysResult<std::size_t>::Failure(ENOSPC, "write");
        }
        done += static_cast<std::size_t>(written);
    }
    return done;
}

bool KernelCopyRefused(int error)
{
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP
           || error == EBADF;
}

char* FallbackBuffer()
{
    thread_local std::unique_ptr<char[]> buffer;
    if (!buffer) {
        buffer = std::make_unique<char[]>(FallbackBufferSize);
    }
    return buffer.get();
}

// What is left of a regular source from its current offset; n for anything without a
// meaningful size. The fault hook counts what is asked for, so asking for a whole mebibyte
// when 500 bytes remain would let a simulated full disk bite too early.
std::size_t RemainingOrAll(int inFd, std::size_t n)
{
    struct stat st;
    if (::fstat(inFd, &st) != 0 || !S_ISREG(st.st_mode)) {
        return n;
    }
    off_t offset = ::lseek(inFd, 0, SEEK_CUR);
    if (offset < 0) {
        return n;
    }
    if (offset >= st.st_size) {
        return 0;
    }
    auto left = static_cast<std::size_t>(st.st_size - offset);
    return left < n ? left : n;
}

SysResult<std::size_t> CopyThroughBuffer(int inFd, int outFd, std::size_t n)
{
    char* buffer = FallbackBuffer();
    std::size_t want = n < FallbackBufferSize ? n : FallbackBufferSize;
    ssize_t got;
    do {
        got = ::read(inFd, buffer, want);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        return SysResult<std::size_t>::Failure(errno, "read");
    }
    return WriteRaw(outFd, buffer, static_cast<std::size_t>(got));
}

// The test seam for filesystems that stamp "now" on whatever is renamed or linked into place.
void LoseTimesIfAsked(const std::string& to)
{
    if (CheckFault(FaultOp::LoseTimes, to) != 0) {
        (void)::utimensat(AT_FDCWD, to.c_str(), nullptr, AT_SYMLINK_NOFOLLOW);
    }
}

SysStatus CheckRenameFault(const std::string& from, const std::string& to)
{
    int fault = CheckFault(FaultOp::Rename, from);
    if (fault == 0) {
        fault = CheckFault(FaultOp::Rename, to);
    }
    return fault != 0 ? SysFail(fault, "rename") : SysOk();
}

SysStatus RenameNoReplaceFallback(const std::string& from, const std::string& to)
{
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0) {
        return SysFail(errno, "lstat");
    }
    if (!S_ISDIR(st.st_mode)) {
        // A hard link fails atomically on an existing name.
        if (::link(from.c_str(), to.c_str()) == 0) {
            if (::unlink(from.c_str()) != 0) {
                int error = errno;
                ::unlink(to.c_str());
                return SysFail(error, "unlink");
            }
            return SysOk();
        }
        if (errno == EEXIST) {
            return SysFail(EEXIST, "link");
        }
    }
    if (::lstat(to.c_str(), &st) == 0) {
        return SysFail(EEXIST, "rename");
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return SysFail(errno, "rename");
    }
    return SysOk();
}

} // namespace

SysResult<int> OpenRegularForRead(const std::string& path, struct stat& st)
{
    return OpenRegularForReadAt(AT_FDCWD, path, path, st);
}

SysResult<int>
OpenRegularForReadAt(int folderFd, const std::string& name, const std::string& path, struct stat& st)
{
    SysResult<int> fd =
        OpenCheckedAt(folderFd, name.c_str(), path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0);
    if (!fd) {
        return fd;
    }
    int error = 0;
    if (::fstat(*fd, &st) != 0) {
        error = errno;
    } else if (!S_ISREG(st.st_mode)) {
        error = EINVAL;
    } else if (::fcntl(*fd, F_SETFL, 0) != 0) {
        // Regular files ignore O_NONBLOCK on local disks, but a network or FUSE filesystem may
        // honour it with EAGAIN in the middle of a copy.
        error = errno;
    }
    if (error != 0) {
        ::close(*fd);
        return SysResult<int>::Failure(error, error == EINVAL ? "fstat" : "fcntl");
    }
    return fd;
}

SysResult<int> CreateUnnamedIn(const std::string& folder, mode_t mode)
{
    return OpenChecked(folder, O_WRONLY | O_TMPFILE, mode);
}

SysResult<int> CreateUnnamedAt(int folderFd, const std::string& folder, mode_t mode)
{
    return OpenCheckedAt(folderFd,
                         folderFd == AT_FDCWD ? folder.c_str() : ".",
                         folder,
                         O_WRONLY | O_TMPFILE,
                         mode);
}

SysResult<int> OpenForRead(const std::string& path)
{
    return OpenChecked(path, O_RDONLY, 0);
}

SysResult<int> CreateNew(const std::string& path, mode_t mode)
{
    return OpenChecked(path, O_WRONLY | O_CREAT | O_EXCL, mode);
}

SysResult<int> OpenForAppend(const std::string& path, bool truncate)
{
    return OpenChecked(path, O_WRONLY | O_CREAT | O_APPEND | (truncate ? O_TRUNC : 0), 0666);
}

SysResult<std::size_t> WriteAll(int fd, const void* buf, std::size_t n, std::string_view path)
{
    const char* data = static_cast<const char*>(buf);
    std::size_t done = 0;
    while (done < n) {
        std::size_t allowed = 0;
        if (int fault = CheckWriteFault(path, n - done, allowed)) {
            return SysResult<std::size_t>::Failure(fault, "write");
        }
        if (allowed == 0) {
            return SysResult<std::size_t>::Failure(ENOSPC, "write");
        }
        SysResult<std::size_t> written = WriteRaw(fd, data + done, allowed);
        if (!written) {
            return written;
        }
        done += *written;
    }
    return done;
}

SysResult<std::size_t> CopyChunk(int inFd, int outFd, std::size_t n, std::string_view outPath)
{
    if (n == 0) {
        return std::size_t{0};
    }
    // With a fault armed the copy asks for no more than the source still holds, so an injected
    // full disk bites exactly where a real one would; otherwise the kernel finds the end itself
    // and the two extra calls per chunk are saved.
    std::size_t want = AnyFaultArmed() ? RemainingOrAll(inFd, n) : n;
    if (want == 0) {
        return CopyPastEnd(inFd, outFd);
    }
    std::size_t allowed = 0;
    if (int fault = CheckWriteFault(outPath, want, allowed)) {
        return SysResult<std::size_t>::Failure(fault, "copy_file_range");
    }
    if (allowed == 0) {
        return SysResult<std::size_t>::Failure(ENOSPC, "copy_file_range");
    }
    ssize_t copied;
    do {
        copied = ::copy_file_range(inFd, nullptr, outFd, nullptr, allowed, 0);
    } while (copied < 0 && errno == EINTR);
    if (copied > 0) {
        return static_cast<std::size_t>(copied);
    }
    if (copied < 0 && !KernelCopyRefused(errno)) {
        return SysResult<std::size_t>::Failure(errno, "copy_file_range");
    }
    // Refused, or 0 before the end the size promised (some FUSE filesystems): read and write.
    return CopyThroughBuffer(inFd, outFd, allowed);
}

SysResult<std::size_t> CopyPastEnd(int inFd, int outFd)
{
    return CopyThroughBuffer(inFd, outFd, FallbackBufferSize);
}

SysStatus SetModeOf(int fd, mode_t mode)
{
    if (::fchmod(fd, mode) != 0) {
        return SysFail(errno, "fchmod");
    }
    return SysOk();
}

bool StatOf(int fd, struct stat& st)
{
    return ::fstat(fd, &st) == 0;
}

SysStatus CloseFile(int fd, std::string_view path)
{
    (void)path;
    // Linux releases the descriptor even when close fails, so it is never retried; EINTR says
    // only that a signal arrived, not that data was lost.
    if (::close(fd) != 0 && errno != EINTR) {
        return SysFail(errno, "close");
    }
    return SysOk();
}

SysStatus RenameOver(const std::string& from, const std::string& to)
{
    if (SysStatus fault = CheckRenameFault(from, to); !fault) {
        return fault;
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return SysFail(errno, "rename");
    }
    LoseTimesIfAsked(to);
    return SysOk();
}

SysStatus RenameNoReplace(const std::string& from, const std::string& to)
{
    if (SysStatus fault = CheckRenameFault(from, to); !fault) {
        return fault;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        int error = errno;
        // EINVAL is also the answer to moving a folder into itself; the fallback's rename
        // reports that case the same way.
        if (error != EINVAL && error != ENOSYS) {
            return SysFail(error, "rename");
        }
        if (SysStatus moved = RenameNoReplaceFallback(from, to); !moved) {
            return moved;
        }
    }
    LoseTimesIfAsked(to);
    return SysOk();
}

SysStatus LinkUnnamed(int fd, const std::string& to)
{
    return LinkUnnamedAt(fd, AT_FDCWD, to, to);
}

SysStatus LinkUnnamedAt(int fd, int folderFd, const std::string& name, const std::string& to)
{
    if (int fault = CheckFault(FaultOp::Rename, to)) {
        return SysFail(fault, "linkat");
    }
    int done = -1;
    errno = ENOENT;
    if (!EmptyPathLinkRefused.load(std::memory_order_relaxed)) {
        done = ::linkat(fd, "", folderFd, name.c_str(), AT_EMPTY_PATH);
        if (done != 0 && errno == ENOENT) {
            EmptyPathLinkRefused.store(true, std::memory_order_relaxed);
        }
    }
    if (done != 0 && errno == ENOENT) {
        std::string self = "/proc/self/fd/" + std::to_string(fd);
        done = ::linkat(AT_FDCWD, self.c_str(), folderFd, name.c_str(), AT_SYMLINK_FOLLOW);
    }
    if (done != 0) {
        return SysFail(errno, "linkat");
    }
    LoseTimesIfAsked(to);
    return SysOk();
}

int FolderHandle::For(const std::string& path)
{
    std::string_view wanted = WithoutTrailingSlashes(path);
    if (FFd >= 0 && FPath == wanted) {
        return FFd;
    }
    Close();
    FPath.assign(wanted);
    SysResult<int> fd = OpenChecked(FPath, O_PATH | O_DIRECTORY, 0);
    FFd = fd ? *fd : -1;
    return FFd;
}

void FolderHandle::Close()
{
    if (FFd >= 0) {
        ::close(FFd);
    }
    FFd = -1;
    FPath.clear();
}

} // namespace Tandemix
