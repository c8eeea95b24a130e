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

}  // namespace qelvor::fieldformat
