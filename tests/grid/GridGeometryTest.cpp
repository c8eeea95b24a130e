// Geometry, the record window and the vertical scroll bar, on the browse form's grid.
#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

#include "grid/GridScrollBarStyle.h"
#include "tests/grid/support/GridFixture.h"

namespace qelvor::test {
namespace {

using GridGeometry = GridFixture;

TEST_F(GridGeometry, RowHeightsComeFromTheFont)
{
    AttachDataSet(5);
    SizeForDataRows(10);
    EXPECT_EQ(grid->RowHeights(0), TitleRowHeight());
    EXPECT_EQ(grid->DefaultRowHeight(), DataRowHeight());
    EXPECT_EQ(grid->DataRowPitch(), DataRowHeight() + 1);
    EXPECT_EQ(grid->ColWidths(0), 11);
    EXPECT_EQ(grid->ColCount(), 8);
    EXPECT_EQ(grid->FixedCols(), 1);
    // The client area the grid computes is the one the scroll area lays out.
    EXPECT_EQ(grid->ClientWidth(), grid->viewport()->width());
    EXPECT_EQ(grid->ClientHeight(), grid->viewport()->height());
}

TEST_F(GridGeometry, FrameAndScrollBarsTakeTheSystemsRoom)
{
    // The browse form's grid: 643 x 292 with both bars showing.
    AttachDataSet(100);
    const QSize outer(643, 292);
    host->resize(outer);
    grid->setGeometry(QRect(QPoint(0, 0), outer));
    host->show();
    QApplication::processEvents();
    ASSERT_TRUE(grid->ScrollBarShowing(TScrollBarKind::sbVertical));
    ASSERT_TRUE(grid->ScrollBarShowing(TScrollBarKind::sbHorizontal));
    const int border = 2;
    EXPECT_EQ(grid->frameWidth(), border);
    EXPECT_EQ(grid->viewport()->geometry(),
              QRect(border, border, outer.width() - 2 * border - kSystemScrollBarExtent,
                    outer.height() - 2 * border - kSystemScrollBarExtent));
    const QScrollBar* vertical = grid->verticalScrollBar();
    EXPECT_EQ(QRect(vertical->mapTo(grid, QPoint(0, 0)), vertical->size()),
              QRect(outer.width() - border - kSystemScrollBarExtent, border, kSystemScrollBarExtent,
                    grid->viewport()->height()));
    const QScrollBar* horizontal = grid->horizontalScrollBar();
    EXPECT_EQ(QRect(horizontal->mapTo(grid, QPoint(0, 0)), horizontal->size()),
              QRect(border, outer.height() - border - kSystemScrollBarExtent, grid->viewport()->width(),
                    kSystemScrollBarExtent));
    // The record window is what fits in that client area.
    const int rows = (grid->viewport()->height() - TitleRowHeight() - 1) / grid->DataRowPitch();
    EXPECT_EQ(grid->DataLink().BufferCount(), rows);
    EXPECT_EQ(grid->RowCount(), 1 + rows);
}

TEST_F(GridGeometry, ScrollBarThumbsFollowTheSystemRule)
{
    AttachDataSet(100);
    SizeForDataRows(10, 600);
    QStyle* style = grid->horizontalScrollBar()->style();
    QStyleOptionSlider bar;
    bar.orientation = Qt::Horizontal;
    bar.rect = QRect(0, 0, 400, kSystemScrollBarExtent);
    bar.minimum = 0;
    bar.maximum = 127;
    bar.pageStep = 0;
    // Without a page the thumb is square; with a tiny page it keeps a usable minimum.
    EXPECT_EQ(style->subControlRect(QStyle::CC_ScrollBar, &bar, QStyle::SC_ScrollBarSlider).width(),
              kSystemScrollBarExtent);
    bar.maximum = 100000;
    bar.pageStep = 1;
    EXPECT_EQ(style->subControlRect(QStyle::CC_ScrollBar, &bar, QStyle::SC_ScrollBarSlider).width(),
              kSystemMinimumThumb);
    // The arrow buttons are square.
    EXPECT_EQ(style->subControlRect(QStyle::CC_ScrollBar, &bar, QStyle::SC_ScrollBarSubLine).size(),
              QSize(kSystemScrollBarExtent, kSystemScrollBarExtent));
    EXPECT_EQ(grid->verticalScrollBar()->style(), style);
}

TEST_F(GridGeometry, FewRecordsGiveFewRows)
{
    AttachDataSet(3);
    SizeForDataRows(17);
    EXPECT_EQ(grid->DataLink().BufferCount(), 17);
    EXPECT_EQ(grid->DataLink().RecordCount(), 3);
    EXPECT_EQ(grid->RowCount(), 4);
    // Below the last row lies the grid's background.
    const QImage image = Render();
    const QRect last = Cell(1, 3);
    const QRect below(0, last.bottom() + 2, grid->ClientWidth(), grid->ClientHeight() - last.bottom() - 2);
    EXPECT_FALSE(AnyPixelOtherThan(image, below, ToQColor(clWindow).rgb()));
}

TEST_F(GridGeometry, EmptyResultShowsOneEmptyRowAndNoBar)
{
    AttachDataSet(0);
    SizeForDataRows(17);
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_FALSE(grid->ScrollBarShowing(TScrollBarKind::sbVertical));
}

TEST_F(GridGeometry, VerticalRangeAndThumbFollowTheDataset)
{
    AttachDataSet(10000);
    SizeForDataRows(17);
    const ScrollInfo info = grid->GetScrollInfo(TScrollBarKind::sbVertical);
    EXPECT_EQ(info.min, 1);
    EXPECT_EQ(info.max, 10016);
    EXPECT_EQ(info.page, 17);
    EXPECT_EQ(info.pos, 1);
    EXPECT_TRUE(grid->ScrollBarShowing(TScrollBarKind::sbVertical));
    // Qt's scroll bar holds the same range in its own terms.
    EXPECT_EQ(grid->verticalScrollBar()->maximum(), 10000);
    EXPECT_EQ(grid->verticalScrollBar()->pageStep(), 17);

    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_THUMBPOSITION, 5000);
    EXPECT_EQ(dataSet->RecNo(), 5000);
    EXPECT_EQ(grid->GetScrollInfo(TScrollBarKind::sbVertical).pos, 5000);
    EXPECT_EQ(grid->Row(), grid->TitleRows() + grid->DataLink().ActiveRecord());
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_THUMBPOSITION, 2);
    EXPECT_EQ(dataSet->RecNo(), 2);
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_THUMBPOSITION, 10000);
    EXPECT_EQ(dataSet->RecNo(), 10000);
    EXPECT_TRUE(dataSet->Eof());
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_THUMBPOSITION, 1);
    EXPECT_EQ(dataSet->RecNo(), 1);
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_BOTTOM, 0);
    EXPECT_EQ(dataSet->RecNo(), 10000);
    EXPECT_EQ(grid->Row(), grid->RowCount() - 1);
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_TOP, 0);
    EXPECT_EQ(dataSet->RecNo(), 1);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridGeometry, ScrollCodesMoveTheDataset)
{
    AttachDataSet(100);
    SizeForDataRows(17);
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_PAGEDOWN, 0);
    EXPECT_EQ(dataSet->RecNo(), 18);
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_PAGEUP, 0);
    EXPECT_EQ(dataSet->RecNo(), 1);
    // Line down from a row in the middle: to the record below the last data row,
    // which becomes the last row after a scroll of one row.
    dataSet->MoveBy(8);
    ASSERT_EQ(grid->Row(), 9);
    grid->pixelScrolls = 0;
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_LINEDOWN, 0);
    EXPECT_EQ(dataSet->RecNo(), 18);
    EXPECT_EQ(grid->Row(), grid->RowCount() - 1);
    EXPECT_EQ(grid->pixelScrolls, 1);
    EXPECT_EQ(grid->lastScrollDy, -grid->DataRowPitch());
    // Line up: to the record above the first data row.
    const int firstShown = dataSet->RecNo() - grid->DataLink().ActiveRecord();
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_LINEUP, 0);
    EXPECT_EQ(dataSet->RecNo(), firstShown - 1);
    EXPECT_EQ(grid->Row(), 1);
}

TEST_F(GridGeometry, ScrollingPastTheWindowMovesPixelsLongJumpsRepaint)
{
    AttachDataSet(1000);
    SizeForDataRows(17);
    dataSet->MoveBy(16);
    grid->pixelScrolls = 0;
    dataSet->Next();
    EXPECT_EQ(grid->pixelScrolls, 1);
    EXPECT_EQ(grid->lastScrollDy, -grid->DataRowPitch());
    EXPECT_EQ(grid->Row(), grid->RowCount() - 1);
    grid->pixelScrolls = 0;
    dataSet->Last();
    EXPECT_EQ(grid->pixelScrolls, 0);
    EXPECT_EQ(grid->Row(), grid->RowCount() - 1);
}

TEST_F(GridGeometry, MovesOfMoreThanAScreenfulRepaintEveryDataRow)
{
    AttachDataSet(1000);
    SizeForDataRows(17);
    QWidget& area = *grid->viewport();
    const QImage before = OnScreen(area);
    ASSERT_EQ(before, FreshPaint(area));
    // From the last row, 25 records on: the window moves by 25 rows, more than the 17
    // shown, so no pixels can be kept.
    dataSet->MoveBy(16);
    grid->pixelScrolls = 0;
    dataSet->MoveBy(25);
    ASSERT_EQ(grid->pixelScrolls, 0);
    ASSERT_EQ(dataSet->RecNo(), 42);
    const QImage after = OnScreen(area);
    EXPECT_NE(after, before);
    EXPECT_EQ(after, FreshPaint(area));
    dataSet->MoveBy(-40);  // 24 rows back
    ASSERT_EQ(dataSet->RecNo(), 2);
    EXPECT_EQ(OnScreen(area), FreshPaint(area));
}

TEST_F(GridGeometry, PixelScrollsMoveOnlyTheDataRows)
{
    AttachDataSet(1000);
    SizeForDataRows(14, 1100, 16);  // a 16-pixel filler strip below the last row
    const int rows = grid->VisibleDataRows();
    dataSet->MoveBy(rows - 1);
    grid->pixelScrolls = 0;
    dataSet->MoveBy(rows);  // a whole screenful still moves pixels
    ASSERT_EQ(grid->pixelScrolls, 1);
    const QRect lastRow = grid->CellRect(0, grid->RowCount() - 1);
    EXPECT_EQ(grid->lastScrollRect.top(), grid->CellRect(0, grid->TitleRows()).top());
    EXPECT_EQ(grid->lastScrollRect.bottom(), lastRow.bottom() + grid->GridLineWidth());
    EXPECT_LT(grid->lastScrollRect.bottom(), grid->viewport()->height() - 16);
}

TEST_F(GridGeometry, ResizingResizesTheRecordWindow)
{
    AttachDataSet(100);
    SizeForDataRows(10);
    EXPECT_EQ(grid->RowCount(), 11);
    SizeForDataRows(20);
    EXPECT_EQ(grid->DataLink().BufferCount(), 20);
    EXPECT_EQ(grid->RowCount(), 21);
    dataSet->MoveBy(19);
    ASSERT_EQ(grid->Row(), 20);
    SizeForDataRows(5);
    EXPECT_EQ(grid->RowCount(), 6);
    EXPECT_EQ(grid->Row(), 5);
    EXPECT_EQ(dataSet->RecNo(), 20);
    EXPECT_EQ(grid->Row(), grid->TitleRows() + grid->DataLink().ActiveRecord());
}

TEST_F(GridGeometry, HorizontalScrollingByColumns)
{
    AttachDataSet(10);
    SizeForDataRows(5, 400);
    ASSERT_TRUE(grid->ScrollBarShowing(TScrollBarKind::sbHorizontal));
    const ScrollInfo range = grid->GetScrollInfo(TScrollBarKind::sbHorizontal);
    EXPECT_EQ(range.min, 0);
    EXPECT_EQ(range.max, 127);
    grid->ScrollMessage(TScrollBarKind::sbHorizontal, TScrollCode::SB_LINEDOWN, 0);
    EXPECT_EQ(grid->LeftCol(), 2);
    grid->ScrollMessage(TScrollBarKind::sbHorizontal, TScrollCode::SB_BOTTOM, 0);
    EXPECT_EQ(grid->LeftCol(), grid->MaxLeftCol());
    EXPECT_EQ(grid->GetScrollInfo(TScrollBarKind::sbHorizontal).pos, 127);
    // From MaxLeftCol every column up to the last fits; one further left does not.
    const TGridDrawInfo info = grid->CalcDrawInfo();
    EXPECT_EQ(info.Horz.LastFullVisibleCell, grid->ColCount() - 1);
    grid->ScrollMessage(TScrollBarKind::sbHorizontal, TScrollCode::SB_THUMBPOSITION, 0);
    EXPECT_EQ(grid->LeftCol(), grid->FixedCols());
    // Thumb tracking scrolls only when the bar is set to track.
    grid->ScrollMessage(TScrollBarKind::sbHorizontal, TScrollCode::SB_THUMBTRACK, 127);
    EXPECT_EQ(grid->LeftCol(), grid->FixedCols());
    grid->HorzScrollBar().SetTracking(true);
    grid->ScrollMessage(TScrollBarKind::sbHorizontal, TScrollCode::SB_THUMBTRACK, 127);
    EXPECT_EQ(grid->LeftCol(), grid->MaxLeftCol());
    grid->ScrollMessage(TScrollBarKind::sbHorizontal, TScrollCode::SB_TOP, 0);
    // Widening until everything fits hides the bar and brings the left column back.
    grid->ScrollMessage(TScrollBarKind::sbHorizontal, TScrollCode::SB_BOTTOM, 0);
    SizeForDataRows(5, 1400);
    EXPECT_FALSE(grid->ScrollBarShowing(TScrollBarKind::sbHorizontal));
    EXPECT_EQ(grid->GetScrollInfo(TScrollBarKind::sbHorizontal).max, 0);
    EXPECT_EQ(grid->LeftCol(), grid->FixedCols());
}

TEST_F(GridGeometry, AllColumnsHiddenLeaveOneScrollableColumn)
{
    AttachDataSet(10);
    SizeForDataRows(5);
    const int usualFixed = grid->FixedCols();
    for (int i = 0; i < grid->Columns().Count(); ++i)
        grid->Columns()[i]->SetVisible(false);
    EXPECT_EQ(grid->VisibleColumnList().Count(), 0);
    EXPECT_EQ(grid->FixedCols(), usualFixed + grid->Columns().Count() - 1);
    EXPECT_EQ(grid->ColCount() - grid->FixedCols(), 1);
    EXPECT_EQ(grid->ColWidths(1), -1);
}

TEST_F(GridGeometry, ClosedDatasetShowsOneEmptyRowAndNoBar)
{
    AttachDataSet(500);
    SizeForDataRows(17);
    ASSERT_TRUE(grid->ScrollBarShowing(TScrollBarKind::sbVertical));
    dataSet->Close();
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Columns().Count(), 7);
    EXPECT_EQ(grid->Columns()[0]->Title()->Caption(), "准考证号");
    EXPECT_FALSE(grid->ScrollBarShowing(TScrollBarKind::sbVertical));
    const ScrollInfo info = grid->GetScrollInfo(TScrollBarKind::sbVertical);
    EXPECT_EQ(info.min, 0);
    EXPECT_EQ(info.max, 1);
    EXPECT_EQ(info.page, 2);
}

TEST_F(GridGeometry, DeferredLayoutIsQueuedOnceAndDroppedByARebuild)
{
    AttachDataSet(10);
    SizeForDataRows(5);
    grid->DeferLayout();
    grid->DeferLayout();
    int rebuilt = 0;
    grid->Columns()[0]->SetWidth(50);
    rebuilt = grid->ColWidths(1);
    EXPECT_EQ(rebuilt, 50);
    // The rebuild above removed the queued message; nothing is left to deliver.
    grid->LockLayout();
    grid->DeferLayout();
    EXPECT_EQ(grid->LayoutLockCount(), 0);
    EXPECT_EQ(grid->UpdateLockCount(), 0);
    QApplication::processEvents();
    EXPECT_EQ(grid->LayoutLockCount(), 0);
}

TEST_F(GridGeometry, ScaledWidthsAddUpWithoutDrift)
{
    grid->ChangeScale(3, 2);
    int unscaled = 0;
    int scaled = 0;
    const int stored[] = {107, 102, 0, 300, 300, 65, 65};
    for (int i = 0; i < 7; ++i) {
        if (stored[i] == 0)
            continue;
        unscaled += stored[i];
        scaled += grid->Columns()[i]->Width();
        EXPECT_EQ(scaled, (unscaled * 3 + 1) / 2) << "column " << i;
    }
}

}  // namespace
}  // namespace qelvor::test

namespace qelvor::test {
namespace {

// Qt's scroll-bar actions arrive as the grid's scroll codes.
TEST_F(GridGeometry, QtScrollBarActionsReachTheDataset)
{
    AttachDataSet(1000);
    SizeForDataRows(17);
    QScrollBar* bar = grid->verticalScrollBar();
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(dataSet->RecNo(), 18);
    EXPECT_EQ(bar->value(), 18);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(dataSet->RecNo(), 1000);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(dataSet->RecNo(), 1);
    // A thumb drag moves the dataset only when the thumb is let go.
    bar->setSliderDown(true);
    bar->setSliderPosition(600);
    EXPECT_EQ(dataSet->RecNo(), 1);
    bar->setSliderDown(false);
    EXPECT_EQ(dataSet->RecNo(), 600);
    EXPECT_EQ(bar->value(), 600);
    // A horizontal line step scrolls one column.
    grid->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(grid->LeftCol(), grid->FixedCols() + (grid->MaxLeftCol() > grid->FixedCols() ? 1 : 0));
}

}  // namespace
}  // namespace qelvor::test

namespace qelvor::test {
namespace {

TEST_F(GridGeometry, UnsequencedDatasetBarShowsWhereTheWindowIs)
{
    AttachDataSet(200, false);
    dataSet->SetSequenced(false);
    dataSet->Open();
    SizeForDataRows(10);
    ScrollInfo info = grid->GetScrollInfo(TScrollBarKind::sbVertical);
    EXPECT_EQ(info.min, 0);
    EXPECT_EQ(info.max, 4);
    EXPECT_EQ(info.page, 0);
    EXPECT_EQ(info.pos, 0);
    dataSet->MoveBy(20);
    EXPECT_EQ(grid->GetScrollInfo(TScrollBarKind::sbVertical).pos, 2);
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_THUMBPOSITION, 4);
    EXPECT_TRUE(dataSet->Eof());
    EXPECT_EQ(grid->GetScrollInfo(TScrollBarKind::sbVertical).pos, 4);
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_THUMBPOSITION, 1);
    EXPECT_EQ(grid->GetScrollInfo(TScrollBarKind::sbVertical).pos, 2);
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_THUMBPOSITION, 0);
    EXPECT_TRUE(dataSet->Bof());
    EXPECT_EQ(grid->GetScrollInfo(TScrollBarKind::sbVertical).pos, 0);
}

TEST_F(GridGeometry, RowHeightAndRowLinesProperties)
{
    AttachDataSet(50);
    SizeForDataRows(10);
    // Lines of the design font: 12 pixels, no leading.
    const int line = TextLineHeight(DesignFont());
    ASSERT_EQ(line, 12);
    grid->SetRowLines(2);
    EXPECT_EQ(grid->DefaultRowHeight(), 2 * line);
    grid->SetRowLines(0);
    grid->SetRowHeight(30);
    EXPECT_EQ(grid->DefaultRowHeight(), 30);
    EXPECT_EQ(grid->DataRowPitch(), 31);
    // The record window shrinks with the taller rows.
    EXPECT_EQ(grid->DataLink().BufferCount(), (grid->ClientHeight() - TitleRowHeight() - 1) / 31);
    grid->SetRowHeight(-5);
    EXPECT_EQ(grid->RowHeight(), 0);
    EXPECT_EQ(grid->DefaultRowHeight(), DataRowHeight());
    grid->SetTitleLines(2);
    EXPECT_EQ(grid->RowHeights(0), 2 * line + 2 + 1);
}

}  // namespace
}  // namespace qelvor::test
