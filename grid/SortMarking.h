// SortMarking: the grid's sort marking in one place — the ordered list of marked
// columns, their numbering (the titles' SortIndex), the notification that waits for
// Ctrl's release, and the check that these agree.
//
// The titles keep their marker and number as values; while a column belongs to a grid
// only this object writes its number. Outside a collection update (AssertConsistent):
// a title with a marker has SortIndex i + 1 and its column sits at list position i; a
// title without one has SortIndex 0 and is not listed; so the numbers run 1..n without
// gaps. Inside an update the titles store what they are given and Rebuild settles it.
// The object needs no widget: it works on a column collection alone.
#pragma once

#include <vector>

#include "grid/ColumnsEh.h"

namespace qelvor {

class TSortMarkingEh {
public:
    explicit TSortMarkingEh(const TDBGridColumnsEh& columns) : columns_(columns) {}
    TSortMarkingEh(const TSortMarkingEh&) = delete;
    TSortMarkingEh& operator=(const TSortMarkingEh&) = delete;

    // Marked columns in sort priority order (entry i has SortIndex i + 1).
    const TColumnsEhList& MarkedColumns() const { return marked_; }

    // Gives a column's title `marker`, numbering as it goes: with `multiple` a new mark
    // goes last and a removed one closes the gap; without it every other marker is
    // cleared first. Returns the columns whose marker changed, the target last.
    std::vector<TColumnEh*> SetMarker(TColumnEh& column, TSortMarkerEh marker, bool multiple);
    // Gives a marked column number `index` by exchanging places with the column that
    // holds it; false (nothing changes) when the column is unmarked or none holds it.
    bool SwapIndex(TColumnEh& column, int index);
    // Takes a column that is going away out of the list; higher numbers close up.
    void Remove(const TColumnEh& column);
    // Rebuilds the list and the numbers from the titles after a collection update: an
    // unmarked title loses its number, numbered ones keep their order (a tie in
    // collection order), marked ones without a number go last.
    void Rebuild();

    // A Ctrl+click changed the markers and the notification waits for Ctrl's release.
    bool ChangePending() const { return changePending_; }
    void SetChangePending(bool pending) { changePending_ = pending; }
    // Clears the pending notification; true when one was pending.
    bool TakeChangePending();

    // Checks (in builds with assertions) that markers, numbers and the list agree.
    void AssertConsistent() const;

private:
    // Appends a column to the list and numbers it last.
    void Append(TColumnEh& column);
    // Unlists a numbered column and moves every higher number down by one.
    void Unlist(const TColumnEh& column, int index);

    const TDBGridColumnsEh& columns_;  // the collection whose titles are numbered
    TColumnsEhList marked_;  // marked columns in sort priority order
    bool changePending_ = false;  // Ctrl+clicks changed markers; notified at Ctrl's release
};

}  // namespace qelvor
