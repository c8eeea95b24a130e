// DBGridEhSortMarking: the write side of the title sort markers and the grid's
// ordered list of sort-marked columns.
//
// Outside a collection update: a marked column has SortIndex i + 1 and sits at list
// position i; unmarked columns have SortIndex 0; without dghMultiSortMarking at most
// one column is marked. Inside an update only the values are stored; the list is
// rebuilt from SortIndex afterwards.
#include <algorithm>
#include <vector>

#include "grid/DBGridEh.h"
#include "grid/GridAccessibility.h"
#include "grid/GridStyle.h"
#include "runtime/Assert.h"

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
    // Markers set or cleared inside an update left SortIndex as it was: an unmarked
    // column loses its number, a marked one without a number goes last.
    std::vector<TColumnEh*> numbered;
    std::vector<TColumnEh*> unnumbered;
    for (int i = 0; i < columns_->Count(); ++i) {
        TColumnEh* column = columns_->Items(i);
        TColumnTitleEh* title = column->Title();
        if (title->SortMarker() == smNoneEh)
            title->SetSortIndexRaw(0);
        else if (title->SortIndex() > 0)
            numbered.push_back(column);
        else
            unnumbered.push_back(column);
    }
    // Two columns may claim one number (a stored layout can hold that): the later one
    // in the collection goes after the earlier.
    std::stable_sort(numbered.begin(), numbered.end(), [](const TColumnEh* a, const TColumnEh* b) {
        return a->Title()->SortIndex() < b->Title()->SortIndex();
    });
    sortMarkedColumns_.Clear();
    for (const std::vector<TColumnEh*>* group : {&numbered, &unnumbered}) {
        for (TColumnEh* column : *group) {
            sortMarkedColumns_.Add(column);
            column->Title()->SetSortIndexRaw(sortMarkedColumns_.Count());
        }
    }
    AssertSortMarkingConsistent();
}

void TCustomDBGridEh::AssertSortMarkingConsistent() const
{
#ifndef NDEBUG
    int marked = 0;
    for (int i = 0; i < columns_->Count(); ++i) {
        const TColumnTitleEh* title = columns_->Items(i)->Title();
        if (title->SortMarker() == smNoneEh) {
            QELVOR_ASSERT(title->SortIndex() == 0);
            continue;
        }
        ++marked;
        QELVOR_ASSERT(title->SortIndex() >= 1 && title->SortIndex() <= sortMarkedColumns_.Count());
        QELVOR_ASSERT(sortMarkedColumns_[title->SortIndex() - 1] == columns_->Items(i));
    }
    QELVOR_ASSERT(marked == sortMarkedColumns_.Count());
#endif
}

void TCustomDBGridEh::DoSortMarkingChanged()
{
    if (!optionsEh_.Contains(dghAutoSortMarking))
        return;
    AccessibleSortMarkersChanged(this);
    if (OnSortMarkingChanged) {
        OnSortMarkingChanged(*this);
    } else if (TDBGridEhDataService* service = DBGridEhDataService()) {
        service->ApplySorting(*this);
    }
}

}  // namespace qelvor
