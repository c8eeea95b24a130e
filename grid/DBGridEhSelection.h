// DBGridEhSelection: the data grid's selection state — its kind, the record list
// (bookmarks), the column store and the rectangle store.
//
// A selection can only be started with dgMultiSelect; the stores exist as the
// containers the clear and membership operations work on. Type gstNon means nothing
// is selected, whatever the stores hold. The selection owns the record list and
// reaches the grid only through TSelectionGridEh.
//
// Invariants: gstRecordBookmarks only with a non-empty record list, gstColumns only
// with selected columns, gstRectangle only with a non-empty block.
#pragma once

#include <string>
#include <vector>

#include "data/DataSet.h"
#include "grid/GridSets.h"

namespace qelvor {

class TColumnEh;
class TDBGridEhSelection;
class TSelectionGridEh;

// Bookmarks of selected records in ascending bookmark order, without duplicates.
class TBookmarkListEh {
public:
    TBookmarkListEh(TDBGridEhSelection& selection, TSelectionGridEh* grid) : selection_(selection), grid_(grid) {}

    int Count() const { return static_cast<int>(items_.size()); }
    // Empties the list; the selection's type follows.
    void Clear();
    // Whether the dataset's current record is in the list; raises the closed-dataset
    // error while the grid's link is inactive.
    bool CurrentRowSelected() const;
    // Binary search (with the one-entry cache) for a bookmark.
    bool Find(const TBookmark& bookmark, int& index) const;
    bool LinkActive() const { return linkActive_; }
    void SetLinkActive(bool active) { linkActive_ = active; }

private:
    void Changed();

    TDBGridEhSelection& selection_;  // the selection owning the list, told when it empties
    TSelectionGridEh* grid_;  // the grid whose dataset orders the bookmarks (never null)
    std::vector<TBookmark> items_;  // the selected records' bookmarks, ascending, no duplicates
    bool linkActive_ = false;  // the grid's link was active at the last activation change
    mutable TBookmark cacheBookmark_;  // the bookmark last searched for
    mutable int cacheIndex_ = -1;  // where the last search found it or would insert it
    mutable bool cacheFound_ = false;  // whether the last search found it
    mutable bool cacheValid_ = false;  // the three above answer for the current list
};

// A block of cells between two corners, each a data column and a record's bookmark;
// the corners may come in any order.
struct TDBGridEhSelectionRect {
    int DataColFrom = -1;
    int DataColTo = -1;
    TBookmark BookmarkFrom;
    TBookmark BookmarkTo;
    void Clear() { *this = TDBGridEhSelectionRect{}; }
    bool Empty() const { return DataColFrom < 0; }
};

class TDBGridEhSelection {
public:
    explicit TDBGridEhSelection(TSelectionGridEh* grid) : grid_(grid), selectedRows_(*this, grid) {}
    TDBGridEhSelection(const TDBGridEhSelection&) = delete;
    TDBGridEhSelection& operator=(const TDBGridEhSelection&) = delete;

    TDBGridEhSelectionType SelectionType() const { return selectionType_; }
    // Clears the current kind of selection; the type becomes gstNon.
    void Clear();
    // Whether a data cell of the record with that bookmark is selected (dataCol -1: none).
    bool IsCellSelected(int dataCol, const TBookmark& bookmark) const;
    // Makes the block between two corners the selection, when the grid allows rectangles.
    void SelectRectangle(const TDBGridEhSelectionRect& rect);
    // Brings the type up to date after a store became empty.
    void UpdateState();
    // Called by the data link when the dataset opens or closes.
    void LinkActiveChanged(bool active);
    const std::vector<TColumnEh*>& Columns() const { return columns_; }
    const TDBGridEhSelectionRect& Rect() const { return rect_; }
    // The selected records' bookmarks.
    TBookmarkListEh& SelectedRows() { return selectedRows_; }
    const TBookmarkListEh& SelectedRows() const { return selectedRows_; }

private:
    bool RectangleContains(int dataCol, const TBookmark& bookmark) const;

    TSelectionGridEh* grid_;  // the grid the selection belongs to (never null)
    TDBGridEhSelectionType selectionType_ = gstNon;  // the kind of selection held (gstNon: none)
    std::vector<TColumnEh*> columns_;  // the selected columns (kind gstColumns)
    TDBGridEhSelectionRect rect_;  // the selected block (kind gstRectangle)
    TBookmarkListEh selectedRows_;  // the selected records (kind gstRecordBookmarks)
};

}  // namespace qelvor
