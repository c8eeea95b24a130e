// DBGridEhPainting: the grid's paint — lines per region in one batch per direction,
// fixed and data cells, the strips past the last column and row, the indicator
// arrow, titles with their pressed look, sort glyph and number, data cells with
// their highlight and focus rectangle, the paint events around data cells and
// titles, and the one-pixel 3D frame of fixed cells.
#include "runtime/Assert.h"

#include <QApplication>
#include <QFontMetrics>
#include "grid/InplaceEdit.h"
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include "data/DataSet.h"
#include "grid/CellText.h"
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPainter.h"
#include "grid/DBGridEhPrivate.h"
#include "grid/DBGridEhTitleRow.h"
#include "grid/GridResources.h"
#include "grid/GridStyle.h"
#include "grid/TitleCellLayout.h"
#include "runtime/ScopeGuard.h"

namespace qelvor {

namespace {

const TDBGridEhStyle& Style()
{
    static const TDBGridEhStyle fallback;
    const TDBGridEhStyle* style = DBGridEhStyle();
    return style ? *style : fallback;
}

// Last cell of an axis painted (partly visible) from the first scrollable cell.
int LastPaintedCell(const TGridAxisDrawInfo& axis)
{
    int offset = axis.FixedBoundary;
    int cell = axis.FirstGridCell;
    while (cell < axis.GridCellCount && offset < axis.GridBoundary) {
        offset += axis.Extent(cell) + axis.EffectiveLineWidth;
        ++cell;
    }
    return cell - 1;
}

// The system's dotted focus rectangle: the one-pixel border of `rect` inverted on
// the client's checkerboard (pixels whose x + y is even), each pixel once, so that
// drawing it twice takes it away and neighbouring cells' dots line up.
void DrawFocusRect(QPainter& painter, const QRect& rect)
{
    if (rect.isEmpty())
        return;
    const int left = rect.left();
    const int top = rect.top();
    const int right = rect.right();
    const int bottom = rect.bottom();
    QList<QPoint> dots;
    auto dot = [&](int x, int y) {
        if ((x + y) % 2 == 0)
            dots.append(QPoint(x, y));
    };
    for (int x = left; x <= right; ++x) {
        dot(x, top);
        if (bottom != top)
            dot(x, bottom);
    }
    for (int y = top + 1; y < bottom; ++y) {
        dot(left, y);
        if (right != left)
            dot(right, y);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white);
    pen.setWidth(1);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawPoints(dots.constData(), static_cast<int>(dots.size()));
    painter.restore();
}

}  // namespace

void TCustomDBGridEh::Paint(QPainter& painter, const QRegion& clip)
{
    Painter pass(*this, painter);
    d_->paint = &pass;
    const ScopeExit release([this] { d_->paint = nullptr; });
    pass.Paint(clip);
}

void TCustomDBGridEh::Painter::Paint(const QRegion& clip)
{
    QPainter& painter = target;
    const TGridDrawInfo info = grid_.CalcDrawInfo();
    const int fixedCols = grid_.FixedCols();
    const int fixedRows = grid_.FixedRows();
    const int lastCol = LastPaintedCell(info.Horz);
    const int lastRow = LastPaintedCell(info.Vert);
    const int fixedWidth = info.Horz.FixedBoundary;
    const int fixedHeight = info.Vert.FixedBoundary;
    const int gridWidth = info.Horz.GridBoundary;
    const int gridHeight = info.Vert.GridBoundary;
    struct Region {
        QRect area;
        int firstCol, lastCol, firstRow, lastRow;
        bool fixed;
    };
    const Region regions[] = {
        {QRect(0, 0, fixedWidth, fixedHeight), 0, fixedCols - 1, 0, fixedRows - 1, true},
        {QRect(fixedWidth, 0, gridWidth - fixedWidth, fixedHeight), grid_.LeftCol(), lastCol, 0, fixedRows - 1, true},
        {QRect(0, fixedHeight, fixedWidth, gridHeight - fixedHeight), 0, fixedCols - 1, grid_.TopRow(), lastRow, true},
        {QRect(fixedWidth, fixedHeight, gridWidth - fixedWidth, gridHeight - fixedHeight), grid_.LeftCol(), lastCol,
         grid_.TopRow(), lastRow, false},
    };
    // Lines outside the repainted area would be drawn at full length only to be clipped.
    const QRect limit = clip.boundingRect();
    for (const Region& region : regions)
        PaintLines(painter, region.area, limit, region.firstCol, region.lastCol, region.firstRow, region.lastRow,
                   region.fixed, info);
    for (const Region& region : regions)
        PaintCells(clip, region.firstCol, region.lastCol, region.firstRow, region.lastRow,
                   region.fixed, info);
    const QColor background = ToQColor(d_->color);
    if (gridWidth < grid_.ClientWidth())
        painter.fillRect(QRect(gridWidth, 0, grid_.ClientWidth() - gridWidth, gridHeight), background);
    if (gridHeight < grid_.ClientHeight())
        painter.fillRect(QRect(0, gridHeight, grid_.ClientWidth(), grid_.ClientHeight() - gridHeight), background);
}

void TCustomDBGridEh::Painter::PaintLines(QPainter& painter, const QRect& area, const QRect& limit, int firstCol,
                                 int lastCol, int firstRow, int lastRow, bool fixedRegion, const TGridDrawInfo& info)
{
    const int lineWidth = grid_.GridLineWidth();
    const QRect drawn = area & limit;
    if (drawn.isEmpty() || lineWidth <= 0 || firstCol > lastCol || firstRow > lastRow)
        return;
    TColor lineColor = clSilver;
    if (fixedRegion)
        lineColor = d_->flat ? clGray : clBlack;
    else if (ColorToRGB(d_->color) == RGBColor(192, 192, 192))
        lineColor = clGray;
    const TColor cellColor = fixedRegion ? d_->fixedColor : d_->color;
    const bool vertOn = grid_.GridOptions().Contains(fixedRegion ? goFixedVertLine : goVertLine);
    const bool horzOn = grid_.GridOptions().Contains(fixedRegion ? goFixedHorzLine : goHorzLine);
    // Lines are filled rectangles, not pen strokes: at a fractional scale a rectangle
    // one device-independent pixel wide covers exactly the device pixels between the
    // neighbouring cells' fills (one or two of them), where a one-pixel pen would fall
    // on a pixel that a cell then paints over, and every other line would vanish.
    auto batch = [&](const QList<QRect>& lines, bool on) {
        if (lines.isEmpty())
            return;
        const QColor colour = ToQColor(on ? lineColor : cellColor);
        for (const QRect& line : lines)
            painter.fillRect(line, colour);
    };
    // Only the lines that cross the repainted area, and only as long as it is.
    auto crosses = [lineWidth](int position, int first, int last) {
        return position + lineWidth > first && position <= last;
    };
    QList<QRect> lines;
    int x = area.left();
    for (int col = firstCol; col <= lastCol && x <= drawn.right() + lineWidth; ++col) {
        const int extent = info.Horz.Extent(col);
        if (extent < 0)
            continue;
        x += extent;
        if (crosses(x, drawn.left(), drawn.right()))
            lines.append(QRect(x, drawn.top(), lineWidth, drawn.height()));
        x += lineWidth;
    }
    batch(lines, vertOn);
    lines.clear();
    int y = area.top();
    for (int row = firstRow; row <= lastRow && y <= drawn.bottom() + lineWidth; ++row) {
        y += info.Vert.Extent(row);
        if (crosses(y, drawn.top(), drawn.bottom()))
            lines.append(QRect(drawn.left(), y, drawn.width(), lineWidth));
        y += lineWidth;
    }
    batch(lines, horzOn);
}

void TCustomDBGridEh::Painter::PaintCells(const QRegion& clip, int firstCol, int lastCol, int firstRow, int lastRow,
                                 bool fixedRegion, const TGridDrawInfo& info)
{
    QELVOR_ASSERT(d_->paint == this);
    QPainter& painter = target;
    const int lineWidth = grid_.GridLineWidth();
    const bool activeControl = grid_.window()->focusWidget() == &grid_;
    // Regions start at a fixed cell 0 or at the first scrollable cell.
    const int top = firstRow < grid_.FixedRows() ? 0 : info.Vert.FixedBoundary;
    int x = firstCol < grid_.FixedCols() ? 0 : info.Horz.FixedBoundary;
    // Column by column, clipped to the column, so that cell texts need no clipping of
    // their own.
    for (int col = firstCol; col <= lastCol; ++col) {
        const int width = info.Horz.Extent(col);
        if (width > 0) {
            const QRect column(x, top, width, grid_.ClientHeight() - top);
            if (clip.intersects(column)) {
                painter.setClipRect(column);
                columnClipped = true;
                int y = top;
                for (int row = firstRow; row <= lastRow; ++row) {
                    const int height = info.Vert.Extent(row);
                    const QRect cell(x, y, width, height);
                    const bool current = col == grid_.Col() && row == grid_.Row();
                    if (clip.intersects(cell) && !(current && grid_.EditorMode())) {
                        TGridDrawState state;
                        if (fixedRegion)
                            state.Include(gdFixed);
                        if (current && activeControl)
                            state.Include(gdFocused);
                        if (current && !fixedRegion)
                            state.Include(gdSelected);
                        grid_.DrawCellGuarded(painter, col, row, cell, state);
                    }
                    y += height + lineWidth;
                }
                painter.setClipping(false);
                columnClipped = false;
            }
        }
        x += width + lineWidth;
    }
}

void TCustomDBGridEh::DrawCell(int col, int row, const QRect& rect, TGridDrawState state)
{
    QELVOR_ASSERT(d_->paint);
    d_->paint->DrawCell(col, row, rect, state);
}

void TCustomDBGridEh::Painter::DrawCell(int col, int row, const QRect& rect, TGridDrawState state)
{
    QPainter& painter = target;
    if (grid_.Loading()) {
        painter.fillRect(rect, ToQColor(d_->color));
        return;
    }
    const bool frame = CellHas3DFrame(col, row, state);
    CellBox box{rect, frame ? rect.adjusted(1, 1, -1, -1) : rect, frame ? 1 : 2};
    const int dataCol = grid_.ToDataColumn(col);
    const int dataRow = row - d_->titleRows;
    bool sunken = false;
    if (state.Contains(gdFixed) && dataCol < 0)
        sunken = DrawIndicatorCell(painter, row, box);
    else if (dataRow < 0 && d_->options.Contains(dgTitles))
        sunken = TitleRow(grid_).Paint(painter, col, box.inner, box.offset);
    else
        DrawDataCell(painter, col, row, box, state);
    if (frame)
        Draw3DFrame(painter, rect, sunken);
}

void TCustomDBGridEh::EraseFailedCell(QPainter& painter, const QRect& rect, TGridDrawState state)
{
    painter.fillRect(rect, ToQColor(state.Contains(gdFixed) ? d_->fixedColor : d_->color));
}

void TCustomDBGridEh::Painter::PaintingCellOf(int dataRow, const std::function<void()>& paint)
{
    const int saved = d_->dataLink->ActiveRecord();
    const ScopeExit restore([this, saved] { d_->dataLink->SetActiveRecord(saved); });
    d_->dataLink->SetActiveRecord(dataRow);
    paint();
}

bool TCustomDBGridEh::Painter::DrawIndicatorCell(QPainter& painter, int gridRow, const CellBox& box)
{
    QColor background = ToQColor(d_->fixedColor);
    bool sunken = false;
    const int dataRow = gridRow - d_->titleRows;
    const bool holdsRecord = d_->dataLink->Active() && dataRow >= 0 && dataRow < d_->dataLink->RecordCount();
    if (holdsRecord && d_->options.Contains(dgMultiSelect)) {
        PaintingCellOf(dataRow, [&] {
            if (d_->selection->SelectedRows().CurrentRowSelected()) {
                background = kSelectedFixedCellColor;
                sunken = true;
            }
        });
    }
    painter.fillRect(box.inner, background);
    if (holdsRecord && dataRow == d_->dataLink->ActiveRecord()) {
        int image = 0;
        if (TDataSet* dataSet = d_->dataLink->DataSet()) {
            if (dataSet->State() == TDataSetState::dsEdit)
                image = 1;
            else if (dataSet->State() == TDataSetState::dsInsert)
                image = 2;
        }
        if (const TGridImageList* images = IndicatorImages()) {
            const int right = box.inner.x() + box.inner.width();
            const int bottom = box.inner.y() + box.inner.height();
            const int x = right - images->Width() - box.offset;
            const int y = (box.inner.y() + bottom - images->Height()) / 2;
            painter.drawImage(x, y, images->InkedImage(image, ToQColor(clWindowText)));
        }
        d_->indicatorRow = gridRow;
    }
    return sunken;
}

void TCustomDBGridEh::Painter::DrawDataCell(QPainter& painter, int gridCol, int gridRow, const CellBox& box,
                                   TGridDrawState state)
{
    const int dataCol = grid_.ToDataColumn(gridCol);
    const QRect& rect = box.inner;
    if (dataCol < 0 || dataCol >= d_->columns->Count()) {
        painter.fillRect(rect, ToQColor(d_->color));
        return;
    }
    TColumnEh* column = d_->columns->Items(dataCol);
    if (!d_->dataLink->Active()) {
        painter.fillRect(rect, ToQColor(column->Color()));
        return;
    }
    const int dataRow = gridRow - d_->titleRows;
    if (dataRow >= d_->dataLink->RecordCount()) {
        painter.fillRect(rect, ToQColor(column->Color()));
    } else {
        PaintingCellOf(dataRow, [&] {
            GetDataCellParams(column, gridCol, gridRow, state);
            bool selected = false;
            if (d_->selection->SelectionType() != gstNon) {
                TDataSet* dataSet = d_->dataLink->DataSet();
                selected = d_->selection->IsCellSelected(dataCol, dataSet ? dataSet->GetBookmark() : TBookmark{});
            }
            TCellHighlightPlaceEh place;
            place.rowSelect = d_->options.Contains(dgRowSelect);
            place.alwaysShowSelection = d_->options.Contains(dgAlwaysShowSelection);
            place.focusLook = grid_.hasFocus() && d_->optionsEh.Contains(dghHighlightFocus);
            place.focusInGrid = grid_.FocusInGrid();
            place.onCurrentRow = gridRow == grid_.Row();
            place.inCurrentColumn = gridCol == grid_.Col();
            const TCellHighlightEh highlight = Style().HighlightDataCell(
                place, state, selected, cellParams.Background, cellParams.FontColor);
            if (highlight.highlighted) {
                cellParams.State.Include(gdSelected);
                cellParams.Background = highlight.background;
                cellParams.FontColor = highlight.fontColor;
            }
            if (d_->defaultDrawing && !rect.isEmpty())
                DrawDataCellContent(painter, box, *column);
            DataCellDrawn(rect, dataCol, column, cellParams.State);
        });
    }
    if (d_->defaultDrawing && state.Contains(gdFocused) && grid_.hasFocus() && !d_->options.Contains(dgRowSelect)
        && Style().DrawFocusFrame())
        DrawFocusRect(painter, rect);
}

void TCustomDBGridEh::Painter::GetDataCellParams(TColumnEh* column, int gridCol, int gridRow, TGridDrawState state)
{
    TColCellParamsEh& params = cellParams;
    params.State = state;
    params.Font = column->Font();
    params.FontColor = clWindowText;
    params.Alignment = column->Alignment();
    params.Background = column->Color();
    params.Text = column->ColumnDisplayText();
    params.ImageIndex = -1;
    params.CheckboxState = column->CheckboxState();
    params.Col = gridCol;
    params.Row = gridRow;
    if (d_->events.OnGetCellParams)
        d_->events.OnGetCellParams(grid_, column, params.Font, params.Background, params.State);
    if (column->OnGetCellParams)
        column->OnGetCellParams(*column, false, params);
}

void TCustomDBGridEh::Painter::DrawDataCellContent(QPainter& painter, const CellBox& box, const TColumnEh& column)
{
    const QRect& rect = box.inner;
    SetPainterFont(painter, cellParams.Font);
    if (column.ColumnKind() == TColumnEhKind::Checkbox) {
        painter.fillRect(rect, ToQColor(cellParams.Background));
        DrawCheckboxCell(painter, rect, cellParams.CheckboxState);
        return;
    }
    // The last visible pixel column of a clipped column may take the text's overhang.
    const bool toColumnEdge = columnClipped && rect.left() + rect.width() == box.outer.left() + box.outer.width();
    WriteCellText(painter, rect, box.offset, box.offset, cellParams.Alignment, column.EndEllipsis(),
                  column.WordWrap() && d_->multiLineRows, QString::fromStdString(cellParams.Text),
                  ToQColor(cellParams.Background), ToQColor(cellParams.FontColor), toColumnEdge);
}

void TCustomDBGridEh::Painter::DrawCheckboxCell(QPainter& painter, const QRect& rect, TCheckBoxState checkboxState)
{
    QStyleOptionButton option;
    const int boxWidth = grid_.style()->pixelMetric(QStyle::PM_IndicatorWidth);
    const int boxHeight = grid_.style()->pixelMetric(QStyle::PM_IndicatorHeight);
    QRect boxRect(rect.x() + rect.width() / 2 - boxWidth / 2, rect.y() + rect.height() / 2 - boxHeight / 2,
                  boxWidth, boxHeight);
    if (rect.width() < boxWidth) {
        boxRect.setLeft(rect.left());
        boxRect.setWidth(rect.width());
    }
    if (rect.height() < boxHeight) {
        boxRect.setTop(rect.top());
        boxRect.setHeight(rect.height());
    }
    const int side = std::min(boxRect.width(), boxRect.height());
    option.rect = QRect(boxRect.x() + (boxRect.width() - side) / 2, boxRect.y() + (boxRect.height() - side) / 2,
                        side, side);
    option.state = QStyle::State_Enabled;
    switch (checkboxState) {
    case TCheckBoxState::cbGrayed:
        option.state |= QStyle::State_NoChange;
        break;
    case TCheckBoxState::cbChecked:
        option.state |= QStyle::State_On;
        break;
    case TCheckBoxState::cbUnchecked:
        option.state |= QStyle::State_Off;
        break;
    }
    grid_.style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, &grid_);
}

void TCustomDBGridEh::Painter::DataCellDrawn(const QRect& rect, int dataCol, TColumnEh* column, TGridDrawState state)
{
    if (d_->events.OnDrawDataCell && !d_->columns->ColumnsArePersistent())
        d_->events.OnDrawDataCell(grid_, rect, column->Field(), state);
    if (d_->events.OnDrawColumnCell)
        d_->events.OnDrawColumnCell(grid_, rect, dataCol, column, state);
}

void TCustomDBGridEh::Painter::Draw3DFrame(QPainter& painter, const QRect& rect, bool sunken) const
{
    if (rect.width() < 1 || rect.height() < 1)
        return;
    // The inner edge of the system's edge drawing: raised is highlight over shadow,
    // sunken the dark shadow over the 3D light (not the raised colours swapped).
    const QColor topLeft = ToQColor(sunken ? cl3DDkShadow : clBtnHighlight);
    const QColor bottomRight = ToQColor(sunken ? cl3DLight : clBtnShadow);
    const int left = rect.left();
    const int top = rect.top();
    const int right = rect.left() + rect.width() - 1;
    const int bottom = rect.top() + rect.height() - 1;
    painter.fillRect(QRect(left, top, rect.width() - 1, 1), topLeft);
    painter.fillRect(QRect(left, top, 1, rect.height() - 1), topLeft);
    painter.fillRect(QRect(left, bottom, rect.width(), 1), bottomRight);
    painter.fillRect(QRect(right, top, 1, rect.height()), bottomRight);
}

bool TCustomDBGridEh::Painter::CellHas3DFrame(int gridCol, int gridRow, TGridDrawState state) const
{
    const bool indicator = gridCol < d_->indicatorColumns;
    const bool title = gridRow < d_->titleRows;
    if (state.Contains(gdFixed)) {
        if (indicator || title)
            return d_->optionsEh.Contains(dghFixed3D);
        return d_->optionsEh.Contains(dghFrozen3D);
    }
    return d_->optionsEh.Contains(dghData3D);
}

TCellTypeEh TCustomDBGridEh::Painter::GetCellType(int gridCol, int gridRow) const
{
    TCellTypeEh type;
    type.dataCol = grid_.ToDataColumn(gridCol);
    type.inDataColumn = type.dataCol >= 0;
    if (gridRow < d_->titleRows) {
        type.area = TCellAreaEh::Title;
        type.areaRow = gridRow;
    } else {
        type.area = TCellAreaEh::Data;
        type.areaRow = gridRow - d_->titleRows;
    }
    return type;
}

bool TCustomDBGridEh::FocusInGrid() const
{
    return hasFocus() || (InplaceEditor() && InplaceEditor()->hasFocus());
}

}  // namespace qelvor
