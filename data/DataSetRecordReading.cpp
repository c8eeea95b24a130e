// DataSet, record reading: a record of the whole result read through the fields
// without moving the current record, for consumers that describe records outside the
// window (an accessibility client asking for any cell of the result).
//
// The record is fetched into the active slot, whose buffer is put aside and put back
// afterwards; the record source's position is then unknown, so the next field read
// positions it again. Nothing is announced to the data links.
#include "data/DataSet.h"

#include <utility>

#include "runtime/ScopeGuard.h"

namespace qelvor {

bool TDataSet::InternalSetToRecordNumber(int)
{
    return false;
}

bool TDataSet::ReadRecordAt(int recordNumber, const std::function<void()>& read)
{
    if (state_ != TDataSetState::dsBrowse || IsEmpty() || recordNumber < 1)
        return false;
    const int slot = activeRecord_;
    RecordBuffer saved = std::move(Buffer(slot));
    Buffer(slot) = RecordBuffer{};
    const ScopeExit restore([this, slot, &saved] {
        Buffer(slot) = std::move(saved);
        CursorPosChanged();
    });
    CursorPosChanged();
    if (!InternalSetToRecordNumber(recordNumber) || FetchInto(slot, TGetMode::gmCurrent, false) != TGetResult::grOK)
        return false;
    read();
    return true;
}

}  // namespace qelvor
