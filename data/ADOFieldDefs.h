// ADOFieldDefs: field definitions of a query dataset from the columns of its record set.
//
// One definition per column whose type has a field type (others are left out), named
// by the column, made unique case-insensitively by "%s_%d" ("COLUMN%d" for a column
// without a name), numbered by the column's 1-based position.
#pragma once

#include <vector>

#include "data/FieldDefs.h"
#include "data/recordset/RecordSetTypes.h"

namespace qelvor {

// The field type of a record-set data type; ftUnknown when it has none.
TFieldType FieldTypeOfAdo(recordset::DataTypeEnum type, bool enableBCD);

// The definitions for `columns` (the record set's fields in order).
std::vector<TFieldDef> FieldDefsOfColumns(const std::vector<recordset::FieldInfo>& columns, bool enableBCD);

}  // namespace qelvor
