// ColumnOwnerEh: what a column needs of the collection holding it. The collection
// implements it, so the column stands below the collection and never includes its header.
#pragma once

namespace qelvor {

class TColumnEh;
class TColumnGridEh;
class TDBGridColumnsEh;
class TField;
class TSortMarkingEh;

class TColumnOwnerEh {
public:
    // The collection itself, for the column's public Collection().
    virtual TDBGridColumnsEh* OwnerCollection() = 0;
    // The grid as the columns see it (nullptr: none).
    virtual TColumnGridEh* OwnerGrid() const = 0;
    // The number of columns and the position of `column` (-1: not held).
    virtual int OwnerCount() const = 0;
    virtual int OwnerIndexOf(const TColumnEh* column) const = 0;
    // The field bound to the column at `index` (nullptr: none yet).
    virtual TField* OwnerBoundFieldAt(int index) const = 0;
    // Moves the column at `from` to index `to`.
    virtual void OwnerMove(int from, int to) = 0;
    // One column (nullptr: all columns) changed.
    virtual void OwnerColumnChanged(TColumnEh* column) = 0;
    // The sort marking of the collection's columns.
    virtual TSortMarkingEh& OwnerSortMarking() = 0;

protected:
    ~TColumnOwnerEh() = default;
};

}  // namespace qelvor
