// SqliteTypes: from a column's declared type (as written in CREATE TABLE) to the field
// description and the storage of the record-set layer.
//
//   TEXT, CLOB, [N][VAR]CHAR[(n)]       adVarWChar, size n (derived from the longest value
//                                         when no length is declared, at least 1)
//   INTEGER, INT, MEDIUMINT             adInteger (adBigInt when a value needs 64 bits)
//   BIGINT, INT8 / SMALLINT, INT2 / TINYINT    adBigInt / adSmallInt / adTinyInt
//   REAL, DOUBLE, FLOAT                 adDouble
//   NUMERIC(p[,s]), DECIMAL(p[,s])      adNumeric with precision p and scale s
//   DATE / TIME / DATETIME, TIMESTAMP   adDBDate / adDBTime / adDBTimeStamp
//   BLOB, [VAR]BINARY                   adLongVarBinary
//   BOOLEAN, BOOL, BIT                  adBoolean
// Anything else, NUMERIC without precision, and expressions (no declared type) are
// typed from the storage class of the values fetched.
#pragma once

#include <optional>

#include "data/recordset/RecordSetTypes.h"
#include "data/recordset/ResultColumn.h"

namespace qelvor::recordset {

struct DeclaredType {
    DataTypeEnum type = adVarWChar;
    ColumnStorage storage = ColumnStorage::Text;
    DateTimeValue::Kind dateKind = DateTimeValue::Kind::DateTime;
    std::int64_t size = 0;  // 0 = derive from the values
    int precision = 0;
    int scale = 0;
};

// None when the type must come from the values.
std::optional<DeclaredType> MapDeclaredType(const char* declaredType);

}  // namespace qelvor::recordset
