// The window's long-work runner with work of the test's own: short work looks as if it
// ran inline; long work keeps the window painted while no input reaches it, shows the
// progress window of a search, and ends on 取消, Esc or the window's close button, once
// however often it is asked, escalating to a forced stop when the interrupt goes
// unanswered. Failures of the work come back on the window thread.
#include <QCloseEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "WaitWatch.h"
#include "platform/LongWorkWindow.h"
#include "platform/CancelMode.h"
#include "runtime/Exceptions.h"

namespace qelvor {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A control in the middle of a drag: counts the cancel-mode messages it gets.
class DragInProgress : public TCancelModeTarget {
public:
    void CancelMode() override { ++cancels; }
    int cancels = 0;
};

void SendWheel(QWidget* widget)
{
    QWheelEvent wheel(QPointF(5, 5), QPointF(widget->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

void SendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(5, 5), QPointF(widget->mapToGlobal(QPoint(5, 5))), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Work that stands in for a statement: it receives rows until it is stopped or its time
// is up. It answers an interrupt after `answerDelay` (never when `answersInterrupt` is
// off) and a forced stop at once; stopped, it fails as an interrupted statement does.
class FakeStatement {
public:
    std::chrono::milliseconds length = 10s;
    std::chrono::milliseconds answerDelay = 0ms;
    bool answersInterrupt = true;

    std::atomic<int> interrupts{0};
    std::atomic<int> forces{0};
    std::thread::id ranOn;

    void Run(WorkProgress& progress)
    {
        ranOn = std::this_thread::get_id();
        progress.SetHooks([this] { Interrupted(); },
                          [this] {
                              ++forces;
                              stopAt_ = Clock::now();
                          });
        const Clock::time_point start = Clock::now();
        std::int64_t rows = 0;
        while (Clock::now() < stopAt_.load() && Clock::now() - start < length) {
            std::this_thread::sleep_for(2ms);
            progress.SetRows(rows += 7);
        }
        progress.SetHooks({}, {});
        if (Clock::now() - start < length)
            throw ERecordSetError("interrupted");
    }

private:
    void Interrupted()
    {
        ++interrupts;
        if (answersInterrupt)
            stopAt_ = std::min(stopAt_.load(), Clock::now() + answerDelay);
    }

    std::atomic<Clock::time_point> stopAt_{Clock::time_point::max()};
};

// A window with a button and an edit standing in for the form; it counts what reaches it.
class WaitingWindow : public QWidget {
public:
    WaitingWindow()
    {
        auto* layout = new QVBoxLayout(this);
        edit = new QLineEdit(this);
        button = new QPushButton(QStringLiteral("检索"), this);
        layout->addWidget(edit);
        layout->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        edit->installEventFilter(this);
        button->installEventFilter(this);
        resize(300, 200);
        show();
        exposed = QTest::qWaitForWindowExposed(this);
        edit->setFocus();
    }

    QLineEdit* edit = nullptr;
    QPushButton* button = nullptr;
    bool exposed = false;
    int clicks = 0;
    int keys = 0;
    int wheels = 0;
    int presses = 0;
    int releases = 0;
    int paints = 0;
    int resizes = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        keys += event->type() == QEvent::KeyPress;
        wheels += event->type() == QEvent::Wheel;
        presses += event->type() == QEvent::MouseButtonPress;
        releases += event->type() == QEvent::MouseButtonRelease;
        return false;
    }
    void paintEvent(QPaintEvent*) override { ++paints; }
    void resizeEvent(QResizeEvent*) override { ++resizes; }
};

class LongWorkWindowTest : public testing::Test {
protected:
    // Runs the statement as a search (or a sort) through the installed runner; true
    // when it ended in the silent cancel.
    bool RunCancelled(LongWorkKind kind = LongWorkKind::Search)
    {
        EXPECT_TRUE(window_.exposed);
        WorkProgress progress;
        try {
            RunLongWork(kind, [this, &progress] { statement_.Run(progress); }, progress);
        } catch (const EWorkCancelled&) {
            return true;
        }
        return false;
    }

    void PressEscape() { QTest::keyClick(window_.edit, Qt::Key_Escape); }

    FakeStatement statement_;
    WaitingWindow window_;
    test::WaitWatch watch_;
};

TEST_F(LongWorkWindowTest, ShortWorkProcessesNoEventsAndShowsNoProgressWindow)
{
    bool timerRan = false;
    QTimer::singleShot(0, &window_, [&] { timerRan = true; });
    statement_.length = 5ms;
    EXPECT_FALSE(RunCancelled());
    EXPECT_FALSE(timerRan) << "events were processed during short work";
    EXPECT_EQ(watch_.ProgressShownAt(), -1);
    EXPECT_NE(statement_.ranOn, std::this_thread::get_id());
    QApplication::processEvents();
    EXPECT_TRUE(timerRan);
}

TEST_F(LongWorkWindowTest, ALongSearchRepaintsShowsProgressTakesNoInputAndEndsOnTheCancelButton)
{
    std::string rowsSeen;
    std::string timeSeen;
    int paintsBefore = 0;
    int resizesBefore = 0;
    bool stepsRan = false;
    watch_.At(200, [&] {
        paintsBefore = window_.paints;
        resizesBefore = window_.resizes;
        window_.update();
        window_.resize(320, 220);
        QTest::mouseClick(window_.button, Qt::LeftButton);
        QTest::keyClicks(window_.edit, QStringLiteral("12"));
    });
    watch_.At(900, [&] {
        WorkProgressDialog* dialog = test::VisibleProgressDialog();
        ASSERT_NE(dialog, nullptr);
        rowsSeen = dialog->RowsText().toStdString();
        timeSeen = dialog->TimeText().toStdString();
    });
    watch_.At(1300, [&] {
        WorkProgressDialog* dialog = test::VisibleProgressDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_NE(dialog->RowsText().toStdString(), rowsSeen) << "the row count stands still";
        EXPECT_NE(dialog->TimeText().toStdString(), timeSeen) << "the time stands still";
        EXPECT_GT(window_.paints, paintsBefore) << "the window did not repaint";
        EXPECT_GT(window_.resizes, resizesBefore);
        EXPECT_EQ(window_.clicks, 0) << "a click reached the window";
        EXPECT_EQ(window_.keys, 0) << "keys reached the window";
        EXPECT_TRUE(window_.edit->text().isEmpty());
        stepsRan = true;
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(RunCancelled());
    EXPECT_TRUE(stepsRan);
    EXPECT_GE(watch_.ProgressShownAt(), kLongWorkProgressDelayMs);
    EXPECT_LT(watch_.Elapsed(), 5000) << "the cancel did not end the work";
    EXPECT_EQ(statement_.interrupts, 1);
    EXPECT_EQ(statement_.forces, 0);
    EXPECT_EQ(test::VisibleProgressDialog(), nullptr);
    EXPECT_EQ(window_.clicks, 0) << "a held-back click arrived late";
}

// Without a window manager nobody else hands the keyboard back from a window that goes.
TEST_F(LongWorkWindowTest, AfterTheProgressWindowTheKeyboardIsBackWhereItWas)
{
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    window_.edit->setFocus();
    bool progressActive = false;
    watch_.At(800, [&] {
        WorkProgressDialog* dialog = test::VisibleProgressDialog();
        ASSERT_NE(dialog, nullptr);
        progressActive = QApplication::activeWindow() == dialog;
        QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(RunCancelled());
    EXPECT_TRUE(progressActive) << "the progress window never had the keyboard";
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &window_);
    EXPECT_EQ(QApplication::focusWidget(), window_.edit);
}

TEST_F(LongWorkWindowTest, EscapeCancelsBeforeTheProgressWindowShows)
{
    watch_.At(150, [&] { PressEscape(); });
    EXPECT_TRUE(RunCancelled());
    EXPECT_EQ(watch_.ProgressShownAt(), -1);
    EXPECT_EQ(statement_.interrupts, 1);
    EXPECT_EQ(window_.keys, 0) << "Esc reached the window";
}

TEST_F(LongWorkWindowTest, EscapeInTheProgressWindowCancels)
{
    watch_.At(800, [&] {
        ASSERT_NE(test::VisibleProgressDialog(), nullptr);
        QTest::keyClick(test::VisibleProgressDialog(), Qt::Key_Escape);
    });
    EXPECT_TRUE(RunCancelled());
    EXPECT_EQ(statement_.interrupts, 1);
    EXPECT_LT(watch_.Elapsed(), 5000);
}

TEST_F(LongWorkWindowTest, CancellingTwiceInterruptsOnceAndForcesNothingWhenAnswered)
{
    statement_.answerDelay = 100ms;  // a database that takes a moment to stop
    watch_.At(600, [&] { PressEscape(); });
    watch_.At(630, [&] {
        PressEscape();
        if (WorkProgressDialog* dialog = test::VisibleProgressDialog()) {
            EXPECT_FALSE(dialog->CancelButton()->isEnabled());
            QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
        }
    });
    EXPECT_TRUE(RunCancelled());
    EXPECT_EQ(statement_.interrupts, 1);
    EXPECT_EQ(statement_.forces, 0);
}

TEST_F(LongWorkWindowTest, AnUnansweredInterruptIsLeftToTheWorkWhichAloneDecidesToGiveUp)
{
    // The work's own loop bounds its cancel (on a server some network away a cancel takes
    // longer than any fixed delay the window could pick): the window forces nothing.
    statement_.answersInterrupt = false;
    statement_.length = 1500ms;
    watch_.At(150, [&] { PressEscape(); });
    EXPECT_TRUE(RunCancelled());
    EXPECT_EQ(statement_.interrupts, 1);
    EXPECT_EQ(statement_.forces, 0) << "the window forced a stop the work's own bound was to decide";
}

TEST_F(LongWorkWindowTest, WorkThatCompletesAsItIsCancelledStillEndsCancelled)
{
    // The interrupt comes too late to stop anything: the work completes regardless.
    statement_.answersInterrupt = false;
    statement_.length = 300ms;
    watch_.At(250, [&] { PressEscape(); });
    EXPECT_TRUE(RunCancelled()) << "a result the user cancelled was passed on as complete";
    EXPECT_EQ(statement_.interrupts, 1);
}

TEST_F(LongWorkWindowTest, TheCloseButtonCancelsAndTheWindowClosesAfterTheWork)
{
    statement_.answerDelay = 100ms;
    bool openWhileStopping = false;
    watch_.At(150, [&] {
        QCloseEvent close;
        QApplication::sendEvent(window_.windowHandle(), &close);
    });
    watch_.At(200, [&] { openWhileStopping = window_.isVisible(); });
    EXPECT_TRUE(RunCancelled());
    EXPECT_TRUE(openWhileStopping) << "the window closed before the work had ended";
    EXPECT_EQ(statement_.interrupts, 1);
    QApplication::processEvents();
    EXPECT_FALSE(window_.isVisible());
}

TEST_F(LongWorkWindowTest, ACloseRequestWhileTheProgressWindowShowsCancelsAndClosesAfterTheWork)
{
    // The window system drops a close request (the window manager's close button) to a
    // window that a modal window blocks, before any filter sees it: the progress window
    // must block nothing, so that the request reaches the input guard.
    statement_.answerDelay = 100ms;
    bool progressShown = false;
    bool blocked = true;
    watch_.At(kLongWorkProgressDelayMs + 200, [&] {
        progressShown = test::VisibleProgressDialog() != nullptr;
        blocked = QGuiApplication::modalWindow() != nullptr;
        QCloseEvent close;
        QApplication::sendEvent(window_.windowHandle(), &close);
    });
    EXPECT_TRUE(RunCancelled());
    EXPECT_TRUE(progressShown);
    EXPECT_FALSE(blocked) << "the progress window blocks the waiting window's close requests";
    EXPECT_EQ(statement_.interrupts, 1);
    QApplication::processEvents();
    EXPECT_FALSE(window_.isVisible());
}

TEST_F(LongWorkWindowTest, TheWorksFailureIsRethrownOnTheWindowThread)
{
    WorkProgress progress;
    std::thread::id ranOn;
    const auto work = [&ranOn] {
        ranOn = std::this_thread::get_id();
        std::this_thread::sleep_for(150ms);
        throw ERecordSetError("no such table: t_omr");
    };
    try {
        RunLongWork(LongWorkKind::Search, work, progress);
        FAIL() << "the failure was lost";
    } catch (const ERecordSetError& error) {
        EXPECT_STREQ(error.what(), "no such table: t_omr");
    }
    EXPECT_NE(ranOn, std::this_thread::get_id());
}

TEST_F(LongWorkWindowTest, ASortShowsNoProgressWindowIgnoresEscapeAndDefersAClose)
{
    statement_.length = 900ms;
    watch_.At(150, [&] { PressEscape(); });
    watch_.At(200, [&] { window_.close(); });
    EXPECT_FALSE(RunCancelled(LongWorkKind::Sort));
    EXPECT_EQ(statement_.interrupts, 0);
    EXPECT_EQ(watch_.ProgressShownAt(), -1);
    EXPECT_TRUE(window_.isVisible());
    QApplication::processEvents();
    EXPECT_FALSE(window_.isVisible()) << "the close request was lost";
}

// The wheel is input like any other; a release is held back too, but the press it
// ends (made before the wait) must not outlive it: the controls are told to end their
// drags, once per release.
TEST_F(LongWorkWindowTest, ASortHoldsBackTheWheelAndEndsDragsWhoseReleaseItHeldBack)
{
    statement_.length = 700ms;
    DragInProgress drag;
    watch_.At(150, [&] {
        SendWheel(window_.edit);
        SendWheel(window_.button);
        SendMouse(window_.button, QEvent::MouseMove, Qt::LeftButton);
        EXPECT_EQ(drag.cancels, 0) << "a move ended the drag";
        SendMouse(window_.button, QEvent::MouseButtonRelease, Qt::NoButton);
        EXPECT_EQ(drag.cancels, 1) << "the drag outlived the release";
        SendMouse(window_.button, QEvent::MouseButtonPress, Qt::LeftButton);
        SendMouse(window_.button, QEvent::MouseButtonRelease, Qt::NoButton);
    });
    EXPECT_FALSE(RunCancelled(LongWorkKind::Sort));
    EXPECT_EQ(window_.wheels, 0) << "the wheel reached the window";
    EXPECT_EQ(window_.presses + window_.releases, 0) << "the mouse reached the window";
    EXPECT_EQ(window_.clicks, 0);
    EXPECT_EQ(drag.cancels, 2);
    // After the wait the wheel and the mouse reach the window again; nothing is cancelled.
    SendWheel(window_.edit);
    SendMouse(window_.button, QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_EQ(window_.wheels, 1);
    EXPECT_EQ(window_.releases, 1);
    EXPECT_EQ(drag.cancels, 2);
}

}  // namespace
}  // namespace qelvor
