// CustomGridMouse: the base grid's mouse handling — presses, moves and releases handed
// to the title row (column sizing and moving, GridTitleRow.h), timer 1 during a move,
// the wheel's notches, the press value's states, the column move itself and the
// cancel-mode message.
#include <algorithm>
#include <utility>
#include "runtime/Assert.h"

#include "grid/CustomGrid.h"
#include "grid/CustomGridPrivate.h"

namespace qelvor {

namespace {

constexpr int kWheelNotch = 120;

}  // namespace

// --- press, move, release ---

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    HideEditor();
    // A sizing takes the press whole; a move still tells the press to the handlers.
    if (button == TMouseButton::mbLeft && !shift.Contains(ssDouble)
        && d_->titleRow->Press(x, y) == TGridState::gsColSizing)
        return;
    DoMouseDown(button, shift, x, y);
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y)
{
    if (Dragging())
        d_->titleRow->Drag(x, y);
    if (OnMouseMove)
        OnMouseMove(*this, shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    d_->titleRow->Drop();
    InvalidateEditor();
    DoMouseUp(button, shift, x, y);
}

void TCustomGrid::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(*this, button, shift, x, y);
}

void TCustomGrid::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(*this, button, shift, x, y);
}

void TCustomGrid::TimerTick()
{
    if (d_->press.state == TGridState::gsColMoving)
        d_->titleRow->Drag(d_->press.mouse.lastPoint.x(), d_->press.mouse.lastPoint.y());
}

void TCustomGrid::CancelMode()
{
    d_->titleRow->Cancel();
    StopTimer1();
}

void TCustomGrid::FocusLeft()
{
    CancelMode();
}

// --- wheel ---

void TCustomGrid::MouseWheel(TShiftState shift, int wheelDelta, QPoint mousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(*this, shift, wheelDelta, mousePos, handled);
    if (handled)
        return;
    // Fine-grained wheels and touchpads send parts of a notch; they add up to steps.
    d_->wheelAccumulator += wheelDelta;
    while (d_->wheelAccumulator >= kWheelNotch) {
        d_->wheelAccumulator -= kWheelNotch;
        WheelStep(-1, shift);
    }
    while (d_->wheelAccumulator <= -kWheelNotch) {
        d_->wheelAccumulator += kWheelNotch;
        WheelStep(+1, shift);
    }
}

void TCustomGrid::WheelStep(int, TShiftState) {}

TGridPress TCustomGrid::CalcSizingState(int x, int y) const
{
    return d_->titleRow->SizingAt(x, y);
}

int TCustomGrid::ColumnLeftEdge(int col) const
{
    return d_->titleRow->ColumnLeftEdge(col);
}

Qt::CursorShape TCustomGrid::CursorAt(int x, int y) const
{
    return d_->titleRow->CursorAt(x, y);
}

// --- the press value's states ---

void TCustomGrid::EnterPressState(TGridPress next)
{
    next.mouse = d_->press.mouse;
    d_->press = next;
}

void TCustomGrid::StartTitlePress(int gridCol)
{
    TGridPress next = TGridPress::In(TGridState::gsTitlePressed);
    next.titleCol = gridCol;
    EnterPressState(next);
}

bool TCustomGrid::SetTitleDown(bool down)
{
    QELVOR_ASSERT(d_->press.state == TGridState::gsTitlePressed);
    return std::exchange(d_->press.titleDown, down) != down;
}

void TCustomGrid::StartCellTracking(QPoint point)
{
    EnterPressState(TGridPress::In(TGridState::gsCellTracking));
    d_->press.trackPoint = point;
}

void TCustomGrid::SetTrackPoint(QPoint point)
{
    QELVOR_ASSERT(d_->press.state == TGridState::gsCellTracking);
    d_->press.trackPoint = point;
}

// --- column moving ---

void TCustomGrid::MoveColumn(int from, int to)
{
    QELVOR_ASSERT(from >= 0 && from < d_->colCount && to >= 0 && to < d_->colCount);
    if (from == to)
        return;
    auto at = [this](int col) { return d_->colWidths.begin() + col; };
    if (from < to)
        std::rotate(at(from), at(from + 1), at(to + 1));
    else
        std::rotate(at(to), at(from), at(from + 1));
    auto follow = [&](int col) {
        if (col == from)
            return to;
        if (from < to && col > from && col <= to)
            return col - 1;
        if (to < from && col >= to && col < from)
            return col + 1;
        return col;
    };
    d_->current.X = follow(d_->current.X);
    d_->anchor.X = follow(d_->anchor.X);
    InvalidateGrid();
    ColumnMoved(from, to);
}

void TCustomGrid::ColumnMoved(int, int) {}

}  // namespace qelvor
