// SortMarking: the sort marking of one column collection — the only place it lives.
// The titles' SortMarker and SortIndex read it and their setters write it; a title
// click's step, the clearing of the other markers, the notification that waits for
// Ctrl's release and the settling of values a stored layout gives are all here.
//
// Invariants outside a collection update (AssertConsistent):
//  - marked_ and directions_ have the same length; directions_[i] is the marker of
//    marked_[i] and never smNoneEh; no column is listed twice;
//  - a column's SortIndex is its list position + 1, 0 when it is not listed, so the
//    numbers run 1..n without gaps;
//  - every listed column belongs to the collection;
//  - staged_ is empty.
// Inside an update the titles' setters only stage their values (a stored layout gives
// SortMarker and SortIndex in any order); Rebuild settles them when the update ends.
// The object needs no widget and knows columns only as pointers: what it needs of
// their collection it asks through TSortMarkingOwnerEh, which the collection implements.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "grid/ColumnsEhList.h"
#include "grid/GridSets.h"

namespace qelvor {

class TColumnEh;

// What the sort marking needs of the column collection it marks.
class TSortMarkingOwnerEh {
public:
    // Whether a collection update is open (given values are staged until it ends).
    virtual bool MarkingUpdating() const = 0;
    // The number of columns and the column at `index`, in collection order.
    virtual int MarkingColumnCount() const = 0;
    virtual TColumnEh* MarkingColumn(int index) const = 0;
    // Whether `column` belongs to the collection.
    virtual bool MarkingHolds(const TColumnEh* column) const = 0;
    // The title of `column` changed (its grid repaints it).
    virtual void MarkingColumnChanged(TColumnEh* column) = 0;

protected:
    ~TSortMarkingOwnerEh() = default;
};

class TSortMarkingEh {
public:
    explicit TSortMarkingEh(TSortMarkingOwnerEh& owner) : owner_(owner) {}
    TSortMarkingEh(const TSortMarkingEh&) = delete;
    TSortMarkingEh& operator=(const TSortMarkingEh&) = delete;

    // Whether the marking keeps several markers (the grid's dghMultiSortMarking); a
    // collection without a grid keeps several.
    void SetMultipleRule(std::function<bool()> rule) { multipleRule_ = std::move(rule); }
    bool Multiple() const { return !multipleRule_ || multipleRule_(); }

    // Marked columns in sort priority order (entry i has SortIndex i + 1).
    const TColumnsEhList& MarkedColumns() const { return marked_; }
    // A column's marker and number (0: unmarked); inside an update what was staged.
    TSortMarkerEh MarkerOf(const TColumnEh& column) const;
    int IndexOf(const TColumnEh& column) const;

    // The titles' setters: inside a collection update the value is staged; otherwise
    // it is applied by the rules of SetMarker (with Multiple()) / SwapIndex and the
    // columns whose title changed are told.
    void SetMarkerOf(TColumnEh& column, TSortMarkerEh marker);
    void SetIndexOf(TColumnEh& column, int index);

    // Gives a column `marker`, numbering as it goes: with `multiple` a new mark goes
    // last and a removed one closes the gap; without it every other marker is cleared
    // first. Returns the columns whose marker changed, the target last.
    std::vector<TColumnEh*> SetMarker(TColumnEh& column, TSortMarkerEh marker, bool multiple);
    // Gives a marked column number `index` by exchanging places with the column that
    // holds it; false (nothing changes) when the column is unmarked or none holds it.
    bool SwapIndex(TColumnEh& column, int index);
    // Takes a column that is going away out of the list; higher numbers close up.
    void Remove(const TColumnEh& column);
    // Settles the list after a collection update: staged values count over the list's,
    // an unmarked column loses its number, numbered ones keep their order (a tie in
    // collection order), marked ones without a number go last, and columns no longer
    // in the collection leave.
    void Rebuild();

    // One click's step of the marker cycle. A plain click clears every other marker and
    // turns the column's none -> down -> up -> down; a Ctrl+click (keepOthers) keeps
    // the others and turns it none -> down -> up -> none.
    void CycleMarker(TColumnEh& column, bool keepOthers);
    // A title click: cycles the marker of `column` (nullptr: none turns, the grid does
    // not mark by itself), and tells whether the notification is due now (a plain
    // click, which also carries any that waited) or waits for Ctrl's release.
    bool Click(TColumnEh* column, bool ctrl);

    // A Ctrl+click changed the markers and the notification waits for Ctrl's release
    // (set by Click only).
    bool ChangePending() const { return changePending_; }
    // Clears the pending notification; true when one was pending (Ctrl's release, the
    // focus leaving, a click asked for without the mouse).
    bool TakeChangePending();

    // Checks (in builds with assertions) the invariants stated above.
    void AssertConsistent() const;

private:
    // A value a title was given inside a collection update.
    struct Staged {
        const TColumnEh* column = nullptr;   // whose title
        std::optional<TSortMarkerEh> marker;  // the marker given, if one was
        std::optional<int> index;             // the number given, if one was
    };
    // The staged entry of a column (made when `make`), nullptr when none.
    Staged* StagedOf(const TColumnEh& column, bool make);
    const Staged* StagedOf(const TColumnEh& column) const;
    // List position of a column, -1 when unlisted.
    int PositionOf(const TColumnEh& column) const { return marked_.IndexOf(&column); }
    // Appends a column with its direction (it is numbered last).
    void Append(TColumnEh& column, TSortMarkerEh marker);
    // Unlists the entry at `position`; higher numbers move down by one.
    void Unlist(int position);
    // Unmarks every column but `keep`, adding them to `changed` in collection order.
    void ClearOthers(const TColumnEh& keep, std::vector<TColumnEh*>& changed);
    // Tells the collection which columns' titles changed (they repaint).
    void Notify(const std::vector<TColumnEh*>& changed);

    TSortMarkingOwnerEh& owner_;  // the collection whose columns are marked
    TColumnsEhList marked_;  // marked columns in sort priority order
    std::vector<TSortMarkerEh> directions_;  // directions_[i]: the marker of marked_[i]
    std::vector<Staged> staged_;  // values given inside the running collection update
    std::function<bool()> multipleRule_;  // whether several markers are kept; unset: yes
    bool changePending_ = false;  // Ctrl+clicks changed markers; notified at Ctrl's release
};

}  // namespace qelvor
