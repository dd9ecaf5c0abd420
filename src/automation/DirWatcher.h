// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Host.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace Tandemix {

// What one watcher watches, fixed before its thread starts.
struct WatchTicket
{
    std::string Folder; // full path of the watched source folder
    std::uint16_t Row = 0; // batch row number; 0 for the window's own pair
    bool WatchSubFolders = false;
    int Kind = 1; // 1 content watch; 2 folder-tree watch (folders made, removed, renamed)
    unsigned Generation = 0; // the monitor's switch-on this watcher belongs to
};

// Where a watcher's hand-overs land. Every call runs on the UI thread while the watcher waits.
class WatchSink
{
public:
    virtual ~WatchSink() = default;
    // False when the folder is watched already: the watcher ends at once, unlisted.
    virtual bool WatchStarted(const WatchTicket& ticket) = 0;
    virtual void FolderChanged(const WatchTicket& ticket) = 0;
    virtual void TreeChanged(const WatchTicket& ticket) = 0;
    virtual void WatchStopped(const WatchTicket& ticket) = 0;
    // Something the user should read once: the watcher changed how it watches, or stopped.
    virtual void WatchNote(const WatchTicket& ticket, const std::string& text) = 0;
};

// How often a watcher that cannot use change notifications looks through its tree, and how
// often it tries notifications again. Tests shorten them.
struct WatchTiming
{
    std::chrono::milliseconds Wait{500}; // longest wait before the switch-off is noticed
    std::chrono::milliseconds PollEvery{2000};
    std::chrono::milliseconds RetryNotifyEvery{30000};
};

// A watcher thread. Execute runs WatchFolder; the four callbacks are what the watcher tells.
// The thread reads only its ticket and two atomics it was handed; it ends when the monitor's
// generation moves on (switched off, or switched off and on again).
class TDirThread
{
public:
    TDirThread(WatchTicket ticket, const std::atomic<unsigned>& generation);
    virtual ~TDirThread();
    TDirThread(const TDirThread&) = delete;
    TDirThread& operator=(const TDirThread&) = delete;

    void Start();
    bool Finished() const { return FFinished.load(std::memory_order_acquire); }
    void Join();
    const WatchTicket& Ticket() const { return FTicket; }

    WatchTiming Timing;

protected:
    virtual void WatchFolder() = 0;
    virtual void FolderChanged() = 0;
    virtual void TreeChanged() = 0;
    virtual void WatchStopped() = 0;
    virtual bool WatchStarted() = 0;

    bool KeepWatching() const;

    WatchTicket FTicket;

private:
    void Execute();

    const std::atomic<unsigned>& FGeneration;
    std::atomic<bool> FFinished{false};
    std::thread FThread;
};

// The watcher that is created: inotify on the folder (and on every sub-folder when it watches
// them, added as they appear), a 500 ms wait, and a stat walk of the tree instead when the
// system's watch limit is reached. It hands everything over through the host to the sink.
class TCallDirThread final : public TDirThread
{
public:
    TCallDirThread(WatchTicket ticket, const std::atomic<unsigned>& generation, Host& host, WatchSink& sink);
    ~TCallDirThread() override;

protected:
    void WatchFolder() override;
    void FolderChanged() override;
    void TreeChanged() override;
    void WatchStopped() override;
    bool WatchStarted() override;

private:
    void Note(const std::string& text);

    Host& FHost;
    WatchSink& FSink;
};

} // namespace Tandemix
