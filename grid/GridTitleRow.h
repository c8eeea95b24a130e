// GridTitleRow: the generic grid's title row as a header — where a press on it sizes a
// column (at a title border) or moves one (on a movable title), the drag that follows,
// the release that applies it, the line drawn over the grid meanwhile and the split
// cursor. It knows nothing of data grids, nor of the grid class: it stands below it and
// asks everything of its grid through Host (geometry, press, scrolling, painting).
//
// The drag is a state of the grid's one press value (gsColSizing, gsColMoving); the
// title row changes it only through Host::EnterPressState. The line is an overlay:
// painted after the cells, moved by repainting only the old and the new strip.
#pragma once

#include <QPoint>
#include <QRect>
#include <Qt>

#include "grid/GridGeometry.h"
#include "grid/GridSets.h"

class QPainter;

namespace qelvor {

// The line drawn over the grid while a column is sized (1 pixel) or moved (5 pixels).
struct TDragOverlay {
    int x = -1;     // left edge of the line; -1: nothing drawn
    int width = 0;  // its width in pixels
    // The client strip the line covers.
    QRect Strip(int clientHeight) const { return x < 0 ? QRect() : QRect(x, 0, width, clientHeight); }
};

class TGridTitleRow {
public:
    // What the title row needs of its grid: what it reads and what it asks done.
    class Host {
    public:
        // The visible-cell computation as it stands now.
        virtual TGridDrawInfo TitleDrawInfo() const = 0;
        // Client rectangle of a visible cell (empty when not visible).
        virtual QRect TitleCellRect(int col, int row) const = 0;
        // The cell at a client point; (-1, -1) outside the cells.
        virtual TGridCoord TitleCellAt(int x, int y) const = 0;
        // The grid column at a client x, whatever the y; -1 outside the columns.
        virtual int TitleColumnAt(int x) const = 0;
        // Height of the client area (the line runs over all of it).
        virtual int TitleClientHeight() const = 0;
        // Columns, fixed ones included.
        virtual int TitleColCount() const = 0;
        // Columns at the left that never scroll.
        virtual int TitleFixedCols() const = 0;
        // Rows at the top that never scroll (the titles).
        virtual int TitleFixedRows() const = 0;
        // The grid's options (column sizing and moving among them).
        virtual TGridOptions TitleGridOptions() const = 0;
        // The first scrollable column in view.
        virtual int TitleLeftCol() const = 0;
        // Leftmost column from which all columns up to the last fit in the client width.
        virtual int TitleMaxLeftCol() const = 0;
        // Sets the width of grid column `col`.
        virtual void SetTitleColWidth(int col, int width) = 0;
        // Invalidates a client rectangle.
        virtual void InvalidateTitleRect(const QRect& rect) = 0;
        // Paints what is invalid now.
        virtual void PaintTitleNow() = 0;
        // The press under way (read only; changed through EnterPressState).
        virtual const TGridPress& CurrentPress() const = 0;
        // Puts the press into the state of `next` (what the mouse did stays).
        virtual void EnterPressState(TGridPress next) = 0;
        // Scrolls so that `col` is the left column.
        virtual void ScrollToLeftCol(int col) = 0;
        // Moves grid column `from` to `to` (widths and the current column follow).
        virtual void MoveGridColumn(int from, int to) = 0;
        // The drag timer: started with an interval in ms, or stopped.
        virtual void StartDragTimer(int interval) = 0;
        virtual void StopDragTimer() = 0;

    protected:
        ~Host() = default;
    };

    explicit TGridTitleRow(Host& host) : host_(host) {}
    TGridTitleRow(const TGridTitleRow&) = delete;
    TGridTitleRow& operator=(const TGridTitleRow&) = delete;

    // Where a column sizing would start for a client point (gsNormal when nowhere).
    TGridPress SizingAt(int x, int y) const;
    // A left press: starts a sizing at a border or a move on a movable title; returns
    // the state it started (gsNormal: none).
    TGridState Press(int x, int y);
    // The mouse moved (or the timer ticked at the last point) while a drag is under way.
    void Drag(int x, int y);
    // The release: applies the drag under way.
    void Drop();
    // Ends a drag without applying it.
    void Cancel();
    // The line over the grid, painted after the cells.
    void PaintOverlay(QPainter& painter) const;
    // The split cursor over sizing zones and while sizing.
    Qt::CursorShape CursorAt(int x, int y) const;
    // Left edge of grid column `col` counted from the fixed boundary (as if scrolled into view).
    int ColumnLeftEdge(int col) const;
    // The line as drawn now.
    const TDragOverlay& Overlay() const { return overlay_; }

private:
    void StartSizing(const TGridPress& sizing);
    void StartMoving(int gridCol);
    void TrackMove(int x);
    // Where the move marker stands for the current drag (-1 when its column is off screen).
    int MoveMarkerX() const;
    void EndSizing();
    void EndMoving();
    // Draws (x >= 0) or takes away (x < 0) the line; repaints only the strips.
    void SetOverlay(int x, int width);
    // A column is being sized or moved.
    bool Dragging() const;

    Host& host_;               // the grid: its geometry, press, scrolling, column moves and timer
    TDragOverlay overlay_;     // the sizing line or move marker drawn over the cells
};

}  // namespace qelvor
