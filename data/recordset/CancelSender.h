// CancelSender: sends the cancels of one session from a thread that it owns.
//
// A cancel reaches the server over a link of its own (a cancel statement from a session of
// its own), which may wait on a server that stopped answering; neither the statement's
// thread nor the window's may wait with it. The provider owns one sender per session.
//
// Invariants:
// - A cancel reaches the server only while its statement may still run, since a late one
//   would stop the session's next statement: the statement's end waits for the cancels
//   sent (WaitForAnswers), unless its session was severed — a severed session runs no next
//   statement, and a server that stopped answering would hold the wait.
// - At most one cancel runs and one more waits; further requests join the waiting one.
// - Each cancel is bounded by kCancelTimeoutSeconds for connecting and as much for its
//   statement; the destructor stops the one that runs (where its link allows) and joins the
//   thread, so no cancel outlives the session's owner.
//
// Threads: Send from the statement watch's thread; WaitForAnswers from the statement's
// thread; the destructor from the session's owner, once no statement runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace qelvor::recordset {

class ConnectAttempt;

// A cancel gives up on a server that does not answer after this long (per step).
inline constexpr int kCancelTimeoutSeconds = 5;

class CancelSender {
public:
    // send delivers one cancel within the bounds of the attempt it is given; server names
    // the server in that attempt's messages.
    CancelSender(std::string server, std::function<void(ConnectAttempt&)> send);
    ~CancelSender();
    CancelSender(const CancelSender&) = delete;
    CancelSender& operator=(const CancelSender&) = delete;

    // Asks for a cancel and returns at once.
    void Send();
    // Returns once every cancel asked for so far has been delivered or has given up.
    void WaitForAnswers();

    // Tests: every cancel waits this long before it goes (a cancel held back past its
    // statement's end). Zero restores sending at once.
    static void DelayEachSendForTesting(std::chrono::milliseconds delay);

private:
    void Run();
    void SendOne();

    const std::string server_;
    const std::function<void(ConnectAttempt&)> send_;
    std::mutex mutex_;                   // guards everything below
    std::condition_variable changed_;    // a request, an answer, or the end
    bool waiting_ = false;               // a cancel is asked for and not yet begun
    bool running_ = false;               // a cancel is being delivered
    bool ending_ = false;                // the destructor runs: take no more
    ConnectAttempt* current_ = nullptr;  // the running cancel's bounds, to stop it at the end
    std::thread thread_;                 // started by the first Send; joined by the destructor
};

}  // namespace qelvor::recordset
