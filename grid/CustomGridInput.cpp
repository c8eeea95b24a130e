// CustomGridInput: the one place where Qt's input events become the grid's calls.
//
// Keys: every key of the grid stays with the grid (accepted), so that none reaches
// the form's default button; Tab and Backtab are the grid's, not the focus chain's.
// Alt combinations are left to the window (menus, mnemonics), and so are Ctrl+Tab and
// Ctrl+Shift+Tab, which the form turns into focus moves: without them a keyboard user
// could not leave a control that keeps Tab for itself. Mouse: client (viewport)
// coordinates; the left press takes the mouse capture as the window framework does,
// and the capture ends with the last button's release. Wheel turns on the grid, on
// its scroll bars and on its editor all come to MouseWheel. Timer 1, hiding,
// disabling and focus loss are translated here too. No exception leaves a Qt handler.
#include <vector>

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimerEvent>
#include <QWheelEvent>

#include "grid/CustomGrid.h"
#include "grid/CustomGridPrivate.h"
#include "grid/InplaceEdit.h"
#include "platform/ExceptionDispatch.h"
#include "platform/InputEvents.h"

namespace qelvor {

// --- keyboard ---

namespace {

// The character messages a key makes. With Ctrl held a key types no printable
// character: letters make control codes (Ctrl+C is 3), Ctrl+Enter a line feed, so
// that neither opens the editor nor toggles it. Ctrl+Alt (AltGr) types as usual.
std::vector<char32_t> CharactersOf(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier)) {
        const int key = event.key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return {U'\n'};
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return {static_cast<char32_t>(key - Qt::Key_A + 1)};
        return {};
    }
    const QList<uint> codePoints = event.text().toUcs4();
    return std::vector<char32_t>(codePoints.begin(), codePoints.end());
}

}  // namespace

bool TCustomGrid::focusNextPrevChild(bool)
{
    // Tab moves inside the grid; it never moves the focus to the next control.
    return false;
}

void TCustomGrid::keyPressEvent(QKeyEvent* event)
{
    if ((event->modifiers().testFlag(Qt::AltModifier) && !event->modifiers().testFlag(Qt::ControlModifier))
        || IsFocusMoveKey(*event)) {
        event->ignore();
        return;
    }
    event->accept();
    GuardedCall([&] {
        TVirtualKey key = VirtualKeyOf(*event);
        KeyDown(key, ShiftStateOf(event->modifiers()));
        // The key's characters follow as character messages, as typed.
        for (char32_t character : CharactersOf(*event))
            CharMessage(character);
    });
}

void TCustomGrid::keyReleaseEvent(QKeyEvent* event)
{
    event->accept();
    if (event->isAutoRepeat())
        return;
    GuardedCall([&] {
        TVirtualKey key = VirtualKeyOf(*event);
        KeyUp(key, ShiftStateOf(event->modifiers()));
    });
}

// --- mouse ---

void TCustomGrid::mousePressEvent(QMouseEvent* event)
{
    PressFromQt(event, false);
}

void TCustomGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    PressFromQt(event, true);
}

void TCustomGrid::PressFromQt(QMouseEvent* event, bool doubleClick)
{
    event->accept();
    const std::optional<TMouseButton> button = MouseButtonOf(event->button());
    if (!button)
        return;
    TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
    if (doubleClick)
        shift.Include(ssDouble);
    const QPoint point = event->position().toPoint();
    d_->lastMousePoint = point;
    if (*button == TMouseButton::mbLeft)
        d_->mouseCaptured = true;
    GuardedCall([&] { MouseDown(*button, shift, point.x(), point.y()); });
}

void TCustomGrid::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    const QPoint point = event->position().toPoint();
    // Qt keeps sending moves to the pressed widget; without the capture they belong
    // to whatever window is under the pointer.
    if (!d_->mouseCaptured && !viewport()->rect().contains(point))
        return;
    d_->lastMousePoint = point;
    GuardedCall([&] {
        const Qt::CursorShape shape = CursorAt(point.x(), point.y());
        if (viewport()->cursor().shape() != shape)
            viewport()->setCursor(shape);
        MouseMove(ShiftStateOf(event->modifiers(), event->buttons()), point.x(), point.y());
    });
}

void TCustomGrid::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const std::optional<TMouseButton> button = MouseButtonOf(event->button());
    const QPoint point = event->position().toPoint();
    d_->lastMousePoint = point;
    if (button) {
        const TShiftState shift = ShiftStateOf(event->modifiers(), event->buttons());
        GuardedCall([&] { MouseUp(*button, shift, point.x(), point.y()); });
    }
    if (event->buttons() == Qt::NoButton)
        d_->mouseCaptured = false;
}

void TCustomGrid::wheelEvent(QWheelEvent* event)
{
    event->accept();
    GuardedCall([&] {
        MouseWheel(ShiftStateOf(event->modifiers(), event->buttons()), event->angleDelta().y(),
                   event->position().toPoint());
    });
}

bool TCustomGrid::eventFilter(QObject* watched, QEvent* event)
{
    // A wheel over a scroll bar moves records as over the cells, not the bar's thumb.
    const bool bar = watched == horizontalScrollBar() || watched == verticalScrollBar();
    if (bar && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint point = static_cast<QWidget*>(watched)->mapTo(this, wheel->position().toPoint())
                             - viewport()->pos();
        GuardedCall([&] {
            MouseWheel(ShiftStateOf(wheel->modifiers(), wheel->buttons()), wheel->angleDelta().y(), point);
        });
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

// --- timer 1 and cancel-mode occasions ---

void TCustomGrid::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != d_->timer1.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    GuardedCall([&] { TimerTick(); });
}

void TCustomGrid::StartTimer1(int interval)
{
    if (d_->timer1.isActive() && interval == d_->timer1Interval)
        return;
    d_->timer1.start(interval, this);
    d_->timer1Interval = interval;
}

void TCustomGrid::StopTimer1()
{
    d_->timer1.stop();
    d_->timer1Interval = -1;
}

void TCustomGrid::hideEvent(QHideEvent* event)
{
    QAbstractScrollArea::hideEvent(event);
    GuardedCall([&] { CancelMode(); });
}

void TCustomGrid::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        GuardedCall([&] { CancelMode(); });
}

void TCustomGrid::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    // The editor is part of the grid: the focus going there is not a loss.
    QWidget* next = QApplication::focusWidget();
    if (d_->editor && next == d_->editor)
        return;
    if (next == this)
        return;
    GuardedCall([&] { FocusLeft(); });
}

}  // namespace qelvor
