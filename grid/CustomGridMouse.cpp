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
#include "grid/CustomGridPrivate.h"

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
        if (d_->gridOptions.Contains(goColMoving) && cell.Y >= 0 && cell.Y < d_->fixedRows && cell.X >= d_->fixedCols)
            StartColumnMoving(cell.X);
    }
    DoMouseDown(button, shift, x, y);
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y)
{
    if (d_->press.state == TGridState::gsColSizing) {
        d_->press.sizingPos = x + d_->press.sizingOffset;
        SetOverlay(d_->press.sizingPos, 1);
    } else if (d_->press.state == TGridState::gsColMoving) {
        TrackColumnMove(x, y);
    }
    if (OnMouseMove)
        OnMouseMove(*this, shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (d_->press.state == TGridState::gsColSizing)
        EndColumnSizing();
    else if (d_->press.state == TGridState::gsColMoving)
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
    if (d_->press.state == TGridState::gsColMoving)
        TrackColumnMove(d_->lastMousePoint.x(), d_->lastMousePoint.y());
}

void TCustomGrid::CancelMode()
{
    if (Dragging()) {
        SetOverlay(-1, 0);
        d_->press = TGridPress{};
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

// --- column sizing ---

TGridPress TCustomGrid::CalcSizingState(int x, int y) const
{
    TGridPress result;
    if (!d_->gridOptions.Contains(goColSizing))
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
    for (int col = d_->leftCol; col < d_->colCount && result.state == TGridState::gsNormal; ++col) {
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
    if (result.sizingIndex > d_->colCount - 1) {
        result.sizingIndex = d_->colCount - 1;
    } else if (result.sizingIndex > d_->leftCol
               && info.Horz.FixedBoundary + info.Horz.Extent(d_->leftCol) > info.Horz.GridExtent) {
        // The left column alone fills the view: every zone sizes it.
        result.sizingIndex = d_->leftCol;
    }
    return result;
}

int TCustomGrid::ColumnLeftEdge(int col) const
{
    const TGridDrawInfo info = CalcDrawInfo();
    int left = info.Horz.FixedBoundary;
    for (int i = d_->leftCol; i < col; ++i)
        left += info.Horz.Extent(i) + info.Horz.EffectiveLineWidth;
    return left;
}

void TCustomGrid::StartColumnSizing(const TGridPress& sizing)
{
    d_->press = sizing;
    SetOverlay(d_->press.sizingPos, 1);
}

void TCustomGrid::EndColumnSizing()
{
    SetOverlay(-1, 0);
    const TGridPress sizing = d_->press;
    d_->press = TGridPress{};
    const int width = sizing.sizingPos - ColumnLeftEdge(sizing.sizingIndex);
    // A border dragged onto (or past) the column's own left edge changes nothing.
    if (width > 1)
        SetColWidths(sizing.sizingIndex, width);
}

// --- column moving ---

void TCustomGrid::StartColumnMoving(int gridCol)
{
    d_->press = TGridPress::In(TGridState::gsColMoving);
    d_->press.moveIndex = gridCol;
    d_->press.movePos = gridCol;
    UpdateNow();
    SetOverlay(MoveMarkerX(), kMoveMarkerWidth);
    StartTimer1(kMoveTimerInterval);
}

int TCustomGrid::MoveMarkerX() const
{
    const QRect cell = CellRect(d_->press.movePos, 0);
    if (cell.isEmpty())
        return -1;
    const int edge = d_->press.moveIndex < d_->press.movePos ? cell.left() + cell.width() : cell.left();
    return edge - kMoveMarkerWidth / 2;
}

void TCustomGrid::TrackColumnMove(int x, int y)
{
    (void)y;
    const TGridDrawInfo info = CalcDrawInfo();
    const int column = ColumnAt(x);
    const int lastCol = d_->colCount - 1;
    if (column == d_->press.movePos)
        return;
    if (d_->press.movePos == d_->fixedCols && x < info.Horz.FixedBoundary)
        return;
    if (d_->press.movePos == lastCol && x >= ColumnLeftEdge(lastCol) + info.Horz.Extent(lastCol))
        return;
    int target = column < 0 ? d_->press.movePos : column;
    if (x < info.Horz.FixedBoundary) {
        if (d_->press.movePos > d_->fixedCols && d_->leftCol > d_->fixedCols)
            MoveLeftCol(d_->leftCol - 1);
        target = d_->leftCol;
    } else if (x >= info.Horz.FullVisBoundary) {
        if (d_->press.movePos == info.Horz.LastFullVisibleCell && d_->press.movePos < lastCol && d_->leftCol < MaxLeftCol())
            MoveLeftCol(d_->leftCol + 1);
        target = CalcDrawInfo().Horz.LastFullVisibleCell;
    }
    d_->press.movePos = std::clamp(target, d_->fixedCols, lastCol);
    SetOverlay(MoveMarkerX(), kMoveMarkerWidth);
}

void TCustomGrid::EndColumnMoving()
{
    SetOverlay(-1, 0);
    StopTimer1();
    const TGridPress moving = d_->press;
    d_->press = TGridPress{};
    if (moving.movePos != moving.moveIndex)
        MoveColumn(moving.moveIndex, moving.movePos);
}

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

// --- overlays and cursor ---

void TCustomGrid::SetOverlay(int x, int width)
{
    const QRect old = d_->overlay.Strip(ClientHeight());
    d_->overlay = {x, x < 0 ? 0 : width};
    InvalidateClientRect(old);
    InvalidateClientRect(d_->overlay.Strip(ClientHeight()));
}

void TCustomGrid::PaintOverlay(QPainter& painter) const
{
    const QRect strip = d_->overlay.Strip(ClientHeight());
    if (strip.isEmpty())
        return;
    // Dotted, and inverted against what lies beneath so that it shows on any colour.
    const QColor color = d_->press.state == TGridState::gsColMoving ? kMoveMarkerColor : QColor(Qt::white);
    painter.save();
    painter.setClipping(false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (int y = strip.top(); y <= strip.bottom(); y += 2)
        painter.fillRect(QRect(strip.left(), y, strip.width(), 1), color);
    painter.restore();
}

Qt::CursorShape TCustomGrid::CursorAt(int x, int y) const
{
    if (d_->press.state == TGridState::gsColSizing)
        return Qt::SplitHCursor;
    // A title press or cell tracking still shows where a sizing could start.
    if (d_->press.state != TGridState::gsColMoving && CalcSizingState(x, y).state == TGridState::gsColSizing)
        return Qt::SplitHCursor;
    return Qt::ArrowCursor;
}

}  // namespace qelvor
