// The selection state on the browse form's grid (no multi-select) and with it.
#include "runtime/Exceptions.h"
#include "tests/grid/support/GridFixture.h"

namespace qelvor::test {
namespace {

using Selection = GridFixture;

TEST_F(Selection, NothingCanBeSelectedWithoutMultiSelect)
{
    AttachDataSet(10);
    SizeForDataRows(5);
    EXPECT_TRUE(grid->SelectionTypeAllowed(gstNon));
    for (TDBGridEhSelectionType type : {gstRecordBookmarks, gstRectangle, gstColumns, gstAll})
        EXPECT_FALSE(grid->SelectionTypeAllowed(type)) << static_cast<int>(type);
    EXPECT_FALSE(grid->Selection().IsCellSelected(0, dataSet->GetBookmark()));
    grid->ClearSelection();
    EXPECT_EQ(grid->Selection().SelectionType(), gstNon);
    EXPECT_FALSE(grid->Selecting());
}

TEST_F(Selection, AllowedSelectionsDecideWithMultiSelect)
{
    grid->SetOptions(grid->Options() + TDBGridOptions{dgMultiSelect});
    EXPECT_TRUE(grid->SelectionTypeAllowed(gstRecordBookmarks));
    EXPECT_TRUE(grid->SelectionTypeAllowed(gstAll));
    EXPECT_FALSE(grid->SelectionTypeAllowed(gstRectangle));
    grid->SetAllowedSelections({gstRectangle, gstColumns});
    EXPECT_TRUE(grid->SelectionTypeAllowed(gstRectangle));
    grid->SetOptions(grid->Options() + TDBGridOptions{dgRowSelect});
    EXPECT_FALSE(grid->SelectionTypeAllowed(gstRectangle));
    EXPECT_FALSE(grid->SelectionTypeAllowed(gstColumns));
}

TEST_F(Selection, TakingAKindOutOfTheAllowedOnesClearsASelectionOfThatKindOnly)
{
    AttachDataSet(10);
    SizeForDataRows(5);
    // The browse form's grid: nothing is selected, so changing the kinds shows nothing.
    const QImage plain = Render();
    grid->SetAllowedSelections({});
    grid->SetAllowedSelections({gstRectangle, gstColumns});
    EXPECT_EQ(Render(), plain);
    EXPECT_EQ(grid->Selection().SelectionType(), gstNon);

    grid->SetOptions(grid->Options() + TDBGridOptions{dgMultiSelect});
    const QImage unselected = Render();
    const auto row = [](int index) { return GridTestDataSet::BookmarkOfRow(index); };
    grid->Selection().SelectRectangle({0, 1, row(1), row(2)});
    ASSERT_EQ(grid->Selection().SelectionType(), gstRectangle);
    const QImage selected = Render();
    ASSERT_NE(selected, unselected) << "selected cells are painted as such";
    // Another kind going leaves the block alone.
    grid->SetAllowedSelections({gstRectangle});
    EXPECT_EQ(grid->Selection().SelectionType(), gstRectangle);
    EXPECT_TRUE(grid->Selection().IsCellSelected(1, row(2)));
    EXPECT_EQ(Render(), selected);
    // Its own kind going clears it.
    grid->SetAllowedSelections({gstRecordBookmarks, gstAll});
    EXPECT_EQ(grid->Selection().SelectionType(), gstNon);
    EXPECT_FALSE(grid->Selection().IsCellSelected(1, row(2)));
    EXPECT_EQ(Render(), unselected);
}

TEST_F(Selection, RectangleHoldsTheCellsBetweenItsCornersOnBothAxes)
{
    AttachDataSet(10);
    grid->SetOptions(grid->Options() + TDBGridOptions{dgMultiSelect});
    auto row = [](int index) { return GridTestDataSet::BookmarkOfRow(index); };
    grid->Selection().SelectRectangle({1, 3, row(2), row(5)});
    EXPECT_EQ(grid->Selection().SelectionType(), gstNon);  // not among the allowed selections
    grid->SetAllowedSelections({gstRectangle});
    // The corners in either order give the same block: data columns 1..3, rows 2..5.
    for (const TDBGridEhSelectionRect& rect : {TDBGridEhSelectionRect{1, 3, row(2), row(5)},
                                               TDBGridEhSelectionRect{3, 1, row(5), row(2)}}) {
        grid->Selection().SelectRectangle(rect);
        ASSERT_EQ(grid->Selection().SelectionType(), gstRectangle);
        for (int dataCol = -1; dataCol <= 4; ++dataCol) {
            for (int index = 0; index < 10; ++index) {
                const bool inside = dataCol >= 1 && dataCol <= 3 && index >= 2 && index <= 5;
                EXPECT_EQ(grid->Selection().IsCellSelected(dataCol, row(index)), inside)
                    << "data column " << dataCol << ", row " << index << ", from column " << rect.DataColFrom;
            }
        }
        EXPECT_FALSE(grid->Selection().IsCellSelected(2, TBookmark{}));  // no record
    }
    grid->Selection().Clear();
    EXPECT_FALSE(grid->Selection().IsCellSelected(2, row(3)));
}

TEST_F(Selection, RecordListNeedsAnOpenDataset)
{
    AttachDataSet(10, false);
    try {
        (void)grid->SelectedRows().CurrentRowSelected();
        ADD_FAILURE() << "no failure on a closed dataset";
    } catch (const EDatabaseError& error) {
        EXPECT_STREQ(error.what(), "Cannot perform this operation on a closed dataset");
    }
    dataSet->Open();
    EXPECT_TRUE(grid->SelectedRows().LinkActive());
    EXPECT_FALSE(grid->SelectedRows().CurrentRowSelected());
    dataSet->Close();
    EXPECT_FALSE(grid->SelectedRows().LinkActive());
    EXPECT_EQ(grid->SelectedRows().Count(), 0);
}

}  // namespace
}  // namespace qelvor::test
