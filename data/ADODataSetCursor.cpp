// ADODataSet, cursor: the record source of the record window over the record set,
// bookmarks, record numbers and sorting.
//
// A bookmark is the record set's row ordinal held in 16 bytes laid out as a tagged
// variant: a 2-byte type tag (20, a 64-bit integer) and the value in bytes 8..15.
#include "data/ADODataSet.h"

#include <algorithm>
#include <cstring>

#include "data/recordset/RecordSet.h"
#include "data/recordset/SortText.h"
#include "runtime/Exceptions.h"
#include "runtime/LongWork.h"

namespace qelvor {

namespace {

constexpr std::uint16_t kInt64Tag = 20;
constexpr std::size_t kBookmarkBytes = 16;

TBookmark EncodeBookmark(std::int64_t ordinal)
{
    TBookmark bookmark(kBookmarkBytes, '\0');
    std::memcpy(bookmark.data(), &kInt64Tag, sizeof kInt64Tag);
    std::memcpy(bookmark.data() + 8, &ordinal, sizeof ordinal);
    return bookmark;
}

// False for anything that is not a bookmark this dataset handed out.
bool DecodeBookmark(const TBookmark& bookmark, std::int64_t& ordinal)
{
    std::uint16_t tag = 0;
    if (bookmark.size() != kBookmarkBytes)
        return false;
    std::memcpy(&tag, bookmark.data(), sizeof tag);
    if (tag != kInt64Tag)
        return false;
    std::memcpy(&ordinal, bookmark.data() + 8, sizeof ordinal);
    return true;
}

std::int64_t RequireBookmark(const TBookmark& bookmark)
{
    std::int64_t ordinal = 0;
    if (!DecodeBookmark(bookmark, ordinal))
        throw ERecordSetError("The bookmark is not valid for this record set");
    return ordinal;
}

}  // namespace

void TCustomADODataSet::InternalFirst()
{
    recordset::RecordSet& rs = *recordSet_;
    if (rs.IsBOF())
        return;
    rs.MoveFirst();
    if (rs.SupportsMovePrevious() && !rs.IsBOF())
        rs.MovePrevious();
}

void TCustomADODataSet::InternalLast()
{
    recordset::RecordSet& rs = *recordSet_;
    if (rs.IsEOF())
        return;
    rs.MoveLast();
    if (!rs.IsEOF())
        rs.MoveNext();
}

TGetResult TCustomADODataSet::GetRecord(int slot, TGetMode mode, bool doCheck)
{
    try {
        if (WindowSize() > 1 && !recordSet_->SupportsBookmarks())
            DatabaseError("Dataset does not support bookmarks, which are required for multi-record data controls");
        recordset::RecordSet& rs = *recordSet_;
        switch (mode) {
        case TGetMode::gmCurrent:
            if (rs.IsEOF())
                return TGetResult::grEOF;
            if (rs.IsBOF())
                return TGetResult::grBOF;
            break;
        case TGetMode::gmNext:
            if (!rs.IsEOF())
                rs.MoveNext();
            if (rs.IsEOF())
                return TGetResult::grEOF;
            break;
        case TGetMode::gmPrior:
            if (!rs.IsBOF())
                rs.MovePrevious();
            if (rs.IsBOF())
                return TGetResult::grBOF;
            break;
        }
        RecordBuffer& buffer = Buffer(slot);
        buffer.recordStatus = rs.Status();
        const bool deleted = (buffer.recordStatus & recordset::adRecDeleted) != 0;
        buffer.bookmark = EncodeBookmark(rs.Bookmark());
        buffer.bookmarkFlag = rs.SupportsBookmarks() && !deleted ? TBookmarkFlag::bfCurrent : TBookmarkFlag::bfNA;
        buffer.recordNumber = ControlsDisabled() ? -2 : static_cast<int>(rs.AbsolutePosition());
        return TGetResult::grOK;
    } catch (const Exception&) {
        if (doCheck)
            throw;
        return TGetResult::grError;
    }
}

void TCustomADODataSet::PositionOn(const RecordBuffer& buffer)
{
    recordset::RecordSet& rs = *recordSet_;
    const std::int64_t ordinal = RequireBookmark(buffer.bookmark);
    if (!rs.IsBOF() && !rs.IsEOF() && rs.Bookmark() == ordinal)
        return;
    rs.SetBookmark(ordinal);
    CursorPosChanged();
}

void TCustomADODataSet::InternalSetToRecord(int slot)
{
    recordSet_->SetBookmark(RequireBookmark(Buffer(slot).bookmark));
}

void TCustomADODataSet::InternalGotoBookmark(const TBookmark& bookmark)
{
    recordSet_->SetBookmark(RequireBookmark(bookmark));
}

Variant TCustomADODataSet::ReadFieldValue(int slot, const TField& field)
{
    const RecordBuffer& buffer = Buffer(slot);
    if (buffer.recordStatus & recordset::adRecDeleted)
        return {};
    PositionOn(buffer);
    return recordSet_->Value(field.FieldNo() - 1);
}

bool TCustomADODataSet::InternalSetToRecordNumber(int recordNumber)
{
    if (!IsSequenced() || recordNumber < 1 || recordNumber > recordSet_->RecordCount())
        return false;
    recordSet_->SetAbsolutePosition(recordNumber);
    return true;
}

int TCustomADODataSet::RecordCount() const
{
    CheckActive();
    return static_cast<int>(recordSet_->RecordCount());
}

int TCustomADODataSet::RecNo() const
{
    CheckActive();
    if (IsEmpty())
        return -1;
    auto& self = const_cast<TCustomADODataSet&>(*this);
    const RecordBuffer& buffer = self.Buffer(ActiveRecord());
    if (buffer.recordNumber != -2)
        return buffer.recordNumber;
    // Positioning the record set is not an observable change of the dataset.
    self.SetCurrentRecord(ActiveRecord());
    return static_cast<int>(recordSet_->AbsolutePosition());
}

void TCustomADODataSet::SetRecNo(int recordNumber)
{
    if (recordNumber == RecNo())
        return;
    DoNotify(BeforeScroll);
    recordSet_->SetAbsolutePosition(recordNumber);
    CursorPosChanged();
    Resync(rmCenter);
    DoNotify(AfterScroll);
}

bool TCustomADODataSet::IsSequenced() const
{
    return recordSet_ && recordSet_->SupportsApproxPosition() && cursorLocation_ == TCursorLocation::clUseClient;
}

int TCustomADODataSet::CompareBookmarks(const TBookmark& first, const TBookmark& second) const
{
    if (first.empty() || second.empty())
        return first.empty() == second.empty() ? 0 : (first.empty() ? -1 : 1);
    std::int64_t a = 0;
    std::int64_t b = 0;
    if (!recordSet_ || !DecodeBookmark(first, a) || !DecodeBookmark(second, b))
        return 0;
    try {
        switch (recordSet_->CompareBookmarks(a, b)) {
        case recordset::adCompareLessThan: return -1;
        case recordset::adCompareEqual: return 0;
        case recordset::adCompareGreaterThan: return 1;
        default: return a > b ? 1 : -1;
        }
    } catch (const Exception&) {
        return 0;
    }
}

bool TCustomADODataSet::BookmarkValid(const TBookmark& bookmark)
{
    std::int64_t ordinal = 0;
    if (!recordSet_ || !DecodeBookmark(bookmark, ordinal))
        return false;
    try {
        recordSet_->SetBookmark(ordinal);
        CursorPosChanged();
        return true;
    } catch (const Exception&) {
        CursorPosChanged();
        return false;
    }
}

std::string TCustomADODataSet::Sort() const
{
    return recordSet_ ? recordSet_->Sort() : std::string();
}

void TCustomADODataSet::SetSort(const std::string& sortText)
{
    CheckActive();
    // The order is computed on the side (the window may repaint meanwhile, moving the
    // record set) and adopted once it is complete, from the active record.
    recordset::RecordSet& rows = *recordSet_;
    recordset::SortOrder order;
    WorkProgress progress;
    RunLongWork(LongWorkKind::Sort, [&rows, &order, &sortText] { order = rows.PrepareSort(sortText); }, progress);
    if (!IsEmpty())
        SetCurrentRecord(ActiveRecord());
    recordSet_->AdoptSort(std::move(order));
    CursorPosChanged();
    UpdateIndexFields();
    Resync(0);
}

void TCustomADODataSet::UpdateIndexFields()
{
    // Read with the sort's own parser: the record set took the text, so it parses alike.
    indexFields_.clear();
    for (const recordset::SortKeyText& key : recordset::ParseSortText(Sort()))
        if (TField* field = FindField(key.name))
            indexFields_.push_back(field);
}

}  // namespace qelvor
