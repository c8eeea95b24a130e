// MemoryDataSet: held rows and fetch-failure injection over the shared row cursor.
#include "tests/data/support/MemoryDataSet.h"

#include "runtime/Exceptions.h"

namespace qelvor::test {

namespace {

std::vector<TFieldDef> IdAndNameDefs()
{
    TFieldDef id;
    id.name = "ID";
    id.dataType = TFieldType::ftInteger;
    id.fieldNo = 1;
    TFieldDef text;
    text.name = "Name";
    text.dataType = TFieldType::ftString;
    text.size = 30;
    text.fieldNo = 2;
    return {id, text};
}

}  // namespace

MemoryDataSet::MemoryDataSet(int rowCount, std::string name) : RowCursorDataSet(IdAndNameDefs(), std::move(name))
{
    AppendRows(rowCount);
}

MemoryDataSet::MemoryDataSet(std::vector<TFieldDef> defs, std::vector<std::vector<Variant>> rows, std::string name)
    : RowCursorDataSet(std::move(defs), std::move(name)), rows_(std::move(rows))
{
}

MemoryDataSet::~MemoryDataSet()
{
    // Closed here, while the rows still exist.
    BeginDestroy();
    Close();
}

void MemoryDataSet::ClearRows()
{
    rows_.clear();
    SetSourcePosition(-1);
}

void MemoryDataSet::AppendRows(int count)
{
    const int first = RowCount() + 1;
    for (int i = first; i < first + count; ++i)
        rows_.push_back({Variant(i), Variant("row " + std::to_string(i))});
}

bool MemoryDataSet::FetchFails(int fetchNumber, bool doCheck)
{
    if (fetchNumber != failAt_)
        return false;
    if (doCheck)
        throw ERecordSetError("fetch failed");
    return true;
}

Variant MemoryDataSet::ReadFieldValue(int slot, const TField& field)
{
    ++valueReads_;
    return rows_.at(static_cast<std::size_t>(RowOfSlot(slot))).at(static_cast<std::size_t>(field.FieldNo() - 1));
}

}  // namespace qelvor::test
