// Sorting the held rows: keys, directions, nulls, collation, the current row and
// bookmarks across sorts, and rejected sort texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "TestDatabase.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset::test {
namespace {

using Ids = std::vector<std::string>;

// Sets LC_ALL for the life of the object (the collation follows the environment).
class ScopedLocale {
public:
    explicit ScopedLocale(const char* value)
    {
        if (const char* old = std::getenv("LC_ALL"))
            old_ = old;
        setenv("LC_ALL", value, 1);
    }
    ~ScopedLocale()
    {
        if (old_)
            setenv("LC_ALL", old_->c_str(), 1);
        else
            unsetenv("LC_ALL");
    }

private:
    std::optional<std::string> old_;
};

class SortSuite : public ProviderTest {
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        if (!db_)
            return;
        db_->Run("CREATE TABLE t_sort(id INTEGER, name VARCHAR(10), score NUMERIC(6,2), grp INTEGER, day DATE)");
        // Fetch order is id order; names, scores and groups repeat and hold nulls.
        db_->Run("INSERT INTO t_sort VALUES"
                 "(1, '张', 10, 2, '2024-05-01'), (2, '李', 2.25, 1, '2023-12-31'), (3, NULL, -1.5, 2, NULL), "
                 "(4, '王', NULL, 1, '2024-01-15'), (5, '李', 10, NULL, '2024-05-01'), (6, 'b', 2.5, 2, '1999-01-01')");
        records_ = db_->Query("SELECT id, name AS 姓名, score, grp, day FROM t_sort ORDER BY id");
    }

    std::vector<std::string> CurrentIds()
    {
        records_->MoveFirst();
        return ColumnTexts(*records_, 0);
    }

    std::unique_ptr<RecordSet> records_;
};



TEST_P(SortSuite, NumbersDecimalsAndDatesSortByValueWithNullsFirst)
{
    records_->SetSort("score");
    EXPECT_EQ(CurrentIds(), (Ids{"4", "3", "2", "6", "1", "5"}));
    records_->SetSort("score DESC");
    EXPECT_EQ(CurrentIds(), (Ids{"1", "5", "6", "2", "3", "4"}));  // equal keys keep fetch order, nulls last
    records_->SetSort("day ASC");
    EXPECT_EQ(CurrentIds(), (Ids{"3", "6", "2", "4", "1", "5"}));
    records_->SetSort("grp DESC, id DESC");
    EXPECT_EQ(CurrentIds(), (Ids{"6", "3", "1", "4", "2", "5"}));
}

// A range of two or three sheets is as much a result to sort as a long one.
TEST_P(SortSuite, TwoAndThreeRowResultsSortBothWays)
{
    for (const int rows : {2, 3}) {
        records_ = db_->Query("SELECT id, name AS 姓名, score FROM t_sort WHERE id <= " + std::to_string(rows) + " ORDER BY id");
        records_->SetSort("id DESC");
        EXPECT_EQ(CurrentIds(), rows == 2 ? (Ids{"2", "1"}) : (Ids{"3", "2", "1"}));
        records_->SetSort("id");
        EXPECT_EQ(CurrentIds(), rows == 2 ? (Ids{"1", "2"}) : (Ids{"1", "2", "3"}));
        records_->SetSort("score");  // 10 and 2.25 (and a null, first)
        EXPECT_EQ(CurrentIds(), rows == 2 ? (Ids{"2", "1"}) : (Ids{"3", "2", "1"}));
    }
}

TEST_P(SortSuite, NegativeNumbersSortBeforePositiveOnes)
{
    // delta: 0 -1 0 -1 null 0; below: 7 -0.75 -4.5 null 7 -0.5
    records_ = db_->Query("SELECT id, grp - 2 AS delta, score - 3 AS below FROM t_sort ORDER BY id");
    records_->SetSort("delta");
    EXPECT_EQ(CurrentIds(), (Ids{"5", "2", "4", "1", "3", "6"}));
    records_->SetSort("delta DESC, id DESC");
    EXPECT_EQ(CurrentIds(), (Ids{"6", "3", "1", "4", "2", "5"}));
    records_->SetSort("below");
    EXPECT_EQ(CurrentIds(), (Ids{"4", "3", "2", "6", "1", "5"}));
    records_->SetSort("below DESC");
    EXPECT_EQ(CurrentIds(), (Ids{"1", "5", "6", "2", "3", "4"}));
}

// Texts alike in their first eight key bytes but not after them: the comparison past
// the prefix must follow the key's direction, with a second key present or not.
TEST_P(SortSuite, TextsAlikeAtTheStartFollowTheDirectionPastIt)
{
    db_->Run("CREATE TABLE t_alike(id INTEGER, t VARCHAR(20))");
    db_->Run("INSERT INTO t_alike VALUES (1, 'abcdefghijk1'), (2, 'abcdefghijk3'), (3, 'b'), (4, 'abcdefghijk2')");
    records_ = db_->Query("SELECT id, t FROM t_alike ORDER BY id");
    records_->SetSort("t DESC, id");
    EXPECT_EQ(CurrentIds(), (Ids{"3", "2", "4", "1"}));
    records_->SetSort("t DESC");
    EXPECT_EQ(CurrentIds(), (Ids{"3", "2", "4", "1"}));
    records_->SetSort("t, id DESC");
    EXPECT_EQ(CurrentIds(), (Ids{"1", "4", "2", "3"}));
}

TEST_P(SortSuite, SortTextsAcceptBracketsBlanksAndAnyCase)
{
    records_->SetSort("grp, score DESC");
    const Ids expected = CurrentIds();
    EXPECT_EQ(expected, (Ids{"5", "2", "4", "1", "6", "3"}));
    for (const char* text : {"[grp] asc,[SCORE] desc", "  GRP  ,  score   DESC  ", "[Grp] ASC, score Desc"}) {
        records_->SetSort(text);
        EXPECT_EQ(CurrentIds(), expected) << text;
        EXPECT_EQ(records_->Sort(), text);
    }
    records_->SetSort("");
    EXPECT_EQ(CurrentIds(), (Ids{"1", "2", "3", "4", "5", "6"}));
}

TEST_P(SortSuite, RejectedSortTextsKeepTheOrder)
{
    records_->SetSort("score DESC");
    const Ids before = CurrentIds();
    try {
        records_->SetSort("grp, nosuch DESC");
        FAIL() << "unknown field accepted";
    } catch (const ERecordSetError& failure) {
        EXPECT_NE(std::string(failure.what()).find("nosuch"), std::string::npos) << failure.what();
    }
    EXPECT_THROW(records_->SetSort("grp,,score"), ERecordSetError);
    EXPECT_THROW(records_->SetSort("[grp DESC"), ERecordSetError);
    EXPECT_THROW(records_->SetSort("[grp] DOWN"), ERecordSetError);
    EXPECT_EQ(CurrentIds(), before);
    EXPECT_EQ(records_->Sort(), "score DESC");
}

TEST_P(SortSuite, CurrentRowAndBookmarksSurviveSorting)
{
    records_->SetAbsolutePosition(4);  // id 4
    const std::int64_t bookmark = records_->Bookmark();
    records_->MoveFirst();
    const std::int64_t firstBookmark = records_->Bookmark();  // id 1
    records_->SetBookmark(bookmark);

    records_->SetSort("score");
    EXPECT_EQ(records_->Value(0), Variant(std::int64_t{4}));
    EXPECT_EQ(records_->Bookmark(), bookmark);
    EXPECT_EQ(records_->AbsolutePosition(), 1);  // null score sorts first
    EXPECT_EQ(records_->CompareBookmarks(bookmark, firstBookmark), adCompareLessThan);
    records_->SetBookmark(firstBookmark);
    EXPECT_EQ(records_->Value(0), Variant(std::int64_t{1}));
    EXPECT_EQ(records_->AbsolutePosition(), 5);

    records_->SetSort("score DESC");
    EXPECT_EQ(records_->Value(0), Variant(std::int64_t{1}));
    EXPECT_EQ(records_->CompareBookmarks(bookmark, firstBookmark), adCompareGreaterThan);
    EXPECT_EQ(records_->CompareBookmarks(bookmark, bookmark), adCompareEqual);
    EXPECT_EQ(records_->CompareBookmarks(bookmark, 99), adCompareNotComparable);

    records_->MoveLast();
    records_->MoveNext();
    records_->SetSort("");
    EXPECT_TRUE(records_->IsEOF());  // a cursor off the rows stays off them
}

TEST_P(SortSuite, APreparedOrderChangesNothingUntilItIsAdopted)
{
    records_->SetSort("score DESC");
    const Ids before = CurrentIds();
    SortOrder order = records_->PrepareSort("grp DESC, id DESC");
    EXPECT_EQ(CurrentIds(), before);
    EXPECT_EQ(records_->Sort(), "score DESC");
    // The reader moved while the order was computed: the row it is on stays current.
    records_->SetAbsolutePosition(2);
    const Variant current = records_->Value(0);
    records_->AdoptSort(std::move(order));
    EXPECT_EQ(records_->Sort(), "grp DESC, id DESC");
    EXPECT_EQ(records_->Value(0), current);
    EXPECT_EQ(CurrentIds(), (Ids{"6", "3", "1", "4", "2", "5"}));
    EXPECT_THROW(records_->PrepareSort("nosuch"), ERecordSetError);
    EXPECT_EQ(records_->Sort(), "grp DESC, id DESC");
}

TEST_P(SortSuite, TextFollowsTheUserLocale)
{
    {
        ScopedLocale locale("C.UTF-8");  // root collation: Han characters by code point
        records_->SetSort("姓名");
        EXPECT_EQ(CurrentIds(), (Ids{"3", "6", "1", "2", "5", "4"}));
    }
    {
        // Pinyin: li < wang < zhang; the Chinese collation puts Han before Latin.
        ScopedLocale locale("zh_CN.UTF-8");
        records_->SetSort("姓名");
        EXPECT_EQ(CurrentIds(), (Ids{"3", "2", "5", "4", "1", "6"}));
        records_->SetSort("姓名 DESC, id DESC");
        EXPECT_EQ(CurrentIds(), (Ids{"6", "1", "4", "5", "2", "3"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Providers, SortSuite, ::testing::ValuesIn(kProviders));

}  // namespace
}  // namespace qelvor::recordset::test
