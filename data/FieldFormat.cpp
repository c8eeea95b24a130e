#include "data/FieldFormat.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "runtime/FormatSettings.h"

namespace qelvor::fieldformat {

namespace {

bool ParseInteger(const std::string& text, std::int64_t& result)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return false;
    result = parsed;
    return true;
}

bool ParseFloat(const std::string& text, double& result)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (*end != '\0')
        return false;
    result = parsed;
    return true;
}

// A decimal number as sign, integer digits and fraction digits.
struct Decimal {
    bool negative = false;
    std::string whole;     // no leading zeros except a single "0"
    std::string fraction;  // may carry trailing zeros
};

Decimal SplitDecimal(const std::string& plain)
{
    Decimal result;
    std::size_t pos = 0;
    if (pos < plain.size() && (plain[pos] == '-' || plain[pos] == '+'))
        result.negative = plain[pos++] == '-';
    const std::size_t point = plain.find('.', pos);
    result.whole = plain.substr(pos, point == std::string::npos ? std::string::npos : point - pos);
    if (point != std::string::npos)
        result.fraction = plain.substr(point + 1);
    const std::size_t firstDigit = result.whole.find_first_not_of('0');
    result.whole = firstDigit == std::string::npos ? "0" : result.whole.substr(firstDigit);
    return result;
}

bool IsZero(const Decimal& value)
{
    return value.whole == "0" && value.fraction.find_first_not_of('0') == std::string::npos;
}

// Rounds half away from zero to `decimals` fraction digits.
void Round(Decimal& value, std::size_t decimals)
{
    if (value.fraction.size() <= decimals) {
        value.fraction.append(decimals - value.fraction.size(), '0');
        return;
    }
    const bool up = value.fraction[decimals] >= '5';
    value.fraction.resize(decimals);
    if (!up)
        return;
    std::string digits = value.whole + value.fraction;
    int index = static_cast<int>(digits.size()) - 1;
    while (index >= 0 && digits[static_cast<std::size_t>(index)] == '9')
        digits[static_cast<std::size_t>(index--)] = '0';
    if (index < 0)
        digits.insert(digits.begin(), '1');
    else
        ++digits[static_cast<std::size_t>(index)];
    value.whole = digits.substr(0, digits.size() - decimals);
    value.fraction = digits.substr(digits.size() - decimals);
}

// Splits a format into its ';' sections, honouring quoted text.
std::vector<std::string> Sections(const std::string& format)
{
    std::vector<std::string> sections(1);
    char quote = 0;
    for (const char c : format) {
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

struct Pattern {
    std::string prefix, suffix;
    int wholeZeros = 0, fractionZeros = 0, fractionDigits = 0;
    bool thousands = false, hasDigits = false, hasPoint = false;
};

Pattern ParsePattern(const std::string& section)
{
    Pattern pattern;
    bool afterPoint = false;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        std::string& literal = pattern.hasDigits ? pattern.suffix : pattern.prefix;
        if (c == '\'' || c == '"') {
            const std::size_t close = section.find(c, i + 1);
            const std::size_t end = close == std::string::npos ? section.size() : close;
            literal += section.substr(i + 1, end - i - 1);
            i = end;
        } else if (c == '0' || c == '#') {
            pattern.hasDigits = true;
            if (afterPoint) {
                ++pattern.fractionDigits;
                if (c == '0')
                    pattern.fractionZeros = pattern.fractionDigits;
            } else if (c == '0') {
                ++pattern.wholeZeros;
            }
        } else if (c == '.' && !afterPoint) {
            afterPoint = pattern.hasPoint = true;
            pattern.hasDigits = true;
        } else if (c == ',' && !afterPoint) {
            pattern.thousands = true;
        } else {
            literal += c;
        }
    }
    return pattern;
}

std::string GroupThousands(const std::string& digits)
{
    std::string grouped;
    const std::size_t size = digits.size();
    for (std::size_t i = 0; i < size; ++i) {
        if (i > 0 && (size - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string Apply(const Pattern& pattern, Decimal value, bool withSign)
{
    if (!pattern.hasDigits)
        return pattern.prefix + pattern.suffix;
    Round(value, static_cast<std::size_t>(pattern.fractionDigits));
    std::string fraction = value.fraction;
    while (static_cast<int>(fraction.size()) > pattern.fractionZeros && fraction.back() == '0')
        fraction.pop_back();
    std::string whole = value.whole == "0" ? std::string() : value.whole;
    if (static_cast<int>(whole.size()) < pattern.wholeZeros)
        whole.insert(0, static_cast<std::size_t>(pattern.wholeZeros) - whole.size(), '0');
    if (pattern.thousands)
        whole = GroupThousands(whole);
    // A value that rounds away entirely still shows as "0".
    std::string number = whole.empty() && fraction.empty() ? std::string(1, '0') : whole;
    if (!fraction.empty()) {
        number += '.';
        number += fraction;
    }
    const bool negative = withSign && value.negative && !IsZero(value);
    return (negative ? "-" : "") + pattern.prefix + number + pattern.suffix;
}

// --- date-time formats ---

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Length of the run of one letter (in any case) starting at `at`.
std::size_t RunLength(const std::string& format, std::size_t at)
{
    std::size_t end = at;
    while (end < format.size() && Lower(format[end]) == Lower(format[at]))
        ++end;
    return end - at;
}

bool MatchesAt(const std::string& format, std::size_t at, std::string_view word)
{
    if (format.size() - at < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (Lower(format[at + i]) != word[i])
            return false;
    return true;
}

// Length of the half-of-day marker at `at`; 0 when there is none.
std::size_t HalfDayMarkerAt(const std::string& format, std::size_t at)
{
    for (const std::string_view marker : {"am/pm", "ampm", "a/p"})
        if (MatchesAt(format, at, marker))
            return marker.size();
    return 0;
}

bool UsesTwelveHourClock(const std::string& format)
{
    char quote = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (quote)
            quote = c == quote ? 0 : quote;
        else if (c == '\'' || c == '"')
            quote = c;
        else if (HalfDayMarkerAt(format, i) > 0)
            return true;
    }
    return false;
}

std::string Padded(long long value, std::size_t digits)
{
    std::string text = std::to_string(value);
    if (text.size() < digits)
        text.insert(0, digits - text.size(), '0');
    return text;
}

class DateTimeFormatter {
public:
    DateTimeFormatter(const std::string& format, const DateTimeValue& value)
        : format_(format), value_(value), civil_(DecodeDateTime(value.days)), twelveHour_(UsesTwelveHourClock(format))
    {
    }

    std::string Run()
    {
        for (std::size_t at = 0; at < format_.size();)
            at += Token(at);
        return text_;
    }

private:
    // Appends the token starting at `at` and returns its length.
    std::size_t Token(std::size_t at)
    {
        const char c = format_[at];
        if (c == '\'' || c == '"')
            return Quoted(at);
        if (const std::size_t marker = HalfDayMarkerAt(format_, at))
            return HalfDay(at, marker);
        if (c == '/') {
            text_ += DateSeparator();
            return 1;
        }
        const std::size_t run = RunLength(format_, at);
        const char letter = Lower(c);
        if (!Field(letter, run, at)) {
            text_ += c;
            return 1;
        }
        afterHour_ = letter == 'h';
        return letter == 'c' ? 1 : run;
    }

    std::size_t Quoted(std::size_t at)
    {
        const std::size_t close = format_.find(format_[at], at + 1);
        const std::size_t end = close == std::string::npos ? format_.size() : close;
        text_ += format_.substr(at + 1, end - at - 1);
        return std::min(end + 1, format_.size()) - at;
    }

    // "ampm" takes the locale's names; "am/pm" and "a/p" show the half as written.
    std::size_t HalfDay(std::size_t at, std::size_t length)
    {
        const bool afternoon = civil_.hour >= 12;
        if (length == 4) {
            text_ += HalfDayName(afternoon);
        } else {
            const std::size_t slash = format_.find('/', at);
            text_ += afternoon ? format_.substr(slash + 1, at + length - slash - 1) : format_.substr(at, slash - at);
        }
        return length;
    }

    // Appends a run of a field letter; false when the letter is no field.
    bool Field(char letter, std::size_t run, std::size_t at)
    {
        switch (letter) {
        case 'y': text_ += run <= 2 ? Padded(civil_.year % 100, 2) : Padded(civil_.year, 4); return true;
        case 'm': Month(run, at); return true;
        case 'd': Day(run); return true;
        case 'h': text_ += Padded(ClockHour(), run >= 2 ? 2 : 1); return true;
        case 'n': text_ += Padded(civil_.minute, run >= 2 ? 2 : 1); return true;
        case 's': text_ += Padded(civil_.second, run >= 2 ? 2 : 1); return true;
        case 'z': text_ += Padded(civil_.millisecond, run >= 3 ? 3 : 1); return true;
        case 't': text_ += Time(run >= 2); return true;
        case 'c': DateAndTime(); return true;
        default: return false;
        }
    }

    void Month(std::size_t run, std::size_t at)
    {
        if (run <= 2 && (afterHour_ || SecondsFollow(at + run)))
            text_ += Padded(civil_.minute, run);
        else if (run <= 2)
            text_ += Padded(civil_.month, run);
        else
            text_ += MonthName(civil_.month, run == 3);
    }

    void Day(std::size_t run)
    {
        if (run <= 2)
            text_ += Padded(civil_.day, run);
        else if (run <= 4)
            text_ += DayName(civil_.dayOfWeek, run == 3);
        else
            text_ += Date();
    }

    // Whether the next letter of the format, past separators, asks for seconds.
    bool SecondsFollow(std::size_t at) const
    {
        while (at < format_.size() && !std::isalpha(static_cast<unsigned char>(format_[at])))
            ++at;
        return at < format_.size() && Lower(format_[at]) == 's';
    }

    int ClockHour() const
    {
        if (!twelveHour_)
            return civil_.hour;
        const int hour = civil_.hour % 12;
        return hour == 0 ? 12 : hour;
    }

    std::string Date() const { return Variant(DateTimeValue{value_.days, DateTimeValue::Kind::Date}).ToString(); }

    std::string Time(bool withSeconds) const
    {
        std::string time = Padded(civil_.hour, 2) + ":" + Padded(civil_.minute, 2);
        return withSeconds ? time + ":" + Padded(civil_.second, 2) : time;
    }

    void DateAndTime()
    {
        text_ += Date();
        if (civil_.hour != 0 || civil_.minute != 0 || civil_.second != 0 || civil_.millisecond != 0)
            text_ += " " + Time(true);
    }

    const std::string& format_;
    DateTimeValue value_;
    CivilDateTime civil_;
    bool twelveHour_;
    bool afterHour_ = false;
    std::string text_;
};

}  // namespace

bool ToInteger(const Variant& value, std::int64_t& result)
{
    if (value.Holds<std::int64_t>()) {
        result = value.Get<std::int64_t>();
        return true;
    }
    if (value.Holds<bool>()) {
        result = value.Get<bool>() ? 1 : 0;
        return true;
    }
    if (value.Holds<double>()) {
        const double number = value.Get<double>();
        if (!std::isfinite(number) || number != std::trunc(number) || std::fabs(number) > 9.2e18)
            return false;
        result = static_cast<std::int64_t>(number);
        return true;
    }
    if (value.Holds<DecimalValue>() || value.Holds<std::string>())
        return ParseInteger(value.ToString(), result);
    return false;
}

bool ToFloat(const Variant& value, double& result)
{
    if (value.Holds<double>()) {
        result = value.Get<double>();
        return true;
    }
    std::int64_t whole = 0;
    if (value.Holds<std::int64_t>() || value.Holds<bool>()) {
        ToInteger(value, whole);
        result = static_cast<double>(whole);
        return true;
    }
    if (value.Holds<DecimalValue>() || value.Holds<std::string>())
        return ParseFloat(value.ToString(), result);
    return false;
}

std::string PlainDecimal(const Variant& value)
{
    std::int64_t whole = 0;
    if (value.Holds<std::int64_t>() || value.Holds<bool>()) {
        ToInteger(value, whole);
        return std::to_string(whole);
    }
    if (value.Holds<DecimalValue>())
        return value.Get<DecimalValue>().text;
    double number = 0;
    if (!ToFloat(value, number) || !std::isfinite(number))
        return {};
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.15f", number);
    return buffer;
}

std::string FormatDecimal(const std::string& format, const std::string& plainDecimal)
{
    const Decimal value = SplitDecimal(plainDecimal);
    const std::vector<std::string> sections = Sections(format);
    if (IsZero(value) && sections.size() >= 3 && !sections[2].empty())
        return Apply(ParsePattern(sections[2]), value, false);
    if (value.negative && sections.size() >= 2 && !sections[1].empty())
        return Apply(ParsePattern(sections[1]), value, false);
    return Apply(ParsePattern(sections[0]), value, true);
}

std::string FormatDateTime(const std::string& format, const Variant& value)
{
    if (!value.Holds<DateTimeValue>())
        return value.ToString();
    return DateTimeFormatter(format, value.Get<DateTimeValue>()).Run();
}

}  // namespace qelvor::fieldformat
