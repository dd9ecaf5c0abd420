// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/DirWatcher.h"

#include "automation/AutomationMessages.h"
#include "automation/WatchTree.h"

#include <poll.h>

#include <cerrno>
#include <memory>

namespace Tandemix {

namespace {

using std::chrono::steady_clock;

// Rows this high are never queued.
constexpr unsigned FirstUnqueuedRow = 1000;
// Events closer together than this belong to one burst, read for at most this many times.
constexpr int BurstQuietMs = 50;
constexpr int BurstReads = 10;

} // namespace

TDirThread::TDirThread(WatchTicket ticket, const std::atomic<unsigned>& generation)
    : FTicket(std::move(ticket))
    , FGeneration(generation)
{}

TDirThread::~TDirThread()
{
    Join();
}

void TDirThread::Start()
{
    FThread = std::thread([this] { Execute(); });
}

void TDirThread::Join()
{
    if (FThread.joinable()) {
        FThread.join();
    }
}

bool TDirThread::KeepWatching() const
{
    return FGeneration.load(std::memory_order_acquire) == FTicket.Generation;
}

void TDirThread::Execute()
{
    WatchFolder();
    FFinished.store(true, std::memory_order_release);
}

TCallDirThread::TCallDirThread(WatchTicket ticket,
                               const std::atomic<unsigned>& generation,
                               Host& host,
                               WatchSink& sink)
    : TDirThread(std::move(ticket), generation)
    , FHost(host)
    , FSink(sink)
{}

TCallDirThread::~TCallDirThread()
{
    // The thread calls this object's overrides: it must be gone before they are.
    Join();
}

bool TCallDirThread::WatchStarted()
{
    bool started = false;
    bool ran = FHost.HandOvers().Post([this, &started] { started = FSink.WatchStarted(FTicket); });
    return ran && started;
}

void TCallDirThread::FolderChanged()
{
    (void)FHost.HandOvers().Post([this] { FSink.FolderChanged(FTicket); });
}

void TCallDirThread::TreeChanged()
{
    (void)FHost.HandOvers().Post([this] { FSink.TreeChanged(FTicket); });
}

void TCallDirThread::WatchStopped()
{
    (void)FHost.HandOvers().Post([this] { FSink.WatchStopped(FTicket); });
}

void TCallDirThread::Note(const std::string& text)
{
    (void)FHost.HandOvers().Post([this, &text] { FSink.WatchNote(FTicket, text); });
}

void TCallDirThread::WatchFolder()
{
    if (!WatchStarted()) {
        return;
    }
    const std::optional<FolderIdentity> identity = IdentityOf(FTicket.Folder);
    if (!identity) {
        Note(std::string(Msg::WatchFailed).append(FTicket.Folder));
        WatchStopped();
        return;
    }
    // Whatever a change looked like, it counts only while the folder is still the one that was
    // watched: the events of a deleted or unmounted tree must not start a run over its remains.
    auto stillThere = [&] {
        return IdentityOf(FTicket.Folder) == identity;
    };
    auto report = [&](bool changed, bool treeChanged) {
        if (FTicket.Kind == 2) {
            if (treeChanged) {
                TreeChanged();
            }
        } else if (changed && FTicket.Row < FirstUnqueuedRow) {
            FolderChanged();
        }
    };

    std::unique_ptr<InotifyTree> tree;
    auto notify = [&]() -> int {
        tree = std::make_unique<InotifyTree>(FTicket.Folder, FTicket.WatchSubFolders);
        int error = tree->Open();
        if (error != 0) {
            tree.reset();
        }
        return error;
    };
    auto poll = [&] {
        return TreeSignature(FTicket.Folder, FTicket.WatchSubFolders);
    };

    std::optional<std::uint64_t> last;
    steady_clock::time_point nextPoll{};
    steady_clock::time_point nextRetry{};
    auto startPolling = [&] {
        Note(std::string(Msg::WatchPolling).append(FTicket.Folder));
        last = poll();
        nextPoll = steady_clock::now() + Timing.PollEvery;
        nextRetry = steady_clock::now() + Timing.RetryNotifyEvery;
    };

    if (int error = notify(); error == ENOSPC || error == EMFILE || error == ENOMEM) {
        startPolling();
    } else if (error != 0) {
        Note(std::string(Msg::WatchFailed).append(FTicket.Folder));
        WatchStopped();
        return;
    }

    bool gone = false;
    while (KeepWatching() && !gone) {
        if (tree) {
            pollfd waiting{tree->Descriptor(), POLLIN, 0};
            int ready = ::poll(&waiting, 1, static_cast<int>(Timing.Wait.count()));
            if (ready <= 0) {
                continue;
            }
            // A burst is read whole before anything is told: one report for it, and the
            // deletes of a tree being removed arrive together with the removal of the folder.
            WatchEvents events = tree->Read();
            for (int more = 0; more < BurstReads && !events.RootGone; ++more) {
                pollfd again{tree->Descriptor(), POLLIN, 0};
                if (::poll(&again, 1, BurstQuietMs) <= 0) {
                    break;
                }
                events.Merge(tree->Read());
            }
            if (events.RootGone || !stillThere()) {
                gone = true;
                break;
            }
            if (events.Overflow) {
                Note(std::string(Msg::WatchOverflow).append(FTicket.Folder));
                events.LimitReached = events.LimitReached || !tree->Rescan();
            }
            if (events.LimitReached) {
                // Folders left unwatched may hold changes already: say so with this report.
                tree.reset();
                startPolling();
                events.Changed = true;
            }
            report(events.Changed, events.TreeChanged);
            std::this_thread::yield();
            continue;
        }

        std::this_thread::sleep_for(std::min(Timing.Wait, Timing.PollEvery));
        const steady_clock::time_point now = steady_clock::now();
        if (now < nextPoll) {
            continue;
        }
        nextPoll = now + Timing.PollEvery;
        std::optional<std::uint64_t> seen = poll();
        if (!seen || !stillThere()) {
            gone = true;
            break;
        }
        bool changed = seen != last;
        last = seen;
        if (now >= nextRetry) {
            nextRetry = now + Timing.RetryNotifyEvery;
            if (notify() == 0) {
                // What changed while the watches were being set up is seen by a last look.
                std::optional<std::uint64_t> after = poll();
                changed = changed || after != last;
                Note(std::string(Msg::WatchNotifying).append(FTicket.Folder));
            }
        }
        report(changed, changed);
    }
    if (gone) {
        Note(std::string(Msg::WatchGone).append(FTicket.Folder));
    }
    WatchStopped();
}

} // namespace Tandemix
