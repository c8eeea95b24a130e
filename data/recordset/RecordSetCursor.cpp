// RecordSet: cursor movement, bookmarks and positions, all O(1).
//
// position_ runs from -1 (BOF) to RecordCount() (EOF); an empty result is at both.
#include "data/recordset/RecordSet.h"

#include "data/recordset/RecordSetErrors.h"
#include "data/recordset/ResultTable.h"
#include "data/recordset/SortState.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

std::int64_t RecordSet::RecordCount() const
{
    RequireOpen();
    return table_->RowCount();
}

bool RecordSet::IsBOF() const
{
    RequireOpen();
    return position_ < 0 || table_->RowCount() == 0;
}

bool RecordSet::IsEOF() const
{
    RequireOpen();
    return position_ >= table_->RowCount() || table_->RowCount() == 0;
}

void RecordSet::MoveFirst()
{
    RequireOpen();
    position_ = table_->RowCount() > 0 ? 0 : -1;
}

void RecordSet::MoveLast()
{
    RequireOpen();
    position_ = table_->RowCount() - 1;
}

void RecordSet::MoveNext()
{
    if (IsEOF())
        throw ERecordSetError(kNoCurrentRecord);
    ++position_;
}

void RecordSet::MovePrevious()
{
    if (IsBOF())
        throw ERecordSetError(kNoCurrentRecord);
    --position_;
}

std::int64_t RecordSet::Bookmark() const
{
    RequireRow();
    return RowAt(position_);
}

void RecordSet::SetBookmark(std::int64_t bookmark)
{
    RequireOpen();
    if (bookmark < 0 || bookmark >= table_->RowCount())
        throw ERecordSetError(kBadBookmark);
    position_ = sortState_ ? sortState_->PositionOf(bookmark) : bookmark;
}

CompareEnum RecordSet::CompareBookmarks(std::int64_t first, std::int64_t second) const
{
    RequireOpen();
    const std::int64_t count = table_->RowCount();
    if (first < 0 || first >= count || second < 0 || second >= count)
        return adCompareNotComparable;
    const std::int64_t a = sortState_ ? sortState_->PositionOf(first) : first;
    const std::int64_t b = sortState_ ? sortState_->PositionOf(second) : second;
    return a < b ? adCompareLessThan : a > b ? adCompareGreaterThan : adCompareEqual;
}

std::int64_t RecordSet::AbsolutePosition() const
{
    RequireOpen();
    if (table_->RowCount() == 0)
        return adPosUnknown;
    if (position_ < 0)
        return adPosBOF;
    if (position_ >= table_->RowCount())
        return adPosEOF;
    return position_ + 1;
}

void RecordSet::SetAbsolutePosition(std::int64_t position)
{
    RequireOpen();
    if (position < 1 || position > table_->RowCount())
        throw ERecordSetError(kArgumentOutOfRange);
    position_ = position - 1;
}

int RecordSet::Status() const
{
    RequireRow();
    return adRecOK;
}

}  // namespace qelvor::recordset
