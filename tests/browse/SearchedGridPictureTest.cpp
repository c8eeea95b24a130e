// The browse form's grid after a search, checked in a rendered picture: with the
// design font's metrics every admission ticket number shows whole inside its 107-pixel
// column with room to spare, the name column takes its computed width, the column
// lines stand where the stored widths put them, rows follow at the design's pitch (a
// 16-pixel title row and 16-pixel data rows, each with its line: 14 data rows in the
// designed size), and no glyph of the first screenful, of the titles or of the labels
// loses ink to its cell's or label's edge.
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include "BrowseTestSupport.h"
#include "browse/QELVOR_Unit.h"
#include "data/ADODataSet.h"
#include "data/Field.h"
#include "grid/ColumnTitleEh.h"
#include "grid/DBGridEh.h"
#include "platform/Buttons.h"
#include "platform/DesignFont.h"
#include "platform/TextControls.h"
#include "session/StandardInfo.h"

namespace qelvor {
namespace {

constexpr int kTicketColumnWidth = 107;
constexpr int kTicketDigits = 15;

// First and last pixel column in `rect` that differs from `background`; {-1, -1} when none.
std::pair<int, int> InkColumns(const QImage& image, const QRect& rect, QRgb background)
{
    int first = -1, last = -1;
    for (int x = rect.left(); x <= rect.right(); ++x)
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            if (image.pixel(x, y) != background) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

class SearchedGridPictureTest : public testing::Test {
protected:
    SearchedGridPictureTest() : database_(300) {}
    ~SearchedGridPictureTest() override { HostConnection = nullptr; }

    // Shows the form, searches the first `count` tickets and renders the grid's cells.
    QImage SearchAndRender(int count)
    {
        HostConnection = database_.connection.get();
        form_ = std::make_unique<TQELVOR_Form>();
        form_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        const std::string first = database_.Scalar("select min(zkzh) from t_omr");
        const std::string last =
            database_.Scalar("select zkzh from t_omr order by zkzh limit 1 offset " + std::to_string(count - 1));
        form_->Edit1->setText(QString::fromStdString(first));
        form_->Edit2->setText(QString::fromStdString(last));
        form_->BitBtn1->click();
        EXPECT_TRUE(errors_.texts.empty()) << errors_.texts.front();
        EXPECT_EQ(form_->QELV_Set->RecordCount(), count);
        QWidget* cells = form_->DBGridEh1->viewport();
        QImage image(cells->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        cells->render(&image);
        return image;
    }

    // The ink columns of `text` drawn alone in the grid's font, `dx` pixels in.
    std::pair<int, int> ReferenceInk(const QString& text, int dx) const
    {
        const QFont font = form_->DBGridEh1->font();
        QImage image(QSize(4 * kTicketColumnWidth, 40), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(dx, 2 + TextAscent(font), text);
        painter.end();
        return InkColumns(image, image.rect(), qRgb(255, 255, 255));
    }

    test::TestDatabase database_;
    test::ErrorRecorder errors_;
    std::unique_ptr<TQELVOR_Form> form_;
};

TEST_F(SearchedGridPictureTest, EveryTicketShowsWholeWithRoomToSpare)
{
    const QImage image = SearchAndRender(8);
    TDBGridEh& grid = *form_->DBGridEh1;
    TADODataSet& set = *form_->QELV_Set;
    set.First();
    for (int row = grid.TitleRows(); row < grid.TitleRows() + set.RecordCount(); ++row, set.Next()) {
        SCOPED_TRACE(row);
        const QString ticket = QString::fromStdString(set.FieldByName("准考证号")->AsString());
        ASSERT_EQ(ticket.size(), kTicketDigits);
        const QRect cell = grid.CellRect(1, row);
        ASSERT_EQ(cell.width(), kTicketColumnWidth);
        // Inside the current cell's focus frame; the padding gives the background.
        const QRect inner = cell.adjusted(1, 1, -1, -1);
        const QRgb base = image.pixel(inner.topLeft());
        // The whole number: the same ink as the text drawn alone, not cut at the edge.
        const auto [first, last] = InkColumns(image, inner, base);
        const auto reference = ReferenceInk(ticket, 2);
        EXPECT_EQ(first - cell.left(), reference.first);
        EXPECT_EQ(last - cell.left(), reference.second);
        // Room for two more digits (12 pixels) between the last ink and the column line.
        EXPECT_GE(cell.right() - last, 12) << "free pixels right of " << ticket.toStdString();
    }
}

TEST_F(SearchedGridPictureTest, ColumnLinesStandWhereTheStoredWidthsPutThem)
{
    const QImage image = SearchAndRender(8);
    TDBGridEh& grid = *form_->DBGridEh1;
    // Half-width characters are half the 12-pixel height: the name column's computed
    // width is 6 pixels per display character plus 4.
    EXPECT_EQ(QFontMetrics(grid.font()).horizontalAdvance(QLatin1Char('0')), 6);
    TColumnEh* name = grid.Columns()[2];
    EXPECT_EQ(name->Width(), 6 * name->Field()->DisplayWidth() + 4);
    const int widths[] = {107, 102, name->Width(), 300, 300, 65, 65};
    // Each cell is followed by a one-pixel line; the indicator column comes first.
    const int top = grid.CellRect(1, grid.TitleRows()).top();
    const int bottom = grid.CellRect(1, grid.TitleRows() + form_->QELV_Set->RecordCount() - 1).bottom();
    int line = grid.ColWidths(0);
    for (int dataCol = 0; dataCol < 7 && line < image.width(); ++dataCol) {
        line += widths[dataCol] + 1;
        if (line >= image.width())
            break;
        SCOPED_TRACE(dataCol);
        const QRgb lineColour = image.pixel(line, top);
        bool wholeLine = true, cellEdgeIsLine = true;
        for (int y = top; y <= bottom; ++y) {
            wholeLine = wholeLine && image.pixel(line, y) == lineColour;
            cellEdgeIsLine = cellEdgeIsLine && image.pixel(line - 1, y) == lineColour;
        }
        EXPECT_TRUE(wholeLine) << "no column line at x " << line;
        EXPECT_FALSE(cellEdgeIsLine) << "the line stands left of x " << line;
        if (dataCol + 2 < grid.ColCount()) {
            EXPECT_EQ(grid.CellRect(dataCol + 2, grid.TitleRows()).left(), line + 1);
        }
    }
}

// First and last pixel row in `rect` that differs from `background`; {-1, -1} when none.
std::pair<int, int> InkRows(const QImage& image, const QRect& rect, QRgb background)
{
    int first = -1, last = -1;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixel(x, y) != background) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return {first, last};
}

// Ink rows of `text` drawn alone in `font` on its baseline `baseline` pixels below row
// 0 of a canvas with room above and below; rows relative to row 0.
std::pair<int, int> FreeInkRows(const QString& text, const QFont& font, int baseline)
{
    constexpr int kRoom = 20;
    QImage image(QSize(QFontMetrics(font).horizontalAdvance(text) + 8, 60), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(2, kRoom + baseline, text);
    painter.end();
    const auto [first, last] = InkRows(image, image.rect(), qRgb(255, 255, 255));
    return {first - kRoom, last - kRoom};
}

TEST_F(SearchedGridPictureTest, FourteenRowsAtTheDesignsPitchAndPgDnMovesFourteen)
{
    const QImage image = SearchAndRender(40);
    TDBGridEh& grid = *form_->DBGridEh1;
    // The title row 16 + its line, each data row 16 + its line.
    EXPECT_EQ(grid.CellRect(1, 0).height(), 16);
    EXPECT_EQ(grid.CellRect(1, 1).top(), 17);
    for (int row = 1; row <= 14; ++row) {
        EXPECT_EQ(grid.CellRect(1, row).height(), 16) << row;
        EXPECT_EQ(grid.CellRect(1, row).top(), 17 * row) << row;
    }
    EXPECT_EQ(grid.VisibleDataRows(), 14);
    // In the picture: a row line every 17 pixels down the ticket column, below the title
    // (a fixed cell's black line) and below each of the 14 whole data rows.
    const int x = grid.CellRect(1, 1).left() + 100;
    const QRgb line = image.pixel(x, 16 + 17);
    for (int row = 1; row <= 14; ++row) {
        const int y = 16 + 17 * row;
        EXPECT_EQ(image.pixel(x, y), line) << "no row line at y " << y;
        EXPECT_NE(image.pixel(x, y - 1), line) << "a line above y " << y;
    }
    EXPECT_NE(image.pixel(x, 16), image.pixel(x, 15)) << "the title row's line";
    EXPECT_LT(16 + 17 * 14, image.height());
    // PgDn moves as many records as there are rows in view.
    form_->activateWindow();
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
    ASSERT_EQ(form_->QELV_Set->RecNo(), 1);
    QTest::keyClick(&grid, Qt::Key_PageDown);
    EXPECT_EQ(form_->QELV_Set->RecNo(), 15);
    QTest::keyClick(&grid, Qt::Key_PageDown);
    EXPECT_EQ(form_->QELV_Set->RecNo(), 29);
}

TEST_F(SearchedGridPictureTest, NoGlyphOfTheFirstScreenfulTheTitlesOrTheLabelsIsCut)
{
    const QImage image = SearchAndRender(40);
    TDBGridEh& grid = *form_->DBGridEh1;
    TADODataSet& set = *form_->QELV_Set;
    const QFont font = grid.font();
    // Data cells: the ink of each value lies inside its cell, and the picture shows all of
    // it (as many ink rows as the value drawn alone has). Row 1 is current (highlighted).
    set.First();
    for (int row = grid.TitleRows(); row < grid.TitleRows() + 14; ++row, set.Next()) {
        for (int dataCol = 0; dataCol < 7; ++dataCol) {
            const QRect cell = grid.CellRect(dataCol + 1, row);
            if (cell.left() >= image.width() - 1 || cell.isEmpty())
                continue;
            SCOPED_TRACE(std::to_string(row) + ", " + std::to_string(dataCol));
            const QString text = QString::fromStdString(grid.Columns()[dataCol]->ColumnDisplayText());
            if (text.isEmpty())
                continue;
            const auto [top, bottom] = FreeInkRows(text, font, 2 + TextAscent(font));
            EXPECT_GE(top, 0) << text.toStdString();
            EXPECT_LE(bottom, cell.height() - 1) << text.toStdString();
            const QRect inner = cell.adjusted(1, 1, -1, -1) & image.rect();
            const auto [shownTop, shownBottom] = InkRows(image, inner, image.pixel(inner.topLeft()));
            EXPECT_EQ(shownTop - cell.top(), top) << text.toStdString();
            EXPECT_EQ(shownBottom - cell.top(), bottom) << text.toStdString();
        }
    }
    // Titles: each caption's ink inside the title's frame, all of it shown.
    const QRgb face = image.pixel(grid.CellRect(1, 0).adjusted(1, 1, -1, -1).bottomRight());
    for (int dataCol = 0; dataCol < 7; ++dataCol) {
        const QRect cell = grid.CellRect(dataCol + 1, 0);
        if (cell.left() >= image.width() - 1 || cell.isEmpty())
            continue;
        SCOPED_TRACE(dataCol);
        const QString caption = QString::fromStdString(grid.Columns()[dataCol]->Title()->Caption());
        const QRect inner = cell.adjusted(1, 1, -1, -1) & image.rect();
        const auto [shownTop, shownBottom] = InkRows(image, inner.adjusted(0, 0, -1, 0), face);
        const auto [top, bottom] = FreeInkRows(caption, grid.TitleFont(), 0);
        ASSERT_GE(shownTop, 0);
        EXPECT_GT(shownTop, inner.top()) << "ink on the frame's row";
        EXPECT_LT(shownBottom, inner.bottom()) << "ink on the frame's row";
        EXPECT_EQ(shownBottom - shownTop, bottom - top) << "rows of ink lost";
    }
    // Labels: 12 pixels high, the caption's ink within them, all of it.
    for (TLabel* label : {form_->Label3, form_->Label4}) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_EQ(label->height(), 12);
        QImage picture(label->size(), QImage::Format_ARGB32_Premultiplied);
        picture.fill(label->palette().color(QPalette::Window));
        label->render(&picture, {}, {}, QWidget::DrawChildren);
        const auto [shownTop, shownBottom] = InkRows(picture, picture.rect(), label->palette().color(QPalette::Window).rgb());
        const auto [top, bottom] = FreeInkRows(label->text(), label->font(), TextAscent(label->font()));
        EXPECT_GE(top, 0);
        EXPECT_LE(bottom, 11);
        EXPECT_EQ(shownTop, top);
        EXPECT_EQ(shownBottom, bottom);
    }
}

}  // namespace
}  // namespace qelvor
