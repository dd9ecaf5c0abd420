// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/HandOver.h"

namespace Tandemix {

bool HandOverQueue::Post(std::function<void()> work)
{
    Piece piece{std::move(work)};
    std::unique_lock lock(FMutex);
    if (FClosed) {
        return false;
    }
    FWaiting.push_back(&piece);
    FPosted.notify_all();
    if (Wake) {
        // Outside the lock: the UI side may call RunPending from inside Wake.
        lock.unlock();
        Wake();
        lock.lock();
    }
    FRun.wait(lock, [&] { return piece.Done || (FClosed && !piece.Running); });
    if (!piece.Done) {
        // Closed before it ran: the piece lives on this stack and must leave the queue with it.
        std::erase(FWaiting, &piece);
    }
    return piece.Done;
}

int HandOverQueue::RunPending()
{
    int ran = 0;
    std::unique_lock lock(FMutex);
    while (!FWaiting.empty() && !FClosed) {
        Piece* piece = FWaiting.front();
        FWaiting.pop_front();
        piece->Running = true;
        // The worker stays blocked until Done is set, so its piece outlives the call.
        lock.unlock();
        piece->Work();
        lock.lock();
        piece->Done = true;
        FRun.notify_all();
        ++ran;
    }
    return ran;
}

int HandOverQueue::WaitAndRun(std::chrono::milliseconds timeout)
{
    {
        std::unique_lock lock(FMutex);
        FPosted.wait_for(lock, timeout, [this] { return !FWaiting.empty() || FClosed; });
    }
    return RunPending();
}

void HandOverQueue::Close()
{
    std::lock_guard lock(FMutex);
    FClosed = true;
    FRun.notify_all();
    FPosted.notify_all();
}

void HandOverQueue::Reopen()
{
    std::lock_guard lock(FMutex);
    FClosed = false;
}

} // namespace Tandemix
