// The sort marking's share of a title click, without any widget: the marker cycle of a
// plain click and of a Ctrl+click, the notification held while Ctrl is down, the rule
// for several markers, and a stored layout's values settled when the update ends.
#include <vector>

#include <gtest/gtest.h>

#include "grid/ColumnsEh.h"
#include "grid/SortMarking.h"

namespace qelvor::test {
namespace {

class SortMarkingClick : public ::testing::Test {
protected:
    SortMarkingClick()
    {
        for (int i = 0; i < 4; ++i)
            columns.Add();
    }
    TColumnEh* Column(int index) { return columns[index]; }
    TColumnTitleEh& Title(int index) { return *columns[index]->Title(); }
    std::vector<int> List() const
    {
        std::vector<int> indexes;
        for (TColumnEh* column : marking.MarkedColumns())
            indexes.push_back(column->Index());
        return indexes;
    }
    std::vector<TSortMarkerEh> Markers()
    {
        std::vector<TSortMarkerEh> markers;
        for (int i = 0; i < columns.Count(); ++i)
            markers.push_back(Title(i).SortMarker());
        return markers;
    }

    TDBGridColumnsEh columns{nullptr};
    TSortMarkingEh& marking = columns.SortMarking();
};

TEST_F(SortMarkingClick, PlainClicksTurnOneMarkerAndNotifyAtOnce)
{
    marking.SetMultipleRule([] { return true; });
    EXPECT_TRUE(marking.Click(Column(1), false));
    EXPECT_EQ(Markers(), (std::vector<TSortMarkerEh>{smNoneEh, smDownEh, smNoneEh, smNoneEh}));
    EXPECT_TRUE(marking.Click(Column(1), false));
    EXPECT_EQ(Title(1).SortMarker(), smUpEh);
    EXPECT_TRUE(marking.Click(Column(1), false));
    EXPECT_EQ(Title(1).SortMarker(), smDownEh) << "a plain click never takes the last marker away";
    // Even where several markers are kept, a plain click clears the others.
    EXPECT_TRUE(marking.Click(Column(3), false));
    EXPECT_EQ(Markers(), (std::vector<TSortMarkerEh>{smNoneEh, smNoneEh, smNoneEh, smDownEh}));
    EXPECT_EQ(List(), std::vector<int>{3});
    EXPECT_EQ(Title(3).SortIndex(), 1);
    EXPECT_FALSE(marking.ChangePending());
}

TEST_F(SortMarkingClick, CtrlClicksKeepTheOthersAndHoldTheNotification)
{
    EXPECT_FALSE(marking.Click(Column(2), true));
    EXPECT_TRUE(marking.ChangePending());
    EXPECT_FALSE(marking.Click(Column(0), true));
    EXPECT_FALSE(marking.Click(Column(3), true));
    EXPECT_EQ(List(), (std::vector<int>{2, 0, 3}));
    // down -> up -> none; the numbers behind close up.
    marking.Click(Column(2), true);
    EXPECT_EQ(Title(2).SortMarker(), smUpEh);
    EXPECT_EQ(Title(2).SortIndex(), 1);
    marking.Click(Column(2), true);
    EXPECT_EQ(Title(2).SortMarker(), smNoneEh);
    EXPECT_EQ(Title(2).SortIndex(), 0);
    EXPECT_EQ(List(), (std::vector<int>{0, 3}));
    EXPECT_EQ(Title(3).SortIndex(), 2);
    // A plain click carries the waiting notification.
    EXPECT_TRUE(marking.Click(Column(3), false));
    EXPECT_FALSE(marking.ChangePending());
    EXPECT_EQ(List(), std::vector<int>{3});
    EXPECT_EQ(Title(3).SortMarker(), smUpEh);
    EXPECT_FALSE(marking.TakeChangePending());
}

TEST_F(SortMarkingClick, AClickWithoutMarkingOnlyDecidesTheNotification)
{
    EXPECT_FALSE(marking.Click(nullptr, true));
    EXPECT_TRUE(marking.TakeChangePending());
    EXPECT_TRUE(marking.Click(nullptr, false));
    EXPECT_FALSE(marking.ChangePending());
    EXPECT_TRUE(List().empty());
}

TEST_F(SortMarkingClick, TheRuleForSeveralMarkersDecidesWhatASetterClears)
{
    bool multiple = false;
    marking.SetMultipleRule([&multiple] { return multiple; });
    Title(0).SetSortMarker(smDownEh);
    Title(2).SetSortMarker(smUpEh);
    EXPECT_EQ(Markers(), (std::vector<TSortMarkerEh>{smNoneEh, smNoneEh, smUpEh, smNoneEh}));
    // A Ctrl+click marks one alone too when only one marker is kept.
    marking.Click(Column(1), true);
    EXPECT_EQ(List(), std::vector<int>{1});
    multiple = true;
    Title(3).SetSortMarker(smDownEh);
    Title(0).SetSortMarker(smUpEh);
    EXPECT_EQ(List(), (std::vector<int>{1, 3, 0}));
    Title(0).SetSortIndex(1);
    EXPECT_EQ(List(), (std::vector<int>{0, 3, 1}));
    EXPECT_EQ(Title(1).SortIndex(), 3);
}

TEST_F(SortMarkingClick, ValuesGivenInAnUpdateWaitAndSettleWhenItEnds)
{
    Title(1).SetSortMarker(smDownEh);
    columns.BeginUpdate();
    // A stored layout: numbers before markers, gaps, a marker taken away.
    Title(3).SetSortIndex(5);
    Title(3).SetSortMarker(smUpEh);
    Title(0).SetSortMarker(smDownEh);
    Title(0).SetSortIndex(3);
    Title(1).SetSortMarker(smNoneEh);
    Title(2).SetSortMarker(smDownEh);
    // The titles read what they were given; the list waits.
    EXPECT_EQ(Title(3).SortIndex(), 5);
    EXPECT_EQ(Title(3).SortMarker(), smUpEh);
    EXPECT_EQ(Title(1).SortMarker(), smNoneEh);
    EXPECT_EQ(List(), std::vector<int>{1});
    columns.EndUpdate();
    EXPECT_EQ(List(), (std::vector<int>{0, 3, 2}));
    EXPECT_EQ(Title(0).SortIndex(), 1);
    EXPECT_EQ(Title(3).SortIndex(), 2);
    EXPECT_EQ(Title(2).SortIndex(), 3);
    EXPECT_EQ(Title(1).SortIndex(), 0);
    EXPECT_EQ(Title(3).SortMarker(), smUpEh);
    marking.AssertConsistent();
}

TEST_F(SortMarkingClick, ADeletedOrClearedColumnLeavesTheList)
{
    Title(0).SetSortMarker(smDownEh);
    Title(2).SetSortMarker(smUpEh);
    columns.Delete(0);
    EXPECT_EQ(List(), std::vector<int>{1});
    EXPECT_EQ(Title(1).SortIndex(), 1);
    columns.Clear();
    EXPECT_TRUE(marking.MarkedColumns().Count() == 0);
}

}  // namespace
}  // namespace qelvor::test
