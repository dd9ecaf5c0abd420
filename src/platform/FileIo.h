// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SysResult.h"

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
SysResult<int> CreateNew(const std::string& path, mode_t mode); // EEXIST when it exists; FaultOp::Open
// Creates when missing (0666 less umask); writes go to the end, after emptying the file when
// `truncate`. FaultOp::Open.
SysResult<int> OpenForAppend(const std::string& path, bool truncate);

// Up to n bytes; 0 at end of file. FaultOp::Read.
SysResult<std::size_t> ReadSome(int fd, void* buf, std::size_t n, std::string_view path);
// All n bytes or an error: a short write is continued for the rest, a write that makes no
// progress is ENOSPC. FaultOp::Write (CheckWriteFault may cut a write short).
SysResult<std::size_t> WriteAll(int fd, const void* buf, std::size_t n, std::string_view path);
// Copies up to n bytes from the current offsets inside the kernel (copy_file_range), through a
// 1 MiB buffer where the kernel refuses. Returns the bytes copied, which may be fewer than n;
// 0 only at the source's end. FaultOp::Write as for WriteAll, a cut showing as a short copy.
SysResult<std::size_t> CopyChunk(int inFd, int outFd, std::size_t n, std::string_view outPath);
// Close errors are reported: NFS and some FUSE filesystems report failed writes only here.
SysStatus CloseFile(int fd, std::string_view path);
SysStatus SyncData(int fd, std::string_view path); // fdatasync; FaultOp::Sync
SysStatus RenameOver(const std::string& from, const std::string& to); // replaces `to`; FaultOp::Rename

} // namespace Tandemix
