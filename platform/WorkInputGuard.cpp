#include "platform/WorkInputGuard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "platform/CancelMode.h"

namespace qelvor {

namespace {

// The events a user makes; everything else (painting, resizing, timers) passes.
bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::HoverLeave:
        return true;
    default:
        return false;
    }
}

bool IsEscape(const QEvent* event)
{
    return event->type() == QEvent::KeyPress && static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape;
}

}  // namespace

WorkInputGuard::WorkInputGuard(std::function<void()> onStop) : onStop_(std::move(onStop))
{
    qApp->installEventFilter(this);
}

WorkInputGuard::~WorkInputGuard()
{
    qApp->removeEventFilter(this);
}

bool WorkInputGuard::IsAllowed(QObject* receiver) const
{
    if (allowed_ == nullptr)
        return false;
    if (auto* widget = qobject_cast<QWidget*>(receiver))
        return widget->window() == allowed_;
    if (auto* window = qobject_cast<QWindow*>(receiver))
        return window == allowed_->windowHandle();
    return false;
}

void WorkInputGuard::HoldBackClose(QWidget* window, QEvent* event)
{
    event->ignore();
    const auto known = [window](const QPointer<QWidget>& held) { return held == window; };
    if (std::none_of(closeRequested_.begin(), closeRequested_.end(), known))
        closeRequested_.emplace_back(window);
    onStop_();
}

bool WorkInputGuard::eventFilter(QObject* receiver, QEvent* event)
{
    if (IsEscape(event)) {
        onStop_();
        return true;
    }
    if (event->type() == QEvent::Close) {
        // A top-level widget's close request; its QWindow forwards the request to it.
        auto* widget = qobject_cast<QWidget*>(receiver);
        if (widget == nullptr || !widget->isWindow() || IsAllowed(receiver))
            return false;
        HoldBackClose(widget, event);
        return true;
    }
    if (!IsUserInput(event->type()) || IsAllowed(receiver))
        return false;
    // A release held back may end a press made before the wait (a title press whose
    // Ctrl release started a re-sort, a border drag): the control would hold that press
    // after the wait with no button down. Delivered now, it would act (a title click
    // re-sorts) in the middle of the wait, so the controls end their drags unapplied.
    if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::NonClientAreaMouseButtonRelease)
        CancelModes();
    return true;
}

void WorkInputGuard::CloseDeferredWindows()
{
    for (const QPointer<QWidget>& window : std::exchange(closeRequested_, {})) {
        if (window != nullptr)
            QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
    }
}

}  // namespace qelvor
