// The browse form's grid after a search, checked in a rendered picture: with the
// design font's metrics every admission ticket number shows whole inside its 107-pixel
// column with room to spare, the name column takes its computed width, and the
// column lines stand where the stored widths put them.
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include "BrowseTestSupport.h"
#include "browse/QELVOR_Unit.h"
#include "data/ADODataSet.h"
#include "data/Field.h"
#include "grid/DBGridEh.h"
#include "platform/Buttons.h"
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
        painter.drawText(dx, 2 + QFontMetrics(font).ascent(), text);
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

}  // namespace
}  // namespace qelvor
