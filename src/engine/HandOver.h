// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace Tandemix {

// Work handed from a monitor thread to the UI thread. The worker waits until the UI thread has
// run its piece, so a worker never touches UI-thread state itself and needs no lock of its own.
// Closing the queue releases every waiting worker without running its piece: a program that
// ends joins its workers after closing, and a worker blocked here must not keep it waiting.
class HandOverQueue
{
public:
    // Worker thread: runs `work` on the UI thread and returns once it has run (true), or at once
    // without running it when the queue is closed (false).
    bool Post(std::function<void()> work);
    // UI thread: runs every piece waiting now; returns how many ran.
    int RunPending();
    // UI thread: waits up to `timeout` for a piece to arrive, then runs what is waiting.
    int WaitAndRun(std::chrono::milliseconds timeout);
    void Close();
    void Reopen();

    // Called on the worker's thread after a piece was posted: the UI side wakes up and calls
    // RunPending. Must be safe to call from any thread; set before any worker starts.
    std::function<void()> Wake;

private:
    struct Piece
    {
        std::function<void()> Work;
        bool Running = false; // taken by the UI thread: the worker waits for it even when closed
        bool Done = false;
    };

    std::mutex FMutex;
    std::condition_variable FPosted; // a piece arrived (the UI thread waits for it)
    std::condition_variable FRun; // a piece ran or the queue closed (workers wait for it)
    std::deque<Piece*> FWaiting;
    bool FClosed = false;
};

} // namespace Tandemix
