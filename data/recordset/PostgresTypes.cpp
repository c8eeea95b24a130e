#include "data/recordset/PostgresTypes.h"

#include <charconv>
#include <limits>

#include "data/recordset/DateText.h"

namespace qelvor::recordset {

namespace {

// Type OIDs of the server's built-in types (fixed since their introduction).
enum : unsigned {
    kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kText = 25, kOid = 26, kFloat4 = 700,
    kFloat8 = 701, kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTime = 1083, kTimestamp = 1114,
    kTimestampTz = 1184, kNumeric = 1700, kUuid = 2950,
};

PostgresColumnType Make(DataTypeEnum type, ColumnStorage storage, bool isFixed = true)
{
    PostgresColumnType column;
    column.type = type;
    column.storage = storage;
    column.isFixed = isFixed;
    return column;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "\x0a1b..." -> bytes; false for any other form.
bool DecodeHexBytea(std::string_view text, std::string& bytes)
{
    if (text.size() < 2 || text[0] != '\\' || text[1] != 'x' || text.size() % 2 != 0)
        return false;
    bytes.clear();
    for (std::size_t i = 2; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

// A timestamp with time zone ends in "+08", "-05:30" and the like: the clock time shown is
// the session's, which is what the user reads; the offset is dropped.
std::string_view WithoutZone(std::string_view text)
{
    const std::size_t sign = text.find_last_of("+-");
    return sign != std::string_view::npos && sign > 10 ? text.substr(0, sign) : text;
}

}  // namespace

PostgresColumnType MapPostgresType(unsigned oid, int typeModifier)
{
    switch (oid) {
    case kBool: return Make(adBoolean, ColumnStorage::Boolean);
    case kInt2: return Make(adSmallInt, ColumnStorage::Integer);
    case kInt4: return Make(adInteger, ColumnStorage::Integer);
    case kInt8:
    case kOid: return Make(adBigInt, ColumnStorage::Integer);
    case kFloat4: return Make(adSingle, ColumnStorage::Real);
    case kFloat8: return Make(adDouble, ColumnStorage::Real);
    case kNumeric: {
        PostgresColumnType column = Make(adNumeric, ColumnStorage::Decimal);
        if (typeModifier >= 4) {
            column.precision = ((typeModifier - 4) >> 16) & 0xFFFF;
            column.numericScale = (typeModifier - 4) & 0xFFFF;
        } else {
            column.precision = 38;  // unconstrained: what the server's largest fixed form needs
            column.numericScale = 0;
        }
        return column;
    }
    case kDate: {
        PostgresColumnType column = Make(adDBDate, ColumnStorage::DateTime);
        column.dateKind = DateTimeValue::Kind::Date;
        return column;
    }
    case kTime: {
        PostgresColumnType column = Make(adDBTime, ColumnStorage::DateTime);
        column.dateKind = DateTimeValue::Kind::Time;
        return column;
    }
    case kTimestamp:
    case kTimestampTz: return Make(adDBTimeStamp, ColumnStorage::DateTime);
    case kBytea: return Make(adVarBinary, ColumnStorage::Binary, false);
    case kUuid: {
        PostgresColumnType column = Make(adGUID, ColumnStorage::Text);
        column.definedSize = 38;
        return column;
    }
    case kBpchar:
    case kVarchar: {
        PostgresColumnType column = Make(oid == kBpchar ? adWChar : adVarWChar, ColumnStorage::Text, oid == kBpchar);
        column.definedSize = typeModifier >= 4 ? typeModifier - 4 : 0;
        return column;
    }
    default: return Make(adVarWChar, ColumnStorage::Text, false);  // text, and any type as its text
    }
}

void AppendPostgresValue(ColumnBuilder& builder, const PostgresColumnType& column, std::string_view text,
                         std::string& scratch)
{
    switch (column.storage) {
    case ColumnStorage::Text:
    case ColumnStorage::Decimal: builder.AppendBytes(text); return;
    case ColumnStorage::Binary:
        if (DecodeHexBytea(text, scratch))
            builder.AppendBytes(scratch);
        else
            builder.AppendNull();
        return;
    case ColumnStorage::Boolean: builder.AppendInteger(text == "t"); return;
    case ColumnStorage::Integer: {
        std::int64_t value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        builder.AppendInteger(value);
        return;
    }
    case ColumnStorage::Real: {
        // from_chars reads the server's C-locale form whatever the process locale is.
        double value = 0;
        if (text == "Infinity" || text == "-Infinity")
            value = text[0] == '-' ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        else if (text == "NaN")
            value = std::numeric_limits<double>::quiet_NaN();
        else
            std::from_chars(text.data(), text.data() + text.size(), value);
        builder.AppendReal(value);
        return;
    }
    case ColumnStorage::DateTime:
        if (const auto days = ParseDateTimeText(column.type == adDBTimeStamp ? WithoutZone(text) : text))
            builder.AppendReal(*days);
        else
            builder.AppendNull();  // "infinity" and years the calendar helpers do not take
        return;
    }
}

}  // namespace qelvor::recordset
