// PasswordPrompt: asks for a password on the terminal, without echo.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace qelvor::query {

// Writes prompt to the controlling terminal and reads one line from it with echo off,
// restoring the terminal afterwards (also when an interrupt ends the program meanwhile).
// None when there is no terminal, when the user typed nothing within bound, or on end
// of input.
std::optional<std::string> PromptPassword(const std::string& prompt, std::chrono::seconds bound);

}  // namespace qelvor::query
