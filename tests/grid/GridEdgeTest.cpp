// Edges of the browse form's grid seen in its pictures and through real input: the
// indicator arrow stays with the current record, a pressed title's glyph and number
// move with it, numbers of two marked titles, text cut at a column's edge, columns
// that must paint nothing, the null check box, a title press that leaves and comes
// back, and keys and presses that must not start a selection.
#include <cstdlib>
#include <utility>
#include <vector>

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include "grid/GridResources.h"
#include "tests/grid/support/InputFixture.h"

namespace qelvor::test {
namespace {

class GridEdges : public InputFixture {
protected:
    // Rows of the indicator column that show the arrow (grid rows 1..10).
    std::vector<int> ArrowRows(const QImage& image) const
    {
        std::vector<int> rows;
        for (int row = 1; row <= 10; ++row)
            if (AnyPixelOtherThan(image, Inner(0, row), Face()))
                rows.push_back(row);
        return rows;
    }
    static QImage Part(const QImage& image, const QRect& rect) { return image.copy(rect); }
};

TEST_F(GridEdges, TheArrowStaysOnTheCurrentRecordWhenTheColumnChangesOrTheFocusLeaves)
{
    dataSet->MoveBy(2);
    EXPECT_EQ(ArrowRows(Render()), std::vector<int>{3});
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    ASSERT_EQ(DataCol(), 2);
    EXPECT_EQ(ArrowRows(Render()), std::vector<int>{3}) << "after the current column moved";
    EXPECT_EQ(ArrowRows(OnScreen(*grid->viewport())), std::vector<int>{3}) << "as the window shows it";
    QLineEdit other(host.get());
    other.setGeometry(600, 0, 20, 10);  // clear of the indicator column
    other.show();
    other.setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(grid->FocusInGrid());
    EXPECT_EQ(ArrowRows(Render()), std::vector<int>{3}) << "after the focus left the grid";
    EXPECT_EQ(ArrowRows(OnScreen(*grid->viewport())), std::vector<int>{3}) << "as the window shows it";
}

// The current cell looks otherwise with the keyboard in the grid than without: the
// window repaints it when the focus leaves and when it comes back.
TEST_F(GridEdges, TheCurrentCellIsRepaintedWhenTheFocusLeavesAndComesBack)
{
    dataSet->MoveBy(2);
    Key(Qt::Key_Right);
    QWidget& view = *grid->viewport();
    // The data rows: the control that takes the focus stands over the titles.
    const auto rows = [&](const QImage& image) {
        const int top = Cell(0, 1).top();
        return Part(image, QRect(0, top, image.width(), image.height() - top));
    };
    const QImage focused = rows(FreshPaint(view));
    ASSERT_EQ(rows(OnScreen(view)), focused);
    QLineEdit other(host.get());
    other.setGeometry(600, 0, 20, 10);
    other.show();
    other.setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(grid->FocusInGrid());
    const QImage unfocused = rows(FreshPaint(view));
    ASSERT_NE(unfocused, focused) << "the focus shows in the current cell";
    EXPECT_EQ(rows(OnScreen(view)), unfocused) << "after the focus left";
    grid->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(rows(OnScreen(view)), focused) << "after the focus came back";
}

TEST_F(GridEdges, APressedTitleMovesItsGlyphAndNumberByOnePixel)
{
    grid->Columns()[3]->Title()->SetSortMarker(smDownEh);
    grid->Columns()[4]->Title()->SetSortMarker(smUpEh);
    const QRect inner = Inner(4, 0);
    const int right = inner.left() + inner.width();
    const int top = (inner.top() + inner.top() + inner.height() - 9) / 2;
    const int numberWidth = QFontMetrics(SortNumberFont()).horizontalAdvance(QStringLiteral("1"));
    const QRect numberArea(right - numberWidth - 2, inner.top(), numberWidth + 2, inner.height() - 1);
    const QImage up = Render();
    ASSERT_TRUE(GlyphAt(up, QPoint(right - 12 - numberWidth, top), 0));
    grid->PressTitle(4, true);
    const QImage down = Render();
    EXPECT_TRUE(GlyphAt(down, QPoint(right - 12 - numberWidth + 1, top + 1), 0)) << "the glyph, one pixel right and down";
    EXPECT_FALSE(GlyphAt(down, QPoint(right - 12 - numberWidth, top), 0));
    // The number: the same ink, one pixel right and down.
    ASSERT_TRUE(AnyPixelOtherThan(up, numberArea, Face()));
    EXPECT_EQ(Part(down, numberArea.translated(1, 1).adjusted(0, 0, -1, -1)),
              Part(up, numberArea.adjusted(0, 0, -1, -1)));
    EXPECT_NE(Part(down, numberArea), Part(up, numberArea));
}

TEST_F(GridEdges, TwoMarkedTitlesPaintTheNumbersOneAndTwo)
{
    grid->Columns()[3]->Title()->SetSortMarker(smDownEh);
    grid->Columns()[4]->Title()->SetSortMarker(smDownEh);
    const int numberWidth = QFontMetrics(SortNumberFont()).horizontalAdvance(QStringLiteral("1"));
    const auto numberOf = [&](const QImage& image, int gridCol) {
        const QRect inner = Inner(gridCol, 0);
        return Part(image, QRect(inner.left() + inner.width() - numberWidth - 2, inner.top(), numberWidth + 2,
                                 inner.height()));
    };
    const QImage first = Render();
    // Each glyph stands left of a number.
    for (int gridCol : {4, 5}) {
        const QRect inner = Inner(gridCol, 0);
        const int top = (inner.top() + inner.top() + inner.height() - 9) / 2;
        EXPECT_TRUE(GlyphAt(first, QPoint(inner.left() + inner.width() - 12 - numberWidth, top), 0)) << gridCol;
    }
    const QImage one = numberOf(first, 4);
    const QImage two = numberOf(first, 5);
    EXPECT_TRUE(AnyPixelOtherThan(one, one.rect(), Face()));
    EXPECT_TRUE(AnyPixelOtherThan(two, two.rect(), Face()));
    EXPECT_NE(one, two);
    // The digits drawn are 1 and 2: of the number font's ten digits drawn where the
    // layout puts them (their top one pixel above the glyph's), the nearest to each
    // number's picture (the smoothing of a glyph's edges may differ by a shade).
    const auto nearestDigit = [&](const QImage& number) {
        const QRect inner = Inner(4, 0);
        const int glyphTop = (inner.top() + inner.top() + inner.height() - 9) / 2;
        int nearest = -1;
        long best = 0;
        for (int candidate = 0; candidate <= 9; ++candidate) {
            QImage drawn(number.size(), QImage::Format_ARGB32_Premultiplied);
            drawn.fill(Face());
            QPainter painter(&drawn);
            painter.setFont(SortNumberFont());
            painter.setPen(ToQColor(clWindowText));
            painter.drawText(QPoint(0, glyphTop - 1 - inner.top() + QFontMetrics(SortNumberFont()).ascent()),
                             QString::number(candidate));
            painter.end();
            long distance = 0;
            for (int y = 0; y < number.height(); ++y)
                for (int x = 0; x < number.width(); ++x)
                    distance += std::abs(qGray(number.pixel(x, y)) - qGray(drawn.pixel(x, y)));
            if (nearest < 0 || distance < best) {
                nearest = candidate;
                best = distance;
            }
        }
        return nearest;
    };
    EXPECT_EQ(nearestDigit(one), 1);
    EXPECT_EQ(nearestDigit(two), 2);
    // The numbers belong to the places in the sort, not to the columns.
    ASSERT_TRUE(grid->SortMarking().SwapIndex(*grid->Columns()[4], 1));
    const QImage swapped = Render();
    EXPECT_EQ(numberOf(swapped, 4), two);
    EXPECT_EQ(numberOf(swapped, 5), one);
}

// Both sort markers read as triangles on the title's face at 100 %: the ascending one's
// right half carries as much ink as the descending one's (the white highlight hardly
// shows on the light face; the grey does).
TEST_F(GridEdges, TheAscendingMarkerIsAsStrongOnTheRightAsTheDescendingOne)
{
    const auto ink = [&](TSortMarkerEh marker) {
        grid->Columns()[3]->Title()->SetSortMarker(marker);
        const QImage image = Render();
        const QRect inner = Inner(4, 0);
        const QPoint at(inner.left() + inner.width() - 12, (inner.top() + inner.top() + inner.height() - 9) / 2);
        EXPECT_TRUE(GlyphAt(image, at, marker == smDownEh ? 0 : 1));
        std::pair<int, int> halves{0, 0};
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 10; ++x)
                if (std::abs(qGray(image.pixel(at + QPoint(x, y))) - qGray(Face())) > 64)
                    ++(x < 5 ? halves.first : halves.second);
        return halves;
    };
    const auto [downLeft, downRight] = ink(smDownEh);
    EXPECT_GT(downLeft, 0);
    const auto [upLeft, upRight] = ink(smUpEh);
    ASSERT_GT(downRight, 0);
    EXPECT_GE(upRight, downRight) << "the ascending marker's right half";
    EXPECT_GT(upLeft, 0);
}

TEST_F(GridEdges, TextCutAtAColumnsEdgeShowsNoEllipsis)
{
    grid->Columns()[3]->SetWidth(30);
    const QRect cell = Cell(4, 3);
    const QString text = QString::fromStdString(AnswerSheetValue(2, 3).ToString());
    ASSERT_GT(QFontMetrics(DesignFont()).horizontalAdvance(text), cell.width());
    // The text as drawn from two pixels in and cut where the cell ends.
    QImage expected(cell.size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(ToQColor(clWindow));
    QPainter painter(&expected);
    painter.setFont(DesignFont());
    painter.setPen(ToQColor(clWindowText));
    painter.drawText(2, 2 + TextAscent(DesignFont()), text);
    painter.end();
    const QImage shown = Render().copy(cell).convertToFormat(expected.format());
    EXPECT_EQ(shown, expected);
}

TEST_F(GridEdges, AColumnOfWidthZeroAndAHiddenColumnPaintNothing)
{
    // The picture without column 1 (报名号): its title and values must show nowhere.
    grid->Columns()[1]->SetVisible(false);
    const QImage hidden = Render();
    grid->Columns()[1]->SetVisible(true);
    const int start = Cell(2, 0).left();  // where column 1 starts, and column 2 without it
    grid->Columns()[1]->SetWidth(0);
    ASSERT_TRUE(Cell(2, 0).isEmpty());
    // Width 0 leaves only the column's one-pixel grid line: the picture is the one
    // without the column, with that line put in before column 2.
    const QImage zero = Render();
    const int w = zero.width();
    EXPECT_EQ(Cell(3, 0).left(), start + 1);
    EXPECT_EQ(Part(zero, QRect(0, 0, start, zero.height())), Part(hidden, QRect(0, 0, start, hidden.height())));
    EXPECT_EQ(Part(zero, QRect(start + 1, 0, w - start - 1, zero.height())),
              Part(hidden, QRect(start, 0, w - start - 1, hidden.height())));
    EXPECT_EQ(Part(zero, QRect(start, 0, 1, zero.height())), Part(zero, QRect(start - 1, 0, 1, zero.height())))
        << "the line is a grid line like the one before it";
    // Against the picture with the column shown, only the columns after it moved.
    grid->Columns()[1]->SetWidth(102);
    const QImage shown = Render();
    const int after = Cell(2, 0).left();
    EXPECT_EQ(Part(shown, QRect(0, 0, after - 1, shown.height())), Part(hidden, QRect(0, 0, after - 1, hidden.height())));
    EXPECT_NE(shown, hidden);
}

TEST_F(GridEdges, ATitlePressThatLeavesAndComesBackIsAClick)
{
    int notifications = 0;
    grid->Events().OnSortMarkingChanged = [&](TCustomDBGridEh&) { ++notifications; };
    Press(Title(1));
    Move(DataCell(1, 4));
    EXPECT_FALSE(grid->TitleButtonDown());
    Move(Title(1));
    EXPECT_TRUE(grid->TitleButtonDown());
    Release(Title(1));
    EXPECT_EQ(grid->Columns()[1]->Title()->SortMarker(), smDownEh);
    EXPECT_EQ(notifications, 1);
}

// Shift adds nothing to End: the keys move as without it, and select nothing.
TEST_F(GridEdges, ShiftEndAndAnIndicatorPressSelectNothing)
{
    const auto expectNoSelection = [this](const char* after) {
        EXPECT_EQ(grid->Selection().SelectionType(), gstNon) << after;
        EXPECT_EQ(grid->SelectedRows().Count(), 0) << after;
    };
    const int lastColumn = grid->ColCount() - 1 - grid->IndicatorColumns();
    ASSERT_GT(lastColumn, 0);
    ASSERT_EQ(DataCol(), 0);
    ASSERT_EQ(RecNo(), 1);
    Key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(DataCol(), lastColumn) << "Shift+End goes to the last column";
    EXPECT_EQ(RecNo(), 1);
    expectNoSelection("Shift+End");
    Key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(RecNo(), dataSet->RecordCount()) << "Ctrl+Shift+End goes to the last record";
    EXPECT_EQ(DataCol(), lastColumn);
    expectNoSelection("Ctrl+Shift+End");
    Press(CellCentre(0, 3));
    Move(CellCentre(0, 6));
    Release(CellCentre(0, 6));
    expectNoSelection("a press and drag in the indicator column");
    Click(CellCentre(0, 4), Qt::LeftButton, Qt::ShiftModifier);
    expectNoSelection("a Shift+click in the indicator column");
}

// A Boolean column: true, false and null (every third row) as check boxes.
class BooleanColumn : public PaintedGridFixture {
protected:
    void SetUp() override
    {
        PaintedGridFixture::SetUp();
        std::vector<TFieldDef> defs = AnswerSheetFieldDefs();
        TFieldDef checked;
        checked.name = "已复核";
        checked.dataType = TFieldType::ftBoolean;
        checked.fieldNo = static_cast<int>(defs.size()) + 1;
        defs.push_back(checked);
        dataSource->SetDataSet(nullptr);
        dataSet = std::make_unique<GridTestDataSet>(defs, 40, [](int row, int column) {
            if (column < 7)
                return AnswerSheetValue(row, column);
            return row % 3 == 0 ? Variant() : Variant(row % 3 == 1);
        });
        dataSource->SetDataSet(dataSet.get());
        dataSet->Open();
        grid->Columns().Add()->SetFieldName("已复核");
        grid->Columns()[7]->SetWidth(40);
        QApplication::processEvents();
    }
};

TEST_F(BooleanColumn, ANullValuePaintsTheGreyCheckBox)
{
    const QImage image = Render();
    // Data rows 1, 2, 3 hold rows 0 (null), 1 (true), 2 (false); the current row 1 is highlighted.
    const QImage null = image.copy(Cell(8, 4));     // row 3: null
    const QImage yes = image.copy(Cell(8, 2));      // row 1: true
    const QImage no = image.copy(Cell(8, 3));       // row 2: false
    EXPECT_NE(null, yes);
    EXPECT_NE(null, no);
    EXPECT_NE(yes, no);
    // The style's own grey box for "neither".
    QImage expected(Cell(8, 4).size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(ToQColor(clWindow));
    QStyleOptionButton option;
    const int side = grid->style()->pixelMetric(QStyle::PM_IndicatorWidth);
    option.rect = QRect((expected.width() - side) / 2, (expected.height() - side) / 2, side, side);
    option.state = QStyle::State_Enabled | QStyle::State_NoChange;
    QPainter painter(&expected);
    grid->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, grid);
    painter.end();
    EXPECT_TRUE(AnyPixelOtherThan(null, null.rect(), ToQColor(clWindow).rgb()));
    EXPECT_EQ(null.convertToFormat(expected.format()).copy(option.rect), expected.copy(option.rect));
}

}  // namespace
}  // namespace qelvor::test
