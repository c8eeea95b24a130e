// DBGridEhMouse: presses on the data grid — which press goes where (double click,
// sizing zone, title button, title row, data rows), cell tracking with automatic
// scrolling on timer 1, the release's click events, the wheel, the cancel-mode
// message and the column-moved step that moves the column object.
#include <algorithm>

#include "grid/InplaceEdit.h"

#include "data/DataSet.h"
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"
#include "grid/DBGridEhTitleRow.h"
#include "grid/InplaceEdit.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

namespace {

constexpr int kAutoScrollPixelsPerRecord = 6;
constexpr int kAutoScrollMaxRecords = 8;
constexpr int kAutoScrollSlowestMs = 200;
constexpr int kAutoScrollSpeedUpMs = 15;  // per pixel of distance
// Faster ticks would only spin the event loop: the repaint of a step takes longer.
constexpr int kAutoScrollFastestMs = 10;

}  // namespace

// --- press ---

// A press on the data cells: the focus it takes, the current cell it moves, the cell
// under the mouse while it is tracked, and the click events at its release.
class TCustomDBGridEh::CellPress {
public:
    explicit CellPress(TCustomDBGridEh& grid) : grid_(grid), d_(grid.d_.get()) {}
    bool TakeFocusForPress();
    void DataRowPress(TMouseButton button, TShiftState shift, int x, int y, TGridCoord cell);
    void TrackCell(int x, int y);
    void RaiseClickEvents(int x, int y);
    QRect DataArea() const;  // the data cells' area: left/top inclusive, right/bottom exclusive

private:
    TCustomDBGridEh& grid_;  // the grid pressed
    Private* d_;  // its state
};

void TCustomDBGridEh::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == TMouseButton::mbRight)
        SetMouseCapture(true);
    if (!CellPress(*this).TakeFocusForPress())
        return;
    if (button == TMouseButton::mbLeft && shift.Contains(ssDouble)) {
        if (OnDblClick)
            OnDblClick(*this);
        DoMouseDown(button, shift, x, y);
        return;
    }
    if (CalcSizingState(x, y).state == TGridState::gsColSizing) {
        CommitEditorText();
        TCustomGrid::MouseDown(button, shift, x, y);
        return;
    }
    const TGridCoord cell = MouseCoord(x, y);
    const bool titleOfDataColumn = cell.Y >= 0 && cell.Y < d_->titleRows && cell.X >= IndicatorColumns();
    if (titleOfDataColumn && button == TMouseButton::mbRight && d_->options.Contains(dgColumnResize)) {
        SetRightButtonAsLeft(true);
        BaseTitlePress(TMouseButton::mbLeft, shift, x, y);
        return;
    }
    if (titleOfDataColumn && button == TMouseButton::mbLeft && TitleRow(*this).Press(cell.X, x, y))
        return;
    if (cell.Y < d_->titleRows)
        BaseTitlePress(button, shift, x, y);
    else
        CellPress(*this).DataRowPress(button, shift, x, y, cell);
}

bool TCustomDBGridEh::CellPress::TakeFocusForPress()
{
    // The window's focus widget, not hasFocus(): a press into a window that is still
    // being activated gets the focus as soon as the activation arrives.
    if (grid_.focusPolicy() == Qt::NoFocus || !grid_.isEnabled())
        return true;
    return grid_.TakeFocus(Qt::MouseFocusReason);
}

// The title row in general, presses on no cell, and presses passed on as left presses.
void TCustomDBGridEh::BaseTitlePress(TMouseButton button, TShiftState shift, int x, int y)
{
    CommitEditorText();
    TCustomGrid::MouseDown(button, shift, x, y);
}

void TCustomDBGridEh::CellPress::DataRowPress(TMouseButton button, TShiftState shift, int x, int y, TGridCoord cell)
{
    if (!d_->dataLink->Active()) {
        grid_.DoMouseDown(button, shift, x, y);
        return;
    }
    {
        UpdateLockScope lock(grid_);
        grid_.CommitEditorText();
        grid_.HideEditor();
        const TGridCoord before{grid_.Col(), grid_.Row()};
        if (cell.Y != grid_.Row())
            d_->dataLink->MoveBy(cell.Y - grid_.Row());
        if (cell.X >= grid_.IndicatorColumns())
            grid_.MoveToColumn(cell.X, 0);
        if (grid_.MouseCapture()) {
            if (DataArea().contains(x, y))
                grid_.StartCellTracking(QPoint(x, y));
            const bool onCurrentCell = cell == before;
            if (button == TMouseButton::mbLeft && cell.X >= grid_.IndicatorColumns()
                && (onCurrentCell || d_->options.Contains(dgAlwaysShowEditor)))
                grid_.ShowEditor();
        }
    }
    grid_.DoMouseDown(button, shift, x, y);
}

// --- move ---

void TCustomDBGridEh::MouseMove(TShiftState shift, int x, int y)
{
    if (GridState() == TGridState::gsTitlePressed)
        TitleRow(*this).Drag(shift, x, y);
    if (CellTracking())
        CellPress(*this).TrackCell(x, y);
    TCustomGrid::MouseMove(shift, x, y);
}

void TCustomDBGridEh::CellPress::TrackCell(int x, int y)
{
    const QPoint clamped(std::clamp(x, 0, std::max(grid_.ClientWidth() - 1, 0)),
                         std::clamp(y, 0, std::max(grid_.ClientHeight() - 1, 0)));
    const TGridCoord cell = grid_.MouseCoord(clamped.x(), clamped.y());
    const QRect area = DataArea();
    const int areaBottom = area.top() + area.height();
    const int areaRight = area.left() + area.width();
    if (y > area.top() && y < areaBottom && cell.Y >= d_->titleRows && cell.Y != grid_.Row())
        grid_.StepRecords(cell.Y - grid_.Row());
    if (x > area.left() && x < areaRight && cell.X >= grid_.IndicatorColumns() && cell.X != grid_.Col())
        grid_.MoveToColumn(cell.X, cell.X > grid_.Col() ? +1 : -1);
    // Automatic scrolling measures from the point itself: clamped, a point below a full
    // grid would never be below the data area.
    grid_.SetTrackPoint(QPoint(x, y));
    grid_.AutoScrollStep();
}

QRect TCustomDBGridEh::CellPress::DataArea() const
{
    const TGridDrawInfo info = grid_.CalcDrawInfo();
    return QRect(QPoint(info.Horz.FixedBoundary, info.Vert.FixedBoundary),
                 QPoint(info.Horz.GridBoundary - 1, info.Vert.GridBoundary - 1));
}

void TCustomDBGridEh::AutoScrollStep()
{
    const QPoint point = Press().trackPoint;
    const QRect area = CellPress(*this).DataArea();
    const int areaBottom = area.top() + area.height();
    const int areaRight = area.left() + area.width();
    int vertical = 0;
    int horizontal = 0;
    int distance = 0;
    if (point.y() < area.top()) {
        vertical = -1;
        distance = area.top() - point.y();
    } else if (point.y() >= areaBottom) {
        vertical = 1;
        distance = point.y() - areaBottom + 1;
    }
    if (point.x() >= areaRight) {
        horizontal = 1;
        distance = std::max(distance, point.x() - areaRight);
    } else if (point.x() < area.left()) {
        horizontal = -1;
        distance = std::max(distance, area.left() - point.x());
    }
    if (vertical == 0 && horizontal == 0) {
        StopTimer1();
        return;
    }
    {
        UpdateLockScope lock(*this);
        if (vertical != 0)
            StepRecords(vertical * std::min(distance / kAutoScrollPixelsPerRecord, kAutoScrollMaxRecords));
        if (horizontal < 0 && LeftCol() > FixedCols())
            MoveLeftCol(LeftCol() - 1);
        else if (horizontal > 0 && LeftCol() < MaxLeftCol())
            MoveLeftCol(LeftCol() + 1);
        if (horizontal != 0)
            MoveToColumn(Col() + horizontal, point.x() < areaRight ? -1 : +1);
    }
    if (d_->updateLock == 0)
        UpdateNow();
    StartTimer1(std::max(kAutoScrollSlowestMs - kAutoScrollSpeedUpMs * distance, kAutoScrollFastestMs));
}

void TCustomDBGridEh::TimerTick()
{
    TCustomGrid::TimerTick();
    if (CellTracking())
        AutoScrollStep();
}

// --- release ---

void TCustomDBGridEh::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (GridState() == TGridState::gsTitlePressed)
        TitleRow(*this).Release(shift, x, y);
    if (Press().mouse.rightAsLeft) {
        SetRightButtonAsLeft(false);
        SetMouseCapture(false);
        button = TMouseButton::mbLeft;
    }
    StopTracking();
    const bool endsSizing = GridState() == TGridState::gsColSizing;
    TCustomGrid::MouseUp(button, shift, x, y);
    if (endsSizing)
        return;
    TInplaceEdit* editor = InplaceEditor();
    if (editor && editor->isVisible() && editor->geometry().contains(x, y))
        return;
    if (button == TMouseButton::mbLeft)
        CellPress(*this).RaiseClickEvents(x, y);
}

void TCustomDBGridEh::CellPress::RaiseClickEvents(int x, int y)
{
    const TGridCoord cell = grid_.MouseCoord(x, y);
    const int dataCol = grid_.ToDataColumn(cell.X);
    if (cell.X < grid_.IndicatorColumns() || dataCol >= d_->columns->Count())
        return;
    TColumnEh* column = d_->columns->Items(dataCol);
    // The empty row of a closed dataset holds no record to click on.
    if (cell.Y >= 0 && cell.Y < d_->titleRows) {
        if (d_->events.OnTitleClick)
            d_->events.OnTitleClick(column);
    } else if (d_->dataLink->Active() && cell.Y >= d_->titleRows && cell.Y < d_->titleRows + grid_.VisibleDataRows()) {
        if (d_->events.OnCellClick)
            d_->events.OnCellClick(column);
    }
}

// --- wheel, cancel-mode, column moved ---

void TCustomDBGridEh::WheelStep(int direction, TShiftState)
{
    if (d_->dataLink->Active())
        d_->dataLink->MoveBy(direction);
}

void TCustomDBGridEh::CancelMode()
{
    TCustomGrid::CancelMode();
    StopTracking();
    SetRightButtonAsLeft(false);
}

void TCustomDBGridEh::ColumnMoved(int from, int to)
{
    const int fromIndex = ToDataColumn(from);
    const int toIndex = ToDataColumn(to);
    if (fromIndex < 0 || toIndex < 0 || fromIndex >= d_->columns->Count() || toIndex >= d_->columns->Count())
        return;
    // One batch: the rebuild sets every width from its column object, so the moved
    // column keeps its width and its neighbours theirs.
    {
        LockLayout();
        const ScopeExit unlock([this] { UnlockLayout(); });
        d_->columns->Move(fromIndex, toIndex);
    }
    if (d_->events.OnColumnMoved)
        d_->events.OnColumnMoved(*this, fromIndex, toIndex);
}

}  // namespace qelvor
