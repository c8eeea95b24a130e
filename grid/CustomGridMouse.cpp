// CustomGridMouse: the base grid's mouse handling — presses that start a column sizing
// (on a title border) or a column move (on a data column's title), the drag lines,
// the release that applies them, timer 1 during a move, the wheel's notches, the
// split cursor and the cancel-mode message.
//
// The sizing line and the move marker are overlays: painted after the cells from the
// drag state, and moved by repainting only the old and the new strip.
#include <algorithm>
#include "runtime/Assert.h"

#include <QPainter>

#include "grid/CustomGrid.h"

namespace qelvor {

namespace {

constexpr int kSizingZoneWidth = 7;  // pixels around a title border that size its column
constexpr int kMoveMarkerWidth = 5;
constexpr int kMoveTimerInterval = 60;  // ms between column-move scroll checks
constexpr int kWheelNotch = 120;
const QColor kMoveMarkerColor(192, 192, 192);  // silver

}  // namespace

// --- press, move, release ---

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    HideEditor();
    if (button == TMouseButton::mbLeft && !shift.Contains(ssDouble)) {
        const TGridPress sizing = CalcSizingState(x, y);
        if (sizing.state == TGridState::gsColSizing) {
            StartColumnSizing(sizing);
            return;
        }
        const TGridCoord cell = MouseCoord(x, y);
        if (gridOptions_.Contains(goColMoving) && cell.Y >= 0 && cell.Y < fixedRows_ && cell.X >= fixedCols_)
            StartColumnMoving(cell.X);
    }
    DoMouseDown(button, shift, x, y);
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y)
{
    if (press_.state == TGridState::gsColSizing) {
        press_.sizingPos = x + press_.sizingOffset;
        SetOverlay(press_.sizingPos, 1);
    } else if (press_.state == TGridState::gsColMoving) {
        TrackColumnMove(x, y);
    }
    if (OnMouseMove)
        OnMouseMove(*this, shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (press_.state == TGridState::gsColSizing)
        EndColumnSizing();
    else if (press_.state == TGridState::gsColMoving)
        EndColumnMoving();
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
        TrackColumnMove(lastMousePoint_.x(), lastMousePoint_.y());
}

void TCustomGrid::CancelMode()
{
    if (Dragging()) {
        SetOverlay(-1, 0);
        press_ = TGridPress{};
    }
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

// --- column sizing ---

TGridPress TCustomGrid::CalcSizingState(int x, int y) const
{
    TGridPress result;
    if (!gridOptions_.Contains(goColSizing))
        return result;
    const TGridDrawInfo info = CalcDrawInfo();
    if (y >= info.Vert.FixedBoundary || x < info.Horz.FixedBoundary)
        return result;
    const int lineWidth = info.Horz.EffectiveLineWidth;
    const int zoneWidth = std::max(kSizingZoneWidth, lineWidth);
    const int before = (zoneWidth - lineWidth) / 2;
    auto take = [&](int index, int border) {
        result.state = TGridState::gsColSizing;
        result.sizingIndex = index;
        result.sizingPos = border;
        result.sizingOffset = border - x;
    };
    int border = info.Horz.FixedBoundary;
    for (int col = leftCol_; col < colCount_ && result.state == TGridState::gsNormal; ++col) {
        border += info.Horz.Extent(col);
        if (border > info.Horz.GridBoundary)
            break;
        if (info.Horz.Extent(col) > 0 && x >= border - before && x <= border - before + zoneWidth)
            take(col, border);
        border += lineWidth;
    }
    // A column cut off at the right edge: the last pixels of the client size it.
    if (result.state == TGridState::gsNormal && info.Horz.GridBoundary == info.Horz.GridExtent
        && x >= info.Horz.GridExtent - before && x <= info.Horz.GridExtent)
        take(info.Horz.LastFullVisibleCell + 1, info.Horz.GridExtent);
    if (result.state == TGridState::gsNormal)
        return result;
    if (result.sizingIndex > colCount_ - 1) {
        result.sizingIndex = colCount_ - 1;
    } else if (result.sizingIndex > leftCol_
               && info.Horz.FixedBoundary + info.Horz.Extent(leftCol_) > info.Horz.GridExtent) {
        // The left column alone fills the view: every zone sizes it.
        result.sizingIndex = leftCol_;
    }
    return result;
}

int TCustomGrid::ColumnLeftEdge(int col) const
{
    const TGridDrawInfo info = CalcDrawInfo();
    int left = info.Horz.FixedBoundary;
    for (int i = leftCol_; i < col; ++i)
        left += info.Horz.Extent(i) + info.Horz.EffectiveLineWidth;
    return left;
}

void TCustomGrid::StartColumnSizing(const TGridPress& sizing)
{
    press_ = sizing;
    SetOverlay(press_.sizingPos, 1);
}

void TCustomGrid::EndColumnSizing()
{
    SetOverlay(-1, 0);
    const TGridPress sizing = press_;
    press_ = TGridPress{};
    const int width = sizing.sizingPos - ColumnLeftEdge(sizing.sizingIndex);
    // A border dragged onto (or past) the column's own left edge changes nothing.
    if (width > 1)
        SetColWidths(sizing.sizingIndex, width);
}

// --- column moving ---

void TCustomGrid::StartColumnMoving(int gridCol)
{
    press_ = TGridPress::In(TGridState::gsColMoving);
    press_.moveIndex = gridCol;
    press_.movePos = gridCol;
    UpdateNow();
    SetOverlay(MoveMarkerX(), kMoveMarkerWidth);
    StartTimer1(kMoveTimerInterval);
}

int TCustomGrid::MoveMarkerX() const
{
    const QRect cell = CellRect(press_.movePos, 0);
    if (cell.isEmpty())
        return -1;
    const int edge = press_.moveIndex < press_.movePos ? cell.left() + cell.width() : cell.left();
    return edge - kMoveMarkerWidth / 2;
}

void TCustomGrid::TrackColumnMove(int x, int y)
{
    (void)y;
    const TGridDrawInfo info = CalcDrawInfo();
    const int column = ColumnAt(x);
    const int lastCol = colCount_ - 1;
    if (column == press_.movePos)
        return;
    if (press_.movePos == fixedCols_ && x < info.Horz.FixedBoundary)
        return;
    if (press_.movePos == lastCol && x >= ColumnLeftEdge(lastCol) + info.Horz.Extent(lastCol))
        return;
    int target = column < 0 ? press_.movePos : column;
    if (x < info.Horz.FixedBoundary) {
        if (press_.movePos > fixedCols_ && leftCol_ > fixedCols_)
            MoveLeftCol(leftCol_ - 1);
        target = leftCol_;
    } else if (x >= info.Horz.FullVisBoundary) {
        if (press_.movePos == info.Horz.LastFullVisibleCell && press_.movePos < lastCol && leftCol_ < MaxLeftCol())
            MoveLeftCol(leftCol_ + 1);
        target = CalcDrawInfo().Horz.LastFullVisibleCell;
    }
    press_.movePos = std::clamp(target, fixedCols_, lastCol);
    SetOverlay(MoveMarkerX(), kMoveMarkerWidth);
}

void TCustomGrid::EndColumnMoving()
{
    SetOverlay(-1, 0);
    StopTimer1();
    const TGridPress moving = press_;
    press_ = TGridPress{};
    if (moving.movePos != moving.moveIndex)
        MoveColumn(moving.moveIndex, moving.movePos);
}

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

// --- overlays and cursor ---

void TCustomGrid::SetOverlay(int x, int width)
{
    const QRect old = overlay_.Strip(ClientHeight());
    overlay_ = {x, x < 0 ? 0 : width};
    InvalidateClientRect(old);
    InvalidateClientRect(overlay_.Strip(ClientHeight()));
}

void TCustomGrid::PaintOverlay(QPainter& painter) const
{
    const QRect strip = overlay_.Strip(ClientHeight());
    if (strip.isEmpty())
        return;
    // Dotted, and inverted against what lies beneath so that it shows on any colour.
    const QColor color = press_.state == TGridState::gsColMoving ? kMoveMarkerColor : QColor(Qt::white);
    painter.save();
    painter.setClipping(false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (int y = strip.top(); y <= strip.bottom(); y += 2)
        painter.fillRect(QRect(strip.left(), y, strip.width(), 1), color);
    painter.restore();
}

Qt::CursorShape TCustomGrid::CursorAt(int x, int y) const
{
    if (press_.state == TGridState::gsColSizing)
        return Qt::SplitHCursor;
    // A title press or cell tracking still shows where a sizing could start.
    if (press_.state != TGridState::gsColMoving && CalcSizingState(x, y).state == TGridState::gsColSizing)
        return Qt::SplitHCursor;
    return Qt::ArrowCursor;
}

}  // namespace qelvor
