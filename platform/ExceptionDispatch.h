// ExceptionDispatch: where failures raised while a window message is handled end up.
//
// Exceptions must never cross Qt's event loop. Every event override and every
// signal handler of our controls runs its work through GuardedCall, which hands a
// failure to HandleException: the application object shows its message in an error
// box owned by the window the failure happened in (the modal browse window, centred
// over it, which stays on top of the host's windows) and titled with the application title
// (adding "." when the last character sorts after "."); EAbort shows nothing.
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <utility>

class QWidget;

namespace qelvor {

// The window an error box belongs to: the running modal window, else the active window,
// else the application window (nullptr when none is a widget of this process).
QWidget* ErrorBoxOwner();

// Reports the exception as the application object does (message box or nothing).
void HandleException(std::exception_ptr failure);

// The message a failure carries: what() of a standard exception, else "Unknown exception".
std::string ExceptionMessage(std::exception_ptr failure);

// The text an error box shows for message: "." appended when the message's last
// character (a code point) sorts after ".".
std::string ErrorBoxText(const std::string& message);

// Shows one error box (title and text in UTF-8). Replaceable, so that a test can see
// what the user would see without a modal box.
using ErrorPresenter = std::function<void(const std::string& title, const std::string& text)>;

// Installs presenter (an empty one restores the standard box); returns the previous one.
ErrorPresenter SetErrorPresenter(ErrorPresenter presenter);

// Runs action(); a failure is reported by HandleException. True when nothing failed.
template <typename Action>
bool GuardedCall(Action&& action)
{
    try {
        std::forward<Action>(action)();
        return true;
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

}  // namespace qelvor
