// DBGridEhSortMarking: the write side of the title sort markers and the grid's
// ordered list of sort-marked columns.
//
// Outside a collection update: a marked column has SortIndex i + 1 and sits at list
// position i; unmarked columns have SortIndex 0; without dghMultiSortMarking at most
// one column is marked. Inside an update only the values are stored; the list is
// rebuilt from SortIndex afterwards.
#include <cassert>
#include <vector>

#include "grid/DBGridEh.h"
#include "grid/GridStyle.h"

namespace qelvor {

namespace {

bool InsideUpdate(const TColumnEh* column)
{
    return column->Collection() && column->Collection()->UpdateCount() > 0;
}

}  // namespace

void TColumnTitleEh::SetSortMarker(TSortMarkerEh marker)
{
    if (marker == sortMarker_)
        return;
    sortMarker_ = marker;
    if (InsideUpdate(column_))
        return;
    TCustomDBGridEh* grid = column_->Grid();
    TDBGridColumnsEh* columns = column_->Collection();
    if (grid && columns && grid->OptionsEh().Contains(dghMultiSortMarking)) {
        TColumnsEhList& list = grid->SortMarkedColumnListRef();
        if (marker != smNoneEh && sortIndex_ == 0) {
            int marked = 0;
            for (int i = 0; i < columns->Count(); ++i)
                marked += columns->Items(i)->Title()->SortIndex() != 0 ? 1 : 0;
            sortIndex_ = marked + 1;
            list.Add(column_);
        } else if (marker == smNoneEh && sortIndex_ != 0) {
            for (int i = 0; i < columns->Count(); ++i) {
                TColumnTitleEh* other = columns->Items(i)->Title();
                if (other->sortIndex_ > sortIndex_)
                    --other->sortIndex_;
            }
            list.Remove(column_);
            sortIndex_ = 0;
        }
    } else if (grid && columns) {
        TColumnsEhList& list = grid->SortMarkedColumnListRef();
        if (marker != smNoneEh) {
            for (int i = 0; i < columns->Count(); ++i) {
                TColumnTitleEh* other = columns->Items(i)->Title();
                if (other != this && other->SortMarker() != smNoneEh)
                    other->SetSortMarker(smNoneEh);
            }
            sortIndex_ = 1;
            list.Clear();
            list.Add(column_);
        } else {
            sortIndex_ = 0;
            list.Clear();
        }
    } else {
        sortIndex_ = marker == smNoneEh ? 0 : 1;
    }
    column_->ColumnChanged(false);
}

void TColumnTitleEh::SetSortIndex(int index)
{
    index = std::max(index, 0);
    if (index == sortIndex_)
        return;
    if (InsideUpdate(column_)) {
        sortIndex_ = index;
        return;
    }
    TDBGridColumnsEh* columns = column_->Collection();
    TCustomDBGridEh* grid = column_->Grid();
    if (sortMarker_ == smNoneEh || index == 0 || !columns || !grid)
        return;
    for (int i = 0; i < columns->Count(); ++i) {
        TColumnTitleEh* other = columns->Items(i)->Title();
        if (other == this || other->sortIndex_ != index)
            continue;
        TColumnsEhList& list = grid->SortMarkedColumnListRef();
        const int mine = list.IndexOf(column_);
        const int theirs = list.IndexOf(other->column_);
        other->sortIndex_ = sortIndex_;
        sortIndex_ = index;
        if (mine >= 0 && theirs >= 0)
            list.Exchange(mine, theirs);
        column_->ColumnChanged(false);
        return;
    }
}

void TColumnTitleEh::CycleSortMarker(bool keepOthers)
{
    if (!keepOthers) {
        if (TDBGridColumnsEh* columns = column_->Collection()) {
            for (int i = 0; i < columns->Count(); ++i) {
                TColumnTitleEh* other = columns->Items(i)->Title();
                if (other != this && other->SortMarker() != smNoneEh)
                    other->SetSortMarker(smNoneEh);
            }
        }
    }
    switch (sortMarker_) {
    case smNoneEh: SetSortMarker(smDownEh); break;
    case smDownEh: SetSortMarker(smUpEh); break;
    case smUpEh: SetSortMarker(keepOthers ? smNoneEh : smDownEh); break;
    }
}

void TCustomDBGridEh::RebuildSortMarkedColumnList()
{
    sortMarkedColumns_.Clear();
    for (int i = 0; i < columns_->Count(); ++i) {
        TColumnEh* column = columns_->Items(i);
        const int index = column->Title()->SortIndex();
        if (index <= 0)
            continue;
        if (sortMarkedColumns_.Count() < index)
            sortMarkedColumns_.SetCount(index);
        if (sortMarkedColumns_[index - 1] == nullptr) {
            sortMarkedColumns_.Put(index - 1, column);
            continue;
        }
        // Two columns claim one position (a stored layout can hold that): the later
        // one goes after it, ahead of the higher numbers.
        std::vector<TColumnEh*> items(sortMarkedColumns_.begin(), sortMarkedColumns_.end());
        items.insert(items.begin() + index, column);
        sortMarkedColumns_.Clear();
        for (TColumnEh* item : items)
            sortMarkedColumns_.Add(item);
    }
    // Numbers with gaps would leave empty entries that readers of the list would
    // stumble over: close them up, so that entry i always has SortIndex i + 1.
    std::vector<TColumnEh*> marked;
    for (TColumnEh* column : sortMarkedColumns_)
        if (column)
            marked.push_back(column);
    sortMarkedColumns_.Clear();
    for (TColumnEh* column : marked) {
        sortMarkedColumns_.Add(column);
        column->Title()->SetSortIndexRaw(sortMarkedColumns_.Count());
    }
}

void TCustomDBGridEh::DoSortMarkingChanged()
{
    if (!optionsEh_.Contains(dghAutoSortMarking))
        return;
    if (OnSortMarkingChanged) {
        OnSortMarkingChanged(*this);
    } else if (TDBGridEhDataService* service = DBGridEhDataService()) {
        service->ApplySorting(*this);
    }
}

}  // namespace qelvor
