// The query dataset against each provider: opening, fields, the window, sorting,
// bookmarks, record numbers, connection handling and error texts.
#include <algorithm>
#include <memory>
#include <numeric>

#include "data/ADODataSet.h"
#include "data/DataSource.h"
#include "data/StringFields.h"
#include "data/recordset/RecordSet.h"
#include "runtime/Exceptions.h"
#include "runtime/LongWork.h"
#include "tests/data/support/Backends.h"
#include "tests/data/support/RecordingLink.h"

namespace qelvor::test {
namespace {

constexpr int kRows = 30;

struct Row {
    int id;
    std::string grp;
    std::string name;
};

std::vector<Row> TestRows()
{
    std::vector<Row> rows;
    for (int id = 1; id <= kRows; ++id)
        rows.push_back({id, "g" + std::to_string(id * 7 % 4), id % 5 == 0 ? "张" + std::to_string(id) : "n" + std::to_string(id)});
    return rows;
}

class QueryDataSet : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        CreateTable("t", "id INTEGER, grp VARCHAR(10), name VARCHAR(20)");
        // Inserted in reverse so that only the ORDER BY gives the statement's order.
        std::vector<Row> rows = TestRows();
        for (auto row = rows.rbegin(); row != rows.rend(); ++row)
            Exec("INSERT INTO t VALUES(" + std::to_string(row->id) + ", '" + row->grp + "', '" + row->name + "')");
        source_.SetDataSet(&dataSet_);
        link_.SetBufferCount(7);
        link_.SetDataSource(&source_);
        dataSet_.SetConnection(&connection_);
    }

    // IDs from First to Eof, read through the window.
    std::vector<int> WalkIds()
    {
        std::vector<int> ids;
        for (dataSet_.First(); !dataSet_.Eof(); dataSet_.Next())
            ids.push_back(ActiveId());
        return ids;
    }
    int ActiveId() { return std::stoi(dataSet_.FieldByName("id")->AsString()); }
    void OpenAll(const std::string& statement = "select id, grp, name from t order by id")
    {
        dataSet_.SetCommandText(statement);
        dataSet_.Open();
    }

    TADODataSet dataSet_{"QELV_Set"};
    TDataSource source_{"DataSource1"};
    RecordingLink link_;
};

std::vector<int> Ids(const std::vector<Row>& rows)
{
    std::vector<int> ids;
    for (const Row& row : rows)
        ids.push_back(row.id);
    return ids;
}

std::vector<int> AllIds()
{
    std::vector<int> ids(kRows);
    std::iota(ids.begin(), ids.end(), 1);
    return ids;
}

void ExpectDatabaseError(const std::function<void()>& action, const std::string& message)
{
    try {
        action();
        ADD_FAILURE() << "expected: " << message;
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(std::string(error.what()), message);
    }
}

TEST_P(QueryDataSet, OpensAndWalksTheWholeResult)
{
    OpenAll();
    EXPECT_TRUE(dataSet_.Active());
    EXPECT_TRUE(link_.Active());
    EXPECT_EQ(dataSet_.WindowSize(), 7);
    EXPECT_EQ(dataSet_.RecordCount(), kRows);
    EXPECT_TRUE(dataSet_.IsSequenced());
    EXPECT_EQ(WalkIds(), AllIds());
    EXPECT_TRUE(dataSet_.Eof());
    dataSet_.Last();
    EXPECT_EQ(ActiveId(), kRows);
    EXPECT_EQ(dataSet_.RecNo(), kRows);
    dataSet_.MoveBy(-5);
    EXPECT_EQ(dataSet_.RecNo(), 25);
    EXPECT_EQ(dataSet_.FieldByName("NAME")->DisplayText(), "张25");
}

TEST_P(QueryDataSet, FieldsFromTheResultColumns)
{
    OpenAll("select id, name, id as x, id as X, name as \"X\" from t");
    std::vector<std::string> names;
    for (int i = 0; i < dataSet_.FieldCount(); ++i)
        names.push_back(dataSet_.Fields(i)->FieldName());
    EXPECT_EQ(names, (std::vector<std::string>{"id", "name", "x", IsOdbc() || GetParam() == "postgres" ? "x_1" : "X_1", "X_2"}));
    EXPECT_EQ(dataSet_.Fields(0)->Alignment(), TAlignment::taRightJustify);
    EXPECT_NE(dynamic_cast<TStringField*>(dataSet_.Fields(1)), nullptr);
    EXPECT_EQ(dataSet_.Fields(1)->FieldNo(), 2);
    EXPECT_EQ(dataSet_.Fields(1)->DisplayWidth(), 20);
    EXPECT_TRUE(dataSet_.DefaultFields());
}

TEST_P(QueryDataSet, EmptyResult)
{
    OpenAll("select id, name from t where id < 0");
    EXPECT_TRUE(dataSet_.IsEmpty());
    EXPECT_EQ(dataSet_.RecordCount(), 0);
    EXPECT_EQ(dataSet_.RecNo(), -1);
    EXPECT_EQ(dataSet_.FieldCount(), 2);
    EXPECT_FALSE(dataSet_.BookmarkAvailable());
    EXPECT_EQ(link_.RecordCount(), 0);
    EXPECT_TRUE(WalkIds().empty());
    dataSet_.SetSort("id DESC");
    EXPECT_TRUE(dataSet_.IsEmpty());
}

TEST_P(QueryDataSet, CloseAndReopenStartAfresh)
{
    OpenAll();
    dataSet_.SetSort("id DESC");
    EXPECT_EQ(WalkIds().front(), kRows);
    dataSet_.Close();
    EXPECT_FALSE(dataSet_.Active());
    EXPECT_EQ(dataSet_.FieldCount(), 0);
    EXPECT_EQ(dataSet_.Recordset(), nullptr);
    EXPECT_FALSE(link_.Active());
    dataSet_.Close();  // closing a closed dataset does nothing
    dataSet_.Open();
    EXPECT_EQ(dataSet_.Sort(), "");
    EXPECT_EQ(WalkIds(), AllIds());
}

TEST_P(QueryDataSet, StatementRules)
{
    OpenAll();
    dataSet_.SetCommandText(dataSet_.CommandText());  // the same text changes nothing
    EXPECT_TRUE(dataSet_.Active());
    ExpectDatabaseError([&] { dataSet_.SetCommandText("select 1"); },
                        "QELV_Set: Cannot perform this operation on an open dataset");
    EXPECT_EQ(dataSet_.CommandText(), "select id, grp, name from t order by id");
    dataSet_.Close();

    dataSet_.SetCommandText("");
    ExpectDatabaseError([&] { dataSet_.Open(); }, "QELV_Set: Missing CommandText property");
    EXPECT_FALSE(dataSet_.Active());

    dataSet_.SetCommandText("update t set name = name where id < 0");
    ExpectDatabaseError([&] { dataSet_.Open(); }, "QELV_Set: CommandText does not return a result set");
    EXPECT_FALSE(dataSet_.Active());
    EXPECT_EQ(dataSet_.FieldCount(), 0);

    TADODataSet detached("Detached");
    detached.SetCommandText("select 1");
    ExpectDatabaseError([&] { detached.Open(); }, "Missing Connection or ConnectionString");
}

TEST_P(QueryDataSet, FailedOpenLeavesACleanClosedDataSet)
{
    dataSet_.SetCommandText("select id, no_such_column from t");
    EXPECT_THROW(dataSet_.Open(), ERecordSetError);
    EXPECT_FALSE(dataSet_.Active());
    EXPECT_EQ(dataSet_.FieldCount(), 0);
    EXPECT_EQ(dataSet_.Recordset(), nullptr);
    EXPECT_FALSE(link_.Active());
    EXPECT_TRUE(connection_.Connected());
    OpenAll();
    EXPECT_EQ(dataSet_.RecordCount(), kRows);
}

TEST_P(QueryDataSet, SortByOneAndSeveralKeys)
{
    OpenAll();
    std::vector<Row> expected = TestRows();
    std::stable_sort(expected.begin(), expected.end(), [](const Row& a, const Row& b) {
        return a.grp != b.grp ? a.grp < b.grp : a.id > b.id;
    });
    dataSet_.SetSort("grp ASC, [id] DESC");
    EXPECT_EQ(WalkIds(), Ids(expected));
    ASSERT_EQ(dataSet_.IndexFields().size(), 2u);
    EXPECT_EQ(dataSet_.IndexFields()[0]->FieldName(), "grp");
    EXPECT_EQ(dataSet_.IndexFields()[1]->FieldName(), "id");

    expected = TestRows();  // every sort starts from the statement's order
    std::stable_sort(expected.begin(), expected.end(), [](const Row& a, const Row& b) { return a.grp > b.grp; });
    dataSet_.SetSort("[grp] DESC");
    EXPECT_EQ(WalkIds(), Ids(expected)) << "a stable sort keeps the statement order inside a group";

    dataSet_.SetSort("");
    EXPECT_EQ(WalkIds(), AllIds()) << "an empty sort restores the statement order";
    EXPECT_TRUE(dataSet_.IndexFields().empty());
}

TEST_P(QueryDataSet, IndexFieldsAreTheSortsOwnKeys)
{
    // Read as the sort reads its text: directions in any case, brackets holding ", ".
    OpenAll("select id, grp as \"g, h\", name as 姓名 from t order by id");
    dataSet_.SetSort("姓名 desc");
    ASSERT_EQ(dataSet_.IndexFields().size(), 1u);
    EXPECT_EQ(dataSet_.IndexFields()[0]->FieldName(), "姓名");
    dataSet_.SetSort("[g, h] DESC, id asc");
    ASSERT_EQ(dataSet_.IndexFields().size(), 2u);
    EXPECT_EQ(dataSet_.IndexFields()[0]->FieldName(), "g, h");
    EXPECT_EQ(dataSet_.IndexFields()[1]->FieldName(), "id");
}

TEST_P(QueryDataSet, RejectedSortKeepsTheOrder)
{
    OpenAll();
    dataSet_.SetSort("id DESC");
    dataSet_.First();
    dataSet_.MoveBy(3);
    link_.ClearLog();
    EXPECT_THROW(dataSet_.SetSort("nope ASC"), ERecordSetError);
    EXPECT_EQ(dataSet_.Sort(), "id DESC");
    EXPECT_TRUE(link_.Log().empty()) << "the window is not touched when the sort fails";
    EXPECT_EQ(ActiveId(), kRows - 3);
    std::vector<int> descending = AllIds();
    std::reverse(descending.begin(), descending.end());
    EXPECT_EQ(WalkIds(), descending);

    dataSet_.Close();
    ExpectDatabaseError([&] { dataSet_.SetSort("id"); }, "QELV_Set: Cannot perform this operation on a closed dataset");
    ExpectDatabaseError([&] { dataSet_.RecordCount(); }, "QELV_Set: Cannot perform this operation on a closed dataset");
    ExpectDatabaseError([&] { dataSet_.RecNo(); }, "QELV_Set: Cannot perform this operation on a closed dataset");
}

// Installs a long-work runner for the life of the object.
class ScopedRunner {
public:
    explicit ScopedRunner(LongWorkRunner runner) : previous_(SetLongWorkRunner(std::move(runner))) {}
    ~ScopedRunner() { SetLongWorkRunner(std::move(previous_)); }

private:
    LongWorkRunner previous_;
};

TEST_P(QueryDataSet, LongWorkBuildsOnTheSideAndTheWindowSeesOnlyTheAdoptedResult)
{
    // What a repaint during the wait would read, before and after the work ran.
    std::vector<std::string> seen;
    const auto look = [&](LongWorkKind kind) {
        if (kind == LongWorkKind::Search)
            seen.push_back(dataSet_.Recordset() == nullptr && !link_.Active() ? "nothing" : "a result");
        else
            seen.push_back(std::to_string(link_.VisibleIds().front()) + (link_.Log().empty() ? "" : " changed"));
    };
    const ScopedRunner runner([&](LongWorkKind kind, const std::function<void()>& work, WorkProgress&) {
        look(kind);
        work();
        look(kind);
    });
    OpenAll();
    link_.ClearLog();
    dataSet_.SetSort("id DESC");
    EXPECT_EQ(seen, (std::vector<std::string>{"nothing", "nothing", "1", "1"}));
    const std::vector<int> shown = link_.VisibleIds();
    EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend())) << "the window shows the adopted order";
    EXPECT_EQ(link_.Log(), std::vector<std::string>{"changed"});
}

TEST_P(QueryDataSet, ACancelledOpenLeavesACleanClosedDataSet)
{
    {
        const ScopedRunner cancelling([](LongWorkKind, const std::function<void()>& work, WorkProgress& progress) {
            progress.RequestCancel();  // the user's Esc, before the statement has even started
            work();
        });
        dataSet_.SetCommandText("select id, grp, name from t order by id");
        EXPECT_THROW(dataSet_.Open(), EWorkCancelled);
    }
    EXPECT_FALSE(dataSet_.Active());
    EXPECT_EQ(dataSet_.FieldCount(), 0);
    EXPECT_EQ(dataSet_.Recordset(), nullptr);
    EXPECT_FALSE(link_.Active());
    EXPECT_TRUE(connection_.Connected());
    dataSet_.Open();
    EXPECT_EQ(dataSet_.RecordCount(), kRows);
}

TEST_P(QueryDataSet, SortResynchronisesTheWindow)
{
    OpenAll();
    link_.ClearLog();
    dataSet_.SetSort("id DESC");
    EXPECT_EQ(link_.Log(), std::vector<std::string>{"changed"});
    EXPECT_EQ(link_.VisibleIds().size(), 7u);
    const std::vector<int> shown = link_.VisibleIds();
    EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend())) << "the window shows the new order";
}

TEST_P(QueryDataSet, BookmarksSurviveSorting)
{
    OpenAll();
    dataSet_.MoveBy(16);
    ASSERT_TRUE(dataSet_.BookmarkAvailable());
    const TBookmark seventeen = dataSet_.GetBookmark();
    EXPECT_EQ(static_cast<int>(seventeen.size()), dataSet_.BookmarkSize());
    dataSet_.Next();
    const TBookmark eighteen = dataSet_.GetBookmark();

    dataSet_.SetSort("name DESC, id ASC");
    dataSet_.First();
    dataSet_.GotoBookmark(seventeen);
    EXPECT_EQ(ActiveId(), 17);
    EXPECT_EQ(dataSet_.GetBookmark(), seventeen);

    EXPECT_EQ(dataSet_.CompareBookmarks(seventeen, seventeen), 0);
    const int order = dataSet_.CompareBookmarks(seventeen, eighteen);
    EXPECT_NE(order, 0);
    EXPECT_EQ(dataSet_.CompareBookmarks(eighteen, seventeen), -order);
    EXPECT_EQ(dataSet_.CompareBookmarks(TBookmark(), seventeen), -1);
    EXPECT_EQ(dataSet_.CompareBookmarks(seventeen, TBookmark()), 1);
    EXPECT_EQ(dataSet_.CompareBookmarks(TBookmark(), TBookmark()), 0);

    EXPECT_TRUE(dataSet_.BookmarkValid(eighteen));
    EXPECT_FALSE(dataSet_.BookmarkValid(TBookmark()));
    EXPECT_FALSE(dataSet_.BookmarkValid("not a bookmark"));
    TBookmark beyond = eighteen;
    beyond[8] = 100;  // a row ordinal the result does not have
    EXPECT_FALSE(dataSet_.BookmarkValid(beyond));
    // Validity tests move the record set; the window must still read correct values.
    EXPECT_EQ(ActiveId(), 17);
    dataSet_.Next();
    dataSet_.Prior();
    EXPECT_EQ(ActiveId(), 17);
}

TEST_P(QueryDataSet, RecordNumbers)
{
    OpenAll();
    dataSet_.SetRecNo(20);
    EXPECT_EQ(ActiveId(), 20);
    EXPECT_EQ(dataSet_.RecNo(), 20);
    EXPECT_EQ(dataSet_.ActiveRecord(), 3) << "the new record is centered in the window of 7";
    link_.ClearLog();
    dataSet_.SetRecNo(20);
    EXPECT_TRUE(link_.Log().empty()) << "the current number is no move";

    dataSet_.DisableControls();
    dataSet_.SetRecNo(5);
    EXPECT_EQ(dataSet_.RecNo(), 5) << "numbers not cached while disabled are asked for";
    dataSet_.EnableControls();
    EXPECT_THROW(dataSet_.SetRecNo(kRows + 1), ERecordSetError);
}

TEST_P(QueryDataSet, KeepConnectionDecidesWhetherClosingDisconnects)
{
    OpenAll("select 1 as one");
    dataSet_.Close();
    EXPECT_TRUE(connection_.Connected()) << "KeepConnection is on by default";

    connection_.SetKeepConnection(false);
    TADODataSet other("Other");
    other.SetConnection(&connection_);
    other.SetCommandText("select 2 as two");
    other.Open();
    dataSet_.Open();
    dataSet_.Close();
    EXPECT_TRUE(connection_.Connected()) << "another client dataset is still active";
    other.Close();
    EXPECT_FALSE(connection_.Connected());

    dataSet_.Open();
    EXPECT_TRUE(connection_.Connected()) << "opening takes the connection again";
    EXPECT_EQ(dataSet_.FieldByName("one")->AsString(), "1");
}

TEST_P(QueryDataSet, ClientsOfTheConnection)
{
    EXPECT_EQ(connection_.ClientDataSets(), std::vector<TDataSet*>{&dataSet_});
    {
        TADODataSet second("Second");
        second.SetConnection(&connection_);
        EXPECT_EQ(connection_.ClientDataSets().size(), 2u);
        second.SetConnection(&connection_);
        EXPECT_EQ(connection_.ClientDataSets().size(), 2u);
    }
    EXPECT_EQ(connection_.ClientDataSets().size(), 1u);
    dataSet_.SetConnection(nullptr);
    EXPECT_TRUE(connection_.ClientDataSets().empty());

    auto host = std::make_unique<TADOConnection>("Host");
    host->SetConnectionString(connectionString_);
    dataSet_.SetConnection(host.get());
    host.reset();
    EXPECT_EQ(dataSet_.Connection(), nullptr) << "a destroyed connection is dropped";
    dataSet_.SetCommandText("select 1");
    ExpectDatabaseError([&] { dataSet_.Open(); }, "Missing Connection or ConnectionString");
}

INSTANTIATE_TEST_SUITE_P(Providers, QueryDataSet, ::testing::Values("sqlite", "odbc", "mariadb", "postgres", "mariadbnative"),
                         [](const auto& provider) { return provider.param; });

}  // namespace
}  // namespace qelvor::test
