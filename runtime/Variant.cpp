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
    const CivilDateTime civil = DecodeDateTime(value.days);
    char date[64];
    char time[64];
    const char separator = DateSeparator();
    std::snprintf(date, sizeof date, "%04lld%c%02d%c%02d", civil.year, separator, civil.month, separator, civil.day);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", civil.hour, civil.minute, civil.second);
    switch (value.kind) {
    case DateTimeValue::Kind::Date: return date;
    case DateTimeValue::Kind::Time: return time;
    case DateTimeValue::Kind::DateTime: return std::string(date) + " " + time;
    }
    return date;
}

}  // namespace

CivilDateTime DecodeDateTime(double days)
{
    const double wholeDays = std::floor(days);
    // Rounding to milliseconds absorbs the binary fraction's error.
    long long milliseconds = std::llround((days - wholeDays) * 86400000.0);
    long long dayCount = static_cast<long long>(wholeDays);
    if (milliseconds >= 86400000) {
        milliseconds -= 86400000;
        ++dayCount;
    }
    // Civil date from a day count (days since 1970-01-01 after the shift).
    const long long z = dayCount - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    CivilDateTime civil;
    civil.dayOfWeek = static_cast<int>(((dayCount + 6) % 7 + 7) % 7);  // day 0 was a Saturday
    civil.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    civil.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    civil.year = yearOfEra + era * 400 + (civil.month <= 2 ? 1 : 0);
    const auto seconds = static_cast<int>(milliseconds / 1000);
    civil.hour = seconds / 3600;
    civil.minute = seconds / 60 % 60;
    civil.second = seconds % 60;
    civil.millisecond = static_cast<int>(milliseconds % 1000);
    return civil;
}

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
