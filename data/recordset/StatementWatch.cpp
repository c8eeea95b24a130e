#include "data/recordset/StatementWatch.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <optional>
#include <vector>

#include "runtime/Assert.h"
#include "runtime/Exceptions.h"
#include "runtime/LongWork.h"

namespace qelvor::recordset {

StatementWatch::StatementWatch(int timeoutSeconds, WorkProgress* progress)
    : timeout_(std::chrono::seconds(timeoutSeconds > 0 ? timeoutSeconds : 0)),
      progress_(progress),
      wakeDescriptor_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      lastArrival_(Clock::now())
{
    QELVOR_ASSERT(timeoutSeconds >= 0);
    if (wakeDescriptor_ < 0)
        throw ERecordSetError("Cannot wait for the database: no event descriptor left");
    if (progress_) {
        progress_->SetRows(0);
        // A stop counts from the moment it is asked for: what the engine raises after it
        // is not what happened.
        progress_->SetHooks(
            [this] {
                cancelled_.store(true, std::memory_order_release);
                Wake();
            },
            [this] {
                cancelled_.store(true, std::memory_order_release);
                forced_.store(true, std::memory_order_release);
                Wake();
            });
    }
}

StatementWatch::~StatementWatch()
{
    Finish();
    close(wakeDescriptor_);
}

void StatementWatch::Finish()
{
    if (finished_.exchange(true, std::memory_order_acq_rel))
        return;
    if (progress_)
        progress_->SetHooks({}, {});  // returns once a hook that runs has ended
    Wake();
}

void StatementWatch::Wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeDescriptor_, &one, sizeof one);
}

void StatementWatch::Received(std::int64_t rows)
{
    // One writer: no read-modify-write needed, only a value the waiting thread may read.
    arrivals_.store(arrivals_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    if (progress_)
        progress_->SetRows(rows);
}

void StatementWatch::ReceivedSomething()
{
    arrivals_.store(arrivals_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

void StatementWatch::Look(Clock::time_point now)
{
    const std::uint64_t arrivals = arrivals_.load(std::memory_order_relaxed);
    if (arrivals != lastArrivals_) {
        lastArrivals_ = arrivals;
        lastArrival_ = now;
    }
    if (!StopRequested() && timeout_.count() > 0 && now - lastArrival_ >= timeout_)
        timedOut_.store(true, std::memory_order_release);
    if (StopRequested() && stoppedAt_ == Clock::time_point{})
        stoppedAt_ = now;
}

bool StatementWatch::Stopping()
{
    Look(Clock::now());
    return StopRequested();
}

bool StatementWatch::GiveUpDue()
{
    const Clock::time_point now = Clock::now();
    Look(now);
    if (forced_.load(std::memory_order_acquire))
        return true;
    return stoppedAt_ != Clock::time_point{} && now - stoppedAt_ >= kCancelBound;
}

void StatementWatch::Wait(std::span<pollfd> waits, std::chrono::milliseconds maxWait)
{
    const Clock::time_point now = Clock::now();
    Look(now);
    std::optional<Clock::time_point> deadline;
    if (stoppedAt_ != Clock::time_point{})
        deadline = stoppedAt_ + kCancelBound;
    else if (timeout_.count() > 0)
        deadline = lastArrival_ + timeout_;
    if (maxWait.count() >= 0 && (!deadline || now + maxWait < *deadline))
        deadline = now + maxWait;
    int waitMs = -1;
    if (deadline)
        waitMs = static_cast<int>(std::clamp<std::int64_t>(
            std::chrono::ceil<std::chrono::milliseconds>(*deadline - now).count(), 0, std::numeric_limits<int>::max()));

    // The caller's entries, then the event descriptor; a few entries at most.
    pollfd local[8];
    std::vector<pollfd> many;
    pollfd* all = local;
    if (waits.size() + 1 > std::size(local)) {
        many.resize(waits.size() + 1);
        all = many.data();
    }
    std::copy(waits.begin(), waits.end(), all);
    all[waits.size()] = {wakeDescriptor_, POLLIN, 0};
    const int ready = poll(all, static_cast<nfds_t>(waits.size() + 1), waitMs);
    if (ready < 0 && errno != EINTR)
        throw ERecordSetError("Cannot wait for the database");
    for (std::size_t i = 0; i < waits.size(); ++i)
        waits[i].revents = ready > 0 ? all[i].revents : 0;
    if (ready > 0 && all[waits.size()].revents != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t drained = read(wakeDescriptor_, &count, sizeof count);
    }
    Look(Clock::now());
}

}  // namespace qelvor::recordset
