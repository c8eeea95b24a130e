// DateText: conversions between calendar dates and the day counts of DateTimeValue
// (days since 1899-12-30, the fraction being the time of day).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qelvor::recordset {

// Day count of a proleptic Gregorian date (month 1..12, day 1..31).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);

// Parses "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (also with "T"), or "HH:MM[:SS[.fff]]";
// none when the text is not one of these or names an impossible date or time.
std::optional<double> ParseDateTimeText(std::string_view text);

}  // namespace qelvor::recordset
