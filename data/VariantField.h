// VariantField: a column whose values carry their own types (an expression column
// without a declared type); shows each value's plain text.
#pragma once

#include "data/Field.h"

namespace qelvor {

class TVariantField : public TField {
public:
    explicit TVariantField(TDataSet* dataSet) : TField(dataSet, TFieldType::ftVariant, 0) {}
    int DataSize() const override { return 16; }
};

}  // namespace qelvor
