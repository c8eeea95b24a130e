// GridTestDataSet: generated rows behind the record window, bookmarks = row numbers.
#include "tests/grid/support/GridTestDataSet.h"

#include <cstring>

namespace qelvor::test {

namespace {

TBookmark BookmarkOf(int row)
{
    TBookmark bookmark(sizeof row, '\0');
    std::memcpy(bookmark.data(), &row, sizeof row);
    return bookmark;
}

int RowOf(const TBookmark& bookmark)
{
    int row = 0;
    std::memcpy(&row, bookmark.data(), sizeof row);
    return row;
}

TFieldDef Def(const char* name, TFieldType type, int size, int fieldNo)
{
    TFieldDef def;
    def.name = name;
    def.dataType = type;
    def.size = size;
    def.fieldNo = fieldNo;
    return def;
}

}  // namespace

std::vector<TFieldDef> AnswerSheetFieldDefs()
{
    return {
        Def("准考证号", TFieldType::ftString, 15, 1),
        Def("报名号", TFieldType::ftString, 12, 2),
        Def("姓名", TFieldType::ftString, 10, 3),
        Def("笔试客观题答案字符串", TFieldType::ftString, 60, 4),
        Def("笔试主观题题分字符串", TFieldType::ftString, 60, 5),
        Def("缺考标记", TFieldType::ftInteger, 0, 6),
        Def("论文题题号", TFieldType::ftInteger, 0, 7),
    };
}

Variant AnswerSheetValue(int row, int column)
{
    switch (column) {
    case 0: return Variant("2026" + std::to_string(100000 + row));
    case 1: return Variant("BM" + std::to_string(row + 1));
    case 2: return Variant("考生" + std::to_string(row + 1));
    case 3: return Variant(std::string("ABCDABCDAB"));
    case 4: return Variant(std::string("5,4,3,2,1"));
    case 5: return Variant(row % 7 == 0 ? 1 : 0);
    default: return Variant(row % 3 + 1);
    }
}

GridTestDataSet::GridTestDataSet(std::vector<TFieldDef> defs, int rowCount, ValueFunction value, std::string name)
    : TDataSet(std::move(name)), defs_(std::move(defs)), rowCount_(rowCount), value_(std::move(value))
{
}

GridTestDataSet::~GridTestDataSet()
{
    BeginDestroy();
    Close();
}

void GridTestDataSet::InternalOpen()
{
    SetBookmarkSize(static_cast<int>(sizeof(int)));
    if (DefaultFields()) {
        for (const TFieldDef& def : defs_)
            AddField(CreateField(this, def));
    }
    position_ = -1;
}

TGetResult GridTestDataSet::GetRecord(int slot, TGetMode mode, bool)
{
    ++fetches_;
    switch (mode) {
    case TGetMode::gmCurrent:
        if (position_ >= rowCount_)
            return TGetResult::grEOF;
        if (position_ < 0)
            return TGetResult::grBOF;
        break;
    case TGetMode::gmNext:
        if (position_ < rowCount_)
            ++position_;
        if (position_ >= rowCount_)
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
    buffer.bookmark = BookmarkOf(position_);
    buffer.bookmarkFlag = TBookmarkFlag::bfCurrent;
    buffer.recordNumber = position_ + 1;
    return TGetResult::grOK;
}

void GridTestDataSet::InternalSetToRecord(int slot)
{
    position_ = RowOf(Buffer(slot).bookmark);
}

void GridTestDataSet::InternalGotoBookmark(const TBookmark& bookmark)
{
    position_ = RowOf(bookmark);
}

Variant GridTestDataSet::ReadFieldValue(int slot, const TField& field)
{
    return value_(RowOf(Buffer(slot).bookmark), field.FieldNo() - 1);
}

int GridTestDataSet::RecNo() const
{
    CheckActive();
    return IsEmpty() ? -1 : RowOf(const_cast<GridTestDataSet*>(this)->Buffer(ActiveRecord()).bookmark) + 1;
}

int GridTestDataSet::RecordCount() const
{
    CheckActive();
    return rowCount_;
}

void GridTestDataSet::SetRecNo(int recordNumber)
{
    CheckActive();
    if (recordNumber == RecNo())
        return;
    position_ = std::max(0, std::min(recordNumber, rowCount_) - 1);
    CursorPosChanged();
    Resync(rmCenter);
}

int GridTestDataSet::CompareBookmarks(const TBookmark& first, const TBookmark& second) const
{
    if (first.empty() || second.empty())
        return first.empty() == second.empty() ? 0 : (first.empty() ? -1 : 1);
    const int a = RowOf(first);
    const int b = RowOf(second);
    return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace qelvor::test
