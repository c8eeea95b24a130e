#include "runtime/LongWork.h"

#include <exception>
#include <utility>

namespace qelvor {

namespace {

LongWorkRunner& InstalledRunner()
{
    static LongWorkRunner runner;
    return runner;
}

}  // namespace

void WorkProgress::RequestCancel()
{
    cancelRequested_.store(true, std::memory_order_release);
    const std::lock_guard<std::mutex> lock(hookMutex_);
    if (interrupt_)
        interrupt_();
}

void WorkProgress::ForceStop()
{
    const std::lock_guard<std::mutex> lock(hookMutex_);
    if (force_)
        force_();
}

void WorkProgress::SetHooks(Hook interrupt, Hook force)
{
    const std::lock_guard<std::mutex> lock(hookMutex_);
    interrupt_ = std::move(interrupt);
    force_ = std::move(force);
    if (interrupt_ && CancelRequested())
        interrupt_();
}

void RunLongWork(LongWorkKind kind, const std::function<void()>& work, WorkProgress& progress)
{
    try {
        if (const LongWorkRunner& runner = InstalledRunner())
            runner(kind, work, progress);
        else
            work();
    } catch (...) {
        // Whatever the interrupted work raised, a cancelled search is the silent failure.
        if (progress.CancelRequested())
            throw EWorkCancelled();
        throw;
    }
    if (progress.CancelRequested())
        throw EWorkCancelled();  // finished anyway, but the user asked for nothing of it
}

LongWorkRunner SetLongWorkRunner(LongWorkRunner runner)
{
    return std::exchange(InstalledRunner(), std::move(runner));
}

}  // namespace qelvor
