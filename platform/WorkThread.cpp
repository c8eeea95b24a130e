#include "platform/WorkThread.h"

#include <chrono>

namespace qelvor {

WorkThread::WorkThread(const std::function<void()>& work) : thread_([this, &work] { Run(work); })
{
}

WorkThread::~WorkThread()
{
    if (thread_.joinable())
        thread_.join();
}

void WorkThread::Run(const std::function<void()>& work)
{
    try {
        work();
    } catch (...) {
        failure_ = std::current_exception();
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        hasEnded_ = true;
    }
    ended_.notify_all();
}

bool WorkThread::WaitFor(int milliseconds)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return ended_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return hasEnded_; });
}

bool WorkThread::HasEnded()
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return hasEnded_;
}

void WorkThread::Join()
{
    thread_.join();
    if (failure_)
        std::rethrow_exception(failure_);
}

}  // namespace qelvor
