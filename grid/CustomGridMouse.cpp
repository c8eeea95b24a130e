// CustomGridMouse: the base grid's mouse handling — presses, moves and releases handed
// to the title row (column sizing and moving, GridTitleRow.h), timer 1 during a move,
// the wheel's notches, the press value's states, the column move itself and the
// cancel-mode message.
#include <algorithm>
#include <utility>
#include "runtime/Assert.h"

#include "grid/CustomGrid.h"

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
        && titleRow_->Press(x, y) == TGridState::gsColSizing)
        return;
    DoMouseDown(button, shift, x, y);
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y)
{
    if (Dragging())
        titleRow_->Drag(x, y);
    if (OnMouseMove)
        OnMouseMove(*this, shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    titleRow_->Drop();
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
    if (press_.state == TGridState::gsColMoving)
        titleRow_->Drag(press_.mouse.lastPoint.x(), press_.mouse.lastPoint.y());
}

void TCustomGrid::CancelMode()
{
    titleRow_->Cancel();
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
    wheelAccumulator_ += wheelDelta;
    while (wheelAccumulator_ >= kWheelNotch) {
        wheelAccumulator_ -= kWheelNotch;
        WheelStep(-1, shift);
    }
    while (wheelAccumulator_ <= -kWheelNotch) {
        wheelAccumulator_ += kWheelNotch;
        WheelStep(+1, shift);
    }
}

void TCustomGrid::WheelStep(int, TShiftState) {}

TGridPress TCustomGrid::CalcSizingState(int x, int y) const
{
    return titleRow_->SizingAt(x, y);
}

int TCustomGrid::ColumnLeftEdge(int col) const
{
    return titleRow_->ColumnLeftEdge(col);
}

Qt::CursorShape TCustomGrid::CursorAt(int x, int y) const
{
    return titleRow_->CursorAt(x, y);
}

// --- the press value's states ---

void TCustomGrid::EnterPressState(TGridPress next)
{
    next.mouse = press_.mouse;
    press_ = next;
}

void TCustomGrid::StartTitlePress(int gridCol)
{
    TGridPress next = TGridPress::In(TGridState::gsTitlePressed);
    next.titleCol = gridCol;
    EnterPressState(next);
}

bool TCustomGrid::SetTitleDown(bool down)
{
    QELVOR_ASSERT(press_.state == TGridState::gsTitlePressed);
    return std::exchange(press_.titleDown, down) != down;
}

void TCustomGrid::StartCellTracking(QPoint point)
{
    EnterPressState(TGridPress::In(TGridState::gsCellTracking));
    press_.trackPoint = point;
}

void TCustomGrid::SetTrackPoint(QPoint point)
{
    QELVOR_ASSERT(press_.state == TGridState::gsCellTracking);
    press_.trackPoint = point;
}

// --- column moving ---

void TCustomGrid::MoveColumn(int from, int to)
{
    QELVOR_ASSERT(from >= 0 && from < colCount_ && to >= 0 && to < colCount_);
    if (from == to)
        return;
    auto at = [this](int col) { return colWidths_.begin() + col; };
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
    current_.X = follow(current_.X);
    anchor_.X = follow(anchor_.X);
    InvalidateGrid();
    ColumnMoved(from, to);
}

void TCustomGrid::ColumnMoved(int, int) {}

}  // namespace qelvor
