// RowCursorDataSet: the cursor moves, bookmarks and record numbers over numbered rows.
#include "tests/support/RowCursorDataSet.h"

#include <cassert>
#include <cstring>

namespace qelvor::test {

TBookmark RowCursorDataSet::BookmarkOfRow(int row)
{
    TBookmark bookmark(sizeof row, '\0');
    std::memcpy(bookmark.data(), &row, sizeof row);
    return bookmark;
}

int RowCursorDataSet::RowOfBookmark(const TBookmark& bookmark)
{
    assert(bookmark.size() == sizeof(int));
    int row = 0;
    std::memcpy(&row, bookmark.data(), sizeof row);
    return row;
}

RowCursorDataSet::RowCursorDataSet(std::vector<TFieldDef> defs, std::string name)
    : TDataSet(std::move(name)), defs_(std::move(defs))
{
}

bool RowCursorDataSet::FetchFails(int, bool)
{
    return false;
}

void RowCursorDataSet::InternalOpen()
{
    SetBookmarkSize(static_cast<int>(sizeof(int)));
    if (DefaultFields()) {
        for (const TFieldDef& def : defs_)
            AddField(CreateField(this, def));
    }
    position_ = -1;
}

TGetResult RowCursorDataSet::GetRecord(int slot, TGetMode mode, bool doCheck)
{
    if (FetchFails(++fetches_, doCheck))
        return TGetResult::grError;
    const int rows = RowCount();
    switch (mode) {
    case TGetMode::gmCurrent:
        if (position_ >= rows)
            return TGetResult::grEOF;
        if (position_ < 0)
            return TGetResult::grBOF;
        break;
    case TGetMode::gmNext:
        if (position_ < rows)
            ++position_;
        if (position_ >= rows)
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
    buffer.bookmark = BookmarkOfRow(position_);
    buffer.bookmarkFlag = TBookmarkFlag::bfCurrent;
    buffer.recordNumber = position_ + 1;
    return TGetResult::grOK;
}

int RowCursorDataSet::RecNo() const
{
    CheckActive();
    return IsEmpty() ? -1 : const_cast<RowCursorDataSet*>(this)->Buffer(ActiveRecord()).recordNumber;
}

int RowCursorDataSet::RecordCount() const
{
    CheckActive();
    return RowCount();
}

}  // namespace qelvor::test
