// LongWorkWindow: the runner that keeps the windows alive while long work runs (see
// runtime/LongWork.h), and the scope that installs it.
//
// The work runs on a thread of its own. The window thread first waits up to 50 ms
// without processing any events, so that short work looks exactly as before (only the
// hourglass, no re-entrancy). Then it turns a local event loop until the work ends:
// the windows repaint when uncovered or resized, while WorkInputGuard keeps every user
// input away from them. A search or a connect that is still running after 500 ms shows
// WorkProgressDialog over its form (rows received, elapsed time, 取消), updated every
// 100 ms. Esc, 取消 or a close request to the form ask the work to stop
// (WorkProgress::RequestCancel); the work's own loop bounds how long its cancel may take
// before it gives its session up. A sort is not cancelled: it ends by itself. A quit of
// the application's event loops during the wait asks the same, and when the work has not
// ended 150 ms later it gives its session up at once (WorkProgress::ForceStop); the wait
// then ends without events. The work's failure is rethrown on the window thread.
//
// Threads: the worker is started and joined here, on the window's thread; it belongs to
// this wait and never outlives it.
//
// Invariant: one wait at a time. The guard admits no input that could start another.
#pragma once

#include <functional>

#include "runtime/LongWork.h"

namespace qelvor {

// How long the window waits before it processes events, shows the progress window,
// refreshes it, and, when the application quits meanwhile, escalates a cancel to a forced
// stop (milliseconds).
constexpr int kLongWorkQuietWaitMs = 50;
constexpr int kLongWorkProgressDelayMs = 500;
constexpr int kLongWorkProgressIntervalMs = 100;
constexpr int kLongWorkForceStopDelayMs = 150;

// Runs work on a worker thread while the window thread waits as described above; a
// LongWorkRunner. Must be called on the window thread with an application object.
void RunLongWorkInWindow(LongWorkKind kind, const std::function<void()>& work, WorkProgress& progress);

// Installs RunLongWorkInWindow as the long-work runner while it lives, then restores
// the runner installed before.
class TLongWorkWindowScope {
public:
    TLongWorkWindowScope();
    ~TLongWorkWindowScope();
    TLongWorkWindowScope(const TLongWorkWindowScope&) = delete;
    TLongWorkWindowScope& operator=(const TLongWorkWindowScope&) = delete;

private:
    LongWorkRunner previous_;
};

}  // namespace qelvor
