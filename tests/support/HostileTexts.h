// HostileTexts: admission-number edit texts meant to break a composed statement.
//
// Quotes of all three kinds (single, doubled, unbalanced), colons and doubled colons
// (parameter syntax), comment markers, semicolons with statements after them,
// backslashes (escape syntax on some servers), ODBC escape braces, dollar quoting,
// control characters and NUL, characters outside the Basic Multilingual Plane,
// direction marks, SQL fragments, each alone and inside real-looking ticket numbers.
// All texts are UTF-8; the list is the same on every call.
#pragma once

#include <string>
#include <vector>

namespace qelvor::test {

// The corpus (well over 200 texts); the empty text is not among them.
std::vector<std::string> HostileTexts();

// A text of `bytes` bytes of ticket-like digits with quotes, backslashes and a
// statement fragment spread through it.
std::string HugeHostileText(std::size_t bytes);

// Whether text holds a NUL byte (no database stores one in a text column).
inline bool HoldsNul(const std::string& text)
{
    return text.find('\0') != std::string::npos;
}

}  // namespace qelvor::test
