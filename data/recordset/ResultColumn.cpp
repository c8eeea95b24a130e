#include "data/recordset/ResultColumn.h"

#include <string>

namespace qelvor::recordset {

Variant ResultColumn::Value(std::int64_t row) const
{
    if (IsNull(row))
        return {};
    switch (storage_) {
    case ColumnStorage::Text: return std::string(Bytes(row));
    case ColumnStorage::Binary: {
        const std::string_view bytes = Bytes(row);
        return qelvor::Bytes(bytes.begin(), bytes.end());
    }
    case ColumnStorage::Decimal: return DecimalValue{std::string(Bytes(row))};
    case ColumnStorage::Integer: return Integer(row);
    case ColumnStorage::Boolean: return Integer(row) != 0;
    case ColumnStorage::Real: return Real(row);
    case ColumnStorage::DateTime: return DateTimeValue{Real(row), dateKind_};
    }
    return {};
}

std::size_t ResultColumn::MemoryUsage() const
{
    return bytes_.Capacity() + offsets_.Capacity() * sizeof(std::uint32_t)
         + integers_.Capacity() * sizeof(std::int64_t) + reals_.Capacity() * sizeof(double)
         + nulls_.Capacity() * sizeof(std::uint64_t) + sizeof(*this);
}

}  // namespace qelvor::recordset
