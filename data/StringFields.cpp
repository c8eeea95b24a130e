#include "data/StringFields.h"

namespace qelvor {

namespace {
constexpr int kDefaultStringSize = 20;
constexpr int kGuidSize = 38;
}  // namespace

TStringField::TStringField(TDataSet* dataSet, int size, TFieldType dataType)
    : TField(dataSet, dataType, size > 0 ? size : kDefaultStringSize)
{
    fixedChar_ = dataType == TFieldType::ftFixedChar;
}

TWideStringField::TWideStringField(TDataSet* dataSet, int size)
    : TStringField(dataSet, size, TFieldType::ftWideString)
{
}

TGuidField::TGuidField(TDataSet* dataSet) : TStringField(dataSet, kGuidSize, TFieldType::ftGuid) {}

}  // namespace qelvor
