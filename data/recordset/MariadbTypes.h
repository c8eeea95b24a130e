// MariadbTypes: from a MariaDB result column (MYSQL_FIELD: type, length, decimals, flags,
// character set) to the field description and storage of the record-set layer, and the
// server's text form of a value to what the column builder takes.
//
// The description is the one the MariaDB ODBC driver gives for the same column, so that a
// result reads alike whichever way the server was reached:
//   TINYINT/SMALLINT, YEAR/MEDIUMINT, INT/BIGINT -> adTinyInt/adSmallInt/adInteger/adBigInt
//   FLOAT/DOUBLE -> adSingle/adDouble       DECIMAL -> adNumeric (precision, scale)
//   DATE/TIME/DATETIME, TIMESTAMP -> adDBDate/adDBTime/adDBTimeStamp    BIT(1) -> adBoolean
//   CHAR, ENUM, SET -> adWChar   VARCHAR -> adVarWChar   TEXT -> adLongVarWChar (long)
//   BINARY, BIT(n) -> adBinary   VARBINARY -> adVarBinary   BLOB -> adLongVarBinary (long)
// Character set 63 ("binary") makes a string type binary. Text sizes are in characters:
// the server gives bytes (the character set's widest character times the characters).
#pragma once

#include <cstdint>
#include <string_view>

#include "data/recordset/ColumnBuilder.h"
#include "data/recordset/RecordSetTypes.h"

namespace qelvor::recordset {

// What the server tells of one result column (the fields of MYSQL_FIELD that matter).
struct MariadbFieldFacts {
    int type = 0;                    // enum_field_types
    std::uint64_t length = 0;        // the widest value, in bytes
    unsigned decimals = 0;           // digits after the point (decimals, fractions of seconds)
    unsigned flags = 0;              // NOT_NULL_FLAG, UNSIGNED_FLAG, AUTO_INCREMENT_FLAG…
    unsigned characterSet = 0;       // the character set's number; 63 is binary
    unsigned bytesPerCharacter = 1;  // the character set's widest character in bytes
    bool fromTable = false;          // the column reads a table's column (not an expression)
};

struct MariadbColumnType {
    DataTypeEnum type = adVarWChar;
    ColumnStorage storage = ColumnStorage::Text;
    DateTimeValue::Kind dateKind = DateTimeValue::Kind::DateTime;
    std::int64_t size = 0;  // characters, bytes or digits, as the ODBC driver reports it; 0 unknown
    int scale = 0;          // digits after the point of a decimal
    bool isFixed = false;
    bool isLong = false;    // a long text or binary type (TEXT, BLOB)
};

MariadbColumnType MapMariadbType(const MariadbFieldFacts& field);

// The field description of a mapped column (name left to the caller).
FieldInfo DescribeMariadbField(const MariadbFieldFacts& facts, const MariadbColumnType& mapped);

// Appends a non-null value in the server's text form (BIT values come as their bytes); a
// text the type cannot have (a zero date) goes in as null rather than as a wrong value.
void AppendMariadbValue(ColumnBuilder& builder, const MariadbColumnType& column, std::string_view text);

}  // namespace qelvor::recordset
