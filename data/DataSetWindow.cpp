// DataSet, window: the record buffers and the fetches that fill them.
//
// Slot TemporarySlot() (= windowSize_) receives every fetch; a successful fetch then
// swaps or rotates it into place, so no record is copied and a dropped slot's memory
// is reused by the next fetch.
#include "data/DataSet.h"

#include <algorithm>
#include "runtime/Assert.h"

namespace qelvor {

TGetResult TDataSet::FetchInto(int slot, TGetMode mode, bool doCheck)
{
    const TGetResult result = GetRecord(slot, mode, doCheck);
    if (result == TGetResult::grOK) {
        RecordBuffer& buffer = Buffer(slot);
        buffer.values.assign(fields_.size(), Variant());
        buffer.valueLoaded.assign(fields_.size(), false);
    }
    return result;
}

void TDataSet::SetCurrentRecord(int slot)
{
    if (cursorRecord_ == slot)
        return;
    const RecordBuffer& buffer = Buffer(slot);
    switch (buffer.bookmarkFlag) {
    case TBookmarkFlag::bfBOF: InternalFirst(); break;
    case TBookmarkFlag::bfEOF: InternalLast(); break;
    case TBookmarkFlag::bfCurrent:
    case TBookmarkFlag::bfInserted: InternalSetToRecord(slot); break;
    case TBookmarkFlag::bfNA: break;
    }
    cursorRecord_ = slot;
}

void TDataSet::SetActiveRecordSlot(int slot)
{
    QELVOR_ASSERT(slot >= 0 && slot < std::max(recordCount_, 1));
    activeRecord_ = slot;
}

void TDataSet::ClearBuffers()
{
    recordCount_ = 0;
    activeRecord_ = 0;
    cursorRecord_ = -1;
    bof_ = true;
    eof_ = true;
}

void TDataSet::ActivateBuffers()
{
    recordCount_ = 1;
    activeRecord_ = 0;
    cursorRecord_ = 0;
    bof_ = false;
    eof_ = false;
}

void TDataSet::FreeBuffers()
{
    buffers_.clear();
    windowSize_ = 0;
    ClearBuffers();
}

bool TDataSet::GetNextRecord()
{
    if (recordCount_ > 0)
        SetCurrentRecord(recordCount_ - 1);
    const int temporary = TemporarySlot();
    if (FetchInto(temporary, TGetMode::gmNext, true) != TGetResult::grOK) {
        cursorRecord_ = -1;
        return false;
    }
    auto slots = buffers_.begin();
    if (recordCount_ == 0) {
        std::swap(buffers_[0], buffers_[static_cast<std::size_t>(temporary)]);
        ActivateBuffers();
    } else if (recordCount_ < windowSize_) {
        std::swap(buffers_[static_cast<std::size_t>(recordCount_)], buffers_[static_cast<std::size_t>(temporary)]);
        ++recordCount_;
    } else {
        // Full: slot 0 falls out and becomes the next temporary slot.
        std::rotate(slots, slots + 1, slots + temporary + 1);
    }
    cursorRecord_ = recordCount_ - 1;
    return true;
}

bool TDataSet::GetPriorRecord()
{
    if (recordCount_ > 0)
        SetCurrentRecord(0);
    const int temporary = TemporarySlot();
    if (FetchInto(temporary, TGetMode::gmPrior, true) != TGetResult::grOK) {
        cursorRecord_ = -1;
        return false;
    }
    auto slots = buffers_.begin();
    // The fetched record becomes slot 0; the last slot becomes the temporary one.
    std::rotate(slots, slots + temporary, slots + temporary + 1);
    if (recordCount_ == 0) {
        ActivateBuffers();
    } else if (recordCount_ < windowSize_) {
        ++recordCount_;
        ++activeRecord_;  // the active record moved one slot up with the others
    }
    cursorRecord_ = 0;
    return true;
}

int TDataSet::GetNextRecords()
{
    int fetched = 0;
    while (recordCount_ < windowSize_ && GetNextRecord())
        ++fetched;
    return fetched;
}

int TDataSet::GetPriorRecords()
{
    int fetched = 0;
    while (recordCount_ < windowSize_ && GetPriorRecord())
        ++fetched;
    return fetched;
}

void TDataSet::AssertWindowConsistent() const
{
    if (!Active())
        return;
    QELVOR_ASSERT(windowSize_ >= 1 && buffers_.size() == static_cast<std::size_t>(windowSize_) + 1);
    QELVOR_ASSERT(recordCount_ >= 0 && recordCount_ <= windowSize_);
    QELVOR_ASSERT(activeRecord_ >= 0 && activeRecord_ < std::max(recordCount_, 1));
    QELVOR_ASSERT(cursorRecord_ >= -1 && cursorRecord_ < std::max(recordCount_, 1));
    QELVOR_ASSERT(recordCount_ != 0 || (bof_ && eof_));
    QELVOR_ASSERT(!bof_ || activeRecord_ == 0);
    QELVOR_ASSERT(!eof_ || recordCount_ == 0 || activeRecord_ == recordCount_ - 1);
}

void TDataSet::SendMoveEvent(int oldRecordCount, int scrollCount)
{
    if (recordCount_ == oldRecordCount)
        DataEvent(TDataEvent::deDataSetScroll, scrollCount);
    else
        DataEvent(TDataEvent::deDataSetChange, 0);
}

}  // namespace qelvor
