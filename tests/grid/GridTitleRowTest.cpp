// The generic grid's title row on a grid without data: a press on a title border sizes
// the column to its left, a press on a title moves the column, the line over the grid
// follows the drag and goes with it, and the cancel-mode message ends a drag unapplied.
#include <memory>

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "grid/CustomGrid.h"
#include "grid/GridTitleRow.h"

namespace qelvor::test {
namespace {

// A generic grid of five 64-pixel columns (one fixed) that paints nothing.
class PlainGrid : public TCustomGrid {
public:
    using TCustomGrid::TCustomGrid;
    using TCustomGrid::CancelMode;
    using TCustomGrid::TitleRow;
    using TCustomGrid::Press;
    int moved = 0;  // column moves the base grid reported

protected:
    void DrawCell(int, int, const QRect&, TGridDrawState) override {}
    void ColumnMoved(int, int) override { ++moved; }
};

class GridTitleRow : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid = std::make_unique<PlainGrid>();
        grid->SetGridOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing, goColMoving});
        grid->SetColCount(5);
        grid->SetRowCount(5);
        grid->resize(600, 200);
        grid->show();
        QApplication::processEvents();
    }
    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QWidget* target = grid->viewport();
        QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    void Press(QPoint at) { Send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void Move(QPoint to) { Send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton); }
    void Release(QPoint at) { Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
    // x of the border after grid column `col` (on its grid line).
    int BorderAfter(int col) const { return grid->CellRect(col, 0).right() + 1; }
    const TDragOverlay& Line() const { return grid->TitleRow().Overlay(); }

    std::unique_ptr<PlainGrid> grid;
};

TEST_F(GridTitleRow, ABorderDragSizesTheColumnToItsLeftWithTheLineFollowing)
{
    const int border = BorderAfter(2);
    ASSERT_EQ(grid->CalcSizingState(border, 5).sizingIndex, 2);
    EXPECT_EQ(grid->TitleRow().CursorAt(border, 5), Qt::SplitHCursor);
    EXPECT_EQ(grid->TitleRow().CursorAt(border - 20, 5), Qt::ArrowCursor);
    EXPECT_EQ(grid->TitleRow().CursorAt(border, 100), Qt::ArrowCursor) << "below the titles";
    Press(QPoint(border, 5));
    EXPECT_EQ(grid->GridState(), TGridState::gsColSizing);
    EXPECT_EQ(Line().x, border);
    EXPECT_EQ(Line().width, 1);
    Move(QPoint(border + 30, 40));
    EXPECT_EQ(Line().x, border + 30) << "the line follows the mouse, whatever its height";
    Release(QPoint(border + 30, 40));
    EXPECT_EQ(grid->GridState(), TGridState::gsNormal);
    EXPECT_EQ(Line().x, -1);
    EXPECT_EQ(grid->ColWidths(2), 64 + 30);
    EXPECT_EQ(grid->ColWidths(1), 64);
}

TEST_F(GridTitleRow, ATitleDragMovesTheColumnWhereTheMarkerStands)
{
    grid->SetColWidths(1, 50);
    Press(grid->CellRect(1, 0).center());
    EXPECT_EQ(grid->GridState(), TGridState::gsColMoving);
    EXPECT_EQ(Line().width, 5);
    const int start = Line().x;
    Move(grid->CellRect(3, 0).center());
    EXPECT_GT(Line().x, start) << "the marker went to the right";
    EXPECT_EQ(grid->Press().movePos, 3);
    Release(grid->CellRect(3, 0).center());
    EXPECT_EQ(grid->GridState(), TGridState::gsNormal);
    EXPECT_EQ(Line().x, -1);
    EXPECT_EQ(grid->moved, 1);
    EXPECT_EQ(grid->ColWidths(3), 50) << "the width went with the column";
    EXPECT_EQ(grid->ColWidths(1), 64);
}

TEST_F(GridTitleRow, CancelModeEndsADragWithoutApplyingIt)
{
    Press(QPoint(BorderAfter(1), 5));
    Move(QPoint(BorderAfter(1) + 25, 5));
    grid->CancelMode();
    EXPECT_EQ(grid->GridState(), TGridState::gsNormal);
    EXPECT_EQ(Line().x, -1);
    Release(QPoint(BorderAfter(1) + 25, 5));
    EXPECT_EQ(grid->ColWidths(1), 64);

    Press(grid->CellRect(1, 0).center());
    Move(grid->CellRect(3, 0).center());
    grid->CancelMode();
    EXPECT_FALSE(grid->Dragging());
    Release(grid->CellRect(3, 0).center());
    EXPECT_EQ(grid->moved, 0);
}

TEST_F(GridTitleRow, WithoutTheOptionsAPressOnTheTitlesStartsNoDrag)
{
    grid->SetGridOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine});
    Press(QPoint(BorderAfter(2), 5));
    EXPECT_EQ(grid->GridState(), TGridState::gsNormal);
    Release(QPoint(BorderAfter(2) + 20, 5));
    Press(grid->CellRect(2, 0).center());
    EXPECT_EQ(grid->GridState(), TGridState::gsNormal);
    Release(grid->CellRect(4, 0).center());
    EXPECT_EQ(grid->moved, 0);
    EXPECT_EQ(grid->ColWidths(2), 64);
}

}  // namespace
}  // namespace qelvor::test
