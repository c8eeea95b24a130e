// RecordSet: a client cursor over the whole result of one statement.
//
// Open executes the command on its connection and fetches every row before it
// returns; the rows are held compactly per column (ResultTable), never one heap
// object per cell. A bookmark is a row's ordinal in fetch order (0-based), so it
// survives Sort. The cursor position is an index into the current order:
//   -1 = BOF (before the first row), RecordCount() = EOF (after the last row).
// Moves, bookmarks, AbsolutePosition and RecordCount are O(1).
//
// Sort takes "name [ASC|DESC], ..." with names optionally in [brackets]; it is stable,
// compares text with the ICU collator of the user's locale, numbers numerically,
// dates chronologically, nulls first when ascending. An empty text restores fetch
// order. A rejected sort text raises and keeps the previous order. A sort can be
// computed on the side (PrepareSort, any thread) and adopted later (AdoptSort).
//
// Failures raise ERecordSetError carrying the provider's own message.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/recordset/RecordSetTypes.h"
#include "data/recordset/SortOrder.h"
#include "runtime/Variant.h"

namespace qelvor {
class WorkProgress;
}

namespace qelvor::recordset {

class Command;
class ResultBatch;
class ResultTable;
class SortState;

class RecordSet {
public:
    RecordSet();
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    // Settings read by Open.
    CursorLocationEnum CursorLocation() const { return cursorLocation_; }
    void SetCursorLocation(CursorLocationEnum value) { cursorLocation_ = value; }
    int CacheSize() const { return cacheSize_; }
    void SetCacheSize(int value) { cacheSize_ = value; }
    std::int64_t MaxRecords() const { return maxRecords_; }
    void SetMaxRecords(std::int64_t value) { maxRecords_ = value; }

    // Executes source on its active connection and fetches the whole result. When the
    // first result produces no row set, State() stays closed (see NextRecordset). The
    // progress, when given, receives the rows fetched so far and can interrupt the
    // statement from another thread (see LongWork.h); Open may run on a worker thread.
    void Open(Command& source, CursorTypeEnum cursorType, LockTypeEnum lockType, int options,
              WorkProgress* progress = nullptr);
    // Moves to the next result of the statement; false when there is none.
    bool NextRecordset();
    void Close();
    ObjectStateEnum State() const;

    // Result columns.
    int FieldCount() const;
    const FieldInfo& Field(int index) const;
    // Value of column `index` at the current row; raises at BOF or EOF.
    Variant Value(int index) const;

    // Before the first row / after the last row; both on an empty result. (Not "EOF":
    // that name is a macro of the C library.)
    bool IsBOF() const;
    bool IsEOF() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();

    // Bookmark of the current row (its fetch ordinal); raises at BOF or EOF.
    std::int64_t Bookmark() const;
    // Moves to the row with that bookmark; raises for a bookmark outside the result.
    void SetBookmark(std::int64_t bookmark);
    CompareEnum CompareBookmarks(std::int64_t first, std::int64_t second) const;

    // 1-based position of the current row in the current order; adPosBOF (-2) at BOF,
    // adPosEOF (-3) at EOF, adPosUnknown (-1) when the result is empty.
    std::int64_t AbsolutePosition() const;
    // Moves to the row at 1-based position; raises when out of range.
    void SetAbsolutePosition(std::int64_t position);
    std::int64_t RecordCount() const;
    // Status of the current row (adRecOK for every fetched row).
    int Status() const;

    // The row set being read (null while closed); for callers that read many cells.
    const ResultTable* Table() const { return table_; }
    // Fetch ordinal of the row at 0-based position in the current order.
    std::int64_t RowAt(std::int64_t position) const;

    bool SupportsBookmarks() const { return true; }
    bool SupportsMovePrevious() const { return true; }
    bool SupportsApproxPosition() const { return true; }

    const std::string& Sort() const { return sortText_; }
    // Reorders the rows by sortText (PrepareSort then AdoptSort).
    void SetSort(const std::string& sortText);
    // Computes the order for sortText without changing the current one. It reads only the
    // rows and the sort-key cache, so it may run on another thread while the owner keeps
    // reading and moving (but not opening, closing or sorting) this record set.
    SortOrder PrepareSort(const std::string& sortText) const;
    // Makes a prepared order current; the current row stays the current row.
    void AdoptSort(SortOrder order);

    // Bytes held for the result (column arenas, offsets, null bits, order arrays).
    std::size_t MemoryUsage() const;

private:
    void RequireOpen() const;
    void RequireRow() const;
    void SelectCurrentResult();

    CursorLocationEnum cursorLocation_ = adUseServer;
    int cacheSize_ = 1;
    std::int64_t maxRecords_ = 0;
    std::unique_ptr<ResultBatch> batch_;
    const ResultTable* table_ = nullptr;  // current result of batch_, or none
    std::unique_ptr<SortState> sortState_;  // present while a result is current
    std::string sortText_;
    std::int64_t position_ = -1;
};

}  // namespace qelvor::recordset
