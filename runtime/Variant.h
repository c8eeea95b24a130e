// Variant: one value of a result cell, a field value slot or a bookmark.
//
// Text is UTF-8. Dates and times are day counts since 1899-12-30 (the fraction is
// the time of day), tagged with the kind of date they came from so that display
// formatting can tell a date from a time from a date-time. Exact numerics keep their
// decimal text so that no digit is lost.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace qelvor {

using Bytes = std::vector<std::uint8_t>;

struct DateTimeValue {
    enum class Kind : std::uint8_t { Date, Time, DateTime };
    double days = 0;  // days since 1899-12-30, fraction = time of day
    Kind kind = Kind::DateTime;
    friend bool operator==(const DateTimeValue&, const DateTimeValue&) = default;
};

// The calendar date and time of day of a day count. Seconds are cut, not rounded, so
// that 23:59:59.5 stays on its own day.
struct CivilDateTime {
    long long year = 1899;
    int month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    int dayOfWeek = 6;  // 0 = Sunday
};
CivilDateTime DecodeDateTime(double days);

// An exact numeric as canonical decimal text ("-12.50"), never rounded through double.
struct DecimalValue {
    std::string text;
    friend bool operator==(const DecimalValue&, const DecimalValue&) = default;
};

struct NullValue {
    friend bool operator==(NullValue, NullValue) = default;
};

class Variant {
public:
    using Storage = std::variant<NullValue, bool, std::int64_t, double, DecimalValue, DateTimeValue, std::string, Bytes>;

    Variant() = default;
    Variant(bool value) : storage_(value) {}
    Variant(int value) : storage_(std::int64_t{value}) {}
    Variant(std::int64_t value) : storage_(value) {}
    Variant(double value) : storage_(value) {}
    Variant(DecimalValue value) : storage_(std::move(value)) {}
    Variant(DateTimeValue value) : storage_(value) {}
    Variant(std::string value) : storage_(std::move(value)) {}
    Variant(const char* value) : storage_(std::string(value)) {}
    Variant(Bytes value) : storage_(std::move(value)) {}

    bool IsNull() const { return std::holds_alternative<NullValue>(storage_); }
    template <typename T> bool Holds() const { return std::holds_alternative<T>(storage_); }
    template <typename T> const T& Get() const { return std::get<T>(storage_); }
    const Storage& Raw() const { return storage_; }

    // Plain text of the value: decimal numbers, "True"/"False", ISO-like dates, raw text.
    std::string ToString() const;

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    Storage storage_;
};

}  // namespace qelvor
