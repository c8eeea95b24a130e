// GridTitleRow: column sizing and moving from the title row, their overlay and cursor.
#include "grid/GridTitleRow.h"

#include <algorithm>

#include <QPainter>

#include "runtime/Assert.h"

namespace qelvor {

namespace {

constexpr int kSizingZoneWidth = 7;  // pixels around a title border that size its column
constexpr int kMoveMarkerWidth = 5;
constexpr int kMoveTimerInterval = 60;  // ms between column-move scroll checks
const QColor kMoveMarkerColor(192, 192, 192);  // silver

}  // namespace

// --- press, drag, release ---

TGridState TGridTitleRow::Press(int x, int y)
{
    const TGridPress sizing = SizingAt(x, y);
    if (sizing.state == TGridState::gsColSizing) {
        StartSizing(sizing);
        return TGridState::gsColSizing;
    }
    const TGridCoord cell = host_.TitleCellAt(x, y);
    if (host_.TitleGridOptions().Contains(goColMoving) && cell.Y >= 0 && cell.Y < host_.TitleFixedRows()
        && cell.X >= host_.TitleFixedCols()) {
        StartMoving(cell.X);
        return TGridState::gsColMoving;
    }
    return TGridState::gsNormal;
}

void TGridTitleRow::Drag(int x, int y)
{
    (void)y;
    const TGridPress& press = host_.CurrentPress();
    if (press.state == TGridState::gsColSizing) {
        TGridPress next = press;
        next.sizingPos = x + press.sizingOffset;
        host_.EnterPressState(next);
        SetOverlay(next.sizingPos, 1);
    } else if (press.state == TGridState::gsColMoving) {
        TrackMove(x);
    }
}

void TGridTitleRow::Drop()
{
    const TGridState state = host_.CurrentPress().state;
    if (state == TGridState::gsColSizing)
        EndSizing();
    else if (state == TGridState::gsColMoving)
        EndMoving();
}

void TGridTitleRow::Cancel()
{
    if (!Dragging())
        return;
    SetOverlay(-1, 0);
    host_.EnterPressState(TGridPress{});
}

bool TGridTitleRow::Dragging() const
{
    const TGridState state = host_.CurrentPress().state;
    return state == TGridState::gsColSizing || state == TGridState::gsColMoving;
}

// --- column sizing ---

TGridPress TGridTitleRow::SizingAt(int x, int y) const
{
    TGridPress result;
    if (!host_.TitleGridOptions().Contains(goColSizing))
        return result;
    const TGridDrawInfo info = host_.TitleDrawInfo();
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
    const int colCount = host_.TitleColCount();
    const int leftCol = host_.TitleLeftCol();
    int border = info.Horz.FixedBoundary;
    for (int col = leftCol; col < colCount && result.state == TGridState::gsNormal; ++col) {
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
    if (result.sizingIndex > colCount - 1) {
        result.sizingIndex = colCount - 1;
    } else if (result.sizingIndex > leftCol
               && info.Horz.FixedBoundary + info.Horz.Extent(leftCol) > info.Horz.GridExtent) {
        // The left column alone fills the view: every zone sizes it.
        result.sizingIndex = leftCol;
    }
    return result;
}

int TGridTitleRow::ColumnLeftEdge(int col) const
{
    const TGridDrawInfo info = host_.TitleDrawInfo();
    int left = info.Horz.FixedBoundary;
    for (int i = host_.TitleLeftCol(); i < col; ++i)
        left += info.Horz.Extent(i) + info.Horz.EffectiveLineWidth;
    return left;
}

void TGridTitleRow::StartSizing(const TGridPress& sizing)
{
    host_.EnterPressState(sizing);
    SetOverlay(sizing.sizingPos, 1);
}

void TGridTitleRow::EndSizing()
{
    SetOverlay(-1, 0);
    const TGridPress sizing = host_.CurrentPress();
    host_.EnterPressState(TGridPress{});
    const int width = sizing.sizingPos - ColumnLeftEdge(sizing.sizingIndex);
    // A border dragged onto (or past) the column's own left edge changes nothing.
    if (width > 1)
        host_.SetTitleColWidth(sizing.sizingIndex, width);
}

// --- column moving ---

void TGridTitleRow::StartMoving(int gridCol)
{
    TGridPress moving = TGridPress::In(TGridState::gsColMoving);
    moving.moveIndex = gridCol;
    moving.movePos = gridCol;
    host_.EnterPressState(moving);
    host_.PaintTitleNow();
    SetOverlay(MoveMarkerX(), kMoveMarkerWidth);
    host_.StartDragTimer(kMoveTimerInterval);
}

int TGridTitleRow::MoveMarkerX() const
{
    const TGridPress& press = host_.CurrentPress();
    const QRect cell = host_.TitleCellRect(press.movePos, 0);
    if (cell.isEmpty())
        return -1;
    const int edge = press.moveIndex < press.movePos ? cell.left() + cell.width() : cell.left();
    return edge - kMoveMarkerWidth / 2;
}

void TGridTitleRow::TrackMove(int x)
{
    const TGridDrawInfo info = host_.TitleDrawInfo();
    const int column = host_.TitleColumnAt(x);
    const int fixedCols = host_.TitleFixedCols();
    const int lastCol = host_.TitleColCount() - 1;
    const int movePos = host_.CurrentPress().movePos;
    if (column == movePos)
        return;
    if (movePos == fixedCols && x < info.Horz.FixedBoundary)
        return;
    if (movePos == lastCol && x >= ColumnLeftEdge(lastCol) + info.Horz.Extent(lastCol))
        return;
    int target = column < 0 ? movePos : column;
    if (x < info.Horz.FixedBoundary) {
        if (movePos > fixedCols && host_.TitleLeftCol() > fixedCols)
            host_.ScrollToLeftCol(host_.TitleLeftCol() - 1);
        target = host_.TitleLeftCol();
    } else if (x >= info.Horz.FullVisBoundary) {
        if (movePos == info.Horz.LastFullVisibleCell && movePos < lastCol && host_.TitleLeftCol() < host_.TitleMaxLeftCol())
            host_.ScrollToLeftCol(host_.TitleLeftCol() + 1);
        target = host_.TitleDrawInfo().Horz.LastFullVisibleCell;
    }
    TGridPress next = host_.CurrentPress();
    next.movePos = std::clamp(target, fixedCols, lastCol);
    host_.EnterPressState(next);
    SetOverlay(MoveMarkerX(), kMoveMarkerWidth);
}

void TGridTitleRow::EndMoving()
{
    SetOverlay(-1, 0);
    host_.StopDragTimer();
    const TGridPress moving = host_.CurrentPress();
    host_.EnterPressState(TGridPress{});
    if (moving.movePos != moving.moveIndex)
        host_.MoveGridColumn(moving.moveIndex, moving.movePos);
}

// --- overlay and cursor ---

void TGridTitleRow::SetOverlay(int x, int width)
{
    const int height = host_.TitleClientHeight();
    const QRect old = overlay_.Strip(height);
    overlay_ = {x, x < 0 ? 0 : width};
    host_.InvalidateTitleRect(old);
    host_.InvalidateTitleRect(overlay_.Strip(height));
}

void TGridTitleRow::PaintOverlay(QPainter& painter) const
{
    const QRect strip = overlay_.Strip(host_.TitleClientHeight());
    if (strip.isEmpty())
        return;
    // Dotted, and inverted against what lies beneath so that it shows on any colour.
    const QColor color = host_.CurrentPress().state == TGridState::gsColMoving ? kMoveMarkerColor : QColor(Qt::white);
    painter.save();
    painter.setClipping(false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (int y = strip.top(); y <= strip.bottom(); y += 2)
        painter.fillRect(QRect(strip.left(), y, strip.width(), 1), color);
    painter.restore();
}

Qt::CursorShape TGridTitleRow::CursorAt(int x, int y) const
{
    const TGridState state = host_.CurrentPress().state;
    if (state == TGridState::gsColSizing)
        return Qt::SplitHCursor;
    // A title press or cell tracking still shows where a sizing could start.
    if (state != TGridState::gsColMoving && SizingAt(x, y).state == TGridState::gsColSizing)
        return Qt::SplitHCursor;
    return Qt::ArrowCursor;
}

}  // namespace qelvor
