// DataSet, navigation: moving the active record, reloading the window and bookmarks.
//
// Every operation that reloads or scrolls the window sends its data event even when
// a fetch fails half-way, so that controls never keep a picture of a window that
// changed under them.
#include "data/DataSet.h"

#include "runtime/Assert.h"

#include "runtime/Exceptions.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

void TDataSet::First()
{
    CheckBrowseMode();
    DoNotify(BeforeScroll);
    const ScopeExit finish([this] {
        bof_ = true;
        AssertWindowConsistent();
        DataEvent(TDataEvent::deDataSetChange, 0);
        DoNotify(AfterScroll);
    });
    ClearBuffers();
    InternalFirst();
    GetNextRecords();
}

void TDataSet::Last()
{
    CheckBrowseMode();
    DoNotify(BeforeScroll);
    const ScopeExit finish([this] {
        eof_ = true;
        AssertWindowConsistent();
        DataEvent(TDataEvent::deDataSetChange, 0);
        DoNotify(AfterScroll);
    });
    ClearBuffers();
    InternalLast();
    GetPriorRecords();
}

int TDataSet::MoveBy(int distance)
{
    CheckBrowseMode();
    DoNotify(BeforeScroll);
    if (distance == 0 || (distance > 0 && eof_) || (distance < 0 && bof_))
        return 0;
    bof_ = false;
    eof_ = false;
    const int oldRecordCount = recordCount_;
    int scrollCount = 0;
    int moved = 0;
    const ScopeExit finish([&] {
        AssertWindowConsistent();
        SendMoveEvent(oldRecordCount, scrollCount);
        DoNotify(AfterScroll);
    });
    for (; distance > 0; --distance, ++moved) {
        if (activeRecord_ < recordCount_ - 1) {
            ++activeRecord_;
            continue;
        }
        const bool wasFull = recordCount_ >= windowSize_;
        if (!GetNextRecord()) {
            eof_ = true;
            break;
        }
        if (wasFull)
            --scrollCount;  // the new record took the active slot
        else
            ++activeRecord_;
    }
    for (; distance < 0; ++distance, --moved) {
        if (activeRecord_ > 0) {
            --activeRecord_;
            continue;
        }
        const bool wasFull = recordCount_ >= windowSize_;
        if (!GetPriorRecord()) {
            bof_ = true;
            break;
        }
        if (wasFull)
            ++scrollCount;
        else
            --activeRecord_;  // step onto the new record in slot 0
    }
    return moved;
}

void TDataSet::Resync(unsigned modeFlags)
{
    if (unidirectional_)
        return;
    const int temporary = TemporarySlot();
    if (modeFlags & rmExact) {
        CursorPosChanged();
        if (FetchInto(temporary, TGetMode::gmCurrent, true) != TGetResult::grOK)
            DatabaseError("Record not found", Name());
    } else if (FetchInto(temporary, TGetMode::gmCurrent, false) != TGetResult::grOK &&
               FetchInto(temporary, TGetMode::gmNext, false) != TGetResult::grOK &&
               FetchInto(temporary, TGetMode::gmPrior, false) != TGetResult::grOK) {
        ClearBuffers();
        DataEvent(TDataEvent::deDataSetChange, 0);
        return;
    }
    const int target = (modeFlags & rmCenter) ? (windowSize_ - 1) / 2 : activeRecord_;
    std::swap(buffers_[0], buffers_[static_cast<std::size_t>(temporary)]);
    ActivateBuffers();
    const ScopeExit finish([this] {
        AssertWindowConsistent();
        DataEvent(TDataEvent::deDataSetChange, 0);
    });
    int fetched = 0;
    while (fetched < target && GetPriorRecord())
        ++fetched;
    activeRecord_ = fetched;
    GetNextRecords();
    GetPriorRecords();
}

bool TDataSet::BookmarkAvailable() const
{
    const bool browsing = state_ == TDataSetState::dsBrowse || state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert;
    return !unidirectional_ && browsing && !IsEmpty() &&
           buffers_[static_cast<std::size_t>(activeRecord_)].bookmarkFlag == TBookmarkFlag::bfCurrent;
}

TBookmark TDataSet::GetBookmark() const
{
    return BookmarkAvailable() ? buffers_[static_cast<std::size_t>(activeRecord_)].bookmark : TBookmark();
}

void TDataSet::GotoBookmark(const TBookmark& bookmark)
{
    if (bookmark.empty())
        return;
    CheckBrowseMode();
    DoNotify(BeforeScroll);
    InternalGotoBookmark(bookmark);
    Resync(rmExact | rmCenter);
    DoNotify(AfterScroll);
}

int TDataSet::CompareBookmarks(const TBookmark&, const TBookmark&) const
{
    return 0;
}

bool TDataSet::BookmarkValid(const TBookmark&)
{
    return false;
}

int TDataSet::RecordCount() const
{
    CheckActive();
    return -1;
}

int TDataSet::RecNo() const
{
    CheckActive();
    return -1;
}

void TDataSet::SetRecNo(int)
{
    CheckActive();
}

bool TDataSet::IsSequenced() const
{
    return true;
}

}  // namespace qelvor
