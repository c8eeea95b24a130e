// The application quits its event loops while long work runs (a host's quit, a session
// ending): the wait ends as a cancel ends it — the work is interrupted, forced to stop when
// the interrupt goes unanswered, and joined — instead of the window thread blocking on a
// worker nobody stops. In a process of its own: after a quit no event loop of the thread
// turns again.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "platform/LongWorkWindow.h"
#include "runtime/Exceptions.h"

namespace qelvor {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(QuitDuringWait, TheWorkIsCancelledForcedWhenUnansweredAndJoined)
{
    QWidget window;
    window.show();
    std::atomic<int> interrupts{0};
    std::atomic<int> forces{0};
    std::atomic<bool> stop{false};
    WorkProgress progress;
    // A statement that never answers its interrupt: only the forced stop ends it.
    const auto work = [&] {
        progress.SetHooks([&] { ++interrupts; },
                          [&] {
                              ++forces;
                              stop = true;
                          });
        const Clock::time_point start = Clock::now();
        while (!stop && Clock::now() - start < 20s)
            std::this_thread::sleep_for(2ms);
        progress.SetHooks({}, {});
        if (stop)
            throw ERecordSetError("interrupted");
    };
    QTimer::singleShot(kLongWorkProgressDelayMs + 100, [] { QCoreApplication::exit(0); });
    const Clock::time_point start = Clock::now();
    bool cancelled = false;
    try {
        RunLongWork(LongWorkKind::Search, work, progress);
    } catch (const EWorkCancelled&) {
        cancelled = true;
    }
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(interrupts, 1);
    EXPECT_EQ(forces, 1);
    EXPECT_LT(took, 5.0) << "the window thread waited for the work to end by itself";
}

}  // namespace
}  // namespace qelvor
