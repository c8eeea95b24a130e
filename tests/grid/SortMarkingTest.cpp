// Sort markers set in code: the marker and index setters, the marker cycle and the
// list of sort-marked columns with its invariants.
#include "tests/grid/support/GridFixture.h"

namespace qelvor::test {
namespace {

class SortMarking : public GridFixture {
protected:
    TColumnTitleEh* Title(int dataCol) { return grid->Columns()[dataCol]->Title(); }
    // The list as data-column indexes.
    std::vector<int> List() const
    {
        std::vector<int> indexes;
        for (TColumnEh* column : grid->SortMarkedColumnList())
            indexes.push_back(column ? column->Index() : -1);
        return indexes;
    }
    // The invariants that hold outside a collection update.
    void ExpectConsistent()
    {
        const TColumnsEhList& list = grid->SortMarkedColumnList();
        for (int i = 0; i < grid->Columns().Count(); ++i) {
            TColumnEh* column = grid->Columns()[i];
            const int index = column->Title()->SortIndex();
            if (column->Title()->SortMarker() == smNoneEh) {
                EXPECT_EQ(index, 0) << "column " << i;
                EXPECT_EQ(list.IndexOf(column), -1) << "column " << i;
            } else {
                ASSERT_GE(index, 1) << "column " << i;
                ASSERT_LE(index, list.Count()) << "column " << i;
                EXPECT_EQ(list[index - 1], column) << "column " << i;
            }
        }
    }
};

TEST_F(SortMarking, PlainCyclesKeepExactlyOneMarkedColumn)
{
    Title(0)->CycleSortMarker(false);
    EXPECT_EQ(Title(0)->SortMarker(), smDownEh);
    EXPECT_EQ(Title(0)->SortIndex(), 1);
    EXPECT_EQ(List(), std::vector<int>{0});
    Title(0)->CycleSortMarker(false);
    EXPECT_EQ(Title(0)->SortMarker(), smUpEh);
    Title(0)->CycleSortMarker(false);
    EXPECT_EQ(Title(0)->SortMarker(), smDownEh);
    Title(1)->CycleSortMarker(false);
    EXPECT_EQ(Title(0)->SortMarker(), smNoneEh);
    EXPECT_EQ(Title(0)->SortIndex(), 0);
    EXPECT_EQ(Title(1)->SortIndex(), 1);
    EXPECT_EQ(List(), std::vector<int>{1});
    ExpectConsistent();
}

TEST_F(SortMarking, KeepingOthersAppendsAndRemoves)
{
    Title(0)->CycleSortMarker(true);
    Title(1)->CycleSortMarker(true);
    Title(2)->CycleSortMarker(true);
    EXPECT_EQ(List(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Title(2)->SortIndex(), 3);
    Title(0)->CycleSortMarker(true);
    EXPECT_EQ(Title(0)->SortMarker(), smUpEh);
    Title(0)->CycleSortMarker(true);
    EXPECT_EQ(Title(0)->SortMarker(), smNoneEh);
    EXPECT_EQ(List(), (std::vector<int>{1, 2}));
    EXPECT_EQ(Title(1)->SortIndex(), 1);
    EXPECT_EQ(Title(2)->SortIndex(), 2);
    ExpectConsistent();
}

TEST_F(SortMarking, SortIndexSwapsWithTheHolderOnlyForMarkedColumns)
{
    Title(3)->SetSortMarker(smDownEh);
    Title(5)->SetSortMarker(smUpEh);
    Title(6)->SetSortMarker(smDownEh);
    Title(6)->SetSortIndex(1);
    EXPECT_EQ(List(), (std::vector<int>{6, 5, 3}));
    EXPECT_EQ(Title(3)->SortIndex(), 3);
    ExpectConsistent();
    Title(5)->SetSortIndex(9);
    Title(0)->SetSortIndex(1);
    Title(5)->SetSortIndex(-4);
    EXPECT_EQ(List(), (std::vector<int>{6, 5, 3}));
    EXPECT_EQ(Title(0)->SortIndex(), 0);
    ExpectConsistent();
}

TEST_F(SortMarking, SingleMarkingClearsTheOthers)
{
    grid->SetOptionsEh({dghAutoSortMarking, dghFixed3D});
    Title(1)->SetSortMarker(smDownEh);
    Title(4)->SetSortMarker(smUpEh);
    EXPECT_EQ(Title(1)->SortMarker(), smNoneEh);
    EXPECT_EQ(List(), std::vector<int>{4});
    Title(4)->SetSortMarker(smNoneEh);
    EXPECT_TRUE(List().empty());
    ExpectConsistent();
}

TEST_F(SortMarking, DroppingMultiMarkingKeepsTheFirst)
{
    Title(2)->SetSortMarker(smDownEh);
    Title(0)->SetSortMarker(smDownEh);
    Title(5)->SetSortMarker(smUpEh);
    grid->SetOptionsEh({dghAutoSortMarking, dghFixed3D});
    EXPECT_EQ(List(), std::vector<int>{2});
    EXPECT_EQ(Title(0)->SortMarker(), smNoneEh);
    ExpectConsistent();
}

TEST_F(SortMarking, ValuesLoadedInAnUpdateAreSettledByTheRebuild)
{
    grid->BeginLoad();
    Title(4)->SetSortMarker(smDownEh);
    Title(4)->SetSortIndex(2);
    Title(1)->SetSortMarker(smUpEh);
    Title(1)->SetSortIndex(1);
    grid->EndLoad();
    EXPECT_EQ(List(), (std::vector<int>{1, 4}));
    ExpectConsistent();
    // Moving a marked column keeps its number; the rebuilt list keeps its order.
    grid->Columns().Move(4, 0);
    EXPECT_EQ(List(), (std::vector<int>{2, 0}));
    ExpectConsistent();
}

TEST_F(SortMarking, InconsistentStoredNumbersLeaveNoGapsInTheList)
{
    grid->BeginLoad();
    Title(2)->SetSortMarker(smDownEh);
    Title(2)->SetSortIndex(5);
    Title(0)->SetSortMarker(smUpEh);
    Title(0)->SetSortIndex(3);
    Title(6)->SetSortMarker(smDownEh);
    Title(6)->SetSortIndex(3);
    grid->EndLoad();
    EXPECT_EQ(List(), (std::vector<int>{0, 6, 2}));
    ExpectConsistent();
}

TEST_F(SortMarking, NotificationNeedsAutoSortMarking)
{
    int raised = 0;
    grid->Events().OnSortMarkingChanged = [&](TCustomDBGridEh& sender) {
        EXPECT_EQ(&sender, grid);
        ++raised;
    };
    grid->DoSortMarkingChanged();
    EXPECT_EQ(raised, 1);
    grid->SetOptionsEh({dghFixed3D});
    grid->DoSortMarkingChanged();
    EXPECT_EQ(raised, 1);
}

TEST_F(SortMarking, DeletedColumnLeavesTheList)
{
    Title(0)->SetSortMarker(smDownEh);
    Title(1)->SetSortMarker(smDownEh);
    grid->Columns().Delete(0);
    EXPECT_EQ(grid->SortMarkedColumnList().Count(), 1);
    EXPECT_EQ(grid->SortMarkedColumnList()[0], grid->Columns()[0]);
}

TEST_F(SortMarking, DeletingAnUnmarkedColumnKeepsTheOthersNumbers)
{
    Title(3)->SetSortMarker(smDownEh);
    Title(1)->SetSortMarker(smUpEh);
    ASSERT_EQ(List(), (std::vector<int>{3, 1}));
    grid->Columns().Delete(2);  // between the two
    EXPECT_EQ(List(), (std::vector<int>{2, 1}));
    EXPECT_EQ(Title(2)->SortIndex(), 1);
    EXPECT_EQ(Title(1)->SortIndex(), 2);
    grid->Columns().Delete(0);  // before both
    EXPECT_EQ(List(), (std::vector<int>{1, 0}));
    EXPECT_EQ(Title(1)->SortIndex(), 1);
    EXPECT_EQ(Title(0)->SortIndex(), 2);
    ExpectConsistent();
}

}  // namespace
}  // namespace qelvor::test
