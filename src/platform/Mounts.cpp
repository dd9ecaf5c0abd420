// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Mounts.h"

#include "platform/FileOps.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace Tandemix {

namespace {

// mountinfo escapes blank, tab, newline and backslash as \ooo.
std::string Unescape(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            std::string_view digits = field.substr(i + 1, 3);
            bool octal = digits.size() == 3 && digits[0] >= '0' && digits[0] <= '3' && digits[1] >= '0'
                         && digits[1] <= '7' && digits[2] >= '0' && digits[2] <= '7';
            if (octal) {
                out += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> SplitBlanks(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') {
            ++i;
        }
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ') {
            ++i;
        }
        if (i > start) {
            fields.push_back(line.substr(start, i - start));
        }
    }
    return fields;
}

std::string ReadProcFile(const char* path)
{
    std::string text;
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return text;
    }
    // /proc files report size 0: read until the end.
    std::array<char, 16384> buffer;
    for (;;) {
        ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        text.append(buffer.data(), static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

bool HoldsPath(std::string_view mountPoint, std::string_view path)
{
    if (mountPoint == "/") {
        return !path.empty() && path.front() == '/';
    }
    if (path.size() < mountPoint.size() || path.compare(0, mountPoint.size(), mountPoint) != 0) {
        return false;
    }
    return path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

std::string RealPath(const std::string& path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        return {};
    }
    return resolved;
}

// realpath of `path` or, when it does not exist, of its nearest existing ancestor.
std::string ResolveExisting(std::string path)
{
    if (path.empty() || path.front() != '/') {
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd) == nullptr) {
            return "/";
        }
        path = std::string(cwd) + "/" + path;
    }
    for (;;) {
        std::string resolved = RealPath(path);
        if (!resolved.empty()) {
            return resolved;
        }
        while (path.size() > 1 && path.back() == '/') {
            path.pop_back();
        }
        std::size_t slash = path.rfind('/');
        if (slash == std::string::npos || slash == 0) {
            return "/";
        }
        path.resize(slash);
    }
}

// The topmost mount at exactly this mount point.
const MountInfo* FindMount(const std::vector<MountInfo>& mounts, std::string_view mountPoint)
{
    for (auto it = mounts.rbegin(); it != mounts.rend(); ++it) {
        if (it->MountPoint == mountPoint) {
            return &*it;
        }
    }
    return nullptr;
}

} // namespace

std::vector<MountInfo> ParseMountInfo(std::string_view text)
{
    std::vector<MountInfo> mounts;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        // id parent major:minor root mount-point options [optional...] - type source super-options
        std::vector<std::string_view> fields = SplitBlanks(line);
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-") {
            ++dash;
        }
        if (fields.size() < 6 || dash + 1 >= fields.size()) {
            continue;
        }
        MountInfo info;
        info.MountPoint = Unescape(fields[4]);
        info.FsType = Unescape(fields[dash + 1]);
        info.Source = dash + 2 < fields.size() ? Unescape(fields[dash + 2]) : std::string();
        mounts.push_back(std::move(info));
    }
    return mounts;
}

std::vector<MountInfo> ListMounts()
{
    return ParseMountInfo(ReadProcFile("/proc/self/mountinfo"));
}

std::string LongestMountPrefix(const std::vector<MountInfo>& mounts, std::string_view resolvedPath)
{
    std::string_view best = "/";
    for (const MountInfo& mount : mounts) {
        if (mount.MountPoint.size() > best.size() && HoldsPath(mount.MountPoint, resolvedPath)) {
            best = mount.MountPoint;
        }
    }
    return std::string(best);
}

std::string MountPointOf(const std::string& path)
{
    return LongestMountPrefix(ListMounts(), ResolveExisting(path));
}

bool IsMountPoint(const std::string& path)
{
    std::string resolved = RealPath(path);
    if (resolved.empty()) {
        return false;
    }
    std::vector<MountInfo> mounts = ListMounts();
    return resolved == "/" || FindMount(mounts, resolved) != nullptr;
}

bool IsNetworkFileSystem(std::string_view fsType)
{
    // gvfsd-fuse is where the desktop's "connect to server" mounts appear (smb, sftp, dav, ftp).
    static constexpr std::string_view Network[] = {
        "nfs",         "nfs4",
        "cifs",        "smb3",
        "smbfs",       "ncpfs",
        "9p",          "ceph",
        "afs",         "coda",
        "glusterfs",   "lustre",
        "beegfs",      "gpfs",
        "davfs",       "sshfs",
        "fuse.sshfs",  "fuse.glusterfs",
        "fuse.rclone", "fuse.s3fs",
        "fuse.davfs2", "fuse.gvfsd-fuse",
        "fuse.cephfs", "fuse.curlftpfs",
    };
    for (std::string_view type : Network) {
        if (fsType == type) {
            return true;
        }
    }
    return false;
}

bool IsNetworkPath(const std::string& path)
{
    std::vector<MountInfo> mounts = ListMounts();
    const MountInfo* mount = FindMount(mounts, LongestMountPrefix(mounts, ResolveExisting(path)));
    return mount != nullptr && IsNetworkFileSystem(mount->FsType);
}

bool IsSyncableMount(const MountInfo& mount)
{
    if (IsNetworkFileSystem(mount.FsType)) {
        return true; // the desktop's own shares live under /run/user, so before the path rule
    }
    static constexpr std::string_view KernelFolders[] = {"/proc", "/sys", "/dev", "/run", "/snap", "/etc"};
    static constexpr std::string_view RemovableUnderRun = "/run/media";
    for (std::string_view folder : KernelFolders) {
        if (HoldsPath(folder, mount.MountPoint) && !HoldsPath(RemovableUnderRun, mount.MountPoint)) {
            return false;
        }
    }
    // Packaged images are mounted from loop devices too, and nobody writes into them.
    static constexpr std::string_view Images[] = {"squashfs", "erofs", "cramfs"};
    if (std::find(std::begin(Images), std::end(Images), mount.FsType) != std::end(Images)) {
        return false;
    }
    // Disks have a device source; btrfs and zfs name a subvolume or a dataset instead.
    return mount.Source.starts_with("/dev/") || mount.FsType == "zfs" || mount.FsType == "btrfs";
}

std::vector<std::string> SyncableRoots(const std::vector<MountInfo>& mounts, const std::string& home)
{
    std::vector<std::string> roots{"/"};
    auto add = [&roots](const std::string& folder) {
        if (std::find(roots.begin(), roots.end(), folder) == roots.end()) {
            roots.push_back(folder);
        }
    };
    if (!home.empty() && home != "/") {
        add(home);
    }
    for (const MountInfo& mount : mounts) {
        // A file mounted over a file (a container's /etc/hosts) is no place to synchronise.
        if (IsSyncableMount(mount) && FolderExists(mount.MountPoint)) {
            add(mount.MountPoint);
        }
    }
    return roots;
}

bool IsUnmountedMountPoint(const std::string& path,
                           std::string_view fstab,
                           const std::vector<MountInfo>& mounts)
{
    while (!fstab.empty()) {
        std::size_t end = fstab.find('\n');
        std::string_view line = fstab.substr(0, end);
        fstab.remove_prefix(end == std::string_view::npos ? fstab.size() : end + 1);
        // "source mount-point type options..."; comments, swap and short lines name no folder.
        std::vector<std::string_view> fields;
        for (std::size_t at = 0; at < line.size();) {
            std::size_t start = line.find_first_not_of(" \t", at);
            if (start == std::string_view::npos) {
                break;
            }
            std::size_t stop = line.find_first_of(" \t", start);
            fields.push_back(line.substr(start, stop - start));
            at = stop == std::string_view::npos ? line.size() : stop;
        }
        if (fields.size() < 3 || fields[0].starts_with('#') || fields[2] == "swap") {
            continue;
        }
        const std::string point = Unescape(fields[1]);
        if (point == "/" || point.front() != '/' || !HoldsPath(point, path)) {
            continue;
        }
        auto mounted = std::find_if(mounts.begin(), mounts.end(), [&point](const MountInfo& mount) {
            return mount.MountPoint == point;
        });
        if (mounted == mounts.end()) {
            return true;
        }
    }
    return false;
}

bool IsUnmountedMountPoint(const std::string& path)
{
    std::string resolved = ResolveExisting(path);
    return IsUnmountedMountPoint(resolved, ReadProcFile("/etc/fstab"), ListMounts());
}

} // namespace Tandemix
