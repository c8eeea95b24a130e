#include "data/recordset/DateText.h"

#include <cctype>

namespace qelvor::recordset {

namespace {

// Reads exactly `digits` decimal digits at text[at].
bool ReadNumber(std::string_view text, std::size_t& at, int digits, int& value)
{
    value = 0;
    for (int i = 0; i < digits; ++i, ++at) {
        if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at])))
            return false;
        value = value * 10 + (text[at] - '0');
    }
    return true;
}

bool Expect(std::string_view text, std::size_t& at, char c)
{
    if (at < text.size() && text[at] == c) {
        ++at;
        return true;
    }
    return false;
}

std::optional<double> ParseTime(std::string_view text, std::size_t& at)
{
    int hour = 0;
    int minute = 0;
    int second = 0;
    double fraction = 0;
    if (!ReadNumber(text, at, 2, hour) || !Expect(text, at, ':') || !ReadNumber(text, at, 2, minute))
        return std::nullopt;
    if (Expect(text, at, ':')) {
        if (!ReadNumber(text, at, 2, second))
            return std::nullopt;
        if (Expect(text, at, '.')) {
            double scale = 0.1;
            const std::size_t start = at;
            for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at, scale /= 10)
                fraction += (text[at] - '0') * scale;
            if (at == start)
                return std::nullopt;
        }
    }
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return (hour * 3600 + minute * 60 + second + fraction) / 86400.0;
}

bool ValidDay(int year, int month, int day)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

}  // namespace

std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t sinceEpoch = era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
    return sinceEpoch + 25569;  // 1970-01-01 is day 25569 after 1899-12-30
}

std::optional<double> ParseDateTimeText(std::string_view text)
{
    std::size_t at = 0;
    if (text.size() >= 3 && text[2] == ':') {
        auto time = ParseTime(text, at);
        return at == text.size() ? time : std::nullopt;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    if (!ReadNumber(text, at, 4, year) || !Expect(text, at, '-') || !ReadNumber(text, at, 2, month)
        || !Expect(text, at, '-') || !ReadNumber(text, at, 2, day) || !ValidDay(year, month, day))
        return std::nullopt;
    double days = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)));
    if (at == text.size())
        return days;
    if (!Expect(text, at, ' ') && !Expect(text, at, 'T'))
        return std::nullopt;
    const auto time = ParseTime(text, at);
    if (!time || at != text.size())
        return std::nullopt;
    // The plain sum also before 1899-12-30: readers split whole days off with floor.
    return days + *time;
}

}  // namespace qelvor::recordset
