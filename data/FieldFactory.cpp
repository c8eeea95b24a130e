// FieldFactory: the field class for each field type, and what a field takes from its
// definition.
#include "data/FieldDefs.h"

#include "data/BinaryFields.h"
#include "data/BooleanField.h"
#include "data/DataSet.h"
#include "data/DateTimeFields.h"
#include "data/NumericFields.h"
#include "data/StringFields.h"
#include "data/VariantField.h"
#include "runtime/Exceptions.h"

namespace qelvor {

namespace {

std::unique_ptr<TField> NewFieldOfType(TDataSet* dataSet, const TFieldDef& def)
{
    using T = TFieldType;
    switch (def.dataType) {
    case T::ftString:
    case T::ftFixedChar: return std::make_unique<TStringField>(dataSet, def.size, def.dataType);
    case T::ftWideString: return std::make_unique<TWideStringField>(dataSet, def.size);
    case T::ftGuid: return std::make_unique<TGuidField>(dataSet);
    case T::ftSmallint: return std::make_unique<TSmallintField>(dataSet);
    case T::ftInteger: return std::make_unique<TIntegerField>(dataSet);
    case T::ftWord: return std::make_unique<TWordField>(dataSet);
    case T::ftAutoInc: return std::make_unique<TAutoIncField>(dataSet);
    case T::ftLargeint: return std::make_unique<TLargeintField>(dataSet);
    case T::ftBoolean: return std::make_unique<TBooleanField>(dataSet);
    case T::ftFloat: return std::make_unique<TFloatField>(dataSet);
    case T::ftCurrency: return std::make_unique<TCurrencyField>(dataSet);
    case T::ftBCD: return std::make_unique<TBCDField>(dataSet, def.size, def.precision);
    case T::ftFMTBcd: return std::make_unique<TFMTBCDField>(dataSet, def.size, def.precision);
    case T::ftDate: return std::make_unique<TDateField>(dataSet);
    case T::ftTime: return std::make_unique<TTimeField>(dataSet);
    case T::ftDateTime: return std::make_unique<TDateTimeField>(dataSet);
    case T::ftTimeStamp: return std::make_unique<TSQLTimeStampField>(dataSet);
    case T::ftBytes: return std::make_unique<TBytesField>(dataSet, def.size);
    case T::ftVarBytes: return std::make_unique<TVarBytesField>(dataSet, def.size);
    case T::ftBlob:
    case T::ftFmtMemo:
    case T::ftParadoxOle:
    case T::ftDBaseOle:
    case T::ftTypedBinary:
    case T::ftOraBlob: return std::make_unique<TBlobField>(dataSet, def.size, def.dataType);
    case T::ftMemo:
    case T::ftOraClob: return std::make_unique<TMemoField>(dataSet, def.size, def.dataType);
    case T::ftGraphic: return std::make_unique<TGraphicField>(dataSet, def.size);
    case T::ftVariant: return std::make_unique<TVariantField>(dataSet);
    default: return nullptr;  // object-valued types have no field class here
    }
}

}  // namespace

std::unique_ptr<TField> CreateField(TDataSet* dataSet, const TFieldDef& def)
{
    std::unique_ptr<TField> field = NewFieldOfType(dataSet, def);
    if (!field)
        DatabaseError("Field '" + def.name + "' is of an unknown type", dataSet ? dataSet->Name() : std::string());
    field->SetFieldName(def.name);
    field->fieldNo_ = def.fieldNo;
    field->SetRequired(def.required);
    if (def.readOnly)
        field->SetReadOnly(true);
    if (auto* text = dynamic_cast<TStringField*>(field.get())) {
        if (def.fixed)
            text->SetFixedChar(true);
        text->SetSizeFromValues(def.sizeFromValues);
        text->SetDeclaredSize(def.declaredSize);
    }
    return field;
}

}  // namespace qelvor
