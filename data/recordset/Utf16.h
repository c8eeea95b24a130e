// Utf16: conversions between our UTF-8 text and the UTF-16 code units of the ODBC
// wide API. Invalid sequences become U+FFFD rather than failing: a value fetched from
// a database must always be shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qelvor::recordset {

// Appends the UTF-8 form of `count` UTF-16 units to out.
void AppendUtf8(const std::uint16_t* units, std::size_t count, std::string& out);
// Code units up to (not including) the first zero unit, at most `capacity`.
std::size_t Utf16Length(const std::uint16_t* units, std::size_t capacity);
// The UTF-16 form of utf8, without terminator.
std::u16string ToUtf16(const std::string& utf8);

}  // namespace qelvor::recordset
