#include "data/recordset/SortState.h"

#include <algorithm>
#include <limits>

#include "data/recordset/RadixSort.h"
#include "data/recordset/ResultTable.h"
#include "runtime/Assert.h"
#include "runtime/Collation.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

struct ActiveKey {
    const SortKeys* keys;
    bool descending;
};

}  // namespace

SortState::SortState(const ResultTable& table) : table_(table), keys_(static_cast<std::size_t>(table.FieldCount()))
{
}

SortState::~SortState() = default;

int SortState::FieldIndex(const std::string& name) const
{
    // The first column of that name, as field lookups by name do.
    for (int i = 0; i < table_.FieldCount(); ++i)
        if (EqualIgnoringCase(table_.Field(i).name, name))
            return i;
    return -1;
}

const SortKeys& SortState::KeysFor(int column)
{
    std::unique_ptr<SortKeys>& keys = keys_[static_cast<std::size_t>(column)];
    const ResultColumn& values = table_.Column(column);
    if (keys && values.Storage() == ColumnStorage::Text && keys->LocaleName() != Collation::UserLocaleName())
        keys.reset();
    if (!keys)
        keys = std::make_unique<SortKeys>(values, Collation::ForUserLocale());
    return *keys;
}

SortOrder SortState::Compute(const std::string& sortText)
{
    const std::vector<SortKeyText> parsed = ParseSortText(sortText);
    // Resolve every name before touching the order, so that a bad text changes nothing.
    std::vector<int> columns;
    for (const SortKeyText& key : parsed) {
        const int column = FieldIndex(key.name);
        if (column < 0)
            throw ERecordSetError("Cannot sort by \"" + key.name + "\": the result has no field of that name");
        columns.push_back(column);
    }
    if (parsed.empty())
        return {sortText, {}, {}};
    if (table_.RowCount() > std::numeric_limits<std::uint32_t>::max())
        throw ERecordSetError("The result has too many rows to be sorted");

    std::vector<ActiveKey> active;
    for (std::size_t i = 0; i < parsed.size(); ++i)
        active.push_back({&KeysFor(columns[i]), parsed[i].descending});

    // Entries carry the first key's lead value beside the row, so most comparisons read
    // memory in sequence; only equal leads look the rows up. The sort is stable over
    // fetch order.
    // The second key's lead rides along too: with many equal names it decides most ties.
    using Entry = SortEntry;
    const std::size_t rows = static_cast<std::size_t>(table_.RowCount());
    const auto leadOf = [&active](std::size_t key, std::uint32_t row) -> std::uint64_t {
        if (key >= active.size())
            return 0;
        return active[key].keys->Lead(row) ^ (active[key].descending ? ~std::uint64_t{0} : 0);
    };
    std::vector<Entry> entries(rows);
    for (std::uint32_t row = 0; row < rows; ++row)
        entries[row] = {leadOf(0, row), leadOf(1, row), row};
    SortByPrefixesThenTies(entries, [&active](const Entry& x, const Entry& y) {
        if (x.lead != y.lead)
            return x.lead < y.lead;
        if (x.second != y.second) {
            // Equal leads may still hide a difference in the first key's tie-break.
            const int order = active.front().keys->Compare(x.row, y.row);
            if (order != 0)
                return active.front().descending ? order > 0 : order < 0;
            return x.second < y.second;
        }
        for (const ActiveKey& key : active) {
            const int order = key.keys->Compare(x.row, y.row);
            if (order != 0)
                return key.descending ? order > 0 : order < 0;
        }
        return false;
    });
    std::vector<std::uint32_t> order(rows);
    for (std::size_t position = 0; position < rows; ++position)
        order[position] = entries[position].row;
    entries = {};
    std::vector<std::uint32_t> inverse(order.size());
    for (std::size_t position = 0; position < order.size(); ++position)
        inverse[order[position]] = static_cast<std::uint32_t>(position);
    return {sortText, std::move(order), std::move(inverse)};
}

void SortState::Adopt(SortOrder order)
{
    QELVOR_ASSERT(order.order.size() == order.inverse.size());
    QELVOR_ASSERT(order.order.empty() || order.order.size() == static_cast<std::size_t>(table_.RowCount()));
    order_ = std::move(order.order);
    inverse_ = std::move(order.inverse);
}

std::size_t SortState::MemoryUsage() const
{
    std::size_t bytes = sizeof(*this) + (order_.capacity() + inverse_.capacity()) * sizeof(std::uint32_t);
    for (const auto& keys : keys_)
        if (keys)
            bytes += keys->MemoryUsage();
    return bytes;
}

}  // namespace qelvor::recordset
