#include "data/recordset/OdbcTypes.h"

namespace qelvor::recordset {

namespace {

OdbcColumnType Make(DataTypeEnum type, ColumnStorage storage, SQLSMALLINT cType, bool isFixed = true)
{
    OdbcColumnType mapped;
    mapped.type = type;
    mapped.storage = storage;
    mapped.cType = cType;
    mapped.isFixed = isFixed;
    return mapped;
}

OdbcColumnType Date(DataTypeEnum type, DateTimeValue::Kind kind, SQLSMALLINT cType)
{
    OdbcColumnType mapped = Make(type, ColumnStorage::DateTime, cType);
    mapped.dateKind = kind;
    return mapped;
}

OdbcColumnType Long(DataTypeEnum type, ColumnStorage storage, SQLSMALLINT cType)
{
    OdbcColumnType mapped = Make(type, storage, cType, false);
    mapped.isLong = true;
    return mapped;
}

}  // namespace

OdbcColumnType MapOdbcType(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_WCHAR: return Make(adWChar, ColumnStorage::Text, SQL_C_WCHAR);
    case SQL_VARCHAR:
    case SQL_WVARCHAR: return Make(adVarWChar, ColumnStorage::Text, SQL_C_WCHAR, false);
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR: return Long(adLongVarWChar, ColumnStorage::Text, SQL_C_WCHAR);
    case SQL_INTEGER: return Make(adInteger, ColumnStorage::Integer, SQL_C_SBIGINT);
    case SQL_SMALLINT: return Make(adSmallInt, ColumnStorage::Integer, SQL_C_SBIGINT);
    case SQL_TINYINT: return Make(adTinyInt, ColumnStorage::Integer, SQL_C_SBIGINT);
    case SQL_BIGINT: return Make(adBigInt, ColumnStorage::Integer, SQL_C_SBIGINT);
    case SQL_NUMERIC:
    case SQL_DECIMAL: return Make(adNumeric, ColumnStorage::Decimal, SQL_C_CHAR);
    case SQL_DOUBLE:
    case SQL_FLOAT: return Make(adDouble, ColumnStorage::Real, SQL_C_DOUBLE);
    case SQL_REAL: return Make(adSingle, ColumnStorage::Real, SQL_C_DOUBLE);
    case SQL_TYPE_DATE: return Date(adDBDate, DateTimeValue::Kind::Date, SQL_C_TYPE_DATE);
    case SQL_TYPE_TIME: return Date(adDBTime, DateTimeValue::Kind::Time, SQL_C_TYPE_TIME);
    case SQL_TYPE_TIMESTAMP: return Date(adDBTimeStamp, DateTimeValue::Kind::DateTime, SQL_C_TYPE_TIMESTAMP);
    case SQL_BIT: return Make(adBoolean, ColumnStorage::Boolean, SQL_C_BIT);
    case SQL_BINARY: return Make(adBinary, ColumnStorage::Binary, SQL_C_BINARY);
    case SQL_VARBINARY: return Make(adVarBinary, ColumnStorage::Binary, SQL_C_BINARY, false);
    case SQL_LONGVARBINARY: return Long(adLongVarBinary, ColumnStorage::Binary, SQL_C_BINARY);
    case SQL_GUID: return Make(adGUID, ColumnStorage::Text, SQL_C_WCHAR);
    default: return Long(adVarWChar, ColumnStorage::Text, SQL_C_WCHAR);
    }
}

}  // namespace qelvor::recordset
