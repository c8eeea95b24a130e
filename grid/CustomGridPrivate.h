// CustomGridPrivate: the generic grid's state behind its interface. Only the base
// grid's own implementation files (CustomGrid*.cpp) include this header. All of it
// belongs to the window's thread.
#pragma once

#include <exception>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <QBasicTimer>
#include <QPoint>

#include "grid/CustomGrid.h"

namespace qelvor {

struct TCustomGrid::Private {
    int colCount = 5;  // columns, fixed ones included
    int rowCount = 5;  // rows, fixed ones included
    int fixedCols = 1;  // columns at the left that never scroll
    int fixedRows = 1;  // rows at the top that never scroll
    std::vector<int> colWidths;  // width of each column (colCount entries)
    std::vector<int> rowHeights;  // height of each row (rowCount entries)
    int defaultColWidth = 64;  // width given to new columns
    int defaultRowHeight = 24;  // height given to new rows
    int gridLineWidth = 1;  // width of the lines between cells
    // Lines, selection and sizing behaviour of the base grid.
    TGridOptions gridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                              goRangeSelect};
    TScrollStyle scrollBars = ssBoth;  // which scroll bars the grid may show
    int leftCol = 1;  // first scrollable column in view
    int topRow = 1;  // first scrollable row in view
    TGridCoord current{1, 1};  // the current cell
    TGridCoord anchor{1, 1};  // the fixed corner of a range selection
    TInplaceEdit* editor = nullptr;  // the in-place editor, created on first show (a child widget)
    bool editorShown = false;  // the editor is meant to be visible
    TGridCoord editorCell{-1, -1};  // the cell the editor was last placed on
    TGridPress press;  // the press under way: sizing, moving, title press or cell tracking
    TDragOverlay overlay;  // the sizing line or move marker drawn over the cells
    bool mouseCaptured = false;  // a press holds the mouse until its release
    QPoint lastMousePoint;  // where the mouse was at the last press, move or release
    QBasicTimer timer1;  // the tracking timer (automatic scrolling)
    int timer1Interval = -1;  // its interval in ms; -1 while stopped
    int wheelAccumulator = 0;  // wheel angle not yet turned into a step
    bool handlingResize = false;  // ClientResized is running (a resize from inside it is not handled again)
    ScrollInfo horzInfo;  // the horizontal bar as the grid set it
    ScrollInfo vertInfo;  // the vertical bar as the grid set it
    bool applyingScrollInfo = false;  // the grid is moving a bar itself: its signals are no user scrolls
    std::exception_ptr paintFailure;  // the first cell failure of the running paint
    std::set<std::pair<int, int>> failedCells;  // cells (col, row) whose last drawing failed
    std::string reportedPaintFailure;  // the message last reported (not repeated while cells keep failing with it)
    bool paintReportPending = false;  // a report of a paint failure is queued
};

}  // namespace qelvor
