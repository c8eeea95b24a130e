// The title cell's layout: caption, sort marker and number placed from the cell alone.
#include <gtest/gtest.h>

#include "grid/TitleCellLayout.h"

namespace qelvor {
namespace {

const QRect kWideCell(100, 0, 80, 17);  // right edge at 180

TEST(TitleCellLayout, UnmarkedTitleGivesTheCaptionTheWholeCell)
{
    const TitleCellLayout layout = LayoutTitleCell(kWideCell, false, false, 12);
    EXPECT_EQ(layout.caption, kWideCell);
    EXPECT_TRUE(layout.markerStrip.isEmpty());
    EXPECT_FALSE(layout.showMarker);
    EXPECT_EQ(layout.numberWidth, 0);
}

TEST(TitleCellLayout, MarkerAndNumberSitAtTheRightEdge)
{
    const TitleCellLayout layout = LayoutTitleCell(kWideCell, false, true, 6);
    EXPECT_EQ(layout.caption, QRect(100, 0, 64, 17));
    EXPECT_EQ(layout.markerStrip, QRect(164, 0, 16, 17));
    EXPECT_TRUE(layout.showMarker);
    EXPECT_EQ(layout.number, QPoint(180 - 2 - 6, 3));
    EXPECT_EQ(layout.marker, QPoint(180 - 2 - 6 - 10, 4));  // centred: (0 + 17 - 9) / 2
    EXPECT_EQ(layout.numberWidth, 6);
}

TEST(TitleCellLayout, NarrowCellGivesUpTheMarkerThenTheNumber)
{
    // 10 pixels: no room for the 16 the marker needs; the number (6 + 2) still fits.
    const TitleCellLayout withoutMarker = LayoutTitleCell(QRect(0, 0, 10, 17), false, true, 6);
    EXPECT_FALSE(withoutMarker.showMarker);
    EXPECT_EQ(withoutMarker.numberWidth, 6);
    EXPECT_EQ(withoutMarker.caption.width(), 2);
    EXPECT_EQ(withoutMarker.number.x(), 2);

    // 5 pixels: not even the number fits; the caption gets the cell back.
    const TitleCellLayout bare = LayoutTitleCell(QRect(0, 0, 5, 17), false, true, 6);
    EXPECT_FALSE(bare.showMarker);
    EXPECT_EQ(bare.numberWidth, 0);
    EXPECT_EQ(bare.caption.width(), 5);
    EXPECT_TRUE(bare.markerStrip.isEmpty());
}

// The exact edges: the marker stays in a cell of just its 16 pixels (the caption gets
// none), goes at 15; the number stays in just its 6 + 2, goes at 7.
TEST(TitleCellLayout, MarkerAndNumberStayWhileTheyFitExactly)
{
    const TitleCellLayout marker = LayoutTitleCell(QRect(40, 0, 16, 17), false, true, 0);
    EXPECT_TRUE(marker.showMarker);
    EXPECT_EQ(marker.caption.width(), 0);
    EXPECT_EQ(marker.marker.x(), 40 + 16 - 2 - 10);
    EXPECT_FALSE(LayoutTitleCell(QRect(40, 0, 15, 17), false, true, 0).showMarker);

    const TitleCellLayout number = LayoutTitleCell(QRect(40, 0, 8, 17), false, true, 6);
    EXPECT_FALSE(number.showMarker);
    EXPECT_EQ(number.numberWidth, 6);
    EXPECT_EQ(number.caption.width(), 0);
    EXPECT_EQ(number.number.x(), 40);
    const TitleCellLayout none = LayoutTitleCell(QRect(40, 0, 7, 17), false, true, 6);
    EXPECT_EQ(none.numberWidth, 0);
    EXPECT_EQ(none.caption.width(), 7);
}

TEST(TitleCellLayout, PressedTitleMovesOnePixelAndFillsWhatItLeaves)
{
    const TitleCellLayout layout = LayoutTitleCell(kWideCell, true, true, 0);
    EXPECT_EQ(layout.caption, QRect(101, 1, 64, 16));
    EXPECT_EQ(layout.marker, QPoint(180 + 1 - 2 - 10, 5));
    EXPECT_EQ(layout.pressedStrips[0], QRect(100, 0, 80, 1));
    EXPECT_EQ(layout.pressedStrips[1], QRect(100, 0, 1, 17));
    // The strip right of the caption is where it was before the press.
    EXPECT_EQ(layout.markerStrip, QRect(164, 0, 16, 17));

    const TitleCellLayout released = LayoutTitleCell(kWideCell, false, true, 0);
    EXPECT_TRUE(released.pressedStrips[0].isEmpty());
    EXPECT_TRUE(released.pressedStrips[1].isEmpty());
}

}  // namespace
}  // namespace qelvor
