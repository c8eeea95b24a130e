#include "data/recordset/MariadbTypes.h"

#include <mysql.h>

#include <algorithm>
#include <charconv>

#include "data/recordset/DateText.h"

namespace qelvor::recordset {

namespace {

constexpr unsigned kBinaryCharacterSet = 63;

MariadbColumnType Make(DataTypeEnum type, ColumnStorage storage, std::int64_t size, bool isFixed = true)
{
    MariadbColumnType column;
    column.type = type;
    column.storage = storage;
    column.size = size;
    column.isFixed = isFixed;
    return column;
}

MariadbColumnType Date(DataTypeEnum type, DateTimeValue::Kind kind, std::int64_t size, unsigned decimals)
{
    // Fractions of seconds widen the form by a point and their digits; the server gives 31
    // and more for an expression whose fraction it does not know.
    const unsigned fraction = std::min(decimals, 6u);
    MariadbColumnType column = Make(type, ColumnStorage::DateTime, size + (fraction > 0 ? fraction + 1 : 0));
    column.dateKind = kind;
    return column;
}

MariadbColumnType Long(DataTypeEnum type, ColumnStorage storage, std::int64_t size)
{
    MariadbColumnType column = Make(type, storage, size, false);
    column.isLong = true;
    return column;
}

}  // namespace

MariadbColumnType MapMariadbType(const MariadbFieldFacts& field)
{
    const bool isBinary = field.characterSet == kBinaryCharacterSet;
    const auto length = static_cast<std::int64_t>(std::min<std::uint64_t>(field.length, INT64_MAX));
    const std::int64_t characters = length / std::max(1u, field.bytesPerCharacter);
    switch (field.type) {
    case MYSQL_TYPE_TINY: return Make(adTinyInt, ColumnStorage::Integer, 3);
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_YEAR: return Make(adSmallInt, ColumnStorage::Integer, 5);
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONG: return Make(adInteger, ColumnStorage::Integer, 10);
    case MYSQL_TYPE_LONGLONG: return Make(adBigInt, ColumnStorage::Integer, (field.flags & UNSIGNED_FLAG) ? 19 : 20);
    case MYSQL_TYPE_FLOAT: return Make(adSingle, ColumnStorage::Real, 7);
    case MYSQL_TYPE_DOUBLE: return Make(adDouble, ColumnStorage::Real, 15);
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL: {
        // The length counts the point and, unless unsigned, the sign.
        const std::int64_t digits = length - (field.decimals > 0 ? 1 : 0) - ((field.flags & UNSIGNED_FLAG) ? 0 : 1);
        MariadbColumnType column = Make(adNumeric, ColumnStorage::Decimal, std::max<std::int64_t>(digits, 1));
        column.scale = static_cast<int>(field.decimals);
        return column;
    }
    case MYSQL_TYPE_DATE:
    case MYSQL_TYPE_NEWDATE: return Date(adDBDate, DateTimeValue::Kind::Date, 10, 0);
    case MYSQL_TYPE_TIME:
    case MYSQL_TYPE_TIME2: return Date(adDBTime, DateTimeValue::Kind::Time, 8, field.decimals);
    case MYSQL_TYPE_DATETIME:
    case MYSQL_TYPE_DATETIME2:
    case MYSQL_TYPE_TIMESTAMP:
    case MYSQL_TYPE_TIMESTAMP2: return Date(adDBTimeStamp, DateTimeValue::Kind::DateTime, 19, field.decimals);
    case MYSQL_TYPE_BIT:
        if (length == 1)
            return Make(adBoolean, ColumnStorage::Boolean, 1);
        return Make(adBinary, ColumnStorage::Binary, length);
    case MYSQL_TYPE_NULL: return Make(adVarWChar, ColumnStorage::Text, 0, false);
    case MYSQL_TYPE_STRING:
    case MYSQL_TYPE_ENUM:
    case MYSQL_TYPE_SET:
        if (isBinary)
            return Make(adBinary, ColumnStorage::Binary, length);
        return Make(adWChar, ColumnStorage::Text, characters);
    case MYSQL_TYPE_VAR_STRING:
    case MYSQL_TYPE_VARCHAR:
        if (isBinary)
            return Make(adVarBinary, ColumnStorage::Binary, length, false);
        return Make(adVarWChar, ColumnStorage::Text, characters, false);
    case MYSQL_TYPE_TINY_BLOB:
    case MYSQL_TYPE_BLOB:
    case MYSQL_TYPE_MEDIUM_BLOB:
    case MYSQL_TYPE_LONG_BLOB:
    case MYSQL_TYPE_JSON:
        if (isBinary)
            return Long(adLongVarBinary, ColumnStorage::Binary, length);
        return Long(adLongVarWChar, ColumnStorage::Text, characters);
    case MYSQL_TYPE_GEOMETRY: return Long(adLongVarBinary, ColumnStorage::Binary, length);
    default: return Long(adVarWChar, ColumnStorage::Text, characters);
    }
}

FieldInfo DescribeMariadbField(const MariadbFieldFacts& facts, const MariadbColumnType& mapped)
{
    FieldInfo field;
    field.type = mapped.type;
    if (mapped.storage == ColumnStorage::Text || mapped.storage == ColumnStorage::Binary) {
        field.definedSize = mapped.size;
    } else {
        field.precision = static_cast<int>(mapped.size);
        if (mapped.storage == ColumnStorage::Decimal)
            field.numericScale = mapped.scale;
    }
    if (!(facts.flags & NOT_NULL_FLAG))
        field.attributes |= adFldIsNullable | adFldMayBeNull;
    if (mapped.isFixed)
        field.attributes |= adFldFixed;
    if (mapped.isLong)
        field.attributes |= adFldLong;
    // The driver cannot tell whether a table's column may be written; an expression may not.
    if (facts.fromTable)
        field.attributes |= adFldUnknownUpdatable;
    field.isAutoIncrement = (facts.flags & AUTO_INCREMENT_FLAG) != 0;
    return field;
}

void AppendMariadbValue(ColumnBuilder& builder, const MariadbColumnType& column, std::string_view text)
{
    switch (column.storage) {
    case ColumnStorage::Text:
    case ColumnStorage::Binary:
    case ColumnStorage::Decimal: builder.AppendBytes(text); return;
    case ColumnStorage::Boolean:
        // BIT(1) arrives as one byte, 0 or 1.
        builder.AppendInteger(std::any_of(text.begin(), text.end(), [](char c) { return c != 0; }));
        return;
    case ColumnStorage::Integer: {
        std::int64_t value = 0;
        const char* const end = text.data() + text.size();
        if (std::from_chars(text.data(), end, value).ec != std::errc()) {
            // An unsigned BIGINT past the signed range keeps its bits, as the driver's does.
            std::uint64_t unsignedValue = 0;
            std::from_chars(text.data(), end, unsignedValue);
            value = static_cast<std::int64_t>(unsignedValue);
        }
        builder.AppendInteger(value);
        return;
    }
    case ColumnStorage::Real: {
        // from_chars reads the server's C-locale form whatever the process locale is.
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        builder.AppendReal(value);
        return;
    }
    case ColumnStorage::DateTime:
        if (const auto days = ParseDateTimeText(text))
            builder.AppendReal(*days);
        else
            builder.AppendNull();  // a zero date, a time past a day or before midnight
        return;
    }
}

}  // namespace qelvor::recordset
