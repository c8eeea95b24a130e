// SortMarking: the marked-column list, the titles' numbers and the pending notification.
#include "grid/SortMarking.h"

#include <algorithm>
#include <utility>

#include "runtime/Assert.h"

namespace qelvor {

std::vector<TColumnEh*> TSortMarkingEh::SetMarker(TColumnEh& column, TSortMarkerEh marker, bool multiple)
{
    TColumnTitleEh& title = *column.Title();
    std::vector<TColumnEh*> changed;
    if (marker == title.sortMarker_)
        return changed;
    if (!multiple && marker != smNoneEh) {
        for (int i = 0; i < columns_.Count(); ++i) {
            TColumnEh* other = columns_.Items(i);
            if (other == &column || other->Title()->sortMarker_ == smNoneEh)
                continue;
            other->Title()->sortMarker_ = smNoneEh;
            other->Title()->sortIndex_ = 0;
            changed.push_back(other);
        }
    }
    title.sortMarker_ = marker;
    if (!multiple && marker != smNoneEh) {
        marked_.Clear();
        title.sortIndex_ = 0;
        Append(column);
    } else if (marker != smNoneEh && title.sortIndex_ == 0) {
        Append(column);
    } else if (marker == smNoneEh && title.sortIndex_ != 0) {
        // Also one at a time: alone in the list this empties it, and markers a stored
        // layout left on other columns stay listed and numbered instead of stranded.
        Unlist(column, title.sortIndex_);
        title.sortIndex_ = 0;
    }
    changed.push_back(&column);
    AssertConsistent();
    return changed;
}

bool TSortMarkingEh::SwapIndex(TColumnEh& column, int index)
{
    TColumnTitleEh& title = *column.Title();
    if (title.sortMarker_ == smNoneEh || index <= 0 || index == title.sortIndex_)
        return false;
    for (int i = 0; i < columns_.Count(); ++i) {
        TColumnEh* other = columns_.Items(i);
        if (other == &column || other->Title()->sortIndex_ != index)
            continue;
        const int mine = marked_.IndexOf(&column);
        const int theirs = marked_.IndexOf(other);
        other->Title()->sortIndex_ = title.sortIndex_;
        title.sortIndex_ = index;
        if (mine >= 0 && theirs >= 0)
            marked_.Exchange(mine, theirs);
        AssertConsistent();
        return true;
    }
    return false;
}

void TSortMarkingEh::Remove(const TColumnEh& column)
{
    Unlist(column, column.Title()->sortIndex_);
}

void TSortMarkingEh::Rebuild()
{
    // Markers set or cleared inside an update left SortIndex as it was: an unmarked
    // column loses its number, a marked one without a number goes last.
    std::vector<TColumnEh*> numbered;
    std::vector<TColumnEh*> unnumbered;
    for (int i = 0; i < columns_.Count(); ++i) {
        TColumnEh* column = columns_.Items(i);
        TColumnTitleEh* title = column->Title();
        if (title->sortMarker_ == smNoneEh)
            title->sortIndex_ = 0;
        else if (title->sortIndex_ > 0)
            numbered.push_back(column);
        else
            unnumbered.push_back(column);
    }
    // Two columns may claim one number (a stored layout can hold that): the later one
    // in the collection goes after the earlier.
    std::stable_sort(numbered.begin(), numbered.end(), [](const TColumnEh* a, const TColumnEh* b) {
        return a->Title()->sortIndex_ < b->Title()->sortIndex_;
    });
    marked_.Clear();
    for (const std::vector<TColumnEh*>* group : {&numbered, &unnumbered})
        for (TColumnEh* column : *group)
            Append(*column);
    AssertConsistent();
}

bool TSortMarkingEh::TakeChangePending()
{
    return std::exchange(changePending_, false);
}

void TSortMarkingEh::Append(TColumnEh& column)
{
    marked_.Add(&column);
    column.Title()->sortIndex_ = marked_.Count();
}

void TSortMarkingEh::Unlist(const TColumnEh& column, int index)
{
    marked_.Remove(&column);
    if (index <= 0)
        return;
    for (int i = 0; i < columns_.Count(); ++i) {
        TColumnTitleEh* other = columns_.Items(i)->Title();
        if (other->sortIndex_ > index)
            --other->sortIndex_;
    }
}

void TSortMarkingEh::AssertConsistent() const
{
#ifndef NDEBUG
    int marked = 0;
    for (int i = 0; i < columns_.Count(); ++i) {
        const TColumnTitleEh* title = columns_.Items(i)->Title();
        if (title->sortMarker_ == smNoneEh) {
            QELVOR_ASSERT(title->sortIndex_ == 0);
            continue;
        }
        ++marked;
        QELVOR_ASSERT(title->sortIndex_ >= 1 && title->sortIndex_ <= marked_.Count());
        QELVOR_ASSERT(marked_[title->sortIndex_ - 1] == columns_.Items(i));
    }
    QELVOR_ASSERT(marked == marked_.Count());
#endif
}

}  // namespace qelvor
