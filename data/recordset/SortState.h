// SortState: the current row order of one result and the keys it was built from.
//
// order_[position] is the row (fetch ordinal) shown at that position and inverse_ maps
// back, so both directions are O(1); both are empty while the rows are in fetch order.
// Sort keys are cached per column for the life of the result (and rebuilt only when the
// user's locale changed), so re-sorting by a column already used costs only the sort.
// Compute touches only that cache and may run on another thread while the owner reads
// RowAt and PositionOf; Adopt, on the owner's thread, makes the new order current.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/recordset/SortKeys.h"
#include "data/recordset/SortOrder.h"
#include "data/recordset/SortText.h"

namespace qelvor::recordset {

class ResultTable;

class SortState {
public:
    explicit SortState(const ResultTable& table);
    ~SortState();

    // The order for the sort text (empty = fetch order), leaving the current order as it
    // is. Raises ERecordSetError for an invalid text, an unknown field name or a result
    // too large to sort.
    SortOrder Compute(const std::string& sortText);
    // Makes an order from Compute on this result the current one.
    void Adopt(SortOrder order);

    std::int64_t RowAt(std::int64_t position) const
    {
        return order_.empty() ? position : order_[static_cast<std::size_t>(position)];
    }
    std::int64_t PositionOf(std::int64_t row) const
    {
        return inverse_.empty() ? row : inverse_[static_cast<std::size_t>(row)];
    }

    std::size_t MemoryUsage() const;

private:
    int FieldIndex(const std::string& name) const;
    const SortKeys& KeysFor(int column);

    const ResultTable& table_;
    std::vector<std::unique_ptr<SortKeys>> keys_;  // per column, built on first use
    std::vector<std::uint32_t> order_;
    std::vector<std::uint32_t> inverse_;
};

}  // namespace qelvor::recordset
