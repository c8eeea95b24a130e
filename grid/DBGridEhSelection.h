// DBGridEhSelection: the data grid's selection state — its kind, the record list
// (bookmarks), the column store and the rectangle store.
//
// A selection can only be started with dgMultiSelect; the stores exist as the
// containers the clear and membership operations work on. Type gstNon means nothing
// is selected, whatever the stores hold.
#pragma once

#include <string>
#include <vector>

#include "data/DataSet.h"
#include "grid/GridSets.h"

namespace qelvor {

class TCustomDBGridEh;
class TColumnEh;

// Bookmarks of selected records in ascending bookmark order, without duplicates.
class TBookmarkListEh {
public:
    explicit TBookmarkListEh(TCustomDBGridEh* grid) : grid_(grid) {}

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

    TCustomDBGridEh* grid_;
    std::vector<TBookmark> items_;
    bool linkActive_ = false;
    mutable TBookmark cacheBookmark_;
    mutable int cacheIndex_ = -1;
    mutable bool cacheFound_ = false;
    mutable bool cacheValid_ = false;
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
    explicit TDBGridEhSelection(TCustomDBGridEh* grid) : grid_(grid) {}

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

private:
    bool RectangleContains(int dataCol, const TBookmark& bookmark) const;

    TCustomDBGridEh* grid_;
    TDBGridEhSelectionType selectionType_ = gstNon;
    std::vector<TColumnEh*> columns_;
    TDBGridEhSelectionRect rect_;
};

}  // namespace qelvor
