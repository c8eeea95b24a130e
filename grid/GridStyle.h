// GridStyle: the style object shared by all grids of the module and the data service.
//
// Grids register at construction and leave at destruction. The style decides the
// highlight of data cells (current cell, selections, with the blend rule) and keeps
// the display's colour count (-1 on displays with more than 256 colours, as here).
#pragma once

#include <vector>

#include "grid/GridSets.h"
#include "grid/SystemColors.h"

namespace qelvor {

class TCustomDBGridEh;

// What the highlight rule needs to know of the grid and of the cell's place in it.
struct TCellHighlightPlaceEh {
    bool rowSelect = false;            // the grid selects whole rows (dgRowSelect)
    bool alwaysShowSelection = false;  // the selection shows without the focus (dgAlwaysShowSelection)
    bool focusLook = false;            // the grid has the focus and highlights it (dghHighlightFocus)
    bool focusInGrid = false;          // the grid or its editor has the keyboard focus
    bool onCurrentRow = false;         // the cell is on the current row
    bool inCurrentColumn = false;      // the cell is in the current column
};

// Outcome of the highlight rule for one data cell.
struct TCellHighlightEh {
    bool highlighted = false;
    TColor background = 0;
    TColor fontColor = 0;
};

class TDBGridEhStyle {
public:
    bool BlendSelection() const { return blendSelection_; }
    void SetBlendSelection(bool value) { blendSelection_ = value; }
    bool DrawFocusFrame() const { return drawFocusFrame_; }
    void SetDrawFocusFrame(bool value) { drawFocusFrame_ = value; }
    int ScreenColorCount() const { return screenColorCount_; }
    // Reads the colour count again (on a system colour change).
    void RefreshScreenColorCount() { screenColorCount_ = -1; }

    void AddGrid(TCustomDBGridEh* grid);
    void RemoveGrid(TCustomDBGridEh* grid);
    int GridCount() const { return static_cast<int>(grids_.size()); }

    // The highlight of a data cell at `place` in state `state`.
    TCellHighlightEh HighlightDataCell(const TCellHighlightPlaceEh& place, TGridDrawState state,
                                       bool cellSelected, TColor background, TColor fontColor) const;

    // The blend of a background with a highlight colour (RGB result).
    static TColor BlendColor(TColor background, TColor blendColor, bool highlightBlend);

private:
    std::vector<TCustomDBGridEh*> grids_;  // the registered grids, in order of construction
    bool blendSelection_ = true;  // selected cells off the current one blend with the highlight colour
    bool drawFocusFrame_ = true;  // the focused cell gets a focus frame
    int screenColorCount_ = -1;  // colours of the display; -1: more than 256
};

// Placeholder for the grid data service: asked to sort when a grid has no
// OnSortMarkingChanged handler. No sorter is registered, so it does nothing.
class TDBGridEhDataService {
public:
    // Applies the grid's sort markers through a registered sorter; none exists.
    bool ApplySorting(TCustomDBGridEh& grid) const { (void)grid; return false; }
};

// The shared objects; nullptr before InitializeGridLibrary and after FinalizeGridLibrary.
TDBGridEhStyle* DBGridEhStyle();
TDBGridEhDataService* DBGridEhDataService();

}  // namespace qelvor
