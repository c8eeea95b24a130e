// DBGridEhPainter: one paint of the data grid — the lines of each region in one batch
// per direction, then the cells column by column (indicator, titles through the title
// row, data cells with their parameters and events), 3D frames and the focus frame.
// The grid's Paint makes a painter on its stack and it goes when Paint returns, so that
// no paint leaves scratch state behind for the next. Only DBGridEhPainting.cpp and the
// grid's own files include this header.
#pragma once

#include <functional>

#include <QPainter>
#include <QRect>
#include <QRegion>

#include "grid/ColCellParamsEh.h"
#include "grid/DBGridEh.h"
#include "grid/DBGridEhPrivate.h"

namespace qelvor {

// Where a cell lies, as painting and input see it.
enum class TCellAreaEh { Title, Filter, Data, FooterSeparator, Footer };
struct TCellTypeEh {
    bool inDataColumn = false;  // the cell is in a data column (not the indicator)
    int dataCol = -1;           // its index in Columns(); -1 in the indicator column
    TCellAreaEh area = TCellAreaEh::Data;  // the band of rows the cell is in
    int areaRow = 0;            // its row counted from the start of that band
};

// One cell: outer rectangle, inner rectangle (inside a 3D frame) and text offset.
struct TCellBoxEh {
    QRect outer;     // the whole cell
    QRect inner;     // the cell inside its 3D frame (the whole cell without one)
    int offset = 2;  // horizontal text offset from the inner rectangle's edges
};


class TCustomDBGridEh::Painter {
public:
    Painter(TCustomDBGridEh& grid, QPainter& painter) : target(painter), grid_(grid), d_(grid.d_.get()) {}
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    // Paints the whole client area (clip = the region to repaint).
    void Paint(const QRegion& clip);
    // One cell (the grid's DrawCell during this paint).
    void DrawCell(int col, int row, const QRect& rect, TGridDrawState state);

    QPainter& target;             // the painter of this paint
    bool columnClipped = false;   // the painter clips to the column being painted
    TColCellParamsEh cellParams;  // reused for every data cell painted

private:
    using CellBox = TCellBoxEh;
    // Lines of one region in one batch per direction, as far as they cross `limit`.
    void PaintLines(QPainter& painter, const QRect& area, const QRect& limit, int firstCol, int lastCol,
                    int firstRow, int lastRow, bool fixedRegion, const TGridDrawInfo& info);
    // Cells of one region, clipped column by column.
    void PaintCells(const QRegion& clip, int firstCol, int lastCol, int firstRow,
                    int lastRow, bool fixedRegion, const TGridDrawInfo& info);
    // A Draw...Cell returns true when the cell was drawn as a highlighted (sunken) fixed cell.
    bool DrawIndicatorCell(QPainter& painter, int gridRow, const CellBox& box);
    void DrawDataCell(QPainter& painter, int gridCol, int gridRow, const CellBox& box, TGridDrawState state);
    // Fills the cell parameters for the current record; the paint events may change them.
    void GetDataCellParams(TColumnEh* column, int gridCol, int gridRow, TGridDrawState state);
    // The default drawing of a data cell from the cell parameters.
    void DrawDataCellContent(QPainter& painter, const CellBox& box, const TColumnEh& column);
    void DrawCheckboxCell(QPainter& painter, const QRect& rect, TCheckBoxState checkboxState);
    // Raises OnDrawDataCell and OnDrawColumnCell for a drawn data cell.
    void DataCellDrawn(const QRect& rect, int dataCol, TColumnEh* column, TGridDrawState state);
    void Draw3DFrame(QPainter& painter, const QRect& rect, bool sunken) const;
    // Whether the options give this cell a raised or sunken frame.
    bool CellHas3DFrame(int gridCol, int gridRow, TGridDrawState state) const;
    // Which area a cell belongs to (title, data ...) and its data column.
    TCellTypeEh GetCellType(int gridCol, int gridRow) const;
    // Runs `paint` with window record `dataRow` made the link's active record.
    void PaintingCellOf(int dataRow, const std::function<void()>& paint);

    TCustomDBGridEh& grid_;  // the grid being painted
    Private* d_;  // its state
};

}  // namespace qelvor
