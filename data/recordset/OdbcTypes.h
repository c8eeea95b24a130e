// OdbcTypes: from an ODBC column description (SQL type, size, digits) to the field
// description, the storage of the record-set layer and the C type the value is read as.
//
//   SQL_[W]VARCHAR -> adVarWChar   SQL_[W]CHAR -> adWChar   SQL_[W]LONGVARCHAR -> adLongVarWChar
//   SQL_INTEGER/SMALLINT/TINYINT/BIGINT -> adInteger/adSmallInt/adTinyInt/adBigInt
//   SQL_NUMERIC, SQL_DECIMAL -> adNumeric (precision, scale)    SQL_DOUBLE, SQL_FLOAT -> adDouble
//   SQL_REAL -> adSingle   SQL_TYPE_DATE/TIME/TIMESTAMP -> adDBDate/adDBTime/adDBTimeStamp
//   SQL_BIT -> adBoolean   SQL_BINARY/VARBINARY/LONGVARBINARY -> adBinary/adVarBinary/adLongVarBinary
//   SQL_GUID -> adGUID (as text); anything else is read as text.
// Text is always read as UTF-16 (SQL_C_WCHAR) and exact numerics as their decimal text.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include "data/recordset/RecordSetTypes.h"
#include "data/recordset/ResultColumn.h"

namespace qelvor::recordset {

struct OdbcColumnType {
    DataTypeEnum type = adVarWChar;
    ColumnStorage storage = ColumnStorage::Text;
    DateTimeValue::Kind dateKind = DateTimeValue::Kind::DateTime;
    SQLSMALLINT cType = SQL_C_WCHAR;
    bool isLong = false;   // no useful size: read piecewise, never bound in blocks
    bool isFixed = false;
};

OdbcColumnType MapOdbcType(SQLSMALLINT sqlType);

}  // namespace qelvor::recordset
