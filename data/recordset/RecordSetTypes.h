// RecordSetTypes: the constants and field descriptions of the record-set layer.
//
// The values are the database-access layer's documented numbers, because the query
// dataset maps them to its field types by these numbers.
#pragma once

#include <cstdint>
#include <string>

namespace qelvor::recordset {

enum DataTypeEnum : int {
    adEmpty = 0, adSmallInt = 2, adInteger = 3, adSingle = 4, adDouble = 5, adCurrency = 6,
    adDate = 7, adBSTR = 8, adIDispatch = 9, adError = 10, adBoolean = 11, adVariant = 12,
    adIUnknown = 13, adDecimal = 14, adTinyInt = 16, adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18, adUnsignedInt = 19, adBigInt = 20, adUnsignedBigInt = 21,
    adFileTime = 64, adGUID = 72, adBinary = 128, adChar = 129, adWChar = 130, adNumeric = 131,
    adDBDate = 133, adDBTime = 134, adDBTimeStamp = 135, adChapter = 136, adDBFileTime = 137,
    adPropVariant = 138, adVarNumeric = 139, adVarChar = 200, adLongVarChar = 201,
    adVarWChar = 202, adLongVarWChar = 203, adVarBinary = 204, adLongVarBinary = 205,
};

enum CursorLocationEnum : int { adUseServer = 2, adUseClient = 3 };
enum CursorTypeEnum : int { adOpenUnspecified = -1, adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
enum LockTypeEnum : int { adLockUnspecified = -1, adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3, adLockBatchOptimistic = 4 };
enum CommandTypeEnum : int { adCmdUnknown = 8, adCmdText = 1, adCmdTable = 2, adCmdStoredProc = 4, adCmdFile = 256, adCmdTableDirect = 512 };
enum ObjectStateEnum : int { adStateClosed = 0, adStateOpen = 1 };
enum CompareEnum : int { adCompareLessThan = 0, adCompareEqual = 1, adCompareGreaterThan = 2, adCompareNotEqual = 3, adCompareNotComparable = 4 };
enum PositionEnum : int { adPosUnknown = -1, adPosBOF = -2, adPosEOF = -3 };
enum RecordStatusEnum : int { adRecOK = 0, adRecDeleted = 0x40000 };

// Field attribute bits. adFldLong on a text field: no declared length (an unbounded text
// type or an expression); its definedSize is then the widest value of the result.
enum FieldAttributeEnum : std::uint32_t {
    adFldUpdatable = 0x4, adFldUnknownUpdatable = 0x8, adFldFixed = 0x10, adFldIsNullable = 0x20,
    adFldMayBeNull = 0x40, adFldLong = 0x80, adFldRowID = 0x100,
};

// One result column as the provider describes it.
struct FieldInfo {
    std::string name;
    DataTypeEnum type = adVarWChar;
    std::int64_t definedSize = 0;  // characters for text, bytes for binary
    int precision = 0;
    int numericScale = 0;
    std::uint32_t attributes = 0;
    bool isAutoIncrement = false;  // the provider property "ISAUTOINCREMENT"
    // The length the column declares, where the engine keeps it from being enforced
    // (definedSize then grows to the longest value held); 0 when it is definedSize.
    std::int64_t declaredSize = 0;
};

}  // namespace qelvor::recordset
