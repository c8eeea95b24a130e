#include "data/recordset/SortState.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "data/recordset/ResultTable.h"
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
    if (table.RowCount() > std::numeric_limits<std::uint32_t>::max())
        throw ERecordSetError("The result has too many rows to be sorted");
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

void SortState::Apply(const std::string& sortText)
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
    if (parsed.empty()) {
        order_ = {};
        inverse_ = {};
        return;
    }

    std::vector<ActiveKey> active;
    for (std::size_t i = 0; i < parsed.size(); ++i)
        active.push_back({&KeysFor(columns[i]), parsed[i].descending});

    std::vector<std::uint32_t> order(static_cast<std::size_t>(table_.RowCount()));
    std::iota(order.begin(), order.end(), 0u);
    // Ties fall back to fetch order, which makes the unstable sort stable.
    std::sort(order.begin(), order.end(), [&active](std::uint32_t a, std::uint32_t b) {
        for (const ActiveKey& key : active) {
            const int order = key.keys->Compare(a, b);
            if (order != 0)
                return key.descending ? order > 0 : order < 0;
        }
        return a < b;
    });
    std::vector<std::uint32_t> inverse(order.size());
    for (std::size_t position = 0; position < order.size(); ++position)
        inverse[order[position]] = static_cast<std::uint32_t>(position);
    order_ = std::move(order);
    inverse_ = std::move(inverse);
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
