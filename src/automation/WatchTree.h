// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace Tandemix {

// Which folder a watcher watches, by identity: a folder deleted and made again, or a mount
// point whose filesystem went away, is another folder, and its emptiness must never look like
// a change worth a run.
struct FolderIdentity
{
    dev_t Device = 0;
    ino_t Inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};
std::optional<FolderIdentity> IdentityOf(const std::string& folder);

// What one read of a watcher's inotify descriptor amounted to.
struct WatchEvents
{
    bool Changed = false; // something a content watch reports
    bool TreeChanged = false; // a folder was made, removed or renamed
    bool RootGone = false; // the watched folder itself was deleted, moved or unmounted
    bool Overflow = false; // the kernel dropped events: what changed is unknown
    bool LimitReached = false; // a new sub-folder could not be watched: the watch limit

    void Merge(const WatchEvents& more)
    {
        Changed = Changed || more.Changed;
        TreeChanged = TreeChanged || more.TreeChanged;
        RootGone = RootGone || more.RootGone;
        Overflow = Overflow || more.Overflow;
        LimitReached = LimitReached || more.LimitReached;
    }
};

// The inotify watches of one watcher: the folder and, when sub-folders are watched, every
// folder below it (links are never followed), with watches added as folders appear.
class InotifyTree
{
public:
    InotifyTree(std::string root, bool subFolders);
    ~InotifyTree();
    InotifyTree(const InotifyTree&) = delete;
    InotifyTree& operator=(const InotifyTree&) = delete;

    // 0 when every folder is watched; otherwise the errno of the first failure: ENOSPC (watch
    // limit) or EMFILE (instance limit) mean "poll instead", anything else on the root that the
    // folder cannot be watched at all. Unreadable sub-folders are left out.
    int Open();
    int Descriptor() const { return FFd; }
    // Reads whatever is waiting. Watches for new sub-folders are added here.
    WatchEvents Read();
    // Adds watches for folders made while events were lost; false at the watch limit.
    bool Rescan();

private:
    int AddFolder(const std::string& folder);
    int AddTree(const std::string& folder);

    std::string FRoot;
    bool FSubFolders;
    int FFd = -1;
    int FRootWd = -1;
    std::unordered_map<int, std::string> FFolders;
};

// A cheap fingerprint of a tree for polling: names, sizes, times, modes and inodes of every
// entry (and of every entry below, when sub-folders count). Nothing when the folder cannot be
// read.
std::optional<std::uint64_t> TreeSignature(const std::string& root, bool subFolders);

} // namespace Tandemix
