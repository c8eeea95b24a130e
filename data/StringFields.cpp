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

// A column without a declared length (SQLite's TEXT, an unlimited varchar, an
// expression) gets the width of a string field of the class default size, 20 characters,
// not its size: that size is only the widest value of this result, so the column would
// shrink to a few pixels for an empty result and cover the grid for one long value.
// Twenty cells hold a name of up to ten Chinese characters with room to spare (124
// pixels at 6 pixels a "0"); a longer value shows in full in the value editor. A column
// that declares a length keeps it, whatever longer values an engine let in.
int TStringField::DefaultDisplayWidth() const
{
    if (sizeFromValues_)
        return kDefaultStringSize;
    // One long value in a column that declares fewer characters widens nobody's column.
    return declaredSize_ > 0 ? declaredSize_ : Size();
}

TWideStringField::TWideStringField(TDataSet* dataSet, int size)
    : TStringField(dataSet, size, TFieldType::ftWideString)
{
}

TGuidField::TGuidField(TDataSet* dataSet) : TStringField(dataSet, kGuidSize, TFieldType::ftGuid) {}

}  // namespace qelvor
