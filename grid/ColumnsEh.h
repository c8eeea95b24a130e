// ColumnsEh: the grid's owning column collection and the non-owning column list.
//
// TDBGridColumnsEh owns its TDBGridColumnEh items and reports changes to its grid:
// one column, or all columns (adding, deleting, moving, end of an update). Inside
// BeginUpdate/EndUpdate nothing reaches the grid; EndUpdate reports one change of all.
// TColumnsEhList only refers to columns (VisibleColumnList, SortMarkedColumnList).
// The grid is reached only through TColumnGridEh. The collection is what its columns
// (TColumnOwnerEh) and its sort marking (TSortMarkingOwnerEh) see of it.
//
// Invariants: every item's Collection() is this collection; while UpdateCount() > 0
// no notification reaches the grid.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "grid/ColumnEh.h"
#include "grid/ColumnOwnerEh.h"
#include "grid/ColumnsEhList.h"
#include "grid/SortMarking.h"

namespace qelvor {

class TColumnGridEh;
class TCustomDBGridEh;

class TDBGridColumnsEh : private TColumnOwnerEh, private TSortMarkingOwnerEh {
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

    // --- what a column needs of its collection (TColumnOwnerEh) ---
    TDBGridColumnsEh* OwnerCollection() override { return this; }
    TColumnGridEh* OwnerGrid() const override { return grid_; }
    int OwnerCount() const override { return Count(); }
    int OwnerIndexOf(const TColumnEh* column) const override { return IndexOf(column); }
    TField* OwnerBoundFieldAt(int index) const override { return Items(index)->BoundField(); }
    void OwnerMove(int from, int to) override { Move(from, to); }
    void OwnerColumnChanged(TColumnEh* column) override { Update(column); }
    TSortMarkingEh& OwnerSortMarking() override { return *sortMarking_; }

    // --- what the sort marking needs of its collection (TSortMarkingOwnerEh) ---
    bool MarkingUpdating() const override { return updateCount_ > 0; }
    int MarkingColumnCount() const override { return Count(); }
    TColumnEh* MarkingColumn(int index) const override { return Items(index); }
    bool MarkingHolds(const TColumnEh* column) const override { return IndexOf(column) >= 0; }
    void MarkingColumnChanged(TColumnEh* column) override { Update(column); }

    TColumnGridEh* grid_;  // the grid told of changes (nullptr: none)
    std::vector<std::unique_ptr<TDBGridColumnEh>> items_;  // the columns in display order, owned
    int updateCount_ = 0;  // depth of open BeginUpdate calls; changes reach the grid at 0 only
    std::unique_ptr<TSortMarkingEh> sortMarking_;  // the marked columns in sort order, with their directions
};

}  // namespace qelvor
