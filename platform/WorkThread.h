// WorkThread: one piece of long work running on a thread of its own, and the means for
// the window's thread to wait for it.
//
// The window thread may first wait a little without processing any events (so that
// short work looks exactly as if it had run inline), then turn its event loop: the
// Finished signal arrives through that loop when the work has ended. The work's
// failure is kept and rethrown on the window thread by Join.
//
// Invariants: the object lives on the window thread; the work touches none of its Qt
// parts except the queued Finished signal, posted before the end is recorded, so that
// Join (which waits for the thread) never lets the object go while a post is under way.
#pragma once

#include <QObject>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace qelvor {

class WorkThread : public QObject {
    Q_OBJECT
public:
    // Starts work on a new thread; work must stay alive until Join returns.
    explicit WorkThread(const std::function<void()>& work);
    // Joins the thread if Join was not called (the work must not outlive its caller).
    ~WorkThread() override;
    WorkThread(const WorkThread&) = delete;
    WorkThread& operator=(const WorkThread&) = delete;

    // Blocks the calling thread up to milliseconds, without processing events; true
    // when the work has ended by then.
    bool WaitFor(int milliseconds);
    // True once the work has ended (its failure, if any, is then recorded).
    bool HasEnded();
    // Waits for the thread, then rethrows the work's failure, if any.
    void Join();

signals:
    // Queued to the window thread when the work has ended.
    void Finished();

private:
    void Run(const std::function<void()>& work);

    std::mutex mutex_;
    std::condition_variable ended_;
    bool hasEnded_ = false;          // guarded by mutex_
    std::exception_ptr failure_;     // written by the work before hasEnded_, read after Join
    std::thread thread_;             // last: starts once everything above exists
};

}  // namespace qelvor
