// FieldDefs: the description of one result column from which a field is created.
#pragma once

#include <memory>
#include <string>

#include "data/Field.h"

namespace qelvor {

struct TFieldDef {
    std::string name;
    TFieldType dataType = TFieldType::ftUnknown;
    int size = 0;        // characters or bytes; the scale for decimals
    int precision = 0;   // decimals only
    int fieldNo = 0;     // 1-based position among the source's columns
    bool required = false;
    bool readOnly = false;
    bool hidden = false;  // a row identifier: no field is created for it
    bool fixed = false;   // fixed-size column
    bool sizeFromValues = false;  // text without a declared length: size is the widest value held
    int declaredSize = 0;  // text whose values exceed the length it declares: that length; else 0
};

// Creates the field of the class that stands for def.dataType, owned by nobody yet.
// Raises "Field '%s' is of an unknown type" for a type without a field class.
std::unique_ptr<TField> CreateField(TDataSet* dataSet, const TFieldDef& def);

}  // namespace qelvor
