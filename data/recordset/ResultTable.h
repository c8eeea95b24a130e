// ResultTable: one fetched row set: the field descriptions and a ResultColumn per field.
//
// Rows are in fetch order; a row's index is its bookmark. Immutable once the
// provider has finished it.
#pragma once

#include <cstdint>
#include <vector>

#include "data/recordset/RecordSetTypes.h"
#include "data/recordset/ResultColumn.h"

namespace qelvor::recordset {

class ResultTable {
public:
    // A table with these fields and no rows yet; providers fill the columns.
    explicit ResultTable(std::vector<FieldInfo> fields);

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    const FieldInfo& Field(int index) const { return fields_[static_cast<std::size_t>(index)]; }
    FieldInfo& MutableField(int index) { return fields_[static_cast<std::size_t>(index)]; }
    const ResultColumn& Column(int index) const { return columns_[static_cast<std::size_t>(index)]; }
    ResultColumn& MutableColumn(int index) { return columns_[static_cast<std::size_t>(index)]; }

    std::int64_t RowCount() const { return rowCount_; }
    // Called by the provider once every column holds count rows.
    void SetRowCount(std::int64_t count);

    Variant Value(int column, std::int64_t row) const { return Column(column).Value(row); }
    std::size_t MemoryUsage() const;

private:
    std::vector<FieldInfo> fields_;
    std::vector<ResultColumn> columns_;
    std::int64_t rowCount_ = 0;
};

}  // namespace qelvor::recordset
