// The clean-up guards: what runs, and which failure the caller hears of, on every way out.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "runtime/ScopeGuard.h"

namespace qelvor {
namespace {

TEST(ScopedFlag, IsRaisedInsideAndRestoredOnEveryWayOut)
{
    bool flag = false;
    {
        const ScopedFlag raised(flag);
        EXPECT_TRUE(flag);
    }
    EXPECT_FALSE(flag);

    EXPECT_THROW(
        {
            const ScopedFlag raised(flag);
            throw std::runtime_error("inner");
        },
        std::runtime_error);
    EXPECT_FALSE(flag);
}

TEST(ScopedFlag, NestedGuardLeavesTheOuterOneRaised)
{
    bool flag = false;
    const ScopedFlag outer(flag);
    {
        const ScopedFlag inner(flag);
    }
    EXPECT_TRUE(flag);
}

TEST(ScopeExit, RunsOnceOnNormalExitAndOnException)
{
    int runs = 0;
    {
        const ScopeExit count([&] { ++runs; });
    }
    EXPECT_EQ(runs, 1);
    EXPECT_THROW(
        {
            const ScopeExit count([&] { ++runs; });
            throw std::runtime_error("body");
        },
        std::runtime_error);
    EXPECT_EQ(runs, 2);
}

TEST(ScopeExit, DismissedGuardDoesNotRun)
{
    int runs = 0;
    {
        ScopeExit rollBack([&] { ++runs; });
        rollBack.Dismiss();
    }
    EXPECT_EQ(runs, 0);
}

TEST(ScopeExit, CleanUpFailureAfterSuccessReachesTheCaller)
{
    auto body = [] { const ScopeExit failing([] { throw std::runtime_error("clean-up"); }); };
    try {
        body();
        FAIL() << "the clean-up's failure was lost";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "clean-up");
    }
}

TEST(ScopeExit, FirstFailureWinsWhenTheCleanUpFailsToo)
{
    bool cleanUpRan = false;
    auto body = [&] {
        const ScopeExit failing([&] {
            cleanUpRan = true;
            throw std::runtime_error("clean-up");
        });
        throw std::runtime_error("body");
    };
    try {
        body();
        FAIL() << "nothing was thrown";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "body");
    }
    EXPECT_TRUE(cleanUpRan);
}

TEST(ScopeExit, GuardCreatedDuringUnwindingStillReportsItsOwnFailure)
{
    // A destructor that runs during unwinding may open a scope of its own; a failure of a
    // guard there, on that scope's normal exit, is that scope's to handle.
    std::string caughtInside;
    struct Unwinder {
        std::string& caught;
        ~Unwinder()
        {
            try {
                const ScopeExit failing([] { throw std::runtime_error("inner clean-up"); });
            } catch (const std::runtime_error& error) {
                caught = error.what();
            }
        }
    };
    EXPECT_THROW(
        {
            const Unwinder unwinder{caughtInside};
            throw std::runtime_error("outer");
        },
        std::runtime_error);
    EXPECT_EQ(caughtInside, "inner clean-up");
}

}  // namespace
}  // namespace qelvor
