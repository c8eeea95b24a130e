// WorkThread: one piece of long work running on a thread of its own, and the means for
// the window's thread to wait for it.
//
// The window thread may wait a little without processing any events (so that short work
// looks exactly as if it had run inline), then turn its event loop and look whether the
// work has ended every few milliseconds. The work touches nothing of Qt: a post from it
// to the window thread would hand memory over under Qt's own locks, which the thread
// sanitizer cannot see. The work's failure is kept and rethrown on the window thread by
// Join.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace qelvor {

class WorkThread {
public:
    // Starts work on a new thread; work must stay alive until Join returns.
    explicit WorkThread(const std::function<void()>& work);
    // Joins the thread if Join was not called (the work must not outlive its caller).
    ~WorkThread();
    WorkThread(const WorkThread&) = delete;
    WorkThread& operator=(const WorkThread&) = delete;

    // Blocks the calling thread up to milliseconds, without processing events; true
    // when the work has ended by then.
    bool WaitFor(int milliseconds);
    // True once the work has ended (its failure, if any, is then recorded).
    bool HasEnded();
    // Waits for the thread, then rethrows the work's failure, if any.
    void Join();

private:
    void Run(const std::function<void()>& work);

    std::mutex mutex_;
    std::condition_variable ended_;
    bool hasEnded_ = false;          // guarded by mutex_
    std::exception_ptr failure_;     // written by the work before hasEnded_, read after Join
    std::thread thread_;             // last: starts once everything above exists
};

}  // namespace qelvor
