// ConnectAttempt: the bounds of one connect — a deadline from the connection's time-out
// and a cancel from whoever waits for it.
//
// A provider's connect (and the sessions a provider opens for itself, such as a cancel's)
// waits on the server only through WaitForSocket, which returns when the socket is ready,
// and raises when the deadline passes (ERecordSetError naming the server) or a cancel
// arrives (EWorkCancelled). The cancel wakes a wait at once through an event descriptor, so
// it needs no polling. Where a client library keeps its waits to itself (an ODBC driver's
// connect), the provider hands the library the time-out and looks at the attempt when the
// library returns.
//
// Threads: the attempt belongs to the thread that connects. Cancel (and the WorkProgress
// hooks that call it) may come from any thread while the attempt lives; the hooks are
// cleared before the attempt ends, so nothing reaches it afterwards.
//
// Invariants: a deadline, once passed, stays passed; a cancel is never undone.
#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>

namespace qelvor {
class WorkProgress;
}

namespace qelvor::recordset {

class ConnectionString;

// The connect time-out when the connection string gives none (seconds).
inline constexpr int kDefaultConnectTimeoutSeconds = 15;

// The connection string's connect time-out in seconds ("Connect Timeout", "Connection
// Timeout", and the drivers' own spellings); 0 means no limit.
int ConnectTimeoutSeconds(const ConnectionString& settings);
// The key ConnectTimeoutSeconds read, as the connection string writes it; "Connect
// Timeout" when it gives none.
std::string ConnectTimeoutKey(const ConnectionString& settings);

class ConnectAttempt {
public:
    using Clock = std::chrono::steady_clock;
    enum class Readiness { Read, Write };

    // server names the server in messages ("host:port", a data source's name), timeoutKey
    // the connection string's key of the time-out as the user wrote it. Installs cancel
    // hooks on progress when given.
    ConnectAttempt(std::string server, int timeoutSeconds, WorkProgress* progress,
                   std::string timeoutKey = "Connect Timeout");
    ~ConnectAttempt();
    ConnectAttempt(const ConnectAttempt&) = delete;
    ConnectAttempt& operator=(const ConnectAttempt&) = delete;

    const std::string& Server() const { return server_; }
    int TimeoutSeconds() const { return timeoutSeconds_; }
    // Whole seconds left before the deadline, at least 1; 0 when there is no limit (the
    // form client libraries take their login time-outs in).
    int SecondsLeft() const;

    // Waits until socket is ready for reading or writing; raises on the deadline or a cancel.
    void WaitForSocket(int socket, Readiness readiness);
    // The same for a client library that also keeps a time-out of its own inside its
    // connect: waits for any of events (poll's bits) on socket, or until libraryWait has
    // passed (none: no such time-out). Returns poll's revents for socket, 0 when
    // libraryWait passed first; raises on the deadline or a cancel.
    short WaitForSocketOrLibrary(int socket, short events, std::optional<std::chrono::milliseconds> libraryWait);
    // Raises when the deadline has passed or a cancel arrived.
    void ThrowIfOver() const;
    // Waits for the given time unless a cancel comes first (then raises EWorkCancelled).
    void Pause(std::chrono::milliseconds duration);
    // Raises the time-out's failure (for a client library that gave up on its own time-out).
    [[noreturn]] void ThrowTimedOut() const;

    // Stops the attempt: wakes a wait. Any thread.
    void Cancel();
    bool Cancelled() const { return cancelled_.load(std::memory_order_acquire); }
    bool Expired() const;
    // When the attempt times out; none without a limit.
    const std::optional<Clock::time_point>& Deadline() const { return deadline_; }

private:
    const std::string server_;
    const std::string timeoutKey_;
    const int timeoutSeconds_;                       // 0: no deadline
    const std::optional<Clock::time_point> deadline_;
    WorkProgress* const progress_;                  // whose hooks reach Cancel, or none
    std::atomic<bool> cancelled_{false};
    int wakeDescriptor_ = -1;                        // an eventfd written by Cancel
};

}  // namespace qelvor::recordset
