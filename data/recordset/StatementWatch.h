// StatementWatch: watches one statement while its provider executes it and fetches its rows.
//
// The command time-out limits waiting, not receiving: the statement fails only when
// nothing has arrived for that long (no first row, no next row, no end, and no bytes on
// the session's link where the provider can count them). A result that streams in
// steadily opens however long the whole transfer takes.
//
// The watch runs a thread of its own for as long as the statement runs. That thread, not
// the one executing the statement, interrupts the provider, on a time-out and when the
// statement's WorkProgress asks for a cancel: an interrupt may wait on the server (a
// cancel request is a connection of its own), and neither the executing thread nor the
// window's thread may wait with it. A forced stop severs the provider's session at once.
//
// Invariants: the provider is interrupted only after a time-out or a cancel, and a few
// times at most (an interrupt that came before the engine started is lost); the
// WorkProgress hooks point at this watch only while it exists; the watch thread has
// ended when the destructor returns, so nothing of the watch outlives the statement.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

namespace qelvor {
class WorkProgress;
}

namespace qelvor::recordset {

class Provider;

class StatementWatch {
public:
    // Watches a statement about to run on provider; timeoutSeconds 0 means no limit.
    StatementWatch(Provider& provider, int timeoutSeconds, WorkProgress* progress);
    ~StatementWatch();
    StatementWatch(const StatementWatch&) = delete;
    StatementWatch& operator=(const StatementWatch&) = delete;

    // Called by the provider as the result arrives: the rows received so far in all of
    // the statement's results. Any change counts as something received.
    void Received(std::int64_t rows);
    // Called by the provider when a part of the result without rows arrived (the end of
    // one of several statements, a row set's column descriptions).
    void ReceivedSomething();

    // Takes no more cancels or forced stops (the statement has returned): what Cancelled
    // and Severed say is final afterwards. The destructor does it too.
    void Finish();

    // Whether the statement was interrupted because nothing arrived within the time-out.
    bool TimedOut() const { return timedOut_.load(std::memory_order_acquire); }
    // Whether its WorkProgress asked the statement to stop (a cancel or a forced stop).
    bool Cancelled() const { return cancelled_.load(std::memory_order_acquire); }
    // Whether a forced stop severed the session (it must be replaced before the next statement).
    bool Severed() const { return severed_.load(std::memory_order_acquire); }
    // Whether the provider should give up waits of its own (a busy database lock).
    bool StopRequested() const { return TimedOut() || Cancelled(); }

private:
    using Clock = std::chrono::steady_clock;

    void Watch();
    bool QuietTooLong(Clock::time_point now);
    void Interrupt();

    Provider& provider_;
    const std::chrono::seconds timeout_;
    WorkProgress* const progress_;
    std::atomic<std::uint64_t> arrivals_{0};  // everything received, rows or not
    std::atomic<bool> timedOut_{false};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> severed_{false};
    bool hooksCleared_ = false;  // Finish has run; the executing thread's own

    std::mutex mutex_;
    std::condition_variable wake_;
    bool finished_ = false;        // the statement has returned; guarded by mutex_
    bool cancelPending_ = false;   // a cancel awaits the watch thread; guarded by mutex_
    bool interruptSent_ = false;   // the cancel has reached the provider; the watch thread's own
    std::uint64_t lastArrivals_ = 0;  // the watch thread's own
    std::optional<std::uint64_t> lastBytes_;  // the watch thread's own
    Clock::time_point lastArrival_;   // the watch thread's own
    int interrupts_ = 0;              // the watch thread's own
    Clock::time_point lastInterrupt_; // the watch thread's own
    std::thread thread_;
};

}  // namespace qelvor::recordset
