// GridGeometry: the plain values the generic grid and its parts share — a cell
// coordinate, the visible-cell computation of both axes and the one press value with
// its states. It stands below every grid unit: it includes no grid header, so the
// title row and the grid itself can both speak in these terms without a cycle.
// Invariants: a TGridAxisDrawInfo's Extents (when set) points into its grid's own
// extents and lives only as long as the computation that made it; a TGridPress keeps
// only the data of its state, the rest at their defaults.
#pragma once

#include <cstddef>
#include <vector>

#include <QPoint>

namespace qelvor {

// A cell of the grid: column X, row Y (fixed cells included; -1 for none).
struct TGridCoord {
    int X = 0;  // grid column
    int Y = 0;  // grid row
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// One axis of the visible-cell computation (columns or rows), from the client size.
struct TGridAxisDrawInfo {
    int EffectiveLineWidth = 0;   // line width drawn after each cell on this axis
    int FixedBoundary = 0;        // end of the fixed cells (lines included)
    int GridBoundary = 0;         // end of the painted cells, clipped to the client
    int GridExtent = 0;           // client extent
    int LastFullVisibleCell = 0;  // last cell that fits fully
    int FullVisBoundary = 0;      // end of that cell (line included)
    int FixedCellCount = 0;       // fixed cells on this axis
    int FirstGridCell = 0;        // left column / top row
    int GridCellCount = 0;        // all cells on this axis, fixed ones included
    const std::vector<int>* Extents = nullptr;  // the grid's stored extents (nullptr: all default)
    int DefaultExtent = 0;        // extent of a cell without a stored entry

    // Extent of cell `index` (the default when no entry is stored).
    int Extent(int index) const
    {
        if (Extents && index >= 0 && index < static_cast<int>(Extents->size()))
            return (*Extents)[static_cast<std::size_t>(index)];
        return DefaultExtent;
    }
};

// The visible-cell computation of both axes.
struct TGridDrawInfo {
    TGridAxisDrawInfo Horz;  // columns
    TGridAxisDrawInfo Vert;  // rows
};


// What a press is doing with the grid, one thing at a time (as a header view keeps its
// state): nothing, sizing a column at a title border, moving a column, holding a title
// down as a button, or the current cell following the mouse. The base grid runs the
// sizing and the moving; the data grid the title press and the cell tracking.
enum class TGridState { gsNormal, gsColSizing, gsColMoving, gsTitlePressed, gsCellTracking };

// The press under way: its state and the data that state needs (the rest keep their
// defaults), and what the mouse did, which outlives a change of state within one press.
struct TGridPress {
    TGridState state = TGridState::gsNormal;
    int sizingIndex = -1;    // gsColSizing: grid column being sized
    int sizingPos = 0;       // gsColSizing: x of the sizing line
    int sizingOffset = 0;    // gsColSizing: border - x at the press
    int moveIndex = -1;      // gsColMoving: grid column being moved
    int movePos = -1;        // gsColMoving: grid column where it would land
    int titleCol = -1;       // gsTitlePressed: grid column of the pressed title
    bool titleDown = false;  // gsTitlePressed: the title is drawn sunken
    QPoint trackPoint;       // gsCellTracking: the last tracked point as the mouse gave it

    // The mouse, kept when the state changes.
    struct Mouse {
        bool captured = false;     // a press holds the mouse until its release
        bool rightAsLeft = false;  // a right press on a title went on as a left press
        QPoint downPoint;          // where the last press was made
        QPoint lastPoint;          // where the mouse was at the last press, move or release
    };
    Mouse mouse;  // what the mouse did; not part of a state

    // A press in `state` whose data are still to be set.
    static TGridPress In(TGridState state)
    {
        TGridPress press;
        press.state = state;
        return press;
    }
};

}  // namespace qelvor
