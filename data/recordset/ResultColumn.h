// ResultColumn: the values of one result column, held compactly.
//
// Text, binary and exact-numeric values live in one byte arena with 32-bit offsets
// (offsets_.size() == rows + 1); integers and booleans in an int64 array; doubles and
// dates (days since 1899-12-30) in a double array. Nulls are one bit per row; a null
// cell still takes its slot (empty text, zero number) so that row i is index i.
// A column is filled once by ColumnBuilder and never changes afterwards.
#pragma once

#include <cstdint>
#include <string_view>

#include "data/recordset/PodArray.h"
#include "runtime/Variant.h"

namespace qelvor::recordset {

enum class ColumnStorage : std::uint8_t { Text, Binary, Decimal, Integer, Boolean, Real, DateTime };

// Whether the storage keeps its values in the byte arena.
constexpr bool UsesArena(ColumnStorage storage)
{
    return storage == ColumnStorage::Text || storage == ColumnStorage::Binary || storage == ColumnStorage::Decimal;
}

class ResultColumn {
public:
    ColumnStorage Storage() const { return storage_; }
    DateTimeValue::Kind DateKind() const { return dateKind_; }
    std::int64_t RowCount() const { return rows_; }
    bool HasNulls() const { return nullCount_ > 0; }

    bool IsNull(std::int64_t row) const
    {
        return (nulls_[static_cast<std::size_t>(row) >> 6] >> (row & 63)) & 1u;
    }
    // Text, binary or decimal text of a row (empty for null).
    std::string_view Bytes(std::int64_t row) const
    {
        const auto begin = offsets_[static_cast<std::size_t>(row)];
        return {bytes_.Data() + begin, offsets_[static_cast<std::size_t>(row) + 1] - begin};
    }
    std::int64_t Integer(std::int64_t row) const { return integers_[static_cast<std::size_t>(row)]; }
    double Real(std::int64_t row) const { return reals_[static_cast<std::size_t>(row)]; }

    // The row's value as a Variant (null, text, bytes, number, decimal or date).
    Variant Value(std::int64_t row) const;
    // Bytes held by the column's arrays.
    std::size_t MemoryUsage() const;

private:
    friend class ColumnBuilder;

    ColumnStorage storage_ = ColumnStorage::Text;
    DateTimeValue::Kind dateKind_ = DateTimeValue::Kind::DateTime;
    std::int64_t rows_ = 0;
    std::int64_t nullCount_ = 0;
    PodArray<char> bytes_;
    PodArray<std::uint32_t> offsets_{1, 0};
    PodArray<std::int64_t> integers_;
    PodArray<double> reals_;
    PodArray<std::uint64_t> nulls_;
};

}  // namespace qelvor::recordset
