// Data events: dispatch order, controls disabled, data-source state and link errors.
#include <gtest/gtest.h>

#include <thread>

#include "data/Field.h"
#include "runtime/Exceptions.h"
#include "tests/data/support/MemoryDataSet.h"
#include "tests/data/support/OpenWindow.h"
#include "tests/data/support/RecordingLink.h"

namespace qelvor::test {
namespace {

using Log = std::vector<std::string>;

TEST(DataEventDispatch, SourcesInAttachmentOrderLinksNonVisualFirstNewestFirst)
{
    MemoryDataSet dataSet(20);
    TDataSource first("First");
    TDataSource second("Second");
    Log log;
    RecordingLink l1("L1", &log), l2("L2", &log), l3("L3", &log), l4("L4", &log);
    l2.SetVisualControl(true);
    for (RecordingLink* link : {&l1, &l2, &l3, &l4})
        link->logCheckBrowse = true;
    first.SetDataSet(&dataSet);
    second.SetDataSet(&dataSet);
    l1.SetDataSource(&first);
    l2.SetDataSource(&first);
    l3.SetDataSource(&first);
    l4.SetDataSource(&second);

    dataSet.Open();
    EXPECT_EQ(log, (Log{"L3:active", "L1:active", "L2:active", "L4:active"}));
    log.clear();
    dataSet.Last();
    EXPECT_EQ(log, (Log{"L3:checkbrowse", "L1:checkbrowse", "L2:checkbrowse", "L4:checkbrowse", "L3:changed",
                        "L1:changed", "L2:changed", "L4:changed"}));
}

// Controls live on the thread that made the dataset: an event raised on another thread
// would reach them there, so it stops the program instead.
TEST(DataEventDispatchDeathTest, AnEventFromAnotherThreadIsRefused)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            MemoryDataSet dataSet(5);
            TDataSource source("Source");
            source.SetDataSet(&dataSet);
            std::thread([&dataSet] { dataSet.Open(); }).join();
        },
        "assertion failed: std::this_thread::get_id\\(\\) == ownerThread_");
}

TEST(DataEventDispatch, SourceEventsAndEnabled)
{
    MemoryDataSet dataSet(20);
    TDataSource source("Src");
    int stateChanges = 0;
    int dataChanges = 0;
    source.OnStateChange = [&](TDataSource&) { ++stateChanges; };
    source.OnDataChange = [&](TDataSource&, TField* field) {
        EXPECT_EQ(field, nullptr);
        ++dataChanges;
    };
    RecordingLink link;
    link.SetDataSource(&source);
    source.SetDataSet(&dataSet);
    EXPECT_EQ(source.State(), TDataSetState::dsInactive);

    dataSet.Open();
    EXPECT_EQ(source.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(stateChanges, 1);
    EXPECT_EQ(dataChanges, 1) << "leaving the inactive state is a data change";
    dataSet.MoveBy(3);
    EXPECT_EQ(dataChanges, 2);

    source.SetEnabled(false);
    EXPECT_FALSE(link.Active());
    link.ClearLog();
    dataSet.MoveBy(3);
    EXPECT_TRUE(link.Log().empty()) << "a disabled source passes nothing on";
    source.SetEnabled(true);
    EXPECT_TRUE(link.Active());
}

TEST(DataEventDispatch, DisabledControlsGetOneEventOnEnable)
{
    OpenWindow linked(50, 10);
    MemoryDataSet& dataSet = linked.dataSet;
    RecordingLink& link = linked.link;

    dataSet.DisableControls();
    dataSet.DisableControls();
    dataSet.MoveBy(3);
    dataSet.Last();
    dataSet.EnableControls();
    EXPECT_TRUE(link.Log().empty()) << "nested disables need as many enables";
    dataSet.EnableControls();
    EXPECT_EQ(link.Log(), Log{"changed"});
    EXPECT_EQ(link.VisibleIds().back(), 50);

    link.ClearLog();
    dataSet.DisableControls();
    dataSet.Fields(0)->SetDisplayWidth(4);
    dataSet.MoveBy(-1);
    dataSet.EnableControls();
    EXPECT_EQ(link.Log(), Log{"layout"}) << "a layout change while disabled is sent as such";
}

TEST(DataEventDispatch, ClosingWhileDisabledDeactivatesOnEnable)
{
    OpenWindow linked(50, 1);
    MemoryDataSet& dataSet = linked.dataSet;
    RecordingLink& link = linked.link;

    dataSet.DisableControls();
    dataSet.Close();
    EXPECT_TRUE(link.Log().empty());
    dataSet.EnableControls();
    EXPECT_EQ(link.Log(), Log{"inactive"});
    EXPECT_EQ(linked.source.State(), TDataSetState::dsInactive);
}

TEST(DataEventDispatch, FieldPropertiesAnnounceLayoutChanges)
{
    OpenWindow linked(5, 1);
    MemoryDataSet& dataSet = linked.dataSet;
    RecordingLink& link = linked.link;
    TField* name = dataSet.Fields(1);
    name->SetDisplayLabel("Label");
    name->SetVisible(false);
    name->SetVisible(false);
    dataSet.MoveField(name, 0);
    EXPECT_EQ(link.Log(), (Log{"layout", "layout", "layout"}));
    EXPECT_EQ(dataSet.Fields(0), name);
    EXPECT_EQ(name->Index(), 0);
    EXPECT_EQ(name->DisplayText(), "row 1") << "moving a field keeps its values";
}

TEST(DataEventErrors, CircularLinksAndFixedSources)
{
    MemoryDataSet detail(5);
    TDataSource source("DataSource1");
    detail.SetMasterSource(&source);
    try {
        source.SetDataSet(&detail);
        FAIL() << "a dataset whose master is this source cannot be its dataset";
    } catch (const EDatabaseError& error) {
        EXPECT_STREQ(error.what(), "DataSource1: Circular datalinks are not allowed");
    }
    EXPECT_EQ(source.DataSet(), nullptr);

    TDataSource other("Other");
    RecordingLink link;
    link.SetDataSource(&source);
    link.SetDataSourceFixed(true);
    try {
        link.SetDataSource(&other);
        FAIL() << "a fixed link keeps its source";
    } catch (const EDatabaseError& error) {
        EXPECT_STREQ(error.what(), "DataSource1: DataSource cannot be changed");
    }
    EXPECT_EQ(link.DataSource(), &source);
    link.SetDataSource(&source);  // the same source is no change
}

TEST(DataEventErrors, ClosedDataSetOperations)
{
    MemoryDataSet dataSet(5);
    for (auto operation : {+[](TDataSet& d) { d.MoveBy(1); }, +[](TDataSet& d) { d.First(); },
                           +[](TDataSet& d) { d.CheckBrowseMode(); }, +[](TDataSet& d) { d.RecordCount(); }}) {
        try {
            operation(dataSet);
            FAIL() << "needs an open dataset";
        } catch (const EDatabaseError& error) {
            EXPECT_STREQ(error.what(), "MemData: Cannot perform this operation on a closed dataset");
        }
    }
}

TEST(DataEventLifetime, DestroyingEitherSideLeavesNoDanglingLink)
{
    RecordingLink link;
    {
        MemoryDataSet dataSet(5);
        auto source = std::make_unique<TDataSource>("Src");
        source->SetDataSet(&dataSet);
        link.SetDataSource(source.get());
        dataSet.Open();
        EXPECT_TRUE(link.Active());
        source.reset();
        EXPECT_FALSE(link.Active());
        EXPECT_EQ(link.DataSource(), nullptr);
        EXPECT_EQ(dataSet.WindowSize(), 1);
    }
    TDataSource source("Src");
    link.SetDataSource(&source);
    {
        MemoryDataSet dataSet(5);
        source.SetDataSet(&dataSet);
        dataSet.Open();
        EXPECT_TRUE(link.Active());
    }
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_FALSE(link.Active());
}

TEST(DataEventLifetime, NotificationsAroundOpenCloseAndScroll)
{
    MemoryDataSet dataSet(5);
    Log log;
    dataSet.BeforeOpen = [&](TDataSet&) { log.push_back("before-open"); };
    dataSet.AfterOpen = [&](TDataSet& d) { log.push_back(d.State() == TDataSetState::dsBrowse ? "after-open" : "?"); };
    dataSet.BeforeScroll = [&](TDataSet&) { log.push_back("before-scroll"); };
    dataSet.AfterScroll = [&](TDataSet&) { log.push_back("after-scroll"); };
    dataSet.BeforeClose = [&](TDataSet&) { log.push_back("before-close"); };
    dataSet.AfterClose = [&](TDataSet& d) { log.push_back(d.Active() ? "?" : "after-close"); };
    dataSet.Open();
    dataSet.MoveBy(1);
    dataSet.MoveBy(0);
    dataSet.Close();
    EXPECT_EQ(log, (Log{"before-open", "after-open", "before-scroll", "after-scroll", "before-scroll", "before-close",
                        "after-close"}));
}

}  // namespace
}  // namespace qelvor::test
