// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Attributes.h"

#include "platform/FaultHook.h"
#include "platform/PathText.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace Tandemix {

namespace {

// The mtime as stored in the archive xattr: "<sec>.<nsec>".
std::string MTimeText(const struct stat& st)
{
    char text[48];
    int length = std::snprintf(text,
                               sizeof text,
                               "%lld.%ld",
                               static_cast<long long>(st.st_mtim.tv_sec),
                               static_cast<long>(st.st_mtim.tv_nsec));
    return std::string(text, static_cast<std::size_t>(length));
}

bool XattrUnsupported(int error)
{
    return error == ENOTSUP || error == EOPNOTSUPP;
}

// User xattrs exist only on regular files and folders; elsewhere the bit cannot be kept.
bool CanHoldArchive(const struct stat& st)
{
    return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode);
}

// Runs an xattr change; user xattrs need write permission, which a read-only file lacks. Users
// expect to mark a read-only file as backed up like any other, so for a file of our own the
// owner write bit is lent for the moment. That changes only the ctime, not the mtime the
// xattr records. `change` returns 0 or an errno.
template <typename Change>
SysStatus ChangeXattr(const std::string& path, const struct stat& st, const char* call, Change change)
{
    int error = change();
    if (error == 0 || XattrUnsupported(error)) {
        return SysOk();
    }
    bool ownReadOnly =
        (error == EACCES || error == EPERM) && (st.st_mode & S_IWUSR) == 0 && st.st_uid == ::geteuid();
    if (!ownReadOnly || ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0) {
        return SysFail(error, call);
    }
    error = change();
    int restored = ::chmod(path.c_str(), st.st_mode & 07777);
    if (error != 0 && !XattrUnsupported(error)) {
        return SysFail(error, call);
    }
    if (restored != 0) {
        return SysFail(errno, "chmod");
    }
    return SysOk();
}

SysStatus ResetArchiveOf(const std::string& path, const struct stat& st)
{
    if (!CanHoldArchive(st)) {
        return SysOk();
    }
    std::string value = MTimeText(st);
    return ChangeXattr(path, st, "lsetxattr", [&]() {
        return ::lsetxattr(path.c_str(), ArchiveXattrName, value.data(), value.size(), 0) == 0 ? 0 : errno;
    });
}

SysStatus SetArchiveOf(const std::string& path, const struct stat& st)
{
    if (!CanHoldArchive(st)) {
        return SysOk();
    }
    return ChangeXattr(path, st, "lremovexattr", [&]() {
        if (::lremovexattr(path.c_str(), ArchiveXattrName) == 0 || errno == ENODATA) {
            return 0;
        }
        return errno;
    });
}

SysStatus ApplyMode(const std::string& path, const struct stat& st, bool readOnly)
{
    if (S_ISLNK(st.st_mode)) {
        return SysOk();
    }
    mode_t mode = st.st_mode & 07777;
    mode_t wanted = readOnly ? (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
    if (wanted != mode && ::chmod(path.c_str(), wanted) != 0) {
        return SysFail(errno, "chmod");
    }
    return SysOk();
}

} // namespace

std::uint32_t AttrFromStat(std::string_view name, const struct stat& st, bool archiveSet)
{
    std::uint32_t attr = 0;
    std::string_view last = LastComponent(name);
    if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) {
        attr |= Attr::ReadOnly;
    }
    if (!last.empty() && last.front() == '.' && last != "." && last != "..") {
        attr |= Attr::Hidden;
    }
    if (S_ISDIR(st.st_mode)) {
        attr |= Attr::Directory;
    }
    if (archiveSet) {
        attr |= Attr::Archive;
    }
    return attr == 0 ? Attr::Normal : attr;
}

bool ArchiveFlagSet(const std::string& path, const struct stat& st)
{
    if (!CanHoldArchive(st)) {
        return true;
    }
    char value[64];
    ssize_t length = ::lgetxattr(path.c_str(), ArchiveXattrName, value, sizeof value);
    if (length < 0) {
        return true;
    }
    return std::string_view(value, static_cast<std::size_t>(length)) != MTimeText(st);
}

namespace {

// getxattrat (Linux 6.13) reads the attribute relative to an open folder: one name lookup
// instead of a walk of the whole path, for every file of a listing. Older kernels say ENOSYS
// once and the path form is used from then on.
struct XattrArgs
{
    std::uint64_t Value;
    std::uint32_t Size;
    std::uint32_t Flags;
};

#ifdef __x86_64__
constexpr long GetXattrAtCall = 464;
#else
constexpr long GetXattrAtCall = -1;
#endif

std::atomic<bool> GetXattrAtMissing{GetXattrAtCall < 0};

} // namespace

bool ArchiveFlagSetAt(int folderFd, const char* name, const std::string& folderPrefix, const struct stat& st)
{
    if (!CanHoldArchive(st)) {
        return true;
    }
    if (!GetXattrAtMissing.load(std::memory_order_relaxed)) {
        char value[64];
        XattrArgs args{reinterpret_cast<std::uint64_t>(value), sizeof value, 0};
        long length = ::syscall(GetXattrAtCall,
                                folderFd,
                                name,
                                AT_SYMLINK_NOFOLLOW,
                                ArchiveXattrName,
                                &args,
                                sizeof args);
        if (length >= 0) {
            return std::string_view(value, static_cast<std::size_t>(length)) != MTimeText(st);
        }
        if (errno != ENOSYS && errno != EINVAL) {
            return true; // no attribute, or none possible here: the file counts as not backed up
        }
        GetXattrAtMissing.store(true, std::memory_order_relaxed);
    }
    return ArchiveFlagSet(folderPrefix + name, st);
}

SysResult<std::uint32_t> GetFileAttr(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        return SysResult<std::uint32_t>::Failure(errno, "lstat");
    }
    return AttrFromStat(path, st, ArchiveFlagSet(path, st));
}

SysStatus SetFileAttr(const std::string& path, std::uint32_t attr)
{
    if (int fault = CheckFault(FaultOp::SetAttr, path)) {
        return SysFail(fault, "chmod");
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        return SysFail(errno, "lstat");
    }
    bool readOnly = (attr & Attr::ReadOnly) != 0;
    bool archive = (attr & Attr::Archive) != 0;
    // The xattr needs write permission: write it while the file is still (or already) writable.
    if (readOnly) {
        SysStatus done = archive ? SetArchiveOf(path, st) : ResetArchiveOf(path, st);
        if (!done) {
            return done;
        }
        return ApplyMode(path, st, true);
    }
    SysStatus done = ApplyMode(path, st, false);
    if (!done) {
        return done;
    }
    if (::lstat(path.c_str(), &st) != 0) {
        return SysFail(errno, "lstat");
    }
    return archive ? SetArchiveOf(path, st) : ResetArchiveOf(path, st);
}

SysStatus
SetNewFileAttr(int fd, const std::string& path, const struct stat& st, std::uint32_t attr, mode_t mode)
{
    if (int fault = CheckFault(FaultOp::SetAttr, path)) {
        return SysFail(fault, "chmod");
    }
    if ((attr & Attr::Archive) == 0 && CanHoldArchive(st)) {
        std::string value = MTimeText(st);
        if (::fsetxattr(fd, ArchiveXattrName, value.data(), value.size(), 0) != 0
            && !XattrUnsupported(errno)) {
            return SysFail(errno, "fsetxattr");
        }
    }
    if ((attr & Attr::ReadOnly) != 0) {
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    }
    if (!S_ISLNK(st.st_mode) && (st.st_mode & 07777) != mode && ::fchmod(fd, mode) != 0) {
        return SysFail(errno, "fchmod");
    }
    return SysOk();
}

SysStatus ResetArchive(const std::string& path)
{
    if (int fault = CheckFault(FaultOp::SetAttr, path)) {
        return SysFail(fault, "lsetxattr");
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        return SysFail(errno, "lstat");
    }
    return ResetArchiveOf(path, st);
}

} // namespace Tandemix
