// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace Tandemix {

// Why a source and a target folder cannot be synchronised as a pair, or empty when they can:
// they are the same folder, one lies inside the other (each run would copy the target into
// itself, one level deeper every time, or walk its own copies), or either is the filesystem
// root. Folders are compared as they are on disk, links resolved; a folder that does not exist
// yet is placed where it would be made.
std::string CheckFolderPair(const std::string& source, const std::string& target);

// Keeps two runs of this program out of one target tree: the window's run and a cron run
// writing the same files would interleave their logs and trip over each other's copies.
//
// The lock is an flock on the target folder itself rather than a lock file in the program
// folder: it holds between programs with different program folders (another user's cron
// run), needs no file that could be left behind, and the kernel drops it with the process,
// also after kill -9. A run holds the target exclusively and every folder above it shared, so
// a run into a folder inside another run's target (or around it) is kept out as well. A
// report-only run changes nothing and holds the target shared: reports do not exclude each
// other. Where a folder cannot be locked at all (no read permission, a network filesystem
// without flock) the run goes on unguarded there rather than not at all.
class TargetLock
{
public:
    TargetLock() = default;
    ~TargetLock();
    TargetLock(const TargetLock&) = delete;
    TargetLock& operator=(const TargetLock&) = delete;

    // False when another run holds the target or a folder it lies in; nothing is held then.
    // A target that does not exist yet is guarded at its nearest existing parent.
    bool Acquire(const std::string& target, bool writing);
    void Release() noexcept;

private:
    std::vector<int> FHeld;
};

} // namespace Tandemix
