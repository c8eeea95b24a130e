#include "data/recordset/CancelSender.h"

#include <atomic>

#include "data/recordset/ConnectAttempt.h"
#include "runtime/Assert.h"

namespace qelvor::recordset {

namespace {

std::atomic<long long> heldBackMs{0};  // tests only

}  // namespace

CancelSender::CancelSender(std::string server, std::function<void(ConnectAttempt&)> send)
    : server_(std::move(server)), send_(std::move(send))
{
    QELVOR_ASSERT(send_);
}

CancelSender::~CancelSender()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ending_ = true;
        waiting_ = false;
        if (current_)
            current_->Cancel();
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void CancelSender::DelayEachSendForTesting(std::chrono::milliseconds delay)
{
    heldBackMs.store(delay.count(), std::memory_order_relaxed);
}

void CancelSender::Send()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        QELVOR_ASSERT(!ending_);
        waiting_ = true;
        if (!thread_.joinable())
            thread_ = std::thread([this] { Run(); });
    }
    changed_.notify_all();
}

void CancelSender::WaitForAnswers()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !waiting_ && !running_; });
}

void CancelSender::Run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return waiting_ || ending_; });
        if (ending_)
            return;
        waiting_ = false;
        running_ = true;
        lock.unlock();
        SendOne();
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

void CancelSender::SendOne()
{
    try {
        ConnectAttempt attempt(server_, kCancelTimeoutSeconds, nullptr);
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (ending_)
                return;
            current_ = &attempt;
        }
        struct Forget {
            CancelSender& sender;
            ~Forget()
            {
                const std::lock_guard<std::mutex> lock(sender.mutex_);
                sender.current_ = nullptr;
            }
        } forget{*this};
        if (const long long delay = heldBackMs.load(std::memory_order_relaxed); delay > 0)
            attempt.Pause(std::chrono::milliseconds(delay));
        send_(attempt);
    } catch (...) {
        // The statement's own outcome tells whether it stopped; a cancel that failed (a
        // server gone, a session refused) changes nothing of it.
    }
}

}  // namespace qelvor::recordset
