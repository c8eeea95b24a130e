#include "data/recordset/StatementWatch.h"

#include "data/recordset/Provider.h"
#include "runtime/Assert.h"
#include "runtime/LongWork.h"

namespace qelvor::recordset {

namespace {

// How often the watch looks for arrivals: the time-out fires at most this much late.
constexpr std::chrono::milliseconds kLookInterval{20};
// An interrupt that came before the engine started the statement is lost: repeat it.
constexpr std::chrono::milliseconds kInterruptRepeat{200};
constexpr int kInterruptRepeats = 5;

}  // namespace

StatementWatch::StatementWatch(Provider& provider, int timeoutSeconds, WorkProgress* progress)
    : provider_(provider), timeout_(timeoutSeconds > 0 ? timeoutSeconds : 0), progress_(progress)
{
    QELVOR_ASSERT(timeoutSeconds >= 0);
    lastArrival_ = Clock::now();
    thread_ = std::thread([this] { Watch(); });
    if (progress_) {
        progress_->SetRows(0);
        // A stop counts from the moment it is asked for, whether or not the watch thread
        // has passed it on yet: what the provider raises after it is not what happened.
        progress_->SetHooks(
            [this] {
                cancelled_.store(true, std::memory_order_release);
                const std::lock_guard<std::mutex> lock(mutex_);
                cancelPending_ = true;
                wake_.notify_one();
            },
            [this] {
                cancelled_.store(true, std::memory_order_release);
                severed_.store(true, std::memory_order_release);
                provider_.Sever();
            });
    }
}

void StatementWatch::Finish()
{
    if (progress_ && !hooksCleared_)
        progress_->SetHooks({}, {});  // returns once a hook that runs has ended
    hooksCleared_ = true;
}

StatementWatch::~StatementWatch()
{
    Finish();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void StatementWatch::Received(std::int64_t rows)
{
    arrivals_.fetch_add(1, std::memory_order_relaxed);
    if (progress_)
        progress_->SetRows(rows);
}

void StatementWatch::ReceivedSomething()
{
    arrivals_.fetch_add(1, std::memory_order_relaxed);
}

void StatementWatch::Watch()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!finished_) {
        wake_.wait_for(lock, kLookInterval, [this] { return finished_ || cancelPending_; });
        if (finished_)
            break;
        if (cancelPending_) {
            cancelPending_ = false;
            if (!interruptSent_) {
                interruptSent_ = true;
                lock.unlock();
                Interrupt();
                lock.lock();
            }
            continue;
        }
        const Clock::time_point now = Clock::now();
        if (!StopRequested() && QuietTooLong(now)) {
            timedOut_.store(true, std::memory_order_release);
            lock.unlock();
            Interrupt();
            lock.lock();
        } else if (StopRequested() && interrupts_ <= kInterruptRepeats && now - lastInterrupt_ >= kInterruptRepeat) {
            lock.unlock();
            Interrupt();
            lock.lock();
        }
    }
}

bool StatementWatch::QuietTooLong(Clock::time_point now)
{
    const std::uint64_t arrivals = arrivals_.load(std::memory_order_relaxed);
    const std::optional<std::uint64_t> bytes = provider_.BytesReceived();
    if (arrivals != lastArrivals_ || bytes != lastBytes_) {
        lastArrivals_ = arrivals;
        lastBytes_ = bytes;
        lastArrival_ = now;
        return false;
    }
    return timeout_.count() > 0 && now - lastArrival_ >= timeout_;
}

void StatementWatch::Interrupt()
{
    // The provider may raise when there is nothing left to interrupt; the statement's
    // own outcome tells what happened.
    ++interrupts_;
    lastInterrupt_ = Clock::now();
    try {
        provider_.Interrupt();
    } catch (...) {
    }
}

}  // namespace qelvor::recordset
