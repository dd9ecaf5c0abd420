// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/WatchTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

namespace Tandemix {

namespace {

// File and folder names, attributes, size and last write of a content watch.
constexpr std::uint32_t ContentMask =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_MODIFY | IN_CLOSE_WRITE;
constexpr std::uint32_t SelfMask = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;
constexpr std::uint32_t FolderMadeMask = IN_CREATE | IN_MOVED_TO;
constexpr std::uint32_t TreeMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

bool IsDots(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

std::string Join(const std::string& folder, const char* name)
{
    std::string path = folder;
    if (path.empty() || path.back() != '/') {
        path.push_back('/');
    }
    return path.append(name);
}

// The folders directly inside `folder`, links left out.
std::vector<std::string> SubFolders(const std::string& folder)
{
    std::vector<std::string> found;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return found;
    }
    while (dirent* entry = readdir(dir)) {
        if (IsDots(entry->d_name)) {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st = {};
            isFolder =
                fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        }
        if (isFolder) {
            found.push_back(Join(folder, entry->d_name));
        }
    }
    closedir(dir);
    return found;
}

void Mix(std::uint64_t& hash, std::uint64_t value)
{
    // FNV-1a over the value's bytes: order-sensitive, cheap, good enough to see a difference.
    for (int i = 0; i < 8; ++i) {
        hash ^= (value >> (8 * i)) & 0xFF;
        hash *= 1099511628211ULL;
    }
}

bool SignFolder(int dirFd, bool subFolders, std::uint64_t& hash)
{
    DIR* dir = fdopendir(dirFd);
    if (dir == nullptr) {
        close(dirFd);
        return false;
    }
    // readdir's order is the directory's own and stays put while nothing changes.
    while (dirent* entry = readdir(dir)) {
        if (IsDots(entry->d_name)) {
            continue;
        }
        struct stat st = {};
        if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            Mix(hash, 1); // vanished between readdir and stat: a change either way
            continue;
        }
        for (const char* c = entry->d_name; *c != '\0'; ++c) {
            Mix(hash, static_cast<unsigned char>(*c));
        }
        Mix(hash, static_cast<std::uint64_t>(st.st_size));
        Mix(hash, static_cast<std::uint64_t>(st.st_mtim.tv_sec));
        Mix(hash, static_cast<std::uint64_t>(st.st_mtim.tv_nsec));
        Mix(hash, st.st_mode);
        Mix(hash, st.st_ino);
        if (subFolders && S_ISDIR(st.st_mode)) {
            int child = openat(dirfd(dir), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0) {
                (void)SignFolder(child, true, hash);
            }
        }
    }
    closedir(dir);
    return true;
}

} // namespace

std::optional<FolderIdentity> IdentityOf(const std::string& folder)
{
    struct stat st = {};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return std::nullopt;
    }
    return FolderIdentity{st.st_dev, st.st_ino};
}

InotifyTree::InotifyTree(std::string root, bool subFolders)
    : FRoot(std::move(root))
    , FSubFolders(subFolders)
{}

InotifyTree::~InotifyTree()
{
    if (FFd >= 0) {
        close(FFd);
    }
}

int InotifyTree::Open()
{
    FFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (FFd < 0) {
        return errno;
    }
    FRootWd = -1;
    int error = AddFolder(FRoot);
    if (error != 0) {
        return error;
    }
    FRootWd = FFolders.begin()->first;
    if (FSubFolders) {
        for (const std::string& folder : SubFolders(FRoot)) {
            if (int sub = AddTree(folder); sub == ENOSPC || sub == ENOMEM) {
                return sub;
            }
        }
    }
    return 0;
}

int InotifyTree::AddFolder(const std::string& folder)
{
    std::uint32_t mask = ContentMask | IN_ONLYDIR | IN_DONT_FOLLOW | IN_EXCL_UNLINK;
    if (FFolders.empty()) {
        mask |= SelfMask;
    }
    int wd = inotify_add_watch(FFd, folder.c_str(), mask);
    if (wd < 0) {
        return errno;
    }
    FFolders[wd] = folder;
    return 0;
}

int InotifyTree::AddTree(const std::string& folder)
{
    if (int error = AddFolder(folder); error != 0) {
        // A folder that went again or cannot be read is nothing to watch; only the limit counts.
        return error == ENOSPC || error == ENOMEM ? error : 0;
    }
    for (const std::string& sub : SubFolders(folder)) {
        if (int error = AddTree(sub); error != 0) {
            return error;
        }
    }
    return 0;
}

bool InotifyTree::Rescan()
{
    if (!FSubFolders) {
        return true;
    }
    // Adding a watch that exists returns its descriptor again, so the whole tree can be walked.
    for (const std::string& folder : SubFolders(FRoot)) {
        if (AddTree(folder) != 0) {
            return false;
        }
    }
    return true;
}

WatchEvents InotifyTree::Read()
{
    WatchEvents events;
    alignas(inotify_event) std::array<char, 64 * 1024> buffer{};
    for (;;) {
        ssize_t got = read(FFd, buffer.data(), buffer.size());
        if (got <= 0) {
            break;
        }
        for (ssize_t at = 0; at < got;) {
            inotify_event event{};
            std::memcpy(&event, buffer.data() + at, sizeof event);
            const char* name = buffer.data() + at + sizeof event;
            at += static_cast<ssize_t>(sizeof event + event.len);
            if ((event.mask & IN_Q_OVERFLOW) != 0) {
                events.Overflow = true;
                events.Changed = true;
                events.TreeChanged = true;
                continue;
            }
            if (event.wd == FRootWd && (event.mask & (SelfMask | IN_IGNORED)) != 0) {
                events.RootGone = true;
                continue;
            }
            if ((event.mask & IN_IGNORED) != 0) {
                FFolders.erase(event.wd);
                continue;
            }
            const bool isFolder = (event.mask & IN_ISDIR) != 0;
            if (isFolder && (event.mask & TreeMask) != 0) {
                events.TreeChanged = true;
            }
            if ((event.mask & ContentMask) != 0) {
                events.Changed = true;
            }
            if (FSubFolders && isFolder && (event.mask & FolderMadeMask) != 0 && event.len > 0) {
                auto parent = FFolders.find(event.wd);
                if (parent != FFolders.end()) {
                    int error = AddTree(Join(parent->second, name));
                    events.LimitReached = events.LimitReached || error != 0;
                }
            }
        }
    }
    return events;
}

std::optional<std::uint64_t> TreeSignature(const std::string& root, bool subFolders)
{
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::uint64_t hash = 1469598103934665603ULL;
    if (!SignFolder(fd, subFolders, hash)) {
        return std::nullopt;
    }
    return hash;
}

} // namespace Tandemix
