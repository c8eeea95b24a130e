#include "platform/LongWorkWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "platform/WorkInputGuard.h"
#include "platform/WorkProgressDialog.h"
#include "platform/WorkThread.h"
#include "runtime/Assert.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

namespace {

bool waiting = false;  // a wait is under way (the window thread only)
constexpr int kEndCheckMs = 5;  // how often the wait looks whether the work has ended

// The window thread's wait for work that outlasted the quiet wait.
class WindowWait {
public:
    WindowWait(LongWorkKind kind, WorkProgress& progress, WorkThread& thread, const QElapsedTimer& clock)
        : kind_(kind), progress_(progress), thread_(thread), clock_(clock), guard_([this] { Stop(); })
    {
        // The work posts nothing to this thread (see WorkThread): its end is looked for.
        endCheck_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&endCheck_, &QTimer::timeout, [this] {
            if (thread_.HasEnded())
                loop_.quit();
        });
        endCheck_.start(kEndCheckMs);
        if (Cancellable()) {
            progressDelay_.setSingleShot(true);
            progressDelay_.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire 5% early
            QObject::connect(&progressDelay_, &QTimer::timeout, [this] { ShowProgressWindow(); });
            const qint64 left = kLongWorkProgressDelayMs - clock_.elapsed();
            progressDelay_.start(static_cast<int>(std::max<qint64>(left, 0)));
        }
    }

    ~WindowWait()
    {
        if (!dialog_)
            return;
        dialog_->hide();
        // The keyboard goes back where it was: without a window manager nobody else
        // hands the focus back from a window that disappears.
        if (owner_)
            owner_->activateWindow();
        if (focusBefore_)
            focusBefore_->setFocus(Qt::OtherFocusReason);
    }

    // Turns the event loop until the work has ended; then closes the windows whose
    // close request was held back (through the event queue, after the wait).
    void Run()
    {
        if (!thread_.HasEnded())
            loop_.exec();
        if (!thread_.HasEnded())
            EndAfterQuit();
        guard_.CloseDeferredWindows();
    }

private:
    bool Cancellable() const { return kind_ != LongWorkKind::Sort; }

    // The application quit its event loops while the work ran (no event loop turns any
    // more): the work is stopped as a cancel stops it, and waited for without events.
    void EndAfterQuit()
    {
        if (!Cancellable())
            return;  // a sort ends by itself
        Stop();
        if (!thread_.WaitFor(kLongWorkForceStopDelayMs))
            progress_.ForceStop();
    }

    void Stop()
    {
        // A sort ends by itself soon; it has no partial result to abandon.
        if (!Cancellable() || stopping_)
            return;
        stopping_ = true;
        progress_.RequestCancel();
        if (dialog_)
            dialog_->ShowCancelling();
    }

    void ShowProgressWindow()
    {
        QWidget* owner = QApplication::activeModalWidget();
        if (owner == nullptr)
            owner = QApplication::activeWindow();
        owner_ = owner;
        focusBefore_ = QApplication::focusWidget();
        dialog_ = std::make_unique<WorkProgressDialog>(owner, kind_);
        dialog_->OnCancel = [this] { Stop(); };
        if (stopping_)
            dialog_->ShowCancelling();
        guard_.SetAllowedWindow(dialog_.get());
        Refresh();
        dialog_->show();
        QObject::connect(&refresh_, &QTimer::timeout, [this] { Refresh(); });
        refresh_.start(kLongWorkProgressIntervalMs);
    }

    void Refresh() { dialog_->ShowProgress(progress_.Rows(), clock_.elapsed()); }

    LongWorkKind kind_;
    WorkProgress& progress_;
    WorkThread& thread_;
    const QElapsedTimer& clock_;
    QEventLoop loop_;
    WorkInputGuard guard_;
    QTimer endCheck_;
    QTimer progressDelay_;
    QTimer refresh_;
    std::unique_ptr<WorkProgressDialog> dialog_;
    QPointer<QWidget> owner_;        // the window the progress window covers
    QPointer<QWidget> focusBefore_;  // where the keyboard was when it showed
    bool stopping_ = false;
};

}  // namespace

void RunLongWorkInWindow(LongWorkKind kind, const std::function<void()>& work, WorkProgress& progress)
{
    QELVOR_ASSERT(!waiting);
    QELVOR_ASSERT(QThread::currentThread() == qApp->thread());
    QElapsedTimer clock;
    clock.start();
    WorkThread thread(work);
    if (!thread.WaitFor(kLongWorkQuietWaitMs)) {
        const ScopedFlag inWait(waiting);
        WindowWait(kind, progress, thread, clock).Run();
    }
    thread.Join();
}

TLongWorkWindowScope::TLongWorkWindowScope() : previous_(SetLongWorkRunner(RunLongWorkInWindow))
{
}

TLongWorkWindowScope::~TLongWorkWindowScope()
{
    SetLongWorkRunner(std::move(previous_));
}

}  // namespace qelvor
