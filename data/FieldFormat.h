// FieldFormat: value conversions and the numeric display format of the field classes.
//
// Result cells do not always hold the type their column declares (an SQLite column
// can hold any value), so every field class converts leniently and falls back to the
// value's plain text rather than failing while a grid paints.
//
// A display format has up to three sections separated by ';' (positive; negative;
// zero). In a section '0' is a digit that is always shown, '#' a digit shown when
// significant, '.' the decimal point, ',' (before the point) asks for thousands
// separators; text in single or double quotes and every other character is literal.
//
// A date-time display format is read letter by letter, in any case: d, dd the day;
// ddd, dddd the day's name; ddddd the date as a date field shows it; m, mm the month
// (the minutes right after an hour or before seconds); mmm, mmmm the month's name;
// yy, yyyy the year; h, hh the hour; n, nn the minutes; s, ss the seconds; z, zzz the
// milliseconds; t, tt the time without and with seconds; c the date, and the time
// unless it is midnight; am/pm, a/p or ampm the half of the day, which also turns the
// hours to a 12-hour clock; '/' the date separator. Names come from the locale; quoted
// text and every other character are literal.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/Variant.h"

namespace qelvor::fieldformat {

// Whole number of value (integers, booleans, integral decimals and numeric text).
bool ToInteger(const Variant& value, std::int64_t& result);
// Floating-point number of value (any numeric value or numeric text).
bool ToFloat(const Variant& value, double& result);
// Plain decimal text ("-12.5", no exponent) of a numeric value; empty when not numeric.
std::string PlainDecimal(const Variant& value);
// Formats plain decimal text by a display format (see above).
std::string FormatDecimal(const std::string& format, const std::string& plainDecimal);
// Formats a date-time value by a date-time display format (see above); any other value
// gives its plain text.
std::string FormatDateTime(const std::string& format, const Variant& value);

}  // namespace qelvor::fieldformat
