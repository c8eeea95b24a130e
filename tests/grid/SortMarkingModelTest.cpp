// The sort marking on its own, over a column collection without a grid: the numbering
// as markers come and go, the single-marker rule, number swaps, the rebuild after an
// update and the pending notification; and the marking over an owner of its own, which
// shows what it asks of a collection and tells it.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "grid/ColumnsEh.h"
#include "grid/SortMarking.h"

namespace qelvor::test {
namespace {

class SortMarkingModel : public ::testing::Test {
protected:
    SortMarkingModel()
    {
        for (int i = 0; i < 5; ++i)
            columns.Add();
    }
    TColumnEh& Column(int index) { return *columns[index]; }
    int Number(int index) { return columns[index]->Title()->SortIndex(); }
    TSortMarkerEh Marker(int index) { return columns[index]->Title()->SortMarker(); }
    // The list as collection indexes.
    std::vector<int> List() const
    {
        std::vector<int> indexes;
        for (TColumnEh* column : marking.MarkedColumns())
            indexes.push_back(column->Index());
        return indexes;
    }
    // Every title's number, in collection order.
    std::vector<int> Numbers()
    {
        std::vector<int> numbers;
        for (int i = 0; i < columns.Count(); ++i)
            numbers.push_back(Number(i));
        return numbers;
    }
    std::vector<int> Indexes(const std::vector<TColumnEh*>& changed) const
    {
        std::vector<int> indexes;
        for (TColumnEh* column : changed)
            indexes.push_back(column->Index());
        return indexes;
    }
    void Mark(int index, TSortMarkerEh marker) { marking.SetMarker(Column(index), marker, true); }

    TDBGridColumnsEh columns{nullptr};
    TSortMarkingEh& marking = columns.SortMarking();
};

TEST_F(SortMarkingModel, MultipleMarksAreNumberedInOrderAndCloseUpWhenOneGoes)
{
    Mark(3, smDownEh);
    Mark(0, smUpEh);
    Mark(4, smDownEh);
    EXPECT_EQ(List(), (std::vector<int>{3, 0, 4}));
    EXPECT_EQ(Numbers(), (std::vector<int>{2, 0, 0, 1, 3}));
    // A turn between the two directions keeps the place.
    Mark(0, smDownEh);
    EXPECT_EQ(Marker(0), smDownEh);
    EXPECT_EQ(Numbers(), (std::vector<int>{2, 0, 0, 1, 3}));
    // The middle one goes: the last moves up, the first stays.
    Mark(0, smNoneEh);
    EXPECT_EQ(List(), (std::vector<int>{3, 4}));
    EXPECT_EQ(Numbers(), (std::vector<int>{0, 0, 0, 1, 2}));
    // Marked again, it comes back last.
    Mark(0, smUpEh);
    EXPECT_EQ(List(), (std::vector<int>{3, 4, 0}));
    EXPECT_EQ(Numbers(), (std::vector<int>{3, 0, 0, 1, 2}));
}

TEST_F(SortMarkingModel, ChangedColumnsAreReportedOthersFirst)
{
    EXPECT_EQ(Indexes(marking.SetMarker(Column(1), smDownEh, true)), std::vector<int>{1});
    EXPECT_TRUE(marking.SetMarker(Column(1), smDownEh, true).empty());
    Mark(2, smUpEh);
    Mark(4, smDownEh);
    // Without multiple marking the others are cleared, in collection order, before the target.
    EXPECT_EQ(Indexes(marking.SetMarker(Column(3), smUpEh, false)), (std::vector<int>{1, 2, 4, 3}));
    EXPECT_EQ(List(), std::vector<int>{3});
    EXPECT_EQ(Numbers(), (std::vector<int>{0, 0, 0, 1, 0}));
    EXPECT_EQ(Marker(1), smNoneEh);
    EXPECT_EQ(Indexes(marking.SetMarker(Column(3), smNoneEh, false)), std::vector<int>{3});
    EXPECT_TRUE(List().empty());
    EXPECT_EQ(Numbers(), (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST_F(SortMarkingModel, NumberSwapsOnlyWithTheColumnHoldingIt)
{
    Mark(1, smDownEh);
    Mark(2, smDownEh);
    Mark(4, smUpEh);
    EXPECT_TRUE(marking.SwapIndex(Column(4), 1));
    EXPECT_EQ(List(), (std::vector<int>{4, 2, 1}));
    EXPECT_EQ(Numbers(), (std::vector<int>{0, 3, 2, 0, 1}));
    EXPECT_FALSE(marking.SwapIndex(Column(4), 1));  // its own number
    EXPECT_FALSE(marking.SwapIndex(Column(2), 4));  // nobody holds it
    EXPECT_FALSE(marking.SwapIndex(Column(0), 1));  // not marked
    EXPECT_FALSE(marking.SwapIndex(Column(2), 0));
    EXPECT_EQ(List(), (std::vector<int>{4, 2, 1}));
    EXPECT_EQ(Numbers(), (std::vector<int>{0, 3, 2, 0, 1}));
}

TEST_F(SortMarkingModel, ColumnGoingAwayLeavesNoGap)
{
    Mark(0, smDownEh);
    Mark(2, smDownEh);
    Mark(3, smDownEh);
    marking.Remove(Column(0));
    columns.Delete(0);  // no grid: nothing else touches the numbers
    EXPECT_EQ(List(), (std::vector<int>{1, 2}));
    EXPECT_EQ(Numbers(), (std::vector<int>{0, 1, 2, 0}));
    marking.AssertConsistent();
}

TEST_F(SortMarkingModel, UnmarkedColumnGoingAwayChangesNoNumber)
{
    Mark(4, smDownEh);
    Mark(1, smUpEh);
    marking.Remove(Column(2));
    columns.Delete(2);
    EXPECT_EQ(List(), (std::vector<int>{3, 1}));
    EXPECT_EQ(Numbers(), (std::vector<int>{0, 2, 0, 1}));
    marking.AssertConsistent();
}

TEST_F(SortMarkingModel, RebuildSettlesStoredValues)
{
    // What an update leaves: numbers out of step with the markers.
    columns.BeginUpdate();
    columns[0]->Title()->SetSortMarker(smDownEh);
    columns[0]->Title()->SetSortIndex(7);
    columns[1]->Title()->SetSortIndex(2);  // a number without a marker
    columns[2]->Title()->SetSortMarker(smUpEh);  // a marker without a number
    columns[3]->Title()->SetSortMarker(smDownEh);
    columns[3]->Title()->SetSortIndex(7);  // ties with column 0
    columns[4]->Title()->SetSortMarker(smUpEh);
    columns[4]->Title()->SetSortIndex(4);
    columns.EndUpdate();
    marking.Rebuild();
    EXPECT_EQ(List(), (std::vector<int>{4, 0, 3, 2}));
    EXPECT_EQ(Numbers(), (std::vector<int>{2, 0, 4, 3, 1}));
}

// A stored layout may carry several markers for a grid that marks one at a time; taking
// one away single-handed leaves the others numbered and listed, not stranded.
TEST_F(SortMarkingModel, TakingOneOfSeveralLoadedMarkersAwayWithoutMultipleMarkingKeepsTheRest)
{
    columns.BeginUpdate();
    columns[1]->Title()->SetSortMarker(smDownEh);
    columns[3]->Title()->SetSortMarker(smUpEh);
    columns.EndUpdate();
    marking.Rebuild();
    ASSERT_EQ(List(), (std::vector<int>{1, 3}));
    marking.SetMarker(Column(1), smNoneEh, false);
    EXPECT_EQ(List(), (std::vector<int>{3}));
    EXPECT_EQ(Numbers(), (std::vector<int>{0, 0, 0, 1, 0}));
    EXPECT_EQ(Marker(3), smUpEh);
    // A new single marker still clears every other.
    marking.SetMarker(Column(0), smDownEh, false);
    EXPECT_EQ(List(), (std::vector<int>{0}));
    EXPECT_EQ(Numbers(), (std::vector<int>{1, 0, 0, 0, 0}));
}

TEST_F(SortMarkingModel, PendingNotificationIsTakenOnce)
{
    EXPECT_FALSE(marking.TakeChangePending());
    EXPECT_FALSE(marking.Click(nullptr, true));  // a Ctrl+click leaves it pending
    EXPECT_TRUE(marking.ChangePending());
    EXPECT_TRUE(marking.TakeChangePending());
    EXPECT_FALSE(marking.ChangePending());
    EXPECT_FALSE(marking.TakeChangePending());
}

// An owner that is no collection: loose columns, an update flag and a log of the
// columns whose titles the marking reported changed.
class StandInOwner : public TSortMarkingOwnerEh {
public:
    bool MarkingUpdating() const override { return updating; }
    int MarkingColumnCount() const override { return static_cast<int>(columns.size()); }
    TColumnEh* MarkingColumn(int index) const override { return columns.at(static_cast<std::size_t>(index)); }
    bool MarkingHolds(const TColumnEh* column) const override
    {
        return std::find(columns.begin(), columns.end(), column) != columns.end();
    }
    void MarkingColumnChanged(TColumnEh* column) override { told.push_back(column); }

    TDBGridColumnEh a{nullptr}, b{nullptr}, c{nullptr};  // the columns marked (outside any collection)
    std::vector<TColumnEh*> columns{&a, &b, &c};  // the owner's columns in order
    bool updating = false;  // whether an update is open
    std::vector<TColumnEh*> told;  // columns reported changed, in order
};

TEST(SortMarkingOwner, AsksItsOwnerForColumnsAndTellsItWhichChanged)
{
    StandInOwner owner;
    TSortMarkingEh marking(owner);
    marking.SetMultipleRule([] { return false; });
    marking.SetMarkerOf(owner.a, smDownEh);
    EXPECT_EQ(owner.told, (std::vector<TColumnEh*>{&owner.a}));
    // A single new marker clears the owner's other columns first, and says so.
    marking.SetMarkerOf(owner.c, smUpEh);
    EXPECT_EQ(owner.told, (std::vector<TColumnEh*>{&owner.a, &owner.a, &owner.c}));
    EXPECT_EQ(marking.MarkerOf(owner.a), smNoneEh);
    EXPECT_EQ(marking.IndexOf(owner.c), 1);

    // While the owner updates, given values wait and nothing is told.
    owner.told.clear();
    owner.updating = true;
    marking.SetMarkerOf(owner.b, smDownEh);
    marking.SetIndexOf(owner.c, 2);
    EXPECT_TRUE(owner.told.empty());
    EXPECT_EQ(marking.MarkerOf(owner.b), smDownEh);
    EXPECT_EQ(marking.MarkedColumns().Count(), 1);
    owner.updating = false;
    marking.Rebuild();
    // c keeps a number (it comes first), b has none and goes last.
    EXPECT_EQ(marking.MarkedColumns().IndexOf(&owner.c), 0);
    EXPECT_EQ(marking.MarkedColumns().IndexOf(&owner.b), 1);
    EXPECT_EQ(marking.IndexOf(owner.b), 2);
    EXPECT_TRUE(owner.told.empty());
}

}  // namespace
}  // namespace qelvor::test
