// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileOps.h"

#include "platform/FaultHook.h"
#include "platform/FileIo.h"
#include "platform/FileTimes.h"
#include "platform/PathText.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace Tandemix {

namespace {

constexpr std::size_t CopyChunkSize = 1024 * 1024;

// Reads both files back and compares them byte for byte: before an original is deleted, the
// copy must be known to hold it.
SysStatus CheckSameContents(const std::string& a, const std::string& b)
{
    SysResult<int> first = OpenForRead(a);
    if (!first) {
        return SysFail(first.Error(), first.Call());
    }
    SysResult<int> second = OpenForRead(b);
    if (!second) {
        ::close(*first);
        return SysFail(second.Error(), second.Call());
    }
    std::vector<char> left(64 * 1024);
    std::vector<char> right(left.size());
    SysStatus result = SysOk();
    for (;;) {
        ssize_t got = ::read(*first, left.data(), left.size());
        if (got < 0) {
            result = SysFail(errno, "read");
            break;
        }
        std::size_t have = 0;
        while (have < static_cast<std::size_t>(got)) {
            ssize_t more = ::read(*second, right.data() + have, static_cast<std::size_t>(got) - have);
            if (more <= 0) {
                break;
            }
            have += static_cast<std::size_t>(more);
        }
        if (have != static_cast<std::size_t>(got) || std::memcmp(left.data(), right.data(), have) != 0) {
            result = SysFail(EIO, "compare");
            break;
        }
        if (got == 0) {
            char extra;
            if (::read(*second, &extra, 1) != 0) {
                result = SysFail(EIO, "compare");
            }
            break;
        }
    }
    ::close(*first);
    ::close(*second);
    return result;
}

// Across filesystems a file is copied with its mode and times, a link is made anew.
SysStatus MoveAcross(const std::string& from, const std::string& to)
{
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0) {
        return SysFail(errno, "lstat");
    }
    if (S_ISDIR(st.st_mode)) {
        return SysFail(EXDEV, "rename");
    }
    if (S_ISLNK(st.st_mode)) {
        std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1);
        ssize_t length = ::readlink(from.c_str(), target.data(), target.size() - 1);
        if (length < 0) {
            return SysFail(errno, "readlink");
        }
        target[static_cast<std::size_t>(length)] = '\0';
        if (::symlink(target.data(), to.c_str()) != 0) {
            return SysFail(errno, "symlink");
        }
    } else {
        SysStatus copied = CopyFileNoReplace(from, to);
        if (!copied) {
            return copied;
        }
        if (SysStatus same = CheckSameContents(from, to); !same) {
            ::unlink(to.c_str()); // the original stays: a copy that differs is no copy
            return same;
        }
        // The data arrived intact; a time the target cannot store does not undo the move.
        (void)SetFileTimes(to, st.st_atim, st.st_mtim);
    }
    if (int fault = CheckFault(FaultOp::Unlink, from)) {
        ::unlink(to.c_str());
        return SysFail(fault, "unlink");
    }
    if (::unlink(from.c_str()) != 0) {
        int error = errno;
        ::unlink(to.c_str()); // the source stays: one copy, not two
        return SysFail(error, "unlink");
    }
    return SysOk();
}

SysStatus RemoveTreeAt(int parentFd, const std::string& name, const std::string& path);

// Empties the open folder `fd` (named `path` for the hook and the caller's errors).
SysStatus EmptyFolder(int fd, const std::string& path)
{
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        int error = errno;
        ::close(fd);
        return SysFail(error, "fdopendir");
    }
    // Names first, removal after: unlinking while readdir runs may skip entries.
    std::vector<std::string> names;
    SysStatus first = SysOk();
    for (;;) {
        errno = 0;
        dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            if (errno != 0) {
                first = SysFail(errno, "readdir");
            }
            break;
        }
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    for (const std::string& name : names) {
        SysStatus removed = RemoveTreeAt(::dirfd(dir), name, path + "/" + name);
        if (!removed && first) {
            first = removed;
        }
    }
    ::closedir(dir);
    return first;
}

// Descriptor-relative and O_NOFOLLOW all the way down: a folder swapped for a symlink while we
// work still cannot lead outside the tree.
SysStatus RemoveTreeAt(int parentFd, const std::string& name, const std::string& path)
{
    struct stat st;
    if (::fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? SysOk() : SysFail(errno, "fstatat");
    }
    if (!S_ISDIR(st.st_mode)) {
        if (int fault = CheckFault(FaultOp::Unlink, path)) {
            return SysFail(fault, "unlink");
        }
        if (::unlinkat(parentFd, name.c_str(), 0) != 0) {
            return SysFail(errno, "unlink");
        }
        return SysOk();
    }
    mode_t needed = S_IRWXU;
    if ((st.st_mode & needed) != needed) {
        // Read-only folders are emptied like any other; without these bits even root could not
        // list one after dropping its capabilities. A refusal shows at the open below.
        [[maybe_unused]] int changed = ::fchmodat(parentFd, name.c_str(), (st.st_mode & 07777) | needed, 0);
    }
    int fd = ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return SysFail(errno, "open");
    }
    SysStatus emptied = EmptyFolder(fd, path);
    if (int fault = CheckFault(FaultOp::RemoveFolder, path)) {
        return emptied ? SysFail(fault, "rmdir") : emptied;
    }
    if (::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) != 0) {
        return emptied ? SysFail(errno, "rmdir") : emptied;
    }
    return emptied;
}

std::string ParentOf(const std::string& path, std::string& name)
{
    name = LastComponent(path);
    std::string_view parent = ParentFolder(path);
    return parent.empty() ? std::string(".") : std::string(WithoutTrailingSlashes(parent));
}

} // namespace

bool FileExists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool StatEntry(const std::string& path, struct stat& st)
{
    return ::lstat(path.c_str(), &st) == 0;
}

SysResult<std::string> ReadLinkText(const std::string& path, struct stat& st)
{
    if (int fault = CheckFault(FaultOp::Read, path)) {
        return SysResult<std::string>::Failure(fault, "readlink");
    }
    if (::lstat(path.c_str(), &st) != 0) {
        return SysResult<std::string>::Failure(errno, "lstat");
    }
    if (!S_ISLNK(st.st_mode)) {
        return SysResult<std::string>::Failure(EINVAL, "readlink");
    }
    std::string text(static_cast<std::size_t>(st.st_size) + 2, '\0');
    ssize_t length = ::readlink(path.c_str(), text.data(), text.size());
    if (length < 0) {
        return SysResult<std::string>::Failure(errno, "readlink");
    }
    if (static_cast<std::size_t>(length) >= text.size()) {
        return SysResult<std::string>::Failure(ERANGE, "readlink");
    }
    text.resize(static_cast<std::size_t>(length));
    return text;
}

SysStatus MakeSymlink(const std::string& text, const std::string& path)
{
    if (int fault = CheckFault(FaultOp::Open, path)) {
        return SysFail(fault, "symlink");
    }
    if (::symlink(text.c_str(), path.c_str()) != 0) {
        return SysFail(errno, "symlink");
    }
    return SysOk();
}

SysStatus CreateFolder(const std::string& path)
{
    if (int fault = CheckFault(FaultOp::MakeFolder, path)) {
        return SysFail(fault, "mkdir");
    }
    if (::mkdir(path.c_str(), 0777) != 0) {
        return SysFail(errno, "mkdir");
    }
    return SysOk();
}

SysStatus RemoveFolder(const std::string& path)
{
    if (int fault = CheckFault(FaultOp::RemoveFolder, path)) {
        return SysFail(fault, "rmdir");
    }
    if (::rmdir(path.c_str()) != 0) {
        return SysFail(errno, "rmdir");
    }
    return SysOk();
}

SysStatus DeleteFile(const std::string& path)
{
    return DeleteFileAt(AT_FDCWD, path, path);
}

SysStatus DeleteFileAt(int folderFd, const std::string& name, const std::string& path)
{
    if (int fault = CheckFault(FaultOp::Unlink, path)) {
        return SysFail(fault, "unlink");
    }
    if (::unlinkat(folderFd, name.c_str(), 0) != 0) {
        return SysFail(errno, "unlink");
    }
    return SysOk();
}

SysStatus MoveFile(const std::string& from, const std::string& to)
{
    SysStatus moved = RenameNoReplace(from, to);
    if (moved || moved.Error() != EXDEV) {
        return moved;
    }
    return MoveAcross(from, to);
}

SysStatus CopyFileNoReplace(const std::string& from, const std::string& to)
{
    SysResult<int> in = OpenForRead(from);
    if (!in) {
        return SysFail(in.Error(), in.Call());
    }
    struct stat st;
    int statError = ::fstat(*in, &st) != 0 ? errno : 0;
    if (statError == 0 && !S_ISREG(st.st_mode)) {
        statError = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    if (statError != 0) {
        ::close(*in);
        return SysFail(statError, "fstat");
    }
    SysResult<int> out = CreateNew(to, 0600);
    if (!out) {
        ::close(*in);
        return SysFail(out.Error(), out.Call());
    }
    SysStatus result = SysOk();
    for (;;) {
        SysResult<std::size_t> copied = CopyChunk(*in, *out, CopyChunkSize, to);
        if (!copied) {
            result = SysFail(copied.Error(), copied.Call());
            break;
        }
        if (*copied == 0) {
            break;
        }
    }
    // Set on the open descriptor at the end, so a read-only source still gives a copy we could
    // write; setuid and setgid bits are not carried over to a copy.
    if (result && ::fchmod(*out, st.st_mode & 0777) != 0) {
        result = SysFail(errno, "fchmod");
    }
    ::close(*in);
    SysStatus closed = CloseFile(*out, to);
    if (result && !closed) {
        result = closed;
    }
    if (!result) {
        ::unlink(to.c_str()); // we created it (O_EXCL): never someone else's file
    }
    return result;
}

SysStatus RemoveTree(const std::string& path)
{
    std::string name;
    std::string parent = ParentOf(path, name);
    if (name.empty() || name == "." || name == "..") {
        return SysFail(EINVAL, "rmdir");
    }
    int parentFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0) {
        return SysFail(errno, "open");
    }
    struct stat st;
    if (::fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        int error = errno;
        ::close(parentFd);
        return SysFail(error, "lstat");
    }
    SysStatus removed = RemoveTreeAt(parentFd, name, path);
    ::close(parentFd);
    return removed;
}

SysResult<std::string> CurrentFolder()
{
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            return std::string(buffer.data());
        }
        if (errno != ERANGE) {
            return SysResult<std::string>::Failure(errno, "getcwd");
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string AddTrailingBackslash(std::string path)
{
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

bool IsLink(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

SysResult<std::string> ResolvedPath(const std::string& path)
{
    std::string absolute = path;
    if (absolute.empty() || absolute.front() != '/') {
        SysResult<std::string> here = CurrentFolder();
        if (!here) {
            return here;
        }
        absolute = AddTrailingBackslash(*here) + absolute;
    }
    // Walks up to the nearest part that exists; the names below it are kept, "." dropped and
    // ".." taken lexically (they do not exist, so no link can stand in their way).
    std::vector<std::string> missing;
    std::string existing = absolute;
    char resolved[PATH_MAX];
    while (::realpath(existing.c_str(), resolved) == nullptr) {
        if (errno != ENOENT) {
            return SysResult<std::string>::Failure(errno, "realpath");
        }
        std::string name;
        existing = ParentOf(existing, name);
        missing.push_back(name);
    }
    std::string result = resolved;
    for (auto name = missing.rbegin(); name != missing.rend(); ++name) {
        if (name->empty() || *name == ".") {
            continue;
        }
        if (*name == "..") {
            std::string ignored;
            result = ParentOf(result, ignored);
            continue;
        }
        result = AddTrailingBackslash(result) + *name;
    }
    return result;
}

SysResult<unsigned> FolderPermissions(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        return SysResult<unsigned>::Failure(errno, "stat");
    }
    return static_cast<unsigned>(st.st_mode & 07777);
}

SysStatus SetFolderPermissions(const std::string& path, unsigned mode)
{
    if (::fchmodat(AT_FDCWD, path.c_str(), static_cast<mode_t>(mode), AT_SYMLINK_NOFOLLOW) != 0) {
        return SysFail(errno, "fchmodat");
    }
    return SysOk();
}

SysResult<int> LockFolder(const std::string& path, bool exclusive)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return SysResult<int>::Failure(errno, "open");
    }
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        return SysResult<int>::Failure(error, "flock");
    }
    return fd;
}

void UnlockFolder(int fd)
{
    if (fd >= 0) {
        ::close(fd);
    }
}

} // namespace Tandemix
