// InputEvents: the controls' own input vocabulary and its translation from Qt.
//
// Keys are virtual key codes (16-bit, the values of the Windows key set, so that
// "Ctrl+'" is key 222), modifiers and held buttons form a TShiftState, and mouse
// buttons are TMouseButton. Every Qt key, modifier and button that reaches a control
// of ours is translated here and nowhere else. The system beep goes through a hook
// so that tests can count it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include <Qt>

#include "runtime/Set.h"

class QKeyEvent;

namespace qelvor {

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// A virtual key code; 0 is "no key" (a handler that swallows a key sets it to 0).
using TVirtualKey = std::uint16_t;

namespace vk {
inline constexpr TVirtualKey None = 0;
inline constexpr TVirtualKey Back = 8;
inline constexpr TVirtualKey Tab = 9;
inline constexpr TVirtualKey Return = 13;
inline constexpr TVirtualKey Shift = 16;
inline constexpr TVirtualKey Control = 17;
inline constexpr TVirtualKey Menu = 18;  // Alt
inline constexpr TVirtualKey Escape = 27;
inline constexpr TVirtualKey Space = 32;
inline constexpr TVirtualKey Prior = 33;  // PgUp
inline constexpr TVirtualKey Next = 34;   // PgDn
inline constexpr TVirtualKey End = 35;
inline constexpr TVirtualKey Home = 36;
inline constexpr TVirtualKey Left = 37;
inline constexpr TVirtualKey Up = 38;
inline constexpr TVirtualKey Right = 39;
inline constexpr TVirtualKey Down = 40;
inline constexpr TVirtualKey Insert = 45;
inline constexpr TVirtualKey Delete = 46;
inline constexpr TVirtualKey Multiply = 106;  // numeric keypad *
inline constexpr TVirtualKey Add = 107;       // numeric keypad +
inline constexpr TVirtualKey Subtract = 109;  // numeric keypad -
inline constexpr TVirtualKey F1 = 112;
inline constexpr TVirtualKey F2 = 113;
inline constexpr TVirtualKey Quote = 222;  // the ' key
// Letters and digits are their upper-case ASCII codes ('A' = 65, '0' = 48).
constexpr TVirtualKey Letter(char upper) { return static_cast<TVirtualKey>(upper); }
}  // namespace vk

// The virtual key of a Qt key event (Backtab is Tab; 0 for keys without one).
TVirtualKey VirtualKeyOf(const QKeyEvent& event);

// Ctrl+Tab (forward) and Ctrl+Shift+Tab (back): the keys that move the focus to the
// next or previous control also out of a control that keeps Tab for itself.
enum class TFocusMove { None, Next, Previous };
TFocusMove FocusMoveOf(const QKeyEvent& event);
inline bool IsFocusMoveKey(const QKeyEvent& event) { return FocusMoveOf(event) != TFocusMove::None; }

// Shift, Alt and Ctrl from the modifiers, ssLeft/ssRight/ssMiddle from the held buttons.
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);

// The control button of a Qt button; nothing for the extra buttons controls ignore.
std::optional<TMouseButton> MouseButtonOf(Qt::MouseButton button);

// Sounds the system beep (or calls the installed hook instead).
void Beep();
// Installs a hook that replaces the beep (empty: the real beep); returns the previous one.
std::function<void()> SetBeepHook(std::function<void()> hook);

}  // namespace qelvor
