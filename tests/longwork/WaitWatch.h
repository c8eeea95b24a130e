// Helpers of the long-work tests: steps scheduled to run while the window thread waits
// for work, and a watch on the progress window.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "platform/WorkProgressDialog.h"

namespace qelvor::test {

// The progress window on screen, or nullptr.
inline WorkProgressDialog* VisibleProgressDialog()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* dialog = dynamic_cast<WorkProgressDialog*>(window); dialog != nullptr && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// Runs steps at given times after its creation, from the event loop of whoever waits
// then; a step that comes due after the watch is gone does not run.
class WaitWatch : public QObject {
public:
    WaitWatch()
    {
        clock_.start();
        qApp->installEventFilter(this);
    }
    ~WaitWatch() override { qApp->removeEventFilter(this); }

    // Runs step about `ms` milliseconds after the watch was made.
    void At(int ms, std::function<void()> step) { QTimer::singleShot(ms, this, std::move(step)); }
    qint64 Elapsed() const { return clock_.elapsed(); }
    // When a progress window was first shown (ms after the watch was made), or -1.
    qint64 ProgressShownAt() const { return progressShownAt_; }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        if (event->type() == QEvent::Show && progressShownAt_ < 0 && dynamic_cast<WorkProgressDialog*>(receiver))
            progressShownAt_ = clock_.elapsed();
        return false;
    }

private:
    QElapsedTimer clock_;
    qint64 progressShownAt_ = -1;
};

}  // namespace qelvor::test
