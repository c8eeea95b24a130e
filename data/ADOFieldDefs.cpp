#include "data/ADOFieldDefs.h"

#include <algorithm>
#include <climits>

#include "runtime/Collation.h"

namespace qelvor {

namespace {

constexpr int kGuidSize = 38;
constexpr int kDefaultDecimalScale = 4;

bool IsSizedType(TFieldType type)
{
    switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
    case TFieldType::ftWideString:
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
    case TFieldType::ftMemo:
    case TFieldType::ftBlob: return true;
    default: return false;
    }
}

bool IsTextType(TFieldType type)
{
    return type == TFieldType::ftString || type == TFieldType::ftFixedChar || type == TFieldType::ftWideString;
}

bool IsNameUsed(const std::vector<TFieldDef>& defs, const std::string& name)
{
    return std::any_of(defs.begin(), defs.end(), [&](const TFieldDef& def) { return EqualIgnoringCase(def.name, name); });
}

std::string UniqueName(const std::vector<TFieldDef>& defs, const std::string& columnName)
{
    std::string name = columnName;
    for (int count = 1; name.empty() || IsNameUsed(defs, name); ++count)
        name = columnName.empty() ? "COLUMN" + std::to_string(count) : columnName + "_" + std::to_string(count);
    return name;
}

int ClampSize(std::int64_t size)
{
    return static_cast<int>(std::clamp<std::int64_t>(size, 0, INT_MAX));
}

}  // namespace

TFieldType FieldTypeOfAdo(recordset::DataTypeEnum type, bool enableBCD)
{
    using namespace recordset;
    using T = TFieldType;
    switch (type) {
    case adSmallInt:
    case adTinyInt: return T::ftSmallint;
    case adInteger:
    case adError:
    case adUnsignedInt: return T::ftInteger;
    case adSingle:
    case adDouble: return T::ftFloat;
    case adCurrency: return T::ftBCD;
    case adDate:
    case adFileTime:
    case adDBTimeStamp:
    case adDBFileTime: return T::ftDateTime;
    case adBSTR:
    case adWChar:
    case adVarWChar: return T::ftWideString;
    case adIDispatch: return T::ftIDispatch;
    case adBoolean: return T::ftBoolean;
    case adVariant:
    case adPropVariant: return T::ftVariant;
    case adIUnknown: return T::ftInterface;
    case adDecimal:
    case adNumeric:
    case adVarNumeric: return enableBCD ? T::ftBCD : T::ftFloat;
    case adUnsignedTinyInt:
    case adUnsignedSmallInt: return T::ftWord;
    case adBigInt:
    case adUnsignedBigInt: return T::ftLargeint;
    case adGUID: return T::ftGuid;
    case adBinary: return T::ftBytes;
    case adChar: return T::ftFixedChar;
    case adDBDate: return T::ftDate;
    case adDBTime: return T::ftTime;
    case adChapter: return T::ftDataSet;
    case adVarChar: return T::ftString;
    case adLongVarChar:
    case adLongVarWChar: return T::ftMemo;
    case adVarBinary: return T::ftVarBytes;
    case adLongVarBinary: return T::ftBlob;
    default: return T::ftUnknown;
    }
}

std::vector<TFieldDef> FieldDefsOfColumns(const std::vector<recordset::FieldInfo>& columns, bool enableBCD)
{
    using namespace recordset;
    std::vector<TFieldDef> defs;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const FieldInfo& column = columns[i];
        TFieldType type = FieldTypeOfAdo(column.type, enableBCD);
        if (type == TFieldType::ftUnknown)
            continue;
        // Small exact whole numbers are plain integers.
        if (column.type == adNumeric && column.numericScale == 0 && column.precision < 10)
            type = TFieldType::ftInteger;
        if (type == TFieldType::ftInteger && column.isAutoIncrement)
            type = TFieldType::ftAutoInc;

        TFieldDef def;
        def.name = UniqueName(defs, column.name);
        def.dataType = type;
        def.fieldNo = static_cast<int>(i) + 1;
        if (IsSizedType(type)) {
            def.size = ClampSize(column.definedSize);
        } else if (type == TFieldType::ftBCD) {
            def.size = column.numericScale < 0 ? kDefaultDecimalScale : column.numericScale;
            def.precision = column.precision;
        } else if (type == TFieldType::ftGuid) {
            def.size = kGuidSize;
        }
        def.hidden = (column.attributes & adFldRowID) != 0;
        def.fixed = (column.attributes & adFldFixed) != 0;
        def.sizeFromValues = IsTextType(type) && (column.attributes & adFldLong) != 0;
        if (IsTextType(type) && column.declaredSize > 0)
            def.declaredSize = ClampSize(column.declaredSize);
        def.readOnly = (column.attributes & (adFldUpdatable | adFldUnknownUpdatable)) == 0 || type == TFieldType::ftAutoInc;
        defs.push_back(std::move(def));
    }
    return defs;
}

}  // namespace qelvor
