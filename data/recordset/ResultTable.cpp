#include "data/recordset/ResultTable.h"

#include "runtime/Assert.h"

namespace qelvor::recordset {

ResultTable::ResultTable(std::vector<FieldInfo> fields) : fields_(std::move(fields)), columns_(fields_.size())
{
}

void ResultTable::SetRowCount(std::int64_t count)
{
    for ([[maybe_unused]] const ResultColumn& column : columns_)
        QELVOR_ASSERT(column.RowCount() == count);
    rowCount_ = count;
}

std::size_t ResultTable::MemoryUsage() const
{
    std::size_t bytes = sizeof(*this) + fields_.capacity() * sizeof(FieldInfo);
    for (const ResultColumn& column : columns_)
        bytes += column.MemoryUsage();
    return bytes;
}

}  // namespace qelvor::recordset
