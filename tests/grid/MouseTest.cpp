// The mouse through real mouse events: presses on data cells and the indicator, the
// second press that opens the editor, cell tracking with automatic scrolling, column
// sizing by the title borders, column moving by dragging titles, the wheel, and the
// cancel-mode message.
#include <QApplication>
#include <QScrollBar>
#include <QTest>

#include "grid/InplaceEdit.h"
#include "platform/ExceptionDispatch.h"
#include "tests/grid/support/InputFixture.h"

namespace qelvor::test {
namespace {

class Mouse : public InputFixture {
protected:
    void SetUp() override
    {
        InputFixture::SetUp();
        grid->Events().OnCellClick = [this](TColumnEh* column) { events.push_back("cell " + column->FieldName()); };
        grid->Events().OnTitleClick = [this](TColumnEh* column) { events.push_back("title " + column->FieldName()); };
        grid->OnMouseDown = [this](TCustomGrid&, TMouseButton, TShiftState, int, int) { events.push_back("down"); };
    }
    int Width(int dataCol) const { return grid->Columns()[dataCol]->Width(); }
    // The first pixel below the data area (the last row's grid line belongs to it).
    int DataBottom() const { return Cell(1, 10).bottom() + 2; }
};

TEST_F(Mouse, APressMovesTheRecordInOneMoveThenTheColumn)
{
    Click(DataCell(2, 3));
    EXPECT_EQ(RecNo(), 4);
    EXPECT_EQ(scrolls, 1) << "one move by the row distance";
    EXPECT_EQ(DataCol(), 2);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(events, (std::vector<std::string>{"down", "cell 姓名"}));
    Click(DataCell(2, 3));
    ASSERT_TRUE(EditorShown()) << "a second press on the current cell opens the editor";
    EXPECT_EQ(grid->InplaceEditor()->geometry(), Cell(3, 4));
    Click(DataCell(0, 5));
    EXPECT_FALSE(EditorShown()) << "a press on another cell hides it";
    EXPECT_EQ(RecNo(), 6);
}

TEST_F(Mouse, RightAndIndicatorPressesMoveWithoutEditorOrCellClick)
{
    Click(DataCell(3, 2), Qt::RightButton);
    EXPECT_EQ(RecNo(), 3);
    EXPECT_EQ(DataCol(), 3);
    Click(DataCell(3, 2), Qt::RightButton);
    EXPECT_FALSE(EditorShown());
    Click(CellCentre(0, 6));
    EXPECT_EQ(RecNo(), 6);
    EXPECT_EQ(DataCol(), 3) << "the indicator column moves only the record";
    EXPECT_EQ(std::count(events.begin(), events.end(), "cell 笔试客观题答案字符串"), 0);
}

TEST_F(Mouse, ShiftAndCtrlPressesSelectNothing)
{
    Click(DataCell(1, 4), Qt::LeftButton, Qt::ShiftModifier);
    Click(DataCell(2, 6), Qt::LeftButton, Qt::ControlModifier);
    Press(DataCell(0, 1));
    Move(DataCell(0, 5));
    Release(DataCell(0, 5));
    Click(CellCentre(0, 0));
    EXPECT_EQ(RecNo(), 6);
    EXPECT_EQ(grid->Selection().SelectionType(), gstNon);
    EXPECT_EQ(grid->SelectedRows().Count(), 0);
}

TEST_F(Mouse, DraggingAcrossCellsMovesTheCurrentCellWithTheMouse)
{
    Press(DataCell(0, 2));
    for (int col = 1; col <= 3; ++col) {
        Move(DataCell(col, 2));
        EXPECT_EQ(DataCol(), col);
    }
    Move(DataCell(3, 6));
    EXPECT_EQ(RecNo(), 7);
    EXPECT_TRUE(grid->CellTracking());
    Release(DataCell(3, 6));
    EXPECT_FALSE(grid->Tracking());
    EXPECT_FALSE(grid->MouseCapture());
}

TEST_F(Mouse, AutomaticScrollingSpeedsUpWithTheDistanceBelowTheData)
{
    Press(DataCell(1, 9));
    const QPoint below(DataCell(1, 9).x(), DataBottom() - 1 + 30);
    int before = RecNo();
    Move(below);
    EXPECT_EQ(RecNo() - before, 5);
    EXPECT_EQ(grid->ScrollTimerInterval(), 10) << "never a 0 ms timer";
    before = RecNo();
    Move(QPoint(below.x(), DataBottom() - 1 + 60));
    EXPECT_EQ(RecNo() - before, 8);
    before = RecNo();
    Move(QPoint(below.x(), DataBottom() - 1 + 3));
    EXPECT_EQ(RecNo(), before);
    EXPECT_EQ(grid->ScrollTimerInterval(), 155);
    EXPECT_TRUE(grid->Timer1Running());
    Move(DataCell(1, 5));
    EXPECT_FALSE(grid->Timer1Running()) << "back inside: no more scrolling";
    Release(DataCell(1, 5));
}

TEST_F(Mouse, AutomaticScrollingRunsOnTimerTicksWhileTheMouseRests)
{
    Press(DataCell(1, 9));
    Move(QPoint(DataCell(1, 9).x(), DataBottom() - 1 + 30));
    const int after = RecNo();
    QTest::qWait(100);
    EXPECT_GT(RecNo(), after);
    Release(QPoint(DataCell(1, 9).x(), DataBottom() + 30));
    EXPECT_FALSE(grid->Timer1Running());
}

TEST_F(Mouse, DraggingATitleBorderSizesTheColumnToItsLeft)
{
    const int border = BorderAfter(0);
    const int widthBefore = Width(0);
    EXPECT_EQ(grid->CalcSizingState(border + 4, 5).state, TGridState::gsColSizing);
    EXPECT_EQ(grid->CalcSizingState(border - 3, 5).sizingIndex, 1);
    EXPECT_EQ(grid->CalcSizingState(border + 5, 5).state, TGridState::gsNormal);
    Move(QPoint(border, 5), Qt::NoButton);
    EXPECT_EQ(grid->viewport()->cursor().shape(), Qt::SplitHCursor);
    Press(QPoint(border - 2, 5));
    EXPECT_EQ(grid->GridState(), TGridState::gsColSizing);
    Move(QPoint(border + 38, 5));
    Release(QPoint(border + 38, 5));
    EXPECT_EQ(Width(0), widthBefore + 40);
    EXPECT_EQ(BorderAfter(0), border + 40);
    EXPECT_EQ(std::count(events.begin(), events.end(), "down"), 0) << "a sizing press raises no OnMouseDown";
    Move(DataCell(3, 3), Qt::NoButton);
    EXPECT_EQ(grid->viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Mouse, SizingToOnePixelOrEscLeavesTheWidth)
{
    const int left = Cell(2, 0).left();
    const int widthBefore = Width(1);
    Press(QPoint(BorderAfter(1), 5));
    Move(QPoint(left + 1, 5));
    Release(QPoint(left + 1, 5));
    EXPECT_EQ(Width(1), widthBefore);
    Press(QPoint(BorderAfter(1), 5));
    Move(QPoint(BorderAfter(1) + 50, 5));
    Key(Qt::Key_Escape);
    EXPECT_EQ(grid->GridState(), TGridState::gsNormal);
    Release(QPoint(BorderAfter(1) + 50, 5));
    EXPECT_EQ(Width(1), widthBefore);
}

// Every width above one pixel applies, however narrow: the border lands where it was
// dropped, and the cells after it follow.
TEST_F(Mouse, NarrowWidthsDownToTwoPixelsApply)
{
    for (const int width : {12, 3, 2}) {
        SCOPED_TRACE(width);
        const int left = Cell(2, 0).left();
        const int border = BorderAfter(1);
        Press(QPoint(border, 5));
        ASSERT_EQ(grid->GridState(), TGridState::gsColSizing);
        Move(QPoint(border - 20, 5));
        Move(QPoint(left + width, 5));
        Release(QPoint(left + width, 5));
        EXPECT_EQ(grid->GridState(), TGridState::gsNormal);
        EXPECT_EQ(Width(1), width);
        EXPECT_EQ(grid->ColWidths(2), width);
        EXPECT_EQ(BorderAfter(1), left + width);
        EXPECT_EQ(Cell(3, 0).left(), left + width + 1);
        // Widened again by its border: pressed right of it, beyond the zone of the border
        // before, which comes first.
        Press(QPoint(BorderAfter(1) + 4, 5));
        ASSERT_EQ(grid->GridState(), TGridState::gsColSizing) << "the narrow column's border still sizes it";
        Move(QPoint(left + 64, 5));
        Release(QPoint(left + 64, 5));
        EXPECT_EQ(Width(1), 60);
    }
}

TEST_F(Mouse, DraggingATitleSidewaysMovesTheColumnObject)
{
    Click(DataCell(0, 2));
    int moved = 0;
    grid->Events().OnColumnMoved = [&](TCustomDBGridEh&, int from, int to) {
        EXPECT_EQ(from, 0);
        EXPECT_EQ(to, 2);
        ++moved;
    };
    const std::vector<int> widths{Width(0), Width(1), Width(2)};
    Press(Title(0));
    EXPECT_TRUE(grid->TitleButtonDown());
    Move(Title(0) + QPoint(4, 0));
    EXPECT_FALSE(grid->TitleButtonDown()) << "the title pops up";
    EXPECT_EQ(grid->GridState(), TGridState::gsColMoving);
    Move(Title(2));
    Release(Title(2));
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(ColumnOrder()[2], "准考证号");
    EXPECT_EQ(ColumnOrder()[0], "报名号");
    EXPECT_EQ(grid->Columns()[DataCol()]->FieldName(), "准考证号") << "the current column still shows its field";
    EXPECT_EQ(Width(2), widths[0]) << "the moved column keeps its width";
    EXPECT_EQ(Width(0), widths[1]);
    EXPECT_EQ(Width(1), widths[2]);
    EXPECT_EQ(grid->ColWidths(3), widths[0]);
    EXPECT_EQ(grid->Columns()[0]->Title()->SortMarker(), smNoneEh) << "a drag is no title click";
}

TEST_F(Mouse, DraggingAColumnOntoTheCurrentColumnsPlaceKeepsTheCurrentField)
{
    Click(DataCell(2, 2));
    const std::string field = grid->Columns()[2]->FieldName();
    Press(Title(0));
    Move(Title(0) + QPoint(4, 0));
    Move(Title(2));
    Release(Title(2));
    ASSERT_EQ(ColumnOrder()[2], "准考证号") << "the column moved onto the current column's place";
    EXPECT_EQ(grid->Columns()[DataCol()]->FieldName(), field);
    EXPECT_EQ(DataCol(), 1);
}

TEST_F(Mouse, AColumnMovedBeforeTheFirstSearchStaysMovedWhenTheRowsCome)
{
    AttachDataSet(40, false);
    const int width = Width(0);
    Press(Title(0));
    Move(Title(0) + QPoint(4, 0));
    Move(Title(2));
    Release(Title(2));
    const std::vector<std::string> moved = ColumnOrder();
    ASSERT_EQ(moved[2], "准考证号");
    EXPECT_EQ(moved[0], "报名号");
    EXPECT_EQ(grid->ColWidths(3), width);
    dataSet->Open();
    EXPECT_EQ(ColumnOrder(), moved);
    EXPECT_EQ(grid->ColWidths(3), width);
    for (int dataCol = 0; dataCol < grid->Columns().Count(); ++dataCol) {
        TColumnEh* column = grid->Columns()[dataCol];
        ASSERT_NE(column->Field(), nullptr) << moved[dataCol];
        EXPECT_EQ(column->Field()->FieldName(), moved[dataCol]);
    }
    EXPECT_EQ(grid->Columns()[2]->ColumnDisplayText(), AnswerSheetValue(0, 0).ToString());
}

TEST_F(Mouse, MovingMarkedColumnsKeepsTheirSortOrder)
{
    Click(Title(1));
    Click(Title(4), Qt::LeftButton, Qt::ControlModifier);
    KeyRelease(Qt::Key_Control);
    Press(Title(1));
    Move(Title(5));
    Release(Title(5));
    ASSERT_EQ(grid->SortMarkedColumnList().Count(), 2);
    EXPECT_EQ(grid->SortMarkedColumnList()[0]->FieldName(), "报名号");
    EXPECT_EQ(grid->SortMarkedColumnList()[1]->FieldName(), "笔试主观题题分字符串");
    EXPECT_EQ(grid->Columns()[5]->Title()->SortIndex(), 1);
}

TEST_F(Mouse, ARightPressOnATitleStartsAMoveAtOnceAndReleasingInPlaceOnlyClicks)
{
    Press(Title(3), Qt::RightButton);
    EXPECT_EQ(grid->GridState(), TGridState::gsColMoving);
    EXPECT_TRUE(grid->Timer1Running());
    Release(Title(3), Qt::RightButton);
    EXPECT_EQ(grid->GridState(), TGridState::gsNormal);
    EXPECT_FALSE(grid->Timer1Running());
    EXPECT_EQ(ColumnOrder()[3], "笔试客观题答案字符串");
    EXPECT_EQ(grid->Columns()[3]->Title()->SortMarker(), smNoneEh);
    EXPECT_EQ(events.back(), "title 笔试客观题答案字符串");
}

TEST_F(Mouse, CancelModeEndsADragWithoutApplyingIt)
{
    Press(Title(0));
    Move(Title(2));
    ASSERT_EQ(grid->GridState(), TGridState::gsColMoving);
    grid->setEnabled(false);
    EXPECT_EQ(grid->GridState(), TGridState::gsNormal);
    EXPECT_FALSE(grid->Timer1Running());
    grid->setEnabled(true);
    Release(Title(2));
    EXPECT_EQ(ColumnOrder()[0], "准考证号");
}

TEST_F(Mouse, TheSizingLineIsDrawnOverTheCellsAndLeavesNoTrace)
{
    const QImage before = Render();
    const int border = BorderAfter(2);
    Press(QPoint(border, 5));
    Move(QPoint(border + 20, 5));
    const QImage during = Render();
    int changed = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (before.pixel(x, y) != during.pixel(x, y)) {
                ASSERT_EQ(x, border + 20) << "only the line's pixel column changes";
                ++changed;
            }
    EXPECT_GT(changed, before.height() / 3) << "a dotted line over the whole height";
    Key(Qt::Key_Escape);
    EXPECT_EQ(Render(), before);
    Release(QPoint(border + 20, 5));
}

// The window shows what a fresh paint shows at every step of a drag: the strip a line
// leaves is repainted, so no dotted line stays behind where it was.
TEST_F(Mouse, TheSizingAndMovingLinesLeaveNoTrailOnScreen)
{
    QWidget& view = *grid->viewport();
    const int border = BorderAfter(2);
    Press(QPoint(border, 5));
    for (int step : {20, 40, 10}) {
        Move(QPoint(border + step, 5));
        EXPECT_EQ(OnScreen(view), FreshPaint(view)) << "sizing line at +" << step;
    }
    Release(QPoint(border + 10, 5));
    EXPECT_EQ(OnScreen(view), FreshPaint(view)) << "after the sizing";
    Press(Title(0));
    Move(Title(0) + QPoint(4, 0));
    ASSERT_EQ(grid->GridState(), TGridState::gsColMoving);
    for (int column : {2, 3, 1}) {
        Move(Title(column));
        EXPECT_EQ(OnScreen(view), FreshPaint(view)) << "moving marker over column " << column;
    }
    Release(Title(1));
    EXPECT_EQ(OnScreen(view), FreshPaint(view)) << "after the move";
}

TEST_F(Mouse, AnErrorBoxEndsTheDragUnderneath)
{
    Press(Title(0));
    Move(Title(2));
    ASSERT_EQ(grid->GridState(), TGridState::gsColMoving);
    auto previous = SetErrorPresenter([this](const std::string&, const std::string&) {
        EXPECT_EQ(grid->GridState(), TGridState::gsNormal) << "no drag goes on under the box";
    });
    HandleException(std::make_exception_ptr(std::runtime_error("database gone")));
    SetErrorPresenter(previous);
    EXPECT_FALSE(grid->Timer1Running());
    Release(Title(2));
    EXPECT_EQ(ColumnOrder()[0], "准考证号");
}

TEST_F(Mouse, TheScrollBarsThumbIsRepaintedWhereItWasAndWhereItGoes)
{
    QScrollBar* bar = grid->verticalScrollBar();
    auto shown = [&] { return OnScreen(*bar) == FreshPaint(*bar); };
    ASSERT_TRUE(shown());
    for (int i = 0; i < 12; ++i) {
        Wheel(-120);
        ASSERT_TRUE(shown()) << "after " << i + 1 << " steps";
    }
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_TRUE(shown());
}

TEST_F(Mouse, EachWheelNotchMovesOneRecordWhereverItTurns)
{
    Wheel(-120);
    EXPECT_EQ(RecNo(), 2);
    Wheel(-60);
    EXPECT_EQ(RecNo(), 2);
    Wheel(-60);
    EXPECT_EQ(RecNo(), 3);
    for (int i = 0; i < 6; ++i)
        Wheel(-20);  // a touchpad's small deltas
    EXPECT_EQ(RecNo(), 4);
    Wheel(120, QPoint(5, 5), grid->verticalScrollBar());
    EXPECT_EQ(RecNo(), 3);
    EXPECT_EQ(grid->verticalScrollBar()->value(), 3) << "the bar shows the record, not its own wheel step";
    Key(Qt::Key_Return);
    Wheel(-240, QPoint(5, 5), grid->InplaceEditor());
    EXPECT_EQ(RecNo(), 5);
}

TEST_F(Mouse, BeforeTheFirstSearchAPressOnlyTakesTheFocus)
{
    AttachDataSet(40, false);
    grid->clearFocus();
    Click(CellCentre(2, 1));
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(events, (std::vector<std::string>{"down"}));
    Wheel(-120);
    const int width = Width(0);
    Press(QPoint(BorderAfter(0), 5));
    Move(QPoint(BorderAfter(0) + 20, 5));
    Release(QPoint(BorderAfter(0) + 20, 5));
    EXPECT_EQ(Width(0), width + 20) << "sizing works on a closed dataset";
}

TEST_F(Mouse, ADoubleClickOpensNoEditorAndRaisesOnDblClick)
{
    int doubleClicks = 0;
    grid->OnDblClick = [&](TCustomGrid&) { ++doubleClicks; };
    DoubleClick(DataCell(1, 1));
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_FALSE(EditorShown());
}

}  // namespace
}  // namespace qelvor::test
