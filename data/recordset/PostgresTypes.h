// PostgresTypes: from a PostgreSQL result column (type OID, type modifier) to the field
// description and storage of the record-set layer, and the server's text form of a value
// to what the column builder takes.
//
//   int2/int4/int8 -> adSmallInt/adInteger/adBigInt     float4/float8 -> adSingle/adDouble
//   numeric -> adNumeric (precision, scale)              bool -> adBoolean
//   date/time/timestamp[tz] -> adDBDate/adDBTime/adDBTimeStamp
//   varchar -> adVarWChar   bpchar -> adWChar   text and anything else -> adVarWChar (text)
//   bytea -> adVarBinary (from its hex form)             uuid -> adGUID (as text)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/recordset/ColumnBuilder.h"
#include "data/recordset/RecordSetTypes.h"

namespace qelvor::recordset {

struct PostgresColumnType {
    DataTypeEnum type = adVarWChar;
    ColumnStorage storage = ColumnStorage::Text;
    DateTimeValue::Kind dateKind = DateTimeValue::Kind::DateTime;
    std::int64_t definedSize = 0;  // characters or bytes; 0 = derive from the values
    int precision = 0;
    int numericScale = 0;
    bool isFixed = false;
};

PostgresColumnType MapPostgresType(unsigned oid, int typeModifier);

// Appends a non-null value in the server's text form; a text the type cannot have goes in
// as null rather than as a wrong value (the server's output never does this).
void AppendPostgresValue(ColumnBuilder& builder, const PostgresColumnType& column, std::string_view text,
                         std::string& scratch);

}  // namespace qelvor::recordset
