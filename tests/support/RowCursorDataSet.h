// RowCursorDataSet: the record source shared by the test datasets — a cursor over
// numbered rows (0-based), one bookmark per row, record numbers = row + 1. Subclasses
// say how many rows there are and where a row's values come from; this class moves
// the cursor for the record window, counts the fetches and builds the fields from the
// column definitions at open.
//
// Invariant: SourcePosition() is in -1..RowCount(); -1 is before the first row and
// RowCount() after the last.
#pragma once

#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/FieldDefs.h"

namespace qelvor::test {

class RowCursorDataSet : public TDataSet {
public:
    // The bookmark of a 0-based row, and back.
    static TBookmark BookmarkOfRow(int row);
    static int RowOfBookmark(const TBookmark& bookmark);

    virtual int RowCount() const = 0;
    // The row the source is on: -1 before the first, RowCount() after the last.
    int SourcePosition() const { return position_; }
    // Moves the source as an outside party would (a later Resync picks it up).
    void SetSourcePosition(int position) { position_ = position; }
    // Record fetches served so far, failed ones included.
    int FetchCount() const { return fetches_; }

    int RecNo() const override;
    int RecordCount() const override;

protected:
    RowCursorDataSet(std::vector<TFieldDef> defs, std::string name);

    // Called for every fetch (fetchNumber counts from 1); true fails it with grError.
    virtual bool FetchFails(int fetchNumber, bool doCheck);
    // The row held by a window slot.
    int RowOfSlot(int slot) { return RowOfBookmark(Buffer(slot).bookmark); }

    void InternalOpen() override;
    void InternalClose() override {}
    void InternalFirst() override { position_ = -1; }
    void InternalLast() override { position_ = RowCount(); }
    TGetResult GetRecord(int slot, TGetMode mode, bool doCheck) override;
    void InternalSetToRecord(int slot) override { position_ = RowOfSlot(slot); }
    void InternalGotoBookmark(const TBookmark& bookmark) override { position_ = RowOfBookmark(bookmark); }

private:
    std::vector<TFieldDef> defs_;
    int position_ = -1;
    int fetches_ = 0;
};

}  // namespace qelvor::test
