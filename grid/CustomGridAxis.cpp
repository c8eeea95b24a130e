// CustomGridAxis: the visible-cell computation of the generic grid — axis
// information, cell rectangles, the cell under a point and MaxLeftCol.
#include <algorithm>

#include <QScrollBar>

#include "grid/CustomGrid.h"
#include "grid/CustomGridPrivate.h"

namespace qelvor {

int TCustomGrid::ClientWidth() const
{
    int width = this->width() - 2 * frameWidth();
    if (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn)
        width -= verticalScrollBar()->sizeHint().width();
    return std::max(width, 0);
}

int TCustomGrid::ClientHeight() const
{
    int height = this->height() - 2 * frameWidth();
    if (horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn)
        height -= horizontalScrollBar()->sizeHint().height();
    return std::max(height, 0);
}

void TCustomGrid::CalcAxis(TGridAxisDrawInfo& axis, int extent, int fixedCount, int firstCell,
                           int cellCount, const std::vector<int>* extents, int defaultExtent,
                           int lineWidth) const
{
    axis.EffectiveLineWidth = lineWidth;
    axis.GridExtent = extent;
    axis.FixedCellCount = fixedCount;
    axis.FirstGridCell = firstCell;
    axis.GridCellCount = cellCount;
    axis.Extents = extents;
    axis.DefaultExtent = defaultExtent;
    axis.FixedBoundary = 0;
    for (int i = 0; i < fixedCount; ++i)
        axis.FixedBoundary += axis.Extent(i) + lineWidth;
    axis.GridBoundary = axis.FixedBoundary;
    axis.FullVisBoundary = axis.FixedBoundary;
    axis.LastFullVisibleCell = firstCell;
    for (int i = firstCell; i < cellCount; ++i) {
        axis.GridBoundary += axis.Extent(i) + lineWidth;
        if (axis.GridBoundary > extent + lineWidth) {
            axis.GridBoundary = extent;
            break;
        }
        axis.LastFullVisibleCell = i;
        axis.FullVisBoundary = axis.GridBoundary;
    }
}

TGridDrawInfo TCustomGrid::CalcDrawInfo() const
{
    TGridDrawInfo info;
    const bool vertLines = d_->gridOptions.Contains(goFixedVertLine) || d_->gridOptions.Contains(goVertLine);
    const bool horzLines = d_->gridOptions.Contains(goFixedHorzLine) || d_->gridOptions.Contains(goHorzLine);
    CalcAxis(info.Horz, ClientWidth(), d_->fixedCols, d_->leftCol, d_->colCount, &d_->colWidths,
             d_->defaultColWidth, vertLines ? d_->gridLineWidth : 0);
    CalcAxis(info.Vert, ClientHeight(), d_->fixedRows, d_->topRow, d_->rowCount, &d_->rowHeights,
             d_->defaultRowHeight, horzLines ? d_->gridLineWidth : 0);
    return info;
}

int TCustomGrid::CellLeft(const TGridAxisDrawInfo& axis, int cell)
{
    int offset = 0;
    if (cell < axis.FixedCellCount) {
        for (int i = 0; i < cell; ++i)
            offset += axis.Extent(i) + axis.EffectiveLineWidth;
        return offset;
    }
    if (cell < axis.FirstGridCell)
        return -1;
    offset = axis.FixedBoundary;
    for (int i = axis.FirstGridCell; i < cell && offset <= axis.GridExtent; ++i)
        offset += axis.Extent(i) + axis.EffectiveLineWidth;
    return offset;
}

QRect TCustomGrid::CellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= d_->colCount || row >= d_->rowCount)
        return {};
    const TGridDrawInfo info = CalcDrawInfo();
    const int left = CellLeft(info.Horz, col);
    const int top = CellLeft(info.Vert, row);
    const int width = info.Horz.Extent(col);
    const int height = info.Vert.Extent(row);
    if (left < 0 || top < 0 || width <= 0 || height <= 0)
        return {};
    if (left >= info.Horz.GridExtent || top >= info.Vert.GridExtent)
        return {};
    return QRect(left, top, width, height);
}

namespace {

// The cell of an axis at a client offset; -1 outside the painted cells.
int CellAt(const TGridAxisDrawInfo& axis, int point)
{
    if (point < 0 || point >= axis.GridBoundary)
        return -1;
    int start = 0;
    for (int i = 0; i < axis.FixedCellCount; ++i) {
        start += axis.Extent(i) + axis.EffectiveLineWidth;
        if (point < start)
            return i;
    }
    for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
        start += axis.Extent(i) + axis.EffectiveLineWidth;
        if (point < start)
            return i;
    }
    return -1;
}

}  // namespace

TGridCoord TCustomGrid::MouseCoord(int x, int y) const
{
    const TGridDrawInfo info = CalcDrawInfo();
    const int col = CellAt(info.Horz, x);
    const int row = CellAt(info.Vert, y);
    if (col < 0 || row < 0)
        return {-1, -1};
    return {col, row};
}

int TCustomGrid::ColumnAt(int x) const
{
    return CellAt(CalcDrawInfo().Horz, x);
}

int TCustomGrid::CalcMaxCell(const TGridAxisDrawInfo& axis, int start) const
{
    int result = start;
    int room = axis.GridExtent + axis.EffectiveLineWidth - axis.FixedBoundary;
    int firstPositive = -1;
    bool anyFit = false;
    for (int i = start; i >= axis.FixedCellCount; --i) {
        const int extent = axis.Extent(i);
        if (extent <= 0)
            continue;
        if (firstPositive < 0)
            firstPositive = i;
        room -= extent + axis.EffectiveLineWidth;
        if (room < 0)
            break;
        result = i;
        anyFit = true;
    }
    if (!anyFit)
        result = (axis.Extent(start) <= 0 && firstPositive >= 0) ? firstPositive : start;
    return result;
}

int TCustomGrid::MaxLeftCol() const
{
    const TGridDrawInfo info = CalcDrawInfo();
    if (d_->colCount <= d_->fixedCols)
        return d_->fixedCols;
    return std::max(d_->fixedCols, CalcMaxCell(info.Horz, d_->colCount - 1));
}

}  // namespace qelvor
