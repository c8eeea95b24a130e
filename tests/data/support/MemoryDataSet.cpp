#include "tests/data/support/MemoryDataSet.h"

#include <stdexcept>

#include "runtime/Exceptions.h"

namespace qelvor::test {

TBookmark MemoryBookmark(int row)
{
    return "row:" + std::to_string(row);
}

namespace {
int RowOf(const TBookmark& bookmark)
{
    return std::stoi(bookmark.substr(4));
}
}  // namespace

MemoryDataSet::MemoryDataSet(int rowCount, std::string name) : TDataSet(std::move(name))
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
    defs_ = {id, text};
    AppendRows(rowCount);
}

MemoryDataSet::MemoryDataSet(std::vector<TFieldDef> defs, std::vector<std::vector<Variant>> rows, std::string name)
    : TDataSet(std::move(name)), defs_(std::move(defs)), rows_(std::move(rows))
{
}

void MemoryDataSet::AppendRows(int count)
{
    const int first = RowCount() + 1;
    for (int i = first; i < first + count; ++i)
        rows_.push_back({Variant(i), Variant("row " + std::to_string(i))});
}

MemoryDataSet::~MemoryDataSet()
{
    BeginDestroy();
    Close();
}

void MemoryDataSet::InternalOpen()
{
    SetBookmarkSize(8);
    if (DefaultFields()) {
        for (const TFieldDef& def : defs_)
            AddField(CreateField(this, def));
    }
    position_ = -1;
}

TGetResult MemoryDataSet::GetRecord(int slot, TGetMode mode, bool doCheck)
{
    if (++fetches_ == failAt_) {
        if (doCheck)
            throw ERecordSetError("fetch failed");
        return TGetResult::grError;
    }
    switch (mode) {
    case TGetMode::gmCurrent:
        if (position_ >= RowCount())
            return TGetResult::grEOF;
        if (position_ < 0)
            return TGetResult::grBOF;
        break;
    case TGetMode::gmNext:
        if (position_ < RowCount())
            ++position_;
        if (position_ >= RowCount())
            return TGetResult::grEOF;
        break;
    case TGetMode::gmPrior:
        if (position_ >= 0)
            --position_;
        if (position_ < 0)
            return TGetResult::grBOF;
        break;
    }
    RecordBuffer& buffer = Buffer(slot);
    buffer.bookmark = MemoryBookmark(position_);
    buffer.bookmarkFlag = TBookmarkFlag::bfCurrent;
    buffer.recordNumber = position_ + 1;
    return TGetResult::grOK;
}

void MemoryDataSet::InternalSetToRecord(int slot)
{
    position_ = RowOf(Buffer(slot).bookmark);
}

void MemoryDataSet::InternalGotoBookmark(const TBookmark& bookmark)
{
    position_ = RowOf(bookmark);
}

Variant MemoryDataSet::ReadFieldValue(int slot, const TField& field)
{
    ++valueReads_;
    return rows_.at(static_cast<std::size_t>(RowOf(Buffer(slot).bookmark))).at(static_cast<std::size_t>(field.FieldNo() - 1));
}

int MemoryDataSet::RecNo() const
{
    CheckActive();
    return IsEmpty() ? -1 : const_cast<MemoryDataSet*>(this)->Buffer(ActiveRecord()).recordNumber;
}

int MemoryDataSet::RecordCount() const
{
    CheckActive();
    return RowCount();
}

int MemoryDataSet::SlotId(int slot)
{
    return RowOf(Buffer(slot).bookmark) + 1;
}

}  // namespace qelvor::test
