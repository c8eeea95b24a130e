// StatementWatch: the bounds of one statement — its time-out, its cancel and its forced stop —
// kept by the thread that runs it.
//
// The thread that runs a statement waits on the server only through Wait: one poll over
// the session's descriptors (and those of a cancel the provider has in flight), the
// watch's event descriptor, which a cancel or a forced stop from another thread writes,
// and the next deadline. Engines that run the statement inside a call of their own ask
// Stopping from a callback instead (SQLite's progress handler).
//
// The command time-out limits waiting, not receiving: the statement is stopped only when
// nothing has arrived for that long (no first row, no next row, no end). A result that
// streams in steadily opens however long the whole transfer takes.
//
// A stop (the time-out, or a cancel from the statement's WorkProgress) asks the provider
// to stop the statement the engine's way: a cancel sent to the server from a session the
// same loop drives. When the statement has not ended kCancelBound after the stop, the
// cancel could not be delivered (a server that stopped answering): the provider gives up
// its own session (GiveUpDue), and the connection opens a new one before the next
// statement. A forced stop (the application quitting while it waits) gives the session up
// at once.
//
// Threads: made, used and destroyed by the thread that runs the statement; the progress's
// hooks (any thread) only set a flag and write the event descriptor. One other thread may
// Wait and ask the state while the statement runs (a provider whose client library blocks
// and must be cancelled from outside).
//
// Invariants: a stop, once noted, is never undone; the time-out is noted only before a
// cancel; the progress's hooks point at this watch only while it exists.
#pragma once

#include <poll.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <span>

namespace qelvor {
class WorkProgress;
}

namespace qelvor::recordset {

// How long a stopped statement may take to end before its session is given up: enough
// for a cancel's own session to a server some network away, short enough for a user
// waiting on a server that stopped answering.
inline constexpr std::chrono::seconds kCancelBound{5};

class StatementWatch {
public:
    using Clock = std::chrono::steady_clock;

    // Watches a statement about to run; timeoutSeconds 0 means no limit.
    StatementWatch(int timeoutSeconds, WorkProgress* progress);
    ~StatementWatch();
    StatementWatch(const StatementWatch&) = delete;
    StatementWatch& operator=(const StatementWatch&) = delete;

    // Called by the provider as the result arrives: the rows received so far in all of
    // the statement's results. Any change counts as something received.
    void Received(std::int64_t rows);
    // Called by the provider when a part of the result without rows arrived (the end of
    // one of several statements, a row set's column descriptions).
    void ReceivedSomething();

    // Polls waits together with the watch's event descriptor until a descriptor is
    // ready, the state may have changed (a cancel, a forced stop) or the next deadline
    // (the time-out, the cancel's bound) passes; at most maxWait when given. Sets each
    // entry's revents. The caller looks at the state afterwards.
    void Wait(std::span<pollfd> waits, std::chrono::milliseconds maxWait = std::chrono::milliseconds(-1));

    // Whether the statement is to stop (notes the time-out when nothing arrived within it).
    bool Stopping();
    // Whether the provider must give up its session now: a forced stop, or a stop that
    // has not ended the statement within kCancelBound.
    bool GiveUpDue();
    // Called by the provider that gave its session up, or found it dropped after a stop:
    // the connection opens a new one before the next statement.
    void NoteSessionLost() { sessionLost_.store(true, std::memory_order_release); }
    // Called by the provider while the statement waits for a lock another program holds:
    // a time-out then says so rather than that the database did not answer.
    void NoteWaitingForLock() { waitingForLock_.store(true, std::memory_order_release); }
    bool WaitedForLock() const { return waitingForLock_.load(std::memory_order_acquire); }

    // Clears the progress's hooks and wakes another thread's Wait: the statement has
    // returned, and what Cancelled says is final. The destructor does it too.
    void Finish();
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    // Ends another thread's Wait at once (its owner is about to stop it).
    void Wake();

    // Whether the statement was stopped because nothing arrived within the time-out.
    bool TimedOut() const { return timedOut_.load(std::memory_order_acquire); }
    // Whether its WorkProgress asked the statement to stop (a cancel or a forced stop).
    bool Cancelled() const { return cancelled_.load(std::memory_order_acquire); }
    bool StopRequested() const { return TimedOut() || Cancelled(); }
    // Whether the session is gone (given up or dropped): it must be replaced.
    bool SessionLost() const { return sessionLost_.load(std::memory_order_acquire); }

private:
    // Notes what arrived since the last look and the time-out; returns the stop's time.
    void Look(Clock::time_point now);

    const Clock::duration timeout_;  // zero: no limit
    WorkProgress* const progress_;   // whose hooks reach Wake, or none
    int wakeDescriptor_ = -1;        // an eventfd written by the hooks and Finish
    // Bumped by the running thread only; read by Look on whichever thread waits.
    std::atomic<std::uint64_t> arrivals_{0};
    std::atomic<bool> timedOut_{false};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> forced_{false};
    std::atomic<bool> sessionLost_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> waitingForLock_{false};  // the statement waited for another program's lock
    // The thread that Waits (or asks Stopping) owns these.
    std::uint64_t lastArrivals_ = 0;
    Clock::time_point lastArrival_;
    Clock::time_point stoppedAt_{};  // when the stop was first noted; epoch: not yet
};

}  // namespace qelvor::recordset
