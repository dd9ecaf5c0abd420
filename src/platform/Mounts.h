// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Tandemix {

// A mount point plays the part of a drive root: "the drive of a path" is the mount holding it.
struct MountInfo
{
    std::string MountPoint;
    std::string FsType; // "ext4", "nfs4", "fuse.sshfs"...
    std::string Source;
};

// Parses /proc/<pid>/mountinfo text. Octal escapes (\040 for a blank) are decoded; malformed
// lines are skipped. Later lines are mounted over earlier ones with the same mount point.
std::vector<MountInfo> ParseMountInfo(std::string_view text);
std::vector<MountInfo> ListMounts(); // this process's view; empty when unreadable

// The longest mount point of `mounts` that is `resolvedPath` or one of its ancestors (whole
// components: "/mnt/a" does not hold "/mnt/ab"). "/" when none is.
std::string LongestMountPrefix(const std::vector<MountInfo>& mounts, std::string_view resolvedPath);

// The mount point holding `path` (which need not exist: its nearest existing ancestor counts,
// after symlinks are resolved). "/" when nothing better is known.
std::string MountPointOf(const std::string& path);
bool IsMountPoint(const std::string& path);
bool IsNetworkFileSystem(std::string_view fsType);
// Whether a mount holds files a user keeps: a disk or removable medium (a block device not
// under the kernel's own folders, read-only images such as squashfs aside) or a network share.
// Memory file systems, the kernel's bookkeeping and container plumbing are not.
bool IsSyncableMount(const MountInfo& mount);
// Mount points of the system's table (/etc/fstab text) that hold `path` (or are it) but have no
// file system mounted: their folder is the empty mount-point folder, not the drive.
bool IsUnmountedMountPoint(const std::string& path,
                           std::string_view fstab,
                           const std::vector<MountInfo>& mounts);
bool IsUnmountedMountPoint(const std::string& path);
// The places to offer as drives, each once: "/", the home folder (when given), then every
// syncable mount of `mounts` that is a folder, in mount order.
std::vector<std::string> SyncableRoots(const std::vector<MountInfo>& mounts, const std::string& home);
bool IsNetworkPath(const std::string& path);

} // namespace Tandemix
