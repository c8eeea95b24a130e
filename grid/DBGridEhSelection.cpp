// DBGridEhSelection: the selection state, the rule that decides whether a selection
// may start, clearing, membership and the reactions to dataset activation.
#include "grid/DBGridEhSelection.h"

#include <algorithm>

#include "runtime/Exceptions.h"
#include "grid/SelectionGridEh.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

// --- record list ---

void TBookmarkListEh::Changed()
{
    cacheValid_ = false;
}

void TBookmarkListEh::Clear()
{
    if (items_.empty())
        return;
    items_.clear();
    Changed();
    selection_.UpdateState();
    grid_->SelectionInvalidate();
}

bool TBookmarkListEh::Find(const TBookmark& bookmark, int& index) const
{
    if (cacheValid_ && cacheBookmark_ == bookmark) {
        index = cacheIndex_;
        return cacheFound_;
    }
    TDataSet* dataSet = grid_->SelectionDataSet();
    auto less = [dataSet](const TBookmark& a, const TBookmark& b) {
        return dataSet ? dataSet->CompareBookmarks(a, b) < 0 : a < b;
    };
    const auto found = std::lower_bound(items_.begin(), items_.end(), bookmark, less);
    index = static_cast<int>(found - items_.begin());
    const bool hit = found != items_.end() && !less(bookmark, *found);
    cacheBookmark_ = bookmark;
    cacheIndex_ = index;
    cacheFound_ = hit;
    cacheValid_ = true;
    return hit;
}

bool TBookmarkListEh::CurrentRowSelected() const
{
    if (!grid_->SelectionLinkActive())
        throw EDatabaseError("Cannot perform this operation on a closed dataset");
    int index = 0;
    return Find(grid_->SelectionDataSet()->GetBookmark(), index);
}

// --- selection ---

void TDBGridEhSelection::UpdateState()
{
    if (selectionType_ == gstRecordBookmarks && selectedRows_.Count() == 0)
        selectionType_ = gstNon;
    else if (selectionType_ == gstColumns && columns_.empty())
        selectionType_ = gstNon;
}

void TDBGridEhSelection::Clear()
{
    {
        const ScopeExit reset([this] { selectionType_ = gstNon; });
        switch (selectionType_) {
        case gstRecordBookmarks: selectedRows_.Clear(); break;
        case gstRectangle: rect_.Clear(); break;
        case gstColumns: columns_.clear(); break;
        case gstAll: grid_->SelectionInvalidate(); break;
        case gstNon: break;
        }
    }
    grid_->SelectionCleared();
}

bool TDBGridEhSelection::IsCellSelected(int dataCol, const TBookmark& bookmark) const
{
    switch (selectionType_) {
    case gstNon:
        return false;
    case gstRecordBookmarks: {
        int index = 0;
        return selectedRows_.Find(bookmark, index);
    }
    case gstRectangle:
        return RectangleContains(dataCol, bookmark);
    case gstColumns:
    {
        TColumnEh* column = grid_->SelectionColumn(dataCol);
        return column && std::find(columns_.begin(), columns_.end(), column) != columns_.end();
    }
    case gstAll:
        return true;
    }
    return false;
}

// Rows are compared in the dataset's current order, so the block follows a re-sort.
bool TDBGridEhSelection::RectangleContains(int dataCol, const TBookmark& bookmark) const
{
    if (dataCol < 0 || rect_.Empty() || bookmark.empty())
        return false;
    if (dataCol < std::min(rect_.DataColFrom, rect_.DataColTo) || dataCol > std::max(rect_.DataColFrom, rect_.DataColTo))
        return false;
    const TDataSet* dataSet = grid_->SelectionDataSet();
    if (!dataSet)
        return false;
    const bool topDown = dataSet->CompareBookmarks(rect_.BookmarkFrom, rect_.BookmarkTo) <= 0;
    const TBookmark& top = topDown ? rect_.BookmarkFrom : rect_.BookmarkTo;
    const TBookmark& bottom = topDown ? rect_.BookmarkTo : rect_.BookmarkFrom;
    return dataSet->CompareBookmarks(bookmark, top) >= 0 && dataSet->CompareBookmarks(bookmark, bottom) <= 0;
}

void TDBGridEhSelection::SelectRectangle(const TDBGridEhSelectionRect& rect)
{
    if (!grid_->SelectionAllowed(gstRectangle))
        return;
    if (selectionType_ != gstRectangle)
        Clear();
    rect_ = rect;
    selectionType_ = rect_.Empty() ? gstNon : gstRectangle;
    grid_->SelectionInvalidate();
}

void TDBGridEhSelection::LinkActiveChanged(bool active)
{
    selectedRows_.Clear();
    UpdateState();
    selectedRows_.SetLinkActive(active);
    Clear();
}

}  // namespace qelvor
