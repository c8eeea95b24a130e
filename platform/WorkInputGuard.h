// WorkInputGuard: while long work runs, no user input reaches the windows that wait for
// it; only the work's own progress window takes input.
//
// Installed on the application object for the length of the wait. It eats mouse, wheel,
// keyboard, touch, tablet, drag-and-drop and context-menu events for every window but
// the one allowed (none at first; the progress window once it shows). Painting, resizing,
// exposure and timers pass, so the windows stay drawn. A mouse release held back ends
// every control's drag (the cancel-mode message), so no press outlives the wait. Esc,
// wherever it is pressed, and a request to close one of the waiting windows (its close
// button) ask the work to stop; the window asked to close is closed once the work has
// ended and the wait is over (see CloseDeferredWindows).
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

namespace qelvor {

class WorkInputGuard : public QObject {
public:
    // onStop runs (on the window thread) for Esc and for a close request; it may run
    // several times.
    explicit WorkInputGuard(std::function<void()> onStop);
    ~WorkInputGuard() override;
    WorkInputGuard(const WorkInputGuard&) = delete;
    WorkInputGuard& operator=(const WorkInputGuard&) = delete;

    // The one window (with its children) whose input passes; nullptr: none.
    void SetAllowedWindow(QWidget* window) { allowed_ = window; }
    // Closes, through the event queue, every window whose close request was held back;
    // called after the guard's wait, so the close is handled as if it came then.
    void CloseDeferredWindows();

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    bool IsAllowed(QObject* receiver) const;
    void HoldBackClose(QWidget* window, QEvent* event);

    std::function<void()> onStop_;
    QPointer<QWidget> allowed_;
    std::vector<QPointer<QWidget>> closeRequested_;
};

}  // namespace qelvor
