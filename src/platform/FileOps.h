// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SysResult.h"

#include <sys/stat.h>

#include <string>

namespace Tandemix {

// Whole-file and folder operations with the classic semantics: nothing is ever replaced by
// accident (moves and copies refuse an existing target). The mutating ones consult the fault
// hook (MakeFolder, RemoveFolder, Unlink, Rename, Open/Read/Write for the copy).

bool FileExists(const std::string& path); // lstat: anything but a folder, a dangling link too
bool FolderExists(const std::string& path); // stat: a folder, or a link to one
bool StatEntry(const std::string& path, struct stat& st); // lstat: false when there is nothing

// The text of the symbolic link `path`; `st` receives its lstat. A link that is not one, or was
// rewritten longer between the lstat and the read, fails (EINVAL, ERANGE). FaultOp::Read.
SysResult<std::string> ReadLinkText(const std::string& path, struct stat& st);
// A new symbolic link `path` holding `text`; EEXIST when `path` exists. FaultOp::Open.
SysStatus MakeSymlink(const std::string& text, const std::string& path);

SysStatus CreateFolder(const std::string& path); // mode 0777 less umask; fails: EEXIST, ENOENT
SysStatus RemoveFolder(const std::string& path); // empty folders only; fails: ENOTEMPTY
SysStatus DeleteFile(const std::string& path); // a link is removed, not its target
// `name` inside the open folder `folderFd` (AT_FDCWD: a path); `path` names it for the hook.
SysStatus DeleteFileAt(int folderFd, const std::string& name, const std::string& path);
// Fails with EEXIST when `to` exists, leaving both alone. Across filesystems a file or link is
// copied (data, mode and times) and then deleted; a folder cannot be moved there (EXDEV).
SysStatus MoveFile(const std::string& from, const std::string& to);
// Creates `to` exclusively (EEXIST when it exists, untouched) and copies the data with checked
// writes, keeping the permission bits. On any failure the partial target is removed.
SysStatus CopyFileNoReplace(const std::string& from, const std::string& to);
// Deletes a folder with everything in it; a symlink is removed, never entered, so nothing
// outside the tree can be reached. Read-only folders are made writable first. Goes on after a
// failure and returns the first one.
SysStatus RemoveTree(const std::string& path);

SysResult<std::string> CurrentFolder();
// "dir" -> "dir/", unchanged when it already ends in '/'; "" is the root, "/". Unlike the old
// 255-character rule, long paths get it too: a join without it would name a different file.
std::string AddTrailingBackslash(std::string path);

bool IsLink(const std::string& path); // lstat: a symbolic link, dangling or not
// The folder as it really is: links, "." and ".." resolved. A tail that does not exist yet is
// kept as named below the real path of its nearest existing parent, so a folder still to be
// made is placed where it will be. A relative path is taken from the current folder.
SysResult<std::string> ResolvedPath(const std::string& path);
// A folder's permission bits (stat: a link to a folder gives the folder's).
SysResult<unsigned> FolderPermissions(const std::string& path);
// Sets a folder's permission bits; a link is left alone (fails), never followed.
SysStatus SetFolderPermissions(const std::string& path, unsigned mode);
// An advisory lock (flock) on an open description of the folder, never waited for: fails with
// EWOULDBLOCK while another description holds a lock that excludes this one. The lock lasts
// until UnlockFolder, or until the process ends however it ends. Returns the descriptor.
SysResult<int> LockFolder(const std::string& path, bool exclusive);
void UnlockFolder(int fd);

} // namespace Tandemix
