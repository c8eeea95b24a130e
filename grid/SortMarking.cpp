// SortMarking: the marked-column list with its directions, staging inside an update,
// the click cycle and the pending notification.
#include "grid/SortMarking.h"

#include <algorithm>
#include <utility>

#include "runtime/Assert.h"

namespace qelvor {

// --- reading ---

TSortMarkerEh TSortMarkingEh::MarkerOf(const TColumnEh& column) const
{
    if (const Staged* staged = StagedOf(column); staged && staged->marker)
        return *staged->marker;
    const int position = PositionOf(column);
    return position < 0 ? smNoneEh : directions_[static_cast<std::size_t>(position)];
}

int TSortMarkingEh::IndexOf(const TColumnEh& column) const
{
    if (const Staged* staged = StagedOf(column); staged && staged->index)
        return *staged->index;
    return PositionOf(column) + 1;
}

// --- the titles' setters ---

void TSortMarkingEh::SetMarkerOf(TColumnEh& column, TSortMarkerEh marker)
{
    if (marker == MarkerOf(column))
        return;
    if (owner_.MarkingUpdating()) {
        StagedOf(column, true)->marker = marker;
        return;
    }
    Notify(SetMarker(column, marker, Multiple()));
}

void TSortMarkingEh::SetIndexOf(TColumnEh& column, int index)
{
    index = std::max(index, 0);
    if (index == IndexOf(column))
        return;
    if (owner_.MarkingUpdating()) {
        StagedOf(column, true)->index = index;
        return;
    }
    if (SwapIndex(column, index))
        Notify({&column});
}

// --- the rules ---

std::vector<TColumnEh*> TSortMarkingEh::SetMarker(TColumnEh& column, TSortMarkerEh marker, bool multiple)
{
    std::vector<TColumnEh*> changed;
    int position = PositionOf(column);
    const TSortMarkerEh current = position < 0 ? smNoneEh : directions_[static_cast<std::size_t>(position)];
    if (marker == current)
        return changed;
    if (!multiple && marker != smNoneEh) {
        ClearOthers(column, changed);
        position = PositionOf(column);
    }
    if (marker == smNoneEh) {
        // Also one at a time: alone in the list this empties it, and markers a stored
        // layout left on other columns stay listed and numbered instead of stranded.
        Unlist(position);
    } else if (position >= 0) {
        directions_[static_cast<std::size_t>(position)] = marker;
    } else {
        Append(column, marker);
    }
    changed.push_back(&column);
    AssertConsistent();
    return changed;
}

bool TSortMarkingEh::SwapIndex(TColumnEh& column, int index)
{
    const int position = PositionOf(column);
    if (position < 0 || index <= 0 || index == position + 1 || index > marked_.Count())
        return false;
    marked_.Exchange(position, index - 1);
    std::swap(directions_[static_cast<std::size_t>(position)], directions_[static_cast<std::size_t>(index - 1)]);
    AssertConsistent();
    return true;
}

void TSortMarkingEh::Remove(const TColumnEh& column)
{
    Unlist(PositionOf(column));
    std::erase_if(staged_, [&column](const Staged& staged) { return staged.column == &column; });
}

void TSortMarkingEh::Rebuild()
{
    struct Entry {
        TColumnEh* column;
        TSortMarkerEh marker;
        int index;
    };
    std::vector<Entry> numbered;
    std::vector<Entry> unnumbered;
    for (int i = 0; i < owner_.MarkingColumnCount(); ++i) {
        TColumnEh* column = owner_.MarkingColumn(i);
        const TSortMarkerEh marker = MarkerOf(*column);
        if (marker == smNoneEh)
            continue;
        const int index = IndexOf(*column);
        (index > 0 ? numbered : unnumbered).push_back({column, marker, index});
    }
    // Two columns may claim one number (a stored layout can hold that): the later one
    // in the collection goes after the earlier.
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const Entry& a, const Entry& b) { return a.index < b.index; });
    marked_.Clear();
    directions_.clear();
    staged_.clear();
    for (const std::vector<Entry>* group : {&numbered, &unnumbered})
        for (const Entry& entry : *group)
            Append(*entry.column, entry.marker);
    AssertConsistent();
}

// --- clicks ---

void TSortMarkingEh::CycleMarker(TColumnEh& column, bool keepOthers)
{
    QELVOR_ASSERT(!owner_.MarkingUpdating());
    std::vector<TColumnEh*> changed;
    if (!keepOthers)
        ClearOthers(column, changed);
    TSortMarkerEh next = smDownEh;
    switch (MarkerOf(column)) {
    case smNoneEh: next = smDownEh; break;
    case smDownEh: next = smUpEh; break;
    case smUpEh: next = keepOthers ? smNoneEh : smDownEh; break;
    }
    for (TColumnEh* other : SetMarker(column, next, Multiple()))
        changed.push_back(other);
    Notify(changed);
}

bool TSortMarkingEh::Click(TColumnEh* column, bool ctrl)
{
    changePending_ = ctrl;
    if (column)
        CycleMarker(*column, ctrl);
    return !ctrl;
}

bool TSortMarkingEh::TakeChangePending()
{
    return std::exchange(changePending_, false);
}

// --- helpers ---

TSortMarkingEh::Staged* TSortMarkingEh::StagedOf(const TColumnEh& column, bool make)
{
    for (Staged& staged : staged_)
        if (staged.column == &column)
            return &staged;
    if (!make)
        return nullptr;
    staged_.push_back(Staged{&column, std::nullopt, std::nullopt});
    return &staged_.back();
}

const TSortMarkingEh::Staged* TSortMarkingEh::StagedOf(const TColumnEh& column) const
{
    for (const Staged& staged : staged_)
        if (staged.column == &column)
            return &staged;
    return nullptr;
}

void TSortMarkingEh::Append(TColumnEh& column, TSortMarkerEh marker)
{
    QELVOR_ASSERT(marker != smNoneEh && PositionOf(column) < 0);
    marked_.Add(&column);
    directions_.push_back(marker);
}

void TSortMarkingEh::Unlist(int position)
{
    if (position < 0)
        return;
    marked_.Remove(marked_[position]);
    directions_.erase(directions_.begin() + position);
}

void TSortMarkingEh::ClearOthers(const TColumnEh& keep, std::vector<TColumnEh*>& changed)
{
    for (int i = 0; i < owner_.MarkingColumnCount(); ++i) {
        TColumnEh* other = owner_.MarkingColumn(i);
        const int position = PositionOf(*other);
        if (other == &keep || position < 0)
            continue;
        Unlist(position);
        changed.push_back(other);
    }
}

void TSortMarkingEh::Notify(const std::vector<TColumnEh*>& changed)
{
    for (TColumnEh* column : changed)
        owner_.MarkingColumnChanged(column);
}

void TSortMarkingEh::AssertConsistent() const
{
#ifndef NDEBUG
    QELVOR_ASSERT(directions_.size() == static_cast<std::size_t>(marked_.Count()));
    for (int i = 0; i < marked_.Count(); ++i) {
        QELVOR_ASSERT(directions_[static_cast<std::size_t>(i)] != smNoneEh);
        QELVOR_ASSERT(marked_.IndexOf(marked_[i]) == i);
        QELVOR_ASSERT(owner_.MarkingHolds(marked_[i]));
    }
    QELVOR_ASSERT(owner_.MarkingUpdating() || staged_.empty());
#endif
}

}  // namespace qelvor
