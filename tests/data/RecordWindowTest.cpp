// The record window: loading, moving, scrolling, resynchronising and resizing.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>

#include "runtime/Exceptions.h"
#include "tests/data/support/MemoryDataSet.h"
#include "tests/data/support/OpenWindow.h"
#include "tests/data/support/RecordingLink.h"

namespace qelvor::test {
namespace {

std::vector<int> Range(int first, int last)
{
    std::vector<int> ids(static_cast<std::size_t>(last - first + 1));
    std::iota(ids.begin(), ids.end(), first);
    return ids;
}

int ActiveId(const TDataSet& dataSet)
{
    return static_cast<int>(dataSet.Fields(0)->Value().Get<std::int64_t>());
}

TEST(RecordWindow, SmallResultIsLoadedWhole)
{
    OpenWindow w(5, 10);
    EXPECT_EQ(w.dataSet.WindowSize(), 10);
    EXPECT_EQ(w.dataSet.WindowRecordCount(), 5);
    EXPECT_EQ(w.link.RecordCount(), 5);
    EXPECT_EQ(w.link.VisibleIds(), Range(1, 5));
    w.dataSet.First();
    EXPECT_TRUE(w.dataSet.Bof());
    EXPECT_EQ(w.dataSet.MoveBy(10), 4);
    EXPECT_TRUE(w.dataSet.Eof());
    EXPECT_EQ(ActiveId(w.dataSet), 5);
    EXPECT_EQ(w.dataSet.RecNo(), 5);
}

TEST(RecordWindow, MovingPastTheLastRecord)
{
    OpenWindow w(5, 10);
    EXPECT_EQ(w.dataSet.MoveBy(4), 4);
    EXPECT_FALSE(w.dataSet.Eof());
    w.link.ClearLog();

    EXPECT_EQ(w.dataSet.MoveBy(1), 0);
    EXPECT_TRUE(w.dataSet.Eof());
    EXPECT_EQ(w.link.RawScrolls(), std::vector<int>{0});
    const auto afterFirst = w.link.Log();

    EXPECT_EQ(w.dataSet.MoveBy(1), 0);
    EXPECT_EQ(w.link.Log(), afterFirst) << "a move at EOF sends nothing";
    EXPECT_EQ(w.dataSet.MoveBy(0), 0);
    EXPECT_EQ(w.link.Log(), afterFirst);
}

TEST(RecordWindow, ForwardScrollInFullWindow)
{
    OpenWindow w(50, 10);
    w.dataSet.MoveBy(9);
    w.link.ClearLog();
    const int fetches = w.dataSet.FetchCount();

    EXPECT_EQ(w.dataSet.MoveBy(1), 1);
    EXPECT_EQ(w.link.RawScrolls(), std::vector<int>{-1});
    EXPECT_EQ(w.link.Log(), std::vector<std::string>{"scrolled:1"});
    EXPECT_EQ(w.dataSet.FetchCount(), fetches + 1) << "one record past the edge costs one fetch";
    EXPECT_EQ(w.link.VisibleIds(), Range(2, 11));
    EXPECT_EQ(ActiveId(w.dataSet), 11);
    EXPECT_EQ(w.link.ActiveRecord(), 9);
}

TEST(RecordWindow, MovesInsideTheWindowTouchNoRecordSource)
{
    OpenWindow w(50, 10);
    const int fetches = w.dataSet.FetchCount();
    EXPECT_EQ(w.dataSet.MoveBy(6), 6);
    EXPECT_EQ(w.dataSet.MoveBy(-4), -4);
    EXPECT_EQ(w.dataSet.FetchCount(), fetches);
    EXPECT_EQ(ActiveId(w.dataSet), 3);
}

TEST(RecordWindow, ForwardMoveInWindowThatIsNotFull)
{
    OpenWindow w(5, 10);
    w.dataSet.MoveBy(4);
    w.dataSet.AppendRows(3);
    w.link.ClearLog();

    EXPECT_EQ(w.dataSet.MoveBy(1), 1);
    EXPECT_EQ(w.link.Log(), std::vector<std::string>{"changed"});
    EXPECT_EQ(w.dataSet.WindowRecordCount(), 6);
    EXPECT_EQ(ActiveId(w.dataSet), 6);
}

TEST(RecordWindow, LastAndBackwardMoves)
{
    OpenWindow w(50, 10);
    w.dataSet.Last();
    EXPECT_TRUE(w.dataSet.Eof());
    EXPECT_EQ(ActiveId(w.dataSet), 50);
    EXPECT_EQ(w.link.VisibleIds(), Range(41, 50));
    w.link.ClearLog();

    EXPECT_EQ(w.dataSet.MoveBy(-12), -12);
    EXPECT_EQ(ActiveId(w.dataSet), 38);
    EXPECT_EQ(w.link.RawScrolls(), std::vector<int>{3});
    EXPECT_EQ(w.link.Log(), std::vector<std::string>{"scrolled:-3"});
    EXPECT_EQ(w.link.VisibleIds(), Range(38, 47));

    EXPECT_EQ(w.dataSet.MoveBy(-100), -37);
    EXPECT_TRUE(w.dataSet.Bof());
    EXPECT_EQ(ActiveId(w.dataSet), 1);
    EXPECT_EQ(w.dataSet.MoveBy(-1), 0);
}

TEST(RecordWindow, FirstReloadsFromTheBeginning)
{
    OpenWindow w(50, 10);
    w.dataSet.MoveBy(30);
    w.link.ClearLog();
    w.dataSet.First();
    EXPECT_TRUE(w.dataSet.Bof());
    EXPECT_FALSE(w.dataSet.Eof());
    EXPECT_EQ(w.link.Log(), std::vector<std::string>{"changed"});
    EXPECT_EQ(w.link.VisibleIds(), Range(1, 10));
}

TEST(RecordWindow, EmptyResult)
{
    OpenWindow w(0, 10);
    EXPECT_TRUE(w.dataSet.IsEmpty());
    EXPECT_TRUE(w.dataSet.Bof());
    EXPECT_TRUE(w.dataSet.Eof());
    EXPECT_EQ(w.dataSet.RecordCount(), 0);
    EXPECT_EQ(w.dataSet.RecNo(), -1);
    EXPECT_FALSE(w.dataSet.BookmarkAvailable());
    EXPECT_TRUE(w.dataSet.GetBookmark().empty());
    EXPECT_EQ(w.link.RecordCount(), 0);
    EXPECT_TRUE(w.dataSet.Fields(1)->IsNull());
    EXPECT_EQ(w.dataSet.Fields(1)->DisplayText(), "");
    EXPECT_EQ(w.dataSet.MoveBy(1), 0);
    w.dataSet.First();
    w.dataSet.Last();
    EXPECT_TRUE(w.dataSet.IsEmpty());
}

TEST(RecordWindow, ResyncCentersTheCurrentRecord)
{
    OpenWindow w(100, 20);
    w.dataSet.SetSourcePosition(49);
    w.dataSet.Resync(rmCenter);
    EXPECT_EQ(w.dataSet.ActiveRecord(), 9);
    EXPECT_EQ(ActiveId(w.dataSet), 50);
    EXPECT_EQ(w.link.VisibleIds(), Range(41, 60));
    EXPECT_EQ(w.link.Log().back(), "changed");
}

TEST(RecordWindow, ResyncWithoutCenterKeepsTheActiveSlot)
{
    OpenWindow w(100, 20);
    w.dataSet.MoveBy(5);
    w.dataSet.SetSourcePosition(69);
    w.dataSet.Resync(0);
    EXPECT_EQ(w.dataSet.ActiveRecord(), 5);
    EXPECT_EQ(ActiveId(w.dataSet), 70);
}

TEST(RecordWindow, ResyncNearTheEndsFillsTheWholeWindow)
{
    OpenWindow w(100, 20);
    w.dataSet.SetSourcePosition(98);
    w.dataSet.Resync(rmCenter);
    EXPECT_EQ(w.dataSet.WindowRecordCount(), 20);
    EXPECT_EQ(ActiveId(w.dataSet), 99);
    EXPECT_EQ(w.link.VisibleIds(), Range(81, 100));

    w.dataSet.SetSourcePosition(1);
    w.dataSet.Resync(rmCenter);
    EXPECT_EQ(w.dataSet.ActiveRecord(), 1);
    EXPECT_EQ(w.link.VisibleIds(), Range(1, 20));
}

TEST(RecordWindow, ResyncFailures)
{
    OpenWindow w(30, 10);
    w.dataSet.SetSourcePosition(30);  // after the last row: no current record
    try {
        w.dataSet.Resync(rmExact);
        FAIL() << "exact resync without a current record must fail";
    } catch (const EDatabaseError& error) {
        EXPECT_STREQ(error.what(), "MemData: Record not found");
    }

    w.dataSet.ClearRows();
    w.link.ClearLog();
    w.dataSet.Resync(0);
    EXPECT_TRUE(w.dataSet.IsEmpty());
    EXPECT_EQ(w.link.Log(), std::vector<std::string>{"changed"});
}

TEST(RecordWindow, BookmarksReturnToTheirRecord)
{
    OpenWindow w(100, 20);
    w.dataSet.MoveBy(16);
    const TBookmark mark = w.dataSet.GetBookmark();
    ASSERT_EQ(mark, MemoryBookmark(16));
    w.dataSet.Last();
    w.dataSet.GotoBookmark(mark);
    EXPECT_EQ(ActiveId(w.dataSet), 17);
    EXPECT_EQ(w.dataSet.ActiveRecord(), 9) << "going to a bookmark centers the record";
    w.dataSet.GotoBookmark(TBookmark());
    EXPECT_EQ(ActiveId(w.dataSet), 17) << "an absent bookmark is ignored";
}

TEST(RecordWindow, FailedFetchStillAnnouncesTheWindow)
{
    OpenWindow w(50, 10);
    w.dataSet.MoveBy(9);
    w.link.ClearLog();
    w.dataSet.FailFetch(1);
    EXPECT_THROW(w.dataSet.MoveBy(1), ERecordSetError);
    EXPECT_EQ(w.link.Log(), std::vector<std::string>{"scrolled:0"});
    EXPECT_EQ(ActiveId(w.dataSet), 10);

    w.link.ClearLog();
    w.dataSet.FailFetch(2);
    EXPECT_THROW(w.dataSet.First(), ERecordSetError);
    EXPECT_TRUE(w.dataSet.Bof());
    EXPECT_EQ(w.link.Log(), std::vector<std::string>{"changed"});
    EXPECT_EQ(w.dataSet.WindowRecordCount(), 1);
}

TEST(RecordWindow, FieldValuesAreReadOncePerFetch)
{
    OpenWindow w(50, 10);
    const TField* name = w.dataSet.Fields(1);
    const int reads = w.dataSet.ValueReadCount();
    EXPECT_EQ(name->DisplayText(), "row 1");
    EXPECT_EQ(name->DisplayText(), "row 1");
    EXPECT_EQ(name->AsString(), "row 1");
    EXPECT_EQ(w.dataSet.ValueReadCount(), reads + 1);
    w.dataSet.MoveBy(30);
    EXPECT_EQ(name->DisplayText(), "row 31");
    EXPECT_EQ(w.dataSet.ValueReadCount(), reads + 2);
}

TEST(RecordWindowSize, IsTheLargestBufferCountOfAllLinks)
{
    MemoryDataSet dataSet(100);
    TDataSource first("First");
    TDataSource second("Second");
    first.SetDataSet(&dataSet);
    second.SetDataSet(&dataSet);
    RecordingLink a, b, c;
    a.SetBufferCount(3);
    b.SetBufferCount(7);
    c.SetBufferCount(5);
    a.SetDataSource(&first);
    b.SetDataSource(&first);
    c.SetDataSource(&second);
    dataSet.Open();
    EXPECT_EQ(dataSet.WindowSize(), 7);
    b.SetDataSource(nullptr);
    EXPECT_EQ(dataSet.WindowSize(), 5);
    c.SetBufferCount(12);
    EXPECT_EQ(dataSet.WindowSize(), 12);
    EXPECT_EQ(dataSet.WindowRecordCount(), 12);
    a.SetDataSource(nullptr);
    c.SetDataSource(nullptr);
    EXPECT_EQ(dataSet.WindowSize(), 1);
}

TEST(RecordWindowSize, ShrinkingKeepsTheActiveRecordInView)
{
    OpenWindow w(100, 20);
    w.dataSet.MoveBy(15);
    w.link.SetBufferCount(5);
    EXPECT_EQ(w.dataSet.WindowSize(), 5);
    EXPECT_EQ(ActiveId(w.dataSet), 16);
    EXPECT_EQ(w.link.VisibleIds(), Range(12, 16));
    EXPECT_EQ(w.link.ActiveRecord(), 4);
    // The window still moves correctly after the shrink.
    EXPECT_EQ(w.dataSet.MoveBy(1), 1);
    EXPECT_EQ(w.link.VisibleIds(), Range(13, 17));
}

TEST(RecordWindowSize, ShrinkingKeepsWhatAnotherLinkShows)
{
    OpenWindow w(100, 20);
    RecordingLink small;
    small.SetBufferCount(10);
    w.dataSet.MoveBy(12);
    small.SetDataSource(&w.source);
    const std::vector<int> shownBySmall = small.VisibleIds();
    ASSERT_EQ(shownBySmall.back(), 13);
    w.link.SetDataSource(nullptr);
    EXPECT_EQ(w.dataSet.WindowSize(), 10);
    EXPECT_EQ(small.VisibleIds(), shownBySmall);
    EXPECT_EQ(ActiveId(w.dataSet), 13);
}

TEST(RecordWindowSize, GrowingFillsBackwardsWhenTheEndIsReached)
{
    OpenWindow w(30, 5);
    w.dataSet.Last();
    w.link.SetBufferCount(12);
    EXPECT_EQ(w.dataSet.WindowRecordCount(), 12);
    EXPECT_EQ(ActiveId(w.dataSet), 30);
    EXPECT_EQ(w.link.VisibleIds(), Range(19, 30));
}

TEST(RecordWindowLink, RangeOfALinkAddedLater)
{
    OpenWindow w(100, 20);
    w.dataSet.MoveBy(15);
    RecordingLink late;
    late.SetBufferCount(5);
    late.SetDataSource(&w.source);
    EXPECT_TRUE(late.Active());
    EXPECT_EQ(late.VisibleIds(), Range(12, 16));
    EXPECT_EQ(late.ActiveRecord(), 4);
}

TEST(RecordWindowLink, LinkWithoutDataSetShowsNothing)
{
    TDataSource source("Lonely");
    RecordingLink link;
    link.SetBufferCount(10);
    link.SetDataSource(&source);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.RecordCount(), 0);
    EXPECT_EQ(link.DataSet(), nullptr);
    EXPECT_TRUE(link.Log().empty());
}

TEST(RecordWindowLink, SurvivesCloseAndReopen)
{
    OpenWindow w(50, 10);
    w.dataSet.MoveBy(20);
    w.link.ClearLog();
    w.dataSet.Close();
    EXPECT_FALSE(w.link.Active());
    EXPECT_EQ(w.link.FirstRecord(), 0);
    EXPECT_EQ(w.dataSet.FieldCount(), 0);
    w.dataSet.Open();
    EXPECT_TRUE(w.link.Active());
    EXPECT_EQ(w.link.VisibleIds(), Range(1, 10));
    EXPECT_EQ(w.link.Log(), (std::vector<std::string>{"inactive", "active"}));
}

}  // namespace
}  // namespace qelvor::test
