// ScopeGuard: the one way our code finishes or undoes something however a scope is left,
// by its end, a return or an exception.
//
// ScopedFlag raises a flag for the guard's lifetime and then gives the flag back the
// value it had. ScopeExit runs a clean-up when the scope ends; Dismiss() drops it, which
// turns it into the roll-back that only a failure needs. A clean-up that fails while an
// exception is already leaving the scope is dropped, so that the first failure is the
// one reported (two cannot travel at once); on any other exit its failure propagates.
#pragma once

#include <exception>
#include <utility>

namespace qelvor {

// Sets `flag` for the lifetime of the guard, then restores its earlier value.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = saved_; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& flag_;
    bool saved_;
};

// Runs `cleanUp` when the guard goes out of scope, unless Dismiss() was called first.
template <class CleanUp>
class ScopeExit {
public:
    explicit ScopeExit(CleanUp cleanUp) : cleanUp_(std::move(cleanUp)), exceptionsAtEntry_(std::uncaught_exceptions()) {}

    ~ScopeExit() noexcept(false)
    {
        if (!armed_)
            return;
        if (std::uncaught_exceptions() == exceptionsAtEntry_) {
            cleanUp_();
            return;
        }
        try {
            cleanUp_();
        } catch (...) {
            // The exception already on its way out is the one the caller hears of.
        }
    }

    // The clean-up will not run: the work it would undo succeeded.
    void Dismiss() noexcept { armed_ = false; }

    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    CleanUp cleanUp_;
    int exceptionsAtEntry_;
    bool armed_ = true;
};

}  // namespace qelvor
