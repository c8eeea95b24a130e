// ColumnsEh: the grid's owning column collection and the non-owning column list.
//
// TDBGridColumnsEh owns its TDBGridColumnEh items and reports changes to its grid:
// one column, or all columns (adding, deleting, moving, end of an update). Inside
// BeginUpdate/EndUpdate nothing reaches the grid; EndUpdate reports one change of all.
// TColumnsEhList only refers to columns (VisibleColumnList, SortMarkedColumnList).
// The grid is reached only through TColumnGridEh.
//
// Invariants: every item's Collection() is this collection; while UpdateCount() > 0
// no notification reaches the grid.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "grid/ColumnEh.h"
#include "grid/ColumnsEhList.h"

namespace qelvor {

class TColumnGridEh;
class TCustomDBGridEh;
class TSortMarkingEh;

class TDBGridColumnsEh {
public:
    explicit TDBGridColumnsEh(TColumnGridEh* grid);
    ~TDBGridColumnsEh();
    TDBGridColumnsEh(const TDBGridColumnsEh&) = delete;
    TDBGridColumnsEh& operator=(const TDBGridColumnsEh&) = delete;

    TCustomDBGridEh* Grid() const;
    // The grid as the columns see it (nullptr: none).
    TColumnGridEh* GridLink() const { return grid_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TDBGridColumnEh* Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
    TDBGridColumnEh* operator[](int index) const { return Items(index); }
    // Appends a persistent (stored) column.
    TDBGridColumnEh* Add();
    // Appends a column the grid generated for a field.
    TDBGridColumnEh* AddGenerated();
    // Deletes the column at index.
    void Delete(int index);
    void Clear();
    // Moves the column at `from` to index `to`.
    void Move(int from, int to);
    int IndexOf(const TColumnEh* column) const;
    // True when the collection has columns and the first is persistent.
    bool ColumnsArePersistent() const { return !items_.empty() && items_.front()->Persistent(); }

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // Change notification: item == nullptr for all columns.
    void Update(TColumnEh* item);

    // The sort marking of these columns (the titles' SortMarker and SortIndex).
    TSortMarkingEh& SortMarking() { return *sortMarking_; }
    const TSortMarkingEh& SortMarking() const { return *sortMarking_; }

private:
    TDBGridColumnEh* AddItem(bool persistent);

    TColumnGridEh* grid_;  // the grid told of changes (nullptr: none)
    std::vector<std::unique_ptr<TDBGridColumnEh>> items_;  // the columns in display order, owned
    int updateCount_ = 0;  // depth of open BeginUpdate calls; changes reach the grid at 0 only
    std::unique_ptr<TSortMarkingEh> sortMarking_;  // the marked columns in sort order, with their directions
};

}  // namespace qelvor
