// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FolderPrefetch.h"

#include <chrono>
#include <utility>

namespace Tandemix {

namespace {

bool SameOptions(const EntryOptions& a, const EntryOptions& b)
{
    return a.WithArchive == b.WithArchive && a.WithSpecial == b.WithSpecial;
}

} // namespace

FolderPrefetch::FolderPrefetch()
    : FWorker([this] { Work(); })
{}

FolderPrefetch::~FolderPrefetch()
{
    {
        std::lock_guard<std::mutex> hold(FLock);
        FQuit = true;
    }
    FWake.notify_all();
    FWorker.join();
}

void FolderPrefetch::Start(const std::string& folder, EntryOptions options)
{
    std::unique_lock<std::mutex> hold(FLock);
    // A job still being read is let finish: its records are dropped, never read half-made.
    FDone.wait(hold, [this] { return !FJob || FJob->Done; });
    FJob.emplace(Job{folder, options, {}, false, false});
    hold.unlock();
    FWake.notify_all();
}

std::optional<std::vector<DirEntry>>
FolderPrefetch::Take(const std::string& folder, EntryOptions options, const std::function<void()>& pump)
{
    std::unique_lock<std::mutex> hold(FLock);
    if (!FJob || FJob->Folder != folder || !SameOptions(FJob->Options, options)) {
        return std::nullopt;
    }
    while (!FJob->Done) {
        if (FDone.wait_for(hold, std::chrono::milliseconds(20), [this] { return FJob->Done; })) {
            break;
        }
        hold.unlock();
        if (pump) {
            pump();
        }
        hold.lock();
        if (!FJob || FJob->Folder != folder) {
            return std::nullopt; // started anew from inside the pump
        }
    }
    std::optional<std::vector<DirEntry>> entries;
    if (FJob->Ok) {
        entries = std::move(FJob->Entries);
    }
    FJob.reset();
    return entries;
}

void FolderPrefetch::Work()
{
    std::unique_lock<std::mutex> hold(FLock);
    for (;;) {
        FWake.wait(hold, [this] { return FQuit || (FJob && !FJob->Done); });
        if (FQuit) {
            return;
        }
        std::string folder = FJob->Folder;
        EntryOptions options = FJob->Options;
        hold.unlock();
        SysResult<std::vector<DirEntry>> read = ReadFolderEntries(folder, options);
        hold.lock();
        FJob->Ok = read.Ok();
        if (read) {
            FJob->Entries = std::move(read.Value());
        }
        FJob->Done = true;
        FDone.notify_all();
    }
}

} // namespace Tandemix
