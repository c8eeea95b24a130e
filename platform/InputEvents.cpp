#include "platform/InputEvents.h"

#include <QApplication>
#include <QKeyEvent>

namespace qelvor {

namespace {

// Keys whose virtual code differs from Qt's key value.
TVirtualKey NamedKey(int key, bool keypad)
{
    switch (key) {
    case Qt::Key_Backspace: return vk::Back;
    case Qt::Key_Tab: case Qt::Key_Backtab: return vk::Tab;
    case Qt::Key_Return: case Qt::Key_Enter: return vk::Return;
    case Qt::Key_Shift: return vk::Shift;
    case Qt::Key_Control: return vk::Control;
    case Qt::Key_Alt: return vk::Menu;
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_Space: return vk::Space;
    case Qt::Key_PageUp: return vk::Prior;
    case Qt::Key_PageDown: return vk::Next;
    case Qt::Key_End: return vk::End;
    case Qt::Key_Home: return vk::Home;
    case Qt::Key_Left: return vk::Left;
    case Qt::Key_Up: return vk::Up;
    case Qt::Key_Right: return vk::Right;
    case Qt::Key_Down: return vk::Down;
    case Qt::Key_Insert: return vk::Insert;
    case Qt::Key_Delete: return vk::Delete;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return vk::Quote;
    case Qt::Key_Asterisk: return keypad ? vk::Multiply : vk::Letter('8');
    case Qt::Key_Plus: return keypad ? vk::Add : TVirtualKey{187};
    case Qt::Key_Minus: return keypad ? vk::Subtract : TVirtualKey{189};
    default: return vk::None;
    }
}

std::function<void()>& BeepHook()
{
    static std::function<void()> hook;
    return hook;
}

}  // namespace

TVirtualKey VirtualKeyOf(const QKeyEvent& event)
{
    const int key = event.key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<TVirtualKey>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<TVirtualKey>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<TVirtualKey>(vk::F1 + (key - Qt::Key_F1));
    return NamedKey(key, event.modifiers().testFlag(Qt::KeypadModifier));
}

TFocusMove FocusMoveOf(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (!modifiers.testFlag(Qt::ControlModifier) || modifiers.testFlag(Qt::AltModifier)
        || modifiers.testFlag(Qt::MetaModifier))
        return TFocusMove::None;
    // With Shift, X11 reports Backtab; a synthesised event may say Tab with Shift.
    if (event.key() == Qt::Key_Backtab)
        return TFocusMove::Previous;
    if (event.key() == Qt::Key_Tab)
        return modifiers.testFlag(Qt::ShiftModifier) ? TFocusMove::Previous : TFocusMove::Next;
    return TFocusMove::None;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState shift;
    if (modifiers.testFlag(Qt::ShiftModifier))
        shift.Include(ssShift);
    if (modifiers.testFlag(Qt::AltModifier))
        shift.Include(ssAlt);
    if (modifiers.testFlag(Qt::ControlModifier))
        shift.Include(ssCtrl);
    if (buttons.testFlag(Qt::LeftButton))
        shift.Include(ssLeft);
    if (buttons.testFlag(Qt::RightButton))
        shift.Include(ssRight);
    if (buttons.testFlag(Qt::MiddleButton))
        shift.Include(ssMiddle);
    return shift;
}

std::optional<TMouseButton> MouseButtonOf(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return TMouseButton::mbLeft;
    case Qt::RightButton: return TMouseButton::mbRight;
    case Qt::MiddleButton: return TMouseButton::mbMiddle;
    default: return std::nullopt;
    }
}

void Beep()
{
    if (BeepHook())
        BeepHook()();
    else
        QApplication::beep();
}

std::function<void()> SetBeepHook(std::function<void()> hook)
{
    std::function<void()> previous = std::move(BeepHook());
    BeepHook() = std::move(hook);
    return previous;
}

}  // namespace qelvor
