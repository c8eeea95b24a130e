#include "runtime/Variant.h"

#include "runtime/FormatSettings.h"

#include <cmath>
#include <cstdio>
#include <type_traits>

namespace qelvor {

namespace {

std::string FormatDouble(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

// Days since 1899-12-30 to "YYYY-MM-DD" (with the date separator), "HH:MM:SS" or both.
std::string FormatDateTime(const DateTimeValue& value)
{
    const double wholeDays = std::floor(value.days);
    // Rounding to milliseconds absorbs the binary fraction's error; the shown seconds are
    // then cut, not rounded, so 23:59:59.5 stays on its own day.
    long long seconds = std::llround((value.days - wholeDays) * 86400000.0) / 1000;
    long long days = static_cast<long long>(wholeDays);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++days;
    }
    // Civil date from a day count (days since 1970-01-01 after the shift).
    long long z = days - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    const long long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const long long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

    char date[64];
    char time[64];
    const char separator = DateSeparator();
    std::snprintf(date, sizeof date, "%04lld%c%02lld%c%02lld", year, separator, month, separator, day);
    std::snprintf(time, sizeof time, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    switch (value.kind) {
    case DateTimeValue::Kind::Date: return date;
    case DateTimeValue::Kind::Time: return time;
    case DateTimeValue::Kind::DateTime: return std::string(date) + " " + time;
    }
    return date;
}

}  // namespace

std::string Variant::ToString() const
{
    return std::visit(
        [](const auto& value) -> std::string {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, NullValue>)
                return {};
            else if constexpr (std::is_same_v<T, bool>)
                return value ? "True" : "False";
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return std::to_string(value);
            else if constexpr (std::is_same_v<T, double>)
                return FormatDouble(value);
            else if constexpr (std::is_same_v<T, DecimalValue>)
                return value.text;
            else if constexpr (std::is_same_v<T, DateTimeValue>)
                return FormatDateTime(value);
            else if constexpr (std::is_same_v<T, std::string>)
                return value;
            else
                return std::string(value.begin(), value.end());
        },
        storage_);
}

}  // namespace qelvor
