// CustomGrid: the generic grid base — columns and rows with their extents, fixed
// cells, the scrolled origin (left column, top row), the current cell, the visible-
// cell computation, horizontal scrolling by columns, the read-only in-place editor,
// and the base grid's share of the input: the one press value, the title row (column
// sizing and moving, GridTitleRow.h), timer 1, the mouse capture and the cancel-mode
// message.
//
// The grid paints its own client area (the scroll area's viewport) cell by cell
// through DrawCell. Extents are per index with a default; an extent <= 0 takes no
// space. Invariants: fixedCols <= colCount, fixedRows <= rowCount,
// fixedCols <= leftCol < max(colCount, fixedCols + 1), likewise for rows, and the
// current cell lies in the non-fixed area whenever one exists.
//
// Input arrives as Qt events and is translated once (CustomGridInput.cpp) into the
// grid's own calls: KeyDown/KeyPress/KeyUp with virtual keys, MouseDown/MouseMove/
// MouseUp with client coordinates and a shift state, MouseWheel, TimerTick and
// CancelMode. Descendants override those calls, never the Qt handlers.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <memory>
#include <vector>

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include "grid/GridGeometry.h"
#include "grid/GridSets.h"
#include "grid/GridTitleRow.h"
#include "grid/InplaceEdit.h"
#include "grid/ScrollInfo.h"
#include "platform/CancelMode.h"
#include "platform/InputEvents.h"

class QPainter;
class QScrollBar;

namespace qelvor {

class TCustomGrid : public QAbstractScrollArea, public TCancelModeTarget, private TInplaceEditHost,
                    private TGridTitleRow::Host {
public:
    using TKeyEvent = std::function<void(TCustomGrid& sender, TVirtualKey& key, TShiftState shift)>;
    using TKeyPressEvent = std::function<void(TCustomGrid& sender, char32_t& key)>;
    using TMouseEvent = std::function<void(TCustomGrid& sender, TMouseButton button, TShiftState shift, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TCustomGrid& sender, TShiftState shift, int x, int y)>;
    using TMouseWheelEvent = std::function<void(TCustomGrid& sender, TShiftState shift, int wheelDelta,
                                                QPoint mousePos, bool& handled)>;
    using TSenderEvent = std::function<void(TCustomGrid& sender)>;

    explicit TCustomGrid(QWidget* parent = nullptr);
    ~TCustomGrid() override;

    // --- cells and extents ---
    int ColCount() const;
    void SetColCount(int count);
    int RowCount() const;
    void SetRowCount(int count);
    int FixedCols() const;
    void SetFixedCols(int count);
    int FixedRows() const;
    void SetFixedRows(int count);
    // Width of grid column `col` (the default when not stored).
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    int DefaultColWidth() const;
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const;
    // Applies the height to every row (stored row heights are reset).
    void SetDefaultRowHeight(int height);
    int GridLineWidth() const;
    void SetGridLineWidth(int width);
    TGridOptions GridOptions() const;
    void SetGridOptions(TGridOptions options);
    TScrollStyle ScrollBars() const;
    void SetScrollBars(TScrollStyle style);

    // --- origin and current cell ---
    int LeftCol() const;
    void SetLeftCol(int col);
    int TopRow() const;
    void SetTopRow(int row);
    int Col() const;
    void SetCol(int col);
    int Row() const;
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
    // The grid column at a client x, whatever the y; -1 outside the columns.
    int ColumnAt(int x) const;

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
    // The editor, or nullptr before it was first shown (it is kept once made).
    TInplaceEdit* InplaceEditor() const;
    // The editor is requested (shown, or to be shown when the cell becomes visible).
    bool EditorMode() const;
    // Shows the editor on the current cell when CanEditShow allows it.
    virtual void ShowEditor();
    virtual void HideEditor();
    // Places the shown editor on the current cell again and reloads its text.
    virtual void InvalidateEditor();
    // Text the editor shows for a cell; empty in the generic grid.
    virtual QString GetEditText(int col, int row) const;
    // The grid or its editor is its window's focus widget. Unlike hasFocus() this holds
    // from setFocus() on, also in a window whose activation has not arrived yet.
    bool FocusWidgetHere() const;
    // Takes the focus for the grid (unless it is here already) and tells whether it is.
    bool TakeFocus(Qt::FocusReason reason);

    // --- input state ---
    // What the press under way is doing (gsNormal: nothing).
    TGridState GridState() const;
    // A column is being sized or moved.
    bool Dragging() const;
    // The grid holds the mouse: moves outside its window still reach it.
    bool MouseCapture() const;
    // Timer 1 runs (automatic scrolling, column moving); its interval in ms.
    bool Timer1Running() const;
    int Timer1Interval() const;
    // Where a column sizing would start for a client point (gsNormal when nowhere).
    TGridPress CalcSizingState(int x, int y) const;

    // Control events.
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TSenderEvent OnDblClick;
    TMouseWheelEvent OnMouseWheel;

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

    // --- keyboard (the grid's own key handling; the base only raises the events) ---
    virtual void KeyDown(TVirtualKey& key, TShiftState shift);
    // A character message: Backspace and printable characters open the editor with it,
    // everything else is a key press.
    virtual void CharMessage(char32_t character);
    virtual void KeyPress(char32_t& key);
    virtual void KeyUp(TVirtualKey& key, TShiftState shift);
    // Raises OnKeyDown; returns the key as the handler left it.
    TVirtualKey DoKeyDown(TVirtualKey key, TShiftState shift);
    // Shows the editor for a typed character and hands the character to it.
    void ShowEditorChar(char32_t character);
    // The editor of this grid class, made on first use, over EditorHost().
    virtual TInplaceEdit* CreateEditor();
    TInplaceEditHost& EditorHost() { return *this; }

    // --- mouse (CustomGridMouse.cpp: the base grid's press, drag and release) ---
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // A wheel turn (120 units a notch): raises OnMouseWheel, then sums the deltas and
    // takes one WheelStep per whole notch; the remainder waits for the next turn.
    void MouseWheel(TShiftState shift, int wheelDelta, QPoint mousePos);
    // One notch: direction +1 down (towards the user), -1 up.
    virtual void WheelStep(int direction, TShiftState shift);
    virtual void TimerTick();
    // Ends a column sizing or moving without applying it; stops timer 1.
    void CancelMode() override;
    // The focus went to a window that is neither the grid nor its editor.
    virtual void FocusLeft();
    // The cursor for a client point: the split cursor over sizing zones.
    virtual Qt::CursorShape CursorAt(int x, int y) const;
    void DoMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void DoMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // Takes or releases the mouse (a flag over the press's own grab, which Qt keeps).
    void SetMouseCapture(bool captured);
    // The press under way, for the data grid's own states.
    const TGridPress& Press() const;
    // The data grid's states of the press: a title held down as a button (drawn down
    // or up as the mouse is on it or not) and the current cell following the mouse.
    void StartTitlePress(int gridCol);
    // Draws the pressed title down or up; false when it already was.
    bool SetTitleDown(bool down);
    void StartCellTracking(QPoint point);
    void SetTrackPoint(QPoint point);
    // A right press on a title that goes on as a left press (ended by the release).
    void SetRightButtonAsLeft(bool on);
    // Ends the state of the press (back to gsNormal); what the mouse did stays.
    void EndPressState() { EnterPressState(TGridPress{}); }
    // The title row (column sizing and moving with their line).
    const TGridTitleRow& TitleRow() const;
    // Timer 1: a restart with another interval replaces the running timer.
    void StartTimer1(int interval);
    void StopTimer1();
    // Moves grid column `from` to `to`: widths and the current column follow.
    void MoveColumn(int from, int to);
    // The column-moved step of descendants (after the base moved its entries).
    virtual void ColumnMoved(int from, int to);
    // Left edge of grid column `col` counted from the fixed boundary (as if scrolled into view).
    int ColumnLeftEdge(int col) const;

    // Paints one cell; the base calls it for every visible cell of positive width.
    virtual void DrawCell(int col, int row, const QRect& rect, TGridDrawState state) = 0;
    // DrawCell for painting loops: a failure leaves the cell empty (EraseFailedCell) and
    // is reported once after the paint has finished, never from inside it (an error box
    // opened while painting repaints the same cell, which fails again: endless boxes).
    void DrawCellGuarded(QPainter& painter, int col, int row, const QRect& rect, TGridDrawState state);
    // Fills a cell whose drawing failed; the base takes the viewport's background.
    virtual void EraseFailedCell(QPainter& painter, const QRect& rect, TGridDrawState state);
    // Paints the whole client area (clip = the region to repaint).
    virtual void Paint(QPainter& painter, const QRegion& clip);
    // Reactions.
    virtual void TopLeftChanged() {}
    // The current cell moved (MoveCurrent): the hook through which a derived grid tells
    // its accessibility clients; the base grid tells no one.
    virtual void CurrentCellMoved() {}
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
    TGridCoord Anchor() const;
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
    void scrollContentsBy(int dx, int dy) override;
    // Qt input, translated once into the calls above (CustomGridInput.cpp).
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct Private;
    // What the editor hands on: the grid's own key, wheel and focus handling.
    QAbstractScrollArea& EditorHostWidget() override { return *this; }
    void EditorKeyDown(TVirtualKey& key, TShiftState shift) override { KeyDown(key, shift); }
    void EditorKeyPress(char32_t& key) override { KeyPress(key); }
    TVirtualKey EditorKeyEvent(TVirtualKey key, TShiftState shift) override { return DoKeyDown(key, shift); }
    void EditorKeyUp(TVirtualKey& key, TShiftState shift) override { KeyUp(key, shift); }
    void EditorWheel(TShiftState shift, int wheelDelta, QPoint viewportPos) override
    {
        MouseWheel(shift, wheelDelta, viewportPos);
    }
    void EditorFocusLeft() override { FocusLeft(); }
    void PressFromQt(QMouseEvent* event, bool doubleClick);
    // Hides the editor widget, handing the focus back to the grid if the editor held it.
    void HideEditorWidget();
    // The title row's requests (TGridTitleRow::Host).
    const TGridPress& CurrentPress() const override;
    // Puts the press into the state (and state data) of `next`; the mouse part stays.
    void EnterPressState(TGridPress next) override;
    void ScrollToLeftCol(int col) override { MoveLeftCol(col); }
    void MoveGridColumn(int from, int to) override { MoveColumn(from, to); }
    void StartDragTimer(int interval) override { StartTimer1(interval); }
    void StopDragTimer() override { StopTimer1(); }
    // What the title row reads of the grid and asks of its painting (TGridTitleRow::Host).
    TGridDrawInfo TitleDrawInfo() const override { return CalcDrawInfo(); }
    QRect TitleCellRect(int col, int row) const override { return CellRect(col, row); }
    TGridCoord TitleCellAt(int x, int y) const override { return MouseCoord(x, y); }
    int TitleColumnAt(int x) const override { return ColumnAt(x); }
    int TitleClientHeight() const override { return ClientHeight(); }
    int TitleColCount() const override { return ColCount(); }
    int TitleFixedCols() const override { return FixedCols(); }
    int TitleFixedRows() const override { return FixedRows(); }
    TGridOptions TitleGridOptions() const override { return GridOptions(); }
    int TitleLeftCol() const override { return LeftCol(); }
    int TitleMaxLeftCol() const override { return MaxLeftCol(); }
    void SetTitleColWidth(int col, int width) override { SetColWidths(col, width); }
    void InvalidateTitleRect(const QRect& rect) override { InvalidateClientRect(rect); }
    void PaintTitleNow() override { UpdateNow(); }
    void ConnectScrollBar(TScrollBarKind kind);
    void OnScrollAction(TScrollBarKind kind, int action);
    void OnScrollReleased(TScrollBarKind kind);
    void ApplyScrollPolicy();
    QScrollBar* Bar(TScrollBarKind kind) const;
    ScrollInfo& Info(TScrollBarKind kind);
    void ResizeExtents(std::vector<int>& extents, int count, int defaultExtent);
    // Notes a failure of this paint at cell (col, row) ((-1, -1): outside the cells).
    void NotePaintFailure(int col, int row, std::exception_ptr failure);
    // After a paint: queues the report of a new paint failure (one at a time).
    void ReportPaintFailure();
    // Checks (in builds with assertions) the count, origin and current-cell invariants.
    void AssertCountsConsistent() const;

    std::unique_ptr<Private> d_;  // the grid's state (CustomGridPrivate.h)
};

}  // namespace qelvor
