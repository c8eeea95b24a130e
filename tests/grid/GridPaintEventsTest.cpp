// The grid's paint events, checked in rendered images: cell parameters changed before
// the default drawing, the draw events after it (with the cell each one is raised for),
// and the title button parameters that decide a title's background, glyph and font.
#include <map>
#include <set>
#include <utility>
#include <vector>

#include <QPainter>

#include "data/Field.h"
#include "grid/GridResources.h"
#include "tests/grid/support/GridFixture.h"

namespace qelvor::test {
namespace {

class GridPaintEvents : public PaintedGridFixture {
protected:
    QRgb Yellow() const { return ToQColor(clYellow).rgb(); }
    // Grid rows showing a record of the window.
    int ShownDataRows() const { return grid->DataLink().RecordCount(); }
};

TEST_F(GridPaintEvents, CellParamsChangeBackgroundTextAndAlignment)
{
    std::vector<TColor> seenByColumn;
    grid->Events().OnGetCellParams = [&](TCustomDBGridEh&, TColumnEh* column, QFont&, TColor& background, TGridDrawState) {
        if (column->Index() == 1)
            background = clYellow;
    };
    grid->Columns()[1]->OnGetCellParams = [&](TColumnEh&, bool editMode, TColCellParamsEh& params) {
        EXPECT_FALSE(editMode);
        EXPECT_EQ(params.Col, grid->ToGridColumn(1));
        seenByColumn.push_back(params.Background);
        if (params.Row == 3) {
            params.Text = "W";
            params.Alignment = TAlignment::taRightJustify;
        }
    };
    const QImage image = Render();
    // The column's event runs after the grid's and sees its background.
    ASSERT_FALSE(seenByColumn.empty());
    for (TColor background : seenByColumn)
        EXPECT_EQ(background, clYellow);
    const QRect changed = Cell(2, 3);
    EXPECT_EQ(image.pixel(changed.topLeft()), Yellow());
    EXPECT_EQ(image.pixel(Cell(2, 4).topLeft()), Yellow());
    EXPECT_EQ(image.pixel(Cell(1, 3).topLeft()), Base());
    // The replaced text, right-aligned: a single narrow glyph ending 3 pixels in from the right.
    const int first = FirstInkColumn(image, changed, Yellow());
    const int last = LastInkColumn(image, changed, Yellow());
    ASSERT_GE(first, 0);
    const int advance = QFontMetrics(DesignFont()).horizontalAdvance(QStringLiteral("W"));
    EXPECT_GT(first, changed.left() + changed.width() - advance - 6);
    EXPECT_LE(last, changed.left() + changed.width() - 3);
    // A row the handler left alone keeps the record's text, from the left.
    EXPECT_LT(FirstInkColumn(image, Cell(2, 4), Yellow()), changed.left() + 6);
}

TEST_F(GridPaintEvents, CellParamsFontReachesTheText)
{
    const QRect cell = Cell(1, 3);
    const int plainEnd = LastInkColumn(Render(), cell, Base());
    grid->Columns()[0]->OnGetCellParams = [](TColumnEh&, bool, TColCellParamsEh& params) {
        params.Font.setPixelSize(params.Font.pixelSize() > 0 ? params.Font.pixelSize() / 2 : 6);
        params.FontColor = clRed;
    };
    const QImage image = Render();
    // The half-size font writes the ticket in about half the width; the colour is the
    // handler's (smoothed glyph edges: reddish, not pure red).
    const int start = FirstInkColumn(image, cell, Base());
    EXPECT_LT(LastInkColumn(image, cell, Base()) - start, (plainEnd - start) * 2 / 3);
    bool red = false;
    for (int y = cell.top(); y <= cell.bottom() && !red; ++y)
        for (int x = cell.left(); x <= cell.right() && !red; ++x)
            red = qRed(image.pixel(x, y)) > qGreen(image.pixel(x, y)) + 64;
    EXPECT_TRUE(red);
}

TEST_F(GridPaintEvents, DrawColumnCellReportsEachPaintedCellOnceAfterTheDefaultDrawing)
{
    std::map<std::pair<int, int>, int> calls;
    grid->Events().OnDrawColumnCell = [&](TCustomDBGridEh& sender, const QRect& rect, int dataCol, TColumnEh* column,
                                 TGridDrawState state) {
        EXPECT_EQ(column, grid->Columns()[dataCol]);
        EXPECT_FALSE(state.Contains(gdFixed));
        int gridRow = -1;
        for (int row = grid->TitleRows(); row < grid->RowCount(); ++row)
            if (Cell(grid->ToGridColumn(dataCol), row) == rect)
                gridRow = row;
        ASSERT_GE(gridRow, 0) << "no cell has the rect of data column " << dataCol;
        ++calls[{dataCol, gridRow}];
        // The record being painted is the one the row shows.
        EXPECT_EQ(column->Field()->AsString(),
                  AnswerSheetValue(gridRow - grid->TitleRows(), dataCol).ToString());
        if (dataCol == 2) {
            ASSERT_NE(sender.Canvas(), nullptr);
            sender.Canvas()->fillRect(rect, ToQColor(clYellow));
        }
    };
    const QImage image = Render();
    for (int dataCol = 0; dataCol < grid->Columns().Count(); ++dataCol) {
        if (Cell(grid->ToGridColumn(dataCol), 1).right() >= image.width() || grid->ColWidths(grid->ToGridColumn(dataCol)) <= 0)
            continue;
        for (int row = grid->TitleRows(); row < grid->TitleRows() + ShownDataRows(); ++row) {
            if (Cell(grid->ToGridColumn(dataCol), row).top() >= image.height())
                continue;
            EXPECT_EQ((calls[{dataCol, row}]), 1) << "column " << dataCol << " row " << row;
        }
    }
    // What the handler drew stays: the event comes after the default drawing.
    EXPECT_FALSE(AnyPixelOtherThan(image, Cell(3, 4), Yellow()));
    EXPECT_TRUE(AnyPixelOtherThan(image, Cell(2, 4), Base()));
}

TEST_F(GridPaintEvents, DrawDataCellOnlyForGeneratedColumns)
{
    int persistentCalls = 0;
    grid->Events().OnDrawDataCell = [&](TCustomDBGridEh&, const QRect&, TField*, TGridDrawState) { ++persistentCalls; };
    Render();
    EXPECT_EQ(persistentCalls, 0);

    std::set<const TField*> fields;
    grid->Events().OnDrawDataCell = [&](TCustomDBGridEh&, const QRect&, TField* field, TGridDrawState) { fields.insert(field); };
    grid->Columns().Clear();
    ASSERT_GT(grid->Columns().Count(), 0);
    ASSERT_FALSE(grid->Columns().ColumnsArePersistent());
    Render();
    EXPECT_TRUE(fields.count(grid->Columns()[0]->Field()));
    EXPECT_FALSE(fields.count(nullptr));
}

TEST_F(GridPaintEvents, UnassignedEventsLeaveThePictureAlone)
{
    const QImage plain = Render();
    grid->Events().OnGetCellParams = [](TCustomDBGridEh&, TColumnEh*, QFont&, TColor&, TGridDrawState) {};
    grid->Columns()[0]->OnGetCellParams = [](TColumnEh&, bool, TColCellParamsEh&) {};
    grid->Events().OnDrawColumnCell = [](TCustomDBGridEh&, const QRect&, int, TColumnEh*, TGridDrawState) {};
    grid->Events().OnGetBtnParams = [](TCustomDBGridEh&, int, TColumnEh*, QFont&, TColor&, TSortMarkerEh&, bool) {};
    EXPECT_EQ(Render(), plain);
}

class TitleButtonParams : public GridPaintEvents {
protected:
    // Top-left corner of the glyph of a title with one marked column.
    QPoint GlyphCorner(int gridCol) const
    {
        const QRect inner = Inner(gridCol, 0);
        return QPoint(inner.left() + inner.width() - 12, (inner.top() + inner.top() + inner.height() - 9) / 2);
    }
};

TEST_F(TitleButtonParams, MarkerChoiceDecidesTheGlyph)
{
    grid->Columns()[3]->Title()->SetSortMarker(smDownEh);
    std::map<int, int> callsPerColumn;
    std::vector<bool> isDown;
    grid->Events().OnGetBtnParams = [&](TCustomDBGridEh&, int aCol, TColumnEh* column, QFont&, TColor&,
                               TSortMarkerEh& marker, bool down) {
        EXPECT_EQ(column, grid->Columns()[grid->ToDataColumn(aCol)]);
        ++callsPerColumn[aCol];
        if (aCol == 4)
            marker = smUpEh;
        if (aCol == 5)
            marker = smDownEh;
        if (aCol == 2)
            isDown.push_back(down);
    };
    grid->PressTitle(2, true);
    const QImage image = Render();
    EXPECT_TRUE(GlyphAt(image, GlyphCorner(4), 1));
    EXPECT_FALSE(GlyphAt(image, GlyphCorner(4), 0));
    EXPECT_TRUE(GlyphAt(image, GlyphCorner(5), 0));
    // The title's own marker is untouched.
    EXPECT_EQ(grid->Columns()[3]->Title()->SortMarker(), smDownEh);
    EXPECT_EQ(grid->Columns()[4]->Title()->SortMarker(), smNoneEh);
    EXPECT_EQ(callsPerColumn[4], 2);
    EXPECT_EQ(isDown, std::vector<bool>({true, true}));

    // Taking a marker away drops the glyph.
    grid->PressTitle(2, false);
    grid->Events().OnGetBtnParams = [](TCustomDBGridEh&, int, TColumnEh*, QFont&, TColor&, TSortMarkerEh& marker, bool) {
        marker = smNoneEh;
    };
    const QRect inner = Inner(4, 0);
    const QRect glyphArea(inner.left() + inner.width() - 16, inner.top(), 16, inner.height());
    EXPECT_FALSE(AnyPixelOtherThan(Render(), glyphArea, Face()));
}

TEST_F(TitleButtonParams, FirstCallGivesTheBackgroundSecondTheCaptionFont)
{
    std::map<int, int> calls;
    QFont big = DesignFont();
    big.setPixelSize(24);
    grid->Events().OnGetBtnParams = [&](TCustomDBGridEh&, int aCol, TColumnEh*, QFont& font, TColor& background,
                               TSortMarkerEh& marker, bool) {
        const bool first = calls[aCol]++ % 2 == 0;
        if (aCol == 1)
            background = first ? clYellow : clRed;
        if (aCol == 2 && first)
            font = big;
        if (aCol == 3 && !first) {
            font = big;
            marker = smUpEh;
        }
    };
    const QImage plain = [&] {
        auto handler = std::move(grid->Events().OnGetBtnParams);
        grid->Events().OnGetBtnParams = nullptr;
        QImage image = Render();
        grid->Events().OnGetBtnParams = std::move(handler);
        return image;
    }();
    const QImage image = Render();
    const QRect yellowTitle = Inner(1, 0);
    EXPECT_EQ(image.pixel(yellowTitle.left(), yellowTitle.bottom()), Yellow());
    EXPECT_FALSE(AnyPixelOtherThan(image, QRect(yellowTitle.left(), yellowTitle.bottom(), yellowTitle.width(), 1), Yellow()));
    // The first call's font is ignored; the second call's font writes the caption,
    // while its marker is not used.
    EXPECT_EQ(image.copy(Cell(2, 0)), plain.copy(Cell(2, 0)));
    EXPECT_NE(image.copy(Cell(3, 0)), plain.copy(Cell(3, 0)));
    EXPECT_FALSE(GlyphAt(image, GlyphCorner(3), 1));
}

TEST_F(TitleButtonParams, NotRaisedForUnboundColumns)
{
    grid->Columns()[6]->SetFieldName("no such field");
    std::set<int> columns;
    grid->Events().OnGetBtnParams = [&](TCustomDBGridEh&, int aCol, TColumnEh*, QFont&, TColor&, TSortMarkerEh&, bool) {
        columns.insert(aCol);
    };
    Render();
    EXPECT_TRUE(columns.count(1));
    EXPECT_FALSE(columns.count(7));
    EXPECT_FALSE(columns.count(0));
}

}  // namespace
}  // namespace qelvor::test
