// LongWork: work that may outlast a glance (a search's statement and fetch, a re-sort of
// millions of rows), and the hook that keeps the window alive while it runs.
//
// The data layer wraps each such piece of work in RunLongWork. Without a window (the
// command-line tools) the work simply runs on the calling thread. The windowing layer
// installs a runner that moves the work to a worker thread and keeps the window's event
// loop turning (repaint, progress, cancel) until the work has ended; RunLongWork then
// returns on the calling thread, with the work's failure, if any, rethrown there.
//
// Invariants:
// - Work run this way touches nothing the calling thread uses meanwhile: it builds its
//   result on the side, and the caller adopts it after RunLongWork returns. So every
//   dataset, data-link and window event stays on the calling thread, in its usual order.
// - A cancelled piece of work ends in EWorkCancelled (a silent failure) on the calling
//   thread, whatever the work itself raised after the cancel request.
// - WorkProgress is shared by three threads at most (the work, its waiter, a watchdog);
//   all its members are safe to call from any of them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "runtime/Exceptions.h"

namespace qelvor {

// What the work is, so that the waiter can choose how to show it. A search and a connect
// show a progress window and can be cancelled; a sort ends by itself.
enum class LongWorkKind { Search, Sort, Connect };

// The silent failure of work that the user (or the closing window) cancelled.
class EWorkCancelled : public EAbort {
public:
    EWorkCancelled() = default;
};

// Progress and cancellation shared between a piece of work and whoever waits for it.
class WorkProgress {
public:
    using Hook = std::function<void()>;

    // The rows received so far; set by the work, read by the waiter.
    void SetRows(std::int64_t rows) { rows_.store(rows, std::memory_order_relaxed); }
    std::int64_t Rows() const { return rows_.load(std::memory_order_relaxed); }

    // Asks the work to stop: runs the interrupt hook once, if one is installed. The hook
    // must return promptly: it only signals whoever can interrupt the database.
    void RequestCancel();
    bool CancelRequested() const { return cancelRequested_.load(std::memory_order_acquire); }

    // Asks the work to stop at once even at the price of its database session (a server
    // that stopped answering never acknowledges a cancel). Runs the force hook, if any.
    void ForceStop();

    // Installed by the work for as long as it can be interrupted; cleared with {} before
    // whatever the hooks reach is destroyed. A cancel requested earlier runs the new
    // interrupt hook at once.
    void SetHooks(Hook interrupt, Hook force);

private:
    std::atomic<std::int64_t> rows_{0};
    std::atomic<bool> cancelRequested_{false};
    std::mutex hookMutex_;  // guards the hooks against being cleared while they run
    Hook interrupt_;
    Hook force_;
};

// Waits for work, given the kind, the work and its progress; rethrows the work's failure.
using LongWorkRunner = std::function<void(LongWorkKind, const std::function<void()>&, WorkProgress&)>;

// Runs work through the installed runner (inline when none is installed). A cancel
// requested before the work ends makes this raise EWorkCancelled.
void RunLongWork(LongWorkKind kind, const std::function<void()>& work, WorkProgress& progress);

// Installs the runner RunLongWork uses ({} restores running inline); returns the previous one.
LongWorkRunner SetLongWorkRunner(LongWorkRunner runner);

}  // namespace qelvor
