// Painting of the browse form's grid, checked in rendered images: text placement,
// titles (pressed look, sort glyphs and numbers), the indicator arrow, the closed
// dataset and the current cell's highlight.
#include <cmath>

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

#include "runtime/Exceptions.h"
#include "grid/GridResources.h"
#include "platform/ExceptionDispatch.h"
#include "tests/grid/support/GridFixture.h"

namespace qelvor::test {
namespace {

class GridPainting : public PaintedGridFixture {
protected:
    // The ink of `text` drawn alone at (x, baseline) in the design font on `size`.
    QRect ReferenceInk(const QString& text, int x, int top, QSize size) const
    {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(DesignFont());
        painter.setPen(Qt::black);
        painter.drawText(x, top + TextAscent(DesignFont()), text);
        painter.end();
        const QRect all(QPoint(0, 0), size);
        const QRgb white = qRgb(255, 255, 255);
        return QRect(QPoint(FirstInkColumn(image, all, white), FirstInkRow(image, all, white)),
                     QPoint(LastInkColumn(image, all, white), 0));
    }
    QString CellText(int row, int column) const
    {
        return QString::fromStdString(AnswerSheetValue(row, column).ToString());
    }
    void MarkColumns(std::initializer_list<int> dataCols)
    {
        for (int dataCol : dataCols)
            grid->Columns()[dataCol]->Title()->SetSortMarker(smDownEh);
    }
};

TEST_F(GridPainting, LeftAlignedTextStartsTwoPixelsIn)
{
    const QImage image = Render();
    const QRect cell = Cell(1, 3);
    const QRect reference = ReferenceInk(CellText(2, 0), 2, 2, cell.size());
    EXPECT_EQ(FirstInkColumn(image, cell, Base()) - cell.left(), reference.left());
    EXPECT_EQ(FirstInkRow(image, cell, Base()) - cell.top(), reference.top());
}

TEST_F(GridPainting, RightAlignedTextEndsThreePixelsFromTheEdge)
{
    const QImage image = Render();
    const QRect cell = Cell(6, 3);
    ASSERT_EQ(grid->Columns()[5]->Alignment(), TAlignment::taRightJustify);
    const QString text = CellText(2, 5);
    const int x = cell.width() - QFontMetrics(DesignFont()).horizontalAdvance(text) - 3;
    const QRect reference = ReferenceInk(text, x, 2, cell.size());
    EXPECT_EQ(LastInkColumn(image, cell, Base()) - cell.left(), reference.right());
}

TEST_F(GridPainting, PressedTitleMovesByOnePixelAndLooksSunken)
{
    const QRect inner = Inner(1, 0);
    const QImage up = Render();
    grid->PressTitle(1, true);
    const QImage down = Render();
    EXPECT_EQ(FirstInkColumn(down, inner, Face()), FirstInkColumn(up, inner, Face()) + 1);
    EXPECT_EQ(FirstInkRow(down, inner, Face()), FirstInkRow(up, inner, Face()) + 1);
    const QRect cell = Cell(1, 0);
    // Raised: highlight over shadow. Sunken: dark shadow over the 3D light, which the
    // palette keeps apart from the raised colours.
    ASSERT_NE(ToQColor(cl3DDkShadow), ToQColor(clBtnShadow));
    ASSERT_NE(ToQColor(cl3DLight), ToQColor(clBtnHighlight));
    EXPECT_EQ(up.pixel(cell.topLeft()), ToQColor(clBtnHighlight).rgb());
    EXPECT_EQ(up.pixel(cell.bottomRight()), ToQColor(clBtnShadow).rgb());
    EXPECT_EQ(down.pixel(cell.topLeft()), ToQColor(cl3DDkShadow).rgb());
    EXPECT_EQ(down.pixel(cell.bottomRight()), ToQColor(cl3DLight).rgb());
    // The corners off the diagonal belong to the bottom and right edges.
    EXPECT_EQ(down.pixel(cell.topRight()), ToQColor(cl3DLight).rgb());
    EXPECT_EQ(down.pixel(cell.bottomLeft()), ToQColor(cl3DLight).rgb());
    // A press that left the cell draws the title up again.
    grid->PressTitle(1, false);
    EXPECT_EQ(Render().pixel(cell.topLeft()), ToQColor(clBtnHighlight).rgb());
}

TEST_F(GridPainting, SortGlyphAndNumberPositions)
{
    const QRect inner = Inner(4, 0);
    const int right = inner.left() + inner.width();
    const int top = (inner.top() + inner.top() + inner.height() - 9) / 2;
    MarkColumns({3});
    QImage image = Render();
    EXPECT_TRUE(GlyphAt(image, QPoint(right - 12, top), 0));
    // One marked column: no number right of the glyph.
    EXPECT_FALSE(AnyPixelOtherThan(image, QRect(right - 2, inner.top(), 2, inner.height()), Face()));

    MarkColumns({4});
    grid->Columns()[3]->Title()->SetSortMarker(smUpEh);
    image = Render();
    const int numberWidth = QFontMetrics(SortNumberFont()).horizontalAdvance(QStringLiteral("1"));
    EXPECT_TRUE(GlyphAt(image, QPoint(right - 12 - numberWidth, top), 1));
    const QRect number(right - numberWidth - 2, inner.top(), numberWidth, inner.height());
    EXPECT_TRUE(AnyPixelOtherThan(image, number, Face()));
    EXPECT_EQ(SortNumberFontPixelSize(), 8);
}

TEST_F(GridPainting, NarrowTitleDropsTheGlyph)
{
    grid->Columns()[3]->Title()->SetCaption(" ");
    MarkColumns({3});
    grid->Columns()[3]->SetWidth(40);
    const QRect wide = Inner(4, 0);
    EXPECT_TRUE(AnyPixelOtherThan(Render(), wide, Face()));
    grid->Columns()[3]->SetWidth(16);
    const QRect narrow = Inner(4, 0);
    ASSERT_LT(narrow.width(), 16);
    EXPECT_FALSE(AnyPixelOtherThan(Render(), narrow, Face()));
    // With two marked columns the number survives as long as it fits.
    MarkColumns({4});
    EXPECT_TRUE(AnyPixelOtherThan(Render(), Inner(4, 0), Face()));
}

TEST_F(GridPainting, IndicatorArrowFollowsTheCurrentRecord)
{
    QImage image = Render();
    EXPECT_TRUE(AnyPixelOtherThan(image, Inner(0, 1), Face()));
    EXPECT_FALSE(AnyPixelOtherThan(image, Inner(0, 2), Face()));
    dataSet->MoveBy(2);
    image = Render();
    EXPECT_FALSE(AnyPixelOtherThan(image, Inner(0, 1), Face()));
    EXPECT_TRUE(AnyPixelOtherThan(image, Inner(0, 3), Face()));
    // The arrow ends one pixel left of the inner edge and is centred vertically.
    const QRect inner = Inner(0, 3);
    const QImage& arrow = IndicatorImages()->Image(0);
    EXPECT_EQ(LastInkColumn(image, inner, Face()), inner.left() + inner.width() - 1 - 1 - (arrow.width() - 1 - 4));
}

// Whether `rect` of `image` holds a pixel of exactly `color`.
bool AnyPixelOf(const QImage& image, const QRect& rect, QRgb color)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFFu) == (color & 0xFFFFFFu))
                return true;
    return false;
}

TEST_F(GridPainting, OnADarkPaletteTheArrowTakesTheTextColour)
{
    const QPalette saved = QApplication::palette();
    QPalette dark(Qt::white, Qt::black);
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        dark.setColor(role, Qt::black);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, Qt::white);
    QApplication::setPalette(dark);
    const QImage image = Render();
    QApplication::setPalette(saved);
    const QRgb white = qRgb(255, 255, 255);
    ASSERT_EQ(image.pixel(Inner(0, 1).topLeft()) & 0xFFFFFFu, 0u) << "the fixed cells follow the palette";
    EXPECT_TRUE(AnyPixelOf(image, Inner(0, 1), white)) << "the current record's arrow";
    EXPECT_FALSE(AnyPixelOf(image, Inner(0, 2), white));
}

TEST_F(GridPainting, ClosedDatasetPicture)
{
    dataSet->Close();
    const QImage image = Render();
    EXPECT_FALSE(AnyPixelOtherThan(image, Inner(0, 1), Face()));
    for (int col = 1; col <= 7; ++col)
        EXPECT_FALSE(AnyPixelOtherThan(image, Cell(col, 1), Base())) << "column " << col;
    EXPECT_TRUE(AnyPixelOtherThan(image, Inner(1, 0), Face()));
    const QRect row = Cell(7, 1);
    const int gridRight = row.left() + row.width() + 1;
    EXPECT_FALSE(AnyPixelOtherThan(image, QRect(gridRight, 0, grid->ClientWidth() - gridRight, 5), Base()));
    const int gridBottom = row.top() + row.height() + 1;
    EXPECT_FALSE(AnyPixelOtherThan(image, QRect(0, gridBottom, grid->ClientWidth(), 5), Base()));
    // Data lines are silver, fixed lines black.
    EXPECT_EQ(image.pixel(row.left() - 1, row.top() + 2), ToQColor(clSilver).rgb());
    EXPECT_EQ(image.pixel(Cell(1, 0).left() - 1, 2), ToQColor(clBlack).rgb());
}

TEST_F(GridPainting, HighlightFollowsTheFocus)
{
    auto* edit = new QLineEdit(host.get());
    edit->setGeometry(0, grid->height(), 50, 20);
    edit->show();
    host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
    grid->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(grid->hasFocus());
    const QRect current = Cell(1, 1);
    const QPoint blank(current.right() - 3, current.bottom() - 2);
    QImage image = Render();
    EXPECT_EQ(image.pixel(blank), ToQColor(clHighlight).rgb());
    const QRect neighbour = Cell(2, 1);
    EXPECT_EQ(image.pixel(neighbour.right() - 3, neighbour.bottom() - 2), Base());
    // The focus rectangle inverts every other border pixel on the client's checkerboard
    // (x + y even), whatever the cell's own position.
    const QRgb highlight = ToQColor(clHighlight).rgb();
    const QRgb inverted = qRgb(255 - qRed(highlight), 255 - qGreen(highlight), 255 - qBlue(highlight));
    auto expectDot = [&](int x, int y) {
        EXPECT_EQ(image.pixel(x, y) & 0xFFFFFFu, ((x + y) % 2 == 0 ? inverted : highlight) & 0xFFFFFFu)
            << "at " << x << ", " << y;
    };
    for (int x = current.left(); x <= current.right(); ++x) {
        expectDot(x, current.top());
        expectDot(x, current.bottom());
    }
    for (int y = current.top() + 1; y < current.bottom(); ++y)
        expectDot(current.left(), y);

    edit->setFocus();
    QApplication::processEvents();
    image = Render();
    EXPECT_EQ(image.pixel(blank), Base());
    EXPECT_EQ(image.pixel(current.topLeft()), Base());
    EXPECT_EQ(image.pixel(current.left() + 1, current.top()), Base());
}

TEST_F(GridPainting, TheLastRowsLinesMeetTheIndicatorsBorder)
{
    const QImage image = Render();
    // Where the indicator column's right border crosses a row's bottom line: the same
    // dark line colour for every row, the last one included.
    auto corner = [&](int gridRow) {
        const QRect cell = Cell(0, gridRow);
        return image.pixel(cell.right() + 1, cell.bottom() + 1) & 0xFFFFFFu;
    };
    const QRgb line = ToQColor(clBlack).rgb() & 0xFFFFFFu;
    for (int gridRow = 1; gridRow <= 10; ++gridRow)
        EXPECT_EQ(corner(gridRow), line) << "row " << gridRow;
}

// Lines are one device-independent pixel. At a fractional scale each covers one or two
// device pixels; every one must still show, in the scrollable cells (silver) and along
// the titles and the indicator column (black). Rendered at the scale factors a desktop
// offers, and at the one the test runs under (QT_SCALE_FACTOR), also through the window.
TEST_F(GridPainting, EveryGridLineShowsAtFractionalScales)
{
    const QRgb silver = ToQColor(clSilver).rgb() & 0xFFFFFFu;
    const QRgb black = ToQColor(clBlack).rgb() & 0xFFFFFFu;
    // True when some device row (or column) whose centre lies in [from, from + 1) of
    // the logical axis shows `colour` at the other axis' logical position `across`.
    const auto lineShows = [](const QImage& image, qreal scale, bool horizontal, int from, int across, QRgb colour) {
        const int first = static_cast<int>(std::ceil(from * scale - 0.5));
        const int last = static_cast<int>(std::ceil((from + 1) * scale - 0.5)) - 1;
        const int other = static_cast<int>((across + 0.5) * scale);
        for (int device = first; device <= last; ++device) {
            const QRgb pixel = horizontal ? image.pixel(other, device) : image.pixel(device, other);
            if ((pixel & 0xFFFFFFu) == colour)
                return true;
        }
        return false;
    };
    std::vector<qreal> scales = {1.0, 1.25, 1.5, 1.75};
    if (grid->devicePixelRatioF() != 1.0)
        scales.push_back(grid->devicePixelRatioF());
    for (const qreal scale : scales) {
        SCOPED_TRACE(scale);
        QImage image(grid->viewport()->size() * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::magenta);
        grid->viewport()->render(&image);
        const int middleOfNameCells = Cell(3, 0).center().x();
        for (int gridRow = 0; gridRow <= 10; ++gridRow) {
            const int line = Cell(1, gridRow).bottom() + 1;
            EXPECT_TRUE(lineShows(image, scale, true, line, middleOfNameCells, gridRow == 0 ? black : silver))
                << "the line below row " << gridRow;
            EXPECT_TRUE(lineShows(image, scale, true, line, Cell(0, 0).center().x(), black))
                << "the indicator's line below row " << gridRow;
        }
        const int middleOfThirdRow = Cell(1, 3).center().y();
        for (int gridCol = 0; gridCol <= 5; ++gridCol) {
            const int line = Cell(gridCol, 1).right() + 1;
            EXPECT_TRUE(lineShows(image, scale, false, line, middleOfThirdRow, gridCol == 0 ? black : silver))
                << "the line right of column " << gridCol;
        }
    }
    // On screen, as the window's backing store holds it at the scale the test runs under.
    if (grid->devicePixelRatioF() != 1.0) {
        const QImage shown = grid->viewport()->grab().toImage();
        const qreal scale = shown.devicePixelRatio();
        for (int gridRow = 1; gridRow <= 10; ++gridRow)
            EXPECT_TRUE(lineShows(shown, scale, true, Cell(1, gridRow).bottom() + 1, Cell(3, 0).center().x(), silver))
                << "on screen, the line below row " << gridRow;
    }
}

TEST_F(GridPainting, APartialRepaintDrawsWhatAFullOneDraws)
{
    const QImage full = Render();
    // Areas whose edges cut through cells and grid lines, the grid's last row and column included.
    const QRect lastIndicator = Cell(0, 10);
    for (const QRect& area : {Cell(2, 4).adjusted(-3, -2, 5, 4), QRect(0, 0, 40, 30),
                              QRect(lastIndicator.left(), lastIndicator.top() - 5, 30, lastIndicator.height() + 7)}) {
        QImage part = full.copy();
        part.fill(Qt::magenta);
        grid->viewport()->render(&part, area.topLeft(), QRegion(area));
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                ASSERT_EQ(part.pixel(x, y), full.pixel(x, y))
                    << "(" << x << "," << y << ") of " << area.x() << "," << area.y();
    }
}

TEST_F(GridPainting, PaintingRestoresTheActiveRecordAlsoOnFailure)
{
    dataSet->MoveBy(4);
    const int active = dataSet->ActiveRecord();
    (void)Render();
    EXPECT_EQ(dataSet->ActiveRecord(), active);

    std::vector<std::string> reported;
    ErrorPresenter previous = SetErrorPresenter([&](const std::string&, const std::string& text) {
        reported.push_back(text);
    });
    auto failing = std::make_unique<GridTestDataSet>(
        AnswerSheetFieldDefs(), 40,
        [](int row, int column) -> Variant {
            if (row == 6)
                throw EDatabaseError("cannot read row");
            return AnswerSheetValue(row, column);
        },
        "Failing");
    dataSource->SetDataSet(failing.get());
    failing->Open();
    failing->MoveBy(2);
    (void)Render();
    EXPECT_TRUE(reported.empty());  // never from inside the paint
    QApplication::processEvents();
    SetErrorPresenter(std::move(previous));
    EXPECT_EQ(reported.size(), 1u);
    EXPECT_EQ(failing->ActiveRecord(), 2);
    dataSource->SetDataSet(nullptr);
}

}  // namespace
}  // namespace qelvor::test
