// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/DirReader.h"
#include "platform/SysResult.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace Tandemix {

// Reads one folder's entries on a worker thread while the caller lists another: the two sides of
// a folder pair are read at the same time, as two disks or two caches can serve them. Only plain
// records cross between the threads, handed over under a lock once the read is complete; the
// worker touches nothing else. Used from one thread (the UI thread); the worker lives as long as
// the object.
class FolderPrefetch
{
public:
    FolderPrefetch();
    ~FolderPrefetch();
    FolderPrefetch(const FolderPrefetch&) = delete;
    FolderPrefetch& operator=(const FolderPrefetch&) = delete;

    // Starts reading `folder` with `options`; a read started earlier and not taken is dropped.
    void Start(const std::string& folder, EntryOptions options);

    // The entries of `folder` in the folder's order, when a read of exactly that folder with
    // exactly those options was started and succeeded; nothing otherwise (the caller reads the
    // folder itself and meets any failure itself). Waits for the read to end, calling `pump`
    // about every 20 ms meanwhile.
    std::optional<std::vector<DirEntry>>
    Take(const std::string& folder, EntryOptions options, const std::function<void()>& pump);

private:
    void Work();

    struct Job
    {
        std::string Folder;
        EntryOptions Options;
        std::vector<DirEntry> Entries;
        bool Done = false;
        bool Ok = false;
    };

    std::mutex FLock;
    std::condition_variable FWake; // the worker: a job was started, or the object ends
    std::condition_variable FDone; // the caller: the job is done
    std::optional<Job> FJob;
    bool FQuit = false;
    std::thread FWorker; // last: started when everything it uses exists
};

} // namespace Tandemix
