// CustomGrid: the generic grid base — columns and rows with their extents, fixed
// cells, the scrolled origin (left column, top row), the current cell, the visible-
// cell computation, horizontal scrolling by columns and the read-only in-place editor.
//
// The grid paints its own client area (the scroll area's viewport) cell by cell
// through DrawCell. Extents are per index with a default; an extent <= 0 takes no
// space. Invariants: fixedCols <= colCount, fixedRows <= rowCount,
// fixedCols <= leftCol < max(colCount, fixedCols + 1), likewise for rows, and the
// current cell lies in the non-fixed area whenever one exists.
#pragma once

#include <memory>
#include <vector>

#include <QAbstractScrollArea>
#include <QRect>
#include <QRegion>

#include "grid/GridSets.h"
#include "grid/ScrollInfo.h"

class QPainter;
class QLineEdit;
class QScrollBar;

namespace qelvor {

struct TGridCoord {
    int X = 0;
    int Y = 0;
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
    int FixedCellCount = 0;
    int FirstGridCell = 0;        // left column / top row
    int GridCellCount = 0;
    const std::vector<int>* Extents = nullptr;
    int DefaultExtent = 0;

    // Extent of cell `index` (the default when no entry is stored).
    int Extent(int index) const
    {
        if (Extents && index >= 0 && index < static_cast<int>(Extents->size()))
            return (*Extents)[static_cast<std::size_t>(index)];
        return DefaultExtent;
    }
};

struct TGridDrawInfo {
    TGridAxisDrawInfo Horz;
    TGridAxisDrawInfo Vert;
};

class TCustomGrid : public QAbstractScrollArea {
public:
    explicit TCustomGrid(QWidget* parent = nullptr);
    ~TCustomGrid() override;

    // --- cells and extents ---
    int ColCount() const { return colCount_; }
    void SetColCount(int count);
    int RowCount() const { return rowCount_; }
    void SetRowCount(int count);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int count);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int count);
    // Width of grid column `col` (the default when not stored).
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    // Applies the height to every row (stored row heights are reset).
    void SetDefaultRowHeight(int height);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int width);
    TGridOptions GridOptions() const { return gridOptions_; }
    void SetGridOptions(TGridOptions options);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);

    // --- origin and current cell ---
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int col);
    int TopRow() const { return topRow_; }
    void SetTopRow(int row);
    int Col() const { return current_.X; }
    void SetCol(int col);
    int Row() const { return current_.Y; }
    void SetRow(int row);
    // Moves the current cell; the anchor follows when moveAnchor; the editor is shown when show.
    void FocusCell(int col, int row, bool moveAnchor);
    int VisibleColCount() const;
    int VisibleRowCount() const;
    // Leftmost column from which all columns up to the last fit in the client width.
    int MaxLeftCol() const;

    // --- geometry ---
    int ClientWidth() const;
    int ClientHeight() const;
    TGridDrawInfo CalcDrawInfo() const;
    // Client rectangle of a visible cell (empty when not visible).
    QRect CellRect(int col, int row) const;
    // The cell at a client point; (-1, -1) outside the cells.
    TGridCoord MouseCoord(int x, int y) const;

    // --- invalidation ---
    void InvalidateCell(int col, int row);
    void InvalidateCol(int col);
    void InvalidateRow(int row);
    void InvalidateGrid();
    // Invalidates a client rectangle.
    void InvalidateClientRect(const QRect& rect);
    // Paints what is invalid now, instead of at the next turn of the event loop.
    void UpdateNow();

    // --- in-place editor (read-only text display of the current cell) ---
    QLineEdit* InplaceEditor() const { return editor_; }
    bool EditorMode() const;
    virtual void ShowEditor();
    virtual void HideEditor();
    // Reloads the editor from the current cell when it is shown.
    virtual void InvalidateEditor();
    // Text the editor shows for a cell; empty in the generic grid.
    virtual QString GetEditText(int col, int row) const;

    // --- scroll bars in the grid's own terms ---
    ScrollInfo GetScrollInfo(TScrollBarKind kind) const;
    // Applies range, page and position; the track position is not written.
    void SetScrollInfo(TScrollBarKind kind, const ScrollInfo& info);
    void ShowScrollBar(TScrollBarKind kind, bool show);
    bool ScrollBarShowing(TScrollBarKind kind) const;
    // Enables (true) or disables both arrows of a bar.
    void EnableScrollBar(TScrollBarKind kind, bool enable);
    // Handles one scroll code as a scroll message of that bar would.
    void ScrollMessage(TScrollBarKind kind, TScrollCode code, int pos);

protected:
    // Paints one cell; the base calls it for every visible cell of positive width.
    virtual void DrawCell(int col, int row, const QRect& rect, TGridDrawState state) = 0;
    // Paints the whole client area (clip = the region to repaint).
    virtual void Paint(QPainter& painter, const QRegion& clip);
    // Reactions.
    virtual void TopLeftChanged() {}
    virtual void ColWidthsChanged() {}
    virtual void RowHeightsChanged() {}
    virtual void SizeChanged(int oldColCount, int oldRowCount);
    // The client area was resized.
    virtual void ClientResized();
    // Whether the cell may become current.
    virtual bool SelectCell(int col, int row);
    virtual bool CanEditShow() const { return false; }
    virtual void HorzScroll(TScrollCode code, int pos);
    virtual void VertScroll(TScrollCode code, int pos);

    // Recomputes the horizontal bar's range and position; moves the left column back to
    // MaxLeftCol when it lies beyond it.
    void UpdateScrollRange();
    void UpdateScrollPos();
    // Moves the left column, scrolling the pixels of the scrollable area.
    void MoveLeftCol(int newLeftCol);
    // Windows-style MulDiv: a * b / c rounded to the nearest integer; -1 when c is 0.
    static int MulDiv(int a, int b, int c);
    // Moves the pixels of a client rectangle (uncovered parts are invalidated).
    virtual void ScrollClientRect(int dx, int dy, const QRect& rect);
    // Moves the current cell without selection logic (the anchor follows when moveAnchor).
    void MoveCurrent(int col, int row, bool moveAnchor, bool show);
    TGridCoord Anchor() const { return anchor_; }
    // Leftmost cell from which the cells up to `start` fit in the scrollable extent.
    int CalcMaxCell(const TGridAxisDrawInfo& axis, int start) const;
    // Client offset at which a visible cell of an axis starts (-1 when scrolled off).
    static int CellLeft(const TGridAxisDrawInfo& axis, int cell);
    void CalcAxis(TGridAxisDrawInfo& axis, int extent, int fixedCount, int firstCell,
                  int cellCount, const std::vector<int>* extents, int defaultExtent,
                  int lineWidth) const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // Keys are the grid's own; they do not drive the scroll bars.
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void ConnectScrollBar(TScrollBarKind kind);
    void OnScrollAction(TScrollBarKind kind, int action);
    void OnScrollReleased(TScrollBarKind kind);
    void ApplyScrollPolicy();
    QScrollBar* Bar(TScrollBarKind kind) const;
    ScrollInfo& Info(TScrollBarKind kind);
    void ResizeExtents(std::vector<int>& extents, int count, int defaultExtent);

    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    TGridOptions gridOptions_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                              goRangeSelect};
    TScrollStyle scrollBars_ = ssBoth;
    int leftCol_ = 1;
    int topRow_ = 1;
    TGridCoord current_{1, 1};
    TGridCoord anchor_{1, 1};
    QLineEdit* editor_ = nullptr;
    bool editorShown_ = false;
    bool handlingResize_ = false;
    ScrollInfo horzInfo_;
    ScrollInfo vertInfo_;
    bool applyingScrollInfo_ = false;
};

}  // namespace qelvor
