// SelectionGridEh: what the selection and its record list need of the grid. The data
// grid implements it; the selection sees the grid only through it.
#pragma once

#include "grid/GridSets.h"

namespace qelvor {

class TColumnEh;
class TDataSet;

class TSelectionGridEh {
public:
    // The data link's dataset (nullptr: none) and whether the link is active.
    virtual TDataSet* SelectionDataSet() const = 0;
    virtual bool SelectionLinkActive() const = 0;
    // A selection of `type` may start now (the grid's options and AllowedSelections agree).
    virtual bool SelectionAllowed(TDBGridEhSelectionType type) const = 0;
    // The column at a data column index, or nullptr outside the columns.
    virtual TColumnEh* SelectionColumn(int dataCol) const = 0;
    // What the selection shows changed: the grid repaints.
    virtual void SelectionInvalidate() = 0;
    // The selection was cleared: the grid shows its editor when it always shows one.
    virtual void SelectionCleared() = 0;

protected:
    ~TSelectionGridEh() = default;
};

}  // namespace qelvor
