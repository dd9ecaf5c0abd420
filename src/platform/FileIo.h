// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SysResult.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace Tandemix {

// Low-level file I/O for the copy routine and the log writer. Each call consults the fault
// hook; `path` only names the file for the hook and is not opened again. A disk that fills up
// gives a short write first and ENOSPC only on the next call, so nothing here takes a partial
// write for success.

SysResult<int> OpenForRead(const std::string& path); // follows links; FaultOp::Open
// The source of a copy: a link in the last component is not followed (ELOOP) and the open never
// blocks, so a fifo or device put where a file was listed cannot hang the run; anything but a
// regular file is refused (EINVAL). `st` receives the open file's fstat. FaultOp::Open.
SysResult<int> OpenRegularForRead(const std::string& path, struct stat& st);
// The same for `name` inside the open folder `folderFd` (AT_FDCWD: `name` is a path); `path`
// names the file for the fault hook.
SysResult<int>
OpenRegularForReadAt(int folderFd, const std::string& name, const std::string& path, struct stat& st);
// A file without a name in `folder` (O_TMPFILE), open for writing: it vanishes on close or when
// the process dies unless LinkUnnamed names it. Fails (EOPNOTSUPP, EISDIR, EINVAL) where the
// filesystem cannot do it. FaultOp::Open with `folder`.
SysResult<int> CreateUnnamedIn(const std::string& folder, mode_t mode);
SysResult<int> CreateUnnamedAt(int folderFd, const std::string& folder, mode_t mode);
SysResult<int> CreateNew(const std::string& path, mode_t mode); // EEXIST when it exists; FaultOp::Open
// Creates when missing (0666 less umask); writes go to the end, after emptying the file when
// `truncate`. FaultOp::Open.
SysResult<int> OpenForAppend(const std::string& path, bool truncate);

// All n bytes or an error: a short write is continued for the rest, a write that makes no
// progress is ENOSPC. FaultOp::Write (CheckWriteFault may cut a write short).
SysResult<std::size_t> WriteAll(int fd, const void* buf, std::size_t n, std::string_view path);
// Copies up to n bytes from the current offsets inside the kernel (copy_file_range), through a
// 1 MiB buffer where the kernel refuses. Returns the bytes copied, which may be fewer than n;
// 0 only at the source's end. FaultOp::Write as for WriteAll, a cut showing as a short copy.
SysResult<std::size_t> CopyChunk(int inFd, int outFd, std::size_t n, std::string_view outPath);
// Where the source's size says it ends: one plain read confirms the end (0), and copies what a
// file without a real size (procfs) or one that grew meanwhile still has to give.
SysResult<std::size_t> CopyPastEnd(int inFd, int outFd);
SysStatus SetModeOf(int fd, mode_t mode); // fchmod
bool StatOf(int fd, struct stat& st); // fstat
// Close errors are reported: NFS and some FUSE filesystems report failed writes only here.
SysStatus CloseFile(int fd, std::string_view path);
// Each of these three puts an entry in place under `to`; they consult FaultOp::Rename (with
// either path) and FaultOp::LoseTimes (with `to`).
SysStatus RenameOver(const std::string& from, const std::string& to); // replaces `to`
// Fails with EEXIST when `to` exists, which stays untouched. Where the kernel refuses
// RENAME_NOREPLACE a hard link is made and the old name removed; where links are refused too
// (FAT), `to` is checked just before a plain rename.
SysStatus RenameNoReplace(const std::string& from, const std::string& to);
// Names the unnamed file `fd` (CreateUnnamedIn) `to`; EEXIST when `to` exists, untouched.
SysStatus LinkUnnamed(int fd, const std::string& to);
// The same for `name` inside the open folder `folderFd`; `to` is its path, for the hooks.
SysStatus LinkUnnamedAt(int fd, int folderFd, const std::string& name, const std::string& to);

// An open folder. What is opened, created or linked inside it is found by one name lookup
// instead of a walk of the whole path, and it stays the folder that was opened even when its
// path is taken by a link afterwards, so nothing is written through that link.
class FolderHandle
{
public:
    FolderHandle() = default;
    ~FolderHandle() { Close(); }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    // The open folder `path` names (with or without a trailing separator), opened anew when the
    // path differs from the last one asked for; -1 when it cannot be opened (FaultOp::Open).
    int For(const std::string& path);
    void Close();

private:
    std::string FPath;
    int FFd = -1;
};

} // namespace Tandemix
