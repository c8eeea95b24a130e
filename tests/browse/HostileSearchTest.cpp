// Hostile admission-number texts searched through the browse form's search button on
// SQLite, on PostgreSQL through ODBC and through its client library (with backslashes
// plain and, standard_conforming_strings off, as escapes) and on MariaDB (where they
// escape by default): the rows shown are those of a statement that binds the same texts
// as parameters, a text can never run a second statement, and no table changes.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>

#include "BrowseTestSupport.h"
#include "browse/QELVOR_Unit.h"
#include "data/ADODataSet.h"
#include "data/Field.h"
#include "data/QueryComposition.h"
#include "data/recordset/Command.h"
#include "data/recordset/ResultBatch.h"
#include "session/StandardInfo.h"
#include "platform/Buttons.h"
#include "platform/TextControls.h"
#include "runtime/Exceptions.h"
#include "tests/support/HostileTexts.h"

namespace qelvor {
namespace {

using recordset::Parameter;

const std::string kBase =
    "select a.zkzh 准考证号,b.bmh 报名号,b.xm 姓名,a.ttxx 笔试客观题答案字符串,a.tttt 笔试主观题题分字符串,"
    "a.qk 缺考标记,a.lwtth 论文题题号 from t_omr a left join t_bm b on a.zkzh=b.zkzh";

Parameter TextParameter(const std::string& text)
{
    Parameter parameter;
    parameter.value = text;
    return parameter;
}

// The environment variable that names a server backend's connection string.
const char* ServerVariable(const std::string& backend)
{
    if (backend == "mariadb")
        return "QELVOR_TEST_MARIADB";
    if (backend == "mariadbnative")
        return "QELVOR_TEST_MARIADB_NATIVE";
    return backend.starts_with("postgres") ? "QELVOR_TEST_POSTGRES" : "QELVOR_TEST_ODBC";
}

class HostileSearch : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        connection_ = std::make_unique<TADOConnection>("HostConnection");
        const std::string backend = GetParam();
        const bool sqlite = backend == "sqlite";
        if (sqlite) {
            const std::string path = dir_.filePath(QStringLiteral("hostile.db")).toStdString();
            std::ofstream(path, std::ios::trunc);  // an empty file is an empty database
            connection_->SetConnectionString("Provider=SQLite;Data Source=" + path);
        } else {
            const char* variable = ServerVariable(backend);
            const char* server = std::getenv(variable);
            if (!server || !*server) {
                const char* require = std::getenv("QELVOR_REQUIRE_ODBC");
                if (require && std::string(require) == "1")
                    FAIL() << "QELVOR_REQUIRE_ODBC=1 but " << variable << " is not set";
                GTEST_SKIP() << variable << " is not set: no server to search";
            }
            connection_->SetConnectionString(server);
        }
        connection_->Open();
        const bool mariadb = backend.starts_with("mariadb");
        const bool escapesAsked = backend.ends_with("-escapes");
        if (escapesAsked)
            Run("SET standard_conforming_strings = off");
        // MariaDB reads backslashes as escapes unless told otherwise.
        ASSERT_EQ(connection_->BackslashEscapesInLiterals(), escapesAsked || mariadb);
        // Temporary tables on a server: private to this session, gone with it. MariaDB's
        // tickets compare as bytes, so that texts differing only in case stay distinct.
        const std::string create = sqlite ? "CREATE TABLE " : mariadb ? "CREATE TEMPORARY TABLE " : "CREATE TEMP TABLE ";
        const std::string options = mariadb ? " COLLATE utf8mb4_bin" : "";
        Run(create + "t_omr(zkzh VARCHAR(200) PRIMARY KEY, ttxx VARCHAR(120), tttt VARCHAR(64), qk CHAR(1), lwtth CHAR(1))" + options);
        Run(create + "t_bm(zkzh VARCHAR(200), bmh VARCHAR(12), xm VARCHAR(8))" + options);
        FillTables();
        tablesBefore_ = TableContents();

        HostConnection = connection_.get();
        form_ = std::make_unique<TQELVOR_Form>();
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        // Shown once, so that the form attached the connection; painting a thousand
        // results would cost far more than the searches under test.
        form_->hide();
    }

    void TearDown() override
    {
        form_.reset();
        HostConnection = nullptr;
    }

    void Run(const std::string& statement, const std::vector<Parameter>& parameters = {})
    {
        connection_->AdoConnection().Execute(statement, parameters, 0, 0);
    }

    // Ordinary tickets, and tickets that are hostile texts themselves, so that equality
    // and ranges over hostile texts have rows to find. Values are bound, never quoted.
    void FillTables()
    {
        std::set<std::string> tickets;
        for (int i = 1; i <= 120; ++i)
            tickets.insert(std::to_string(1010000 + i * 7));
        for (const std::string& text : test::HostileTexts())
            if (!test::HoldsNul(text) && text.size() <= 200)
                tickets.insert(text);
        const bool sqlite = GetParam() == "sqlite";
        if (sqlite)
            Run("BEGIN");  // one commit, not one per row
        int row = 0;
        for (const std::string& ticket : tickets) {
            Run("INSERT INTO t_omr VALUES(?,?,?,?,?)",
                {TextParameter(ticket), TextParameter("ABCD"), TextParameter(std::to_string(row)), TextParameter("0"),
                 TextParameter("1")});
            if (row % 3 != 0)
                Run("INSERT INTO t_bm VALUES(?,?,?)",
                    {TextParameter(ticket), TextParameter("B" + std::to_string(row)), TextParameter("张三")});
            ++row;
        }
        if (sqlite)
            Run("COMMIT");
    }

    using Rows = std::vector<std::vector<std::string>>;

    Rows Query(const std::string& statement, const std::vector<Parameter>& parameters = {})
    {
        const auto batch = connection_->AdoConnection().Execute(statement, parameters, 0, 0);
        Rows rows;
        const recordset::ResultTable* table = batch->Current();
        for (std::int64_t row = 0; table && row < table->RowCount(); ++row) {
            rows.emplace_back();
            for (int column = 0; column < table->FieldCount(); ++column)
                rows.back().push_back(table->Value(column, row).ToString());
        }
        return rows;
    }

    Rows TableContents()
    {
        Rows rows = Query("select * from t_omr order by zkzh");
        const Rows registrations = Query("select * from t_bm order by zkzh");
        rows.insert(rows.end(), registrations.begin(), registrations.end());
        return rows;
    }

    std::string TableCounts()
    {
        return Query("select count(*) from t_omr").at(0).at(0) + "," + Query("select count(*) from t_bm").at(0).at(0);
    }

    // The tickets the statement that binds the texts returns, in the same shape the
    // form chooses by the trimmed texts.
    std::vector<std::string> BoundTickets(const std::string& start, const std::string& end)
    {
        std::vector<std::string> tickets;
        const bool startEmpty = TrimControlAndBlank(start).empty();
        const bool endEmpty = TrimControlAndBlank(end).empty();
        Rows rows;
        if (startEmpty && endEmpty)
            rows = Query(kBase);
        else if (endEmpty)
            rows = Query(kBase + " where a.zkzh=? order by 准考证号", {TextParameter(start)});
        else
            rows = Query(kBase + " where a.zkzh between ? and ? order by 准考证号", {TextParameter(start), TextParameter(end)});
        for (const std::vector<std::string>& row : rows)
            tickets.push_back(row.at(0));
        if (startEmpty && endEmpty)
            std::sort(tickets.begin(), tickets.end());  // no order by: any order is right
        return tickets;
    }

    std::vector<std::string> ShownTickets(bool sorted)
    {
        std::vector<std::string> tickets;
        TADODataSet& dataSet = *form_->QELV_Set;
        if (!dataSet.Active())
            return tickets;
        for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
            tickets.push_back(dataSet.Fields(0)->AsString());
        if (sorted)
            std::sort(tickets.begin(), tickets.end());
        return tickets;
    }

    // Types the texts, presses the search button and checks what is shown.
    void Search(const std::string& start, const std::string& end)
    {
        form_->Edit1->SetText(QString::fromStdString(start));
        form_->Edit2->SetText(QString::fromStdString(end));
        // The numbers the search button reads from what the edits hold.
        const std::string typedStart = NormalizeTicketText(form_->Edit1->Text().toStdString());
        const std::string typedEnd = NormalizeTicketText(form_->Edit2->Text().toStdString());
        const std::string shownAs = "start [" + start + "] end [" + end + "]";
        errors_.texts.clear();
        form_->BitBtn1->click();
        QCoreApplication::processEvents();  // as the window's loop does between two clicks
        const bool all = TrimControlAndBlank(typedStart).empty() && TrimControlAndBlank(typedEnd).empty();
        const bool nul = test::HoldsNul(typedStart) || test::HoldsNul(typedEnd);
        if (!errors_.texts.empty()) {
            // Only a NUL, which no statement text may hold, is refused; clearly.
            EXPECT_TRUE(nul) << shownAs << ": " << errors_.texts.front();
            EXPECT_FALSE(form_->QELV_Set->Active()) << shownAs;
            ++refused_;
        } else {
            std::vector<std::string> expected;
            try {
                expected = BoundTickets(typedStart, typedEnd);
            } catch (const std::exception& failure) {
                ADD_FAILURE() << shownAs << ": the search showed rows where the bound statement fails: " << failure.what();
            }
            EXPECT_EQ(ShownTickets(all), expected) << shownAs;
            if (!expected.empty())
                ++withRows_;
        }
        ASSERT_EQ(TableCounts(), countsBefore_) << shownAs << " changed a table";
    }

    QTemporaryDir dir_;
    std::unique_ptr<TADOConnection> connection_;
    Rows tablesBefore_;
    std::string countsBefore_;
    test::ErrorRecorder errors_;
    std::unique_ptr<TQELVOR_Form> form_;
    int refused_ = 0;
    int withRows_ = 0;
};

TEST_P(HostileSearch, EveryTextFindsTheRowsOfTheBoundStatementAndChangesNothing)
{
    countsBefore_ = TableCounts();
    const std::vector<std::string> texts = test::HostileTexts();
    ASSERT_GE(texts.size(), 200u);
    for (std::size_t i = 0; i < texts.size() && !HasFatalFailure(); ++i) {
        const std::string& text = texts[i];
        Search(text, "");                               // equal to the text
        Search("", text);                               // everything up to it
        Search(text, texts[(i + 1) % texts.size()]);    // between two hostile texts
        Search(text, "1019999");                        // from it up to a real ticket
    }
    EXPECT_EQ(TableContents(), tablesBefore_);
    EXPECT_GT(withRows_, static_cast<int>(texts.size())) << "too few searches found rows to compare";
    std::cout << texts.size() << " texts, " << 4 * texts.size() << " searches, " << withRows_ << " with rows, "
              << refused_ << " refused (NUL)\n";
}

// A backslash start once ended its literal early where backslashes escape: the end
// text then ran as a second statement and deleted every registration.
TEST_P(HostileSearch, ABackslashStartCannotEndItsLiteralEarly)
{
    countsBefore_ = TableCounts();
    Search("\\", "and chr(122);DELETE FROM t_bm;-- ");
    Search("\\'", "; DELETE FROM t_bm;--");
    Search("a\\", "");
    EXPECT_TRUE(errors_.texts.empty()) << errors_.texts.front();
    EXPECT_EQ(TableContents(), tablesBefore_);
}

// A text of a megabyte, through the dataset (no edit limits its length) and through
// the form (whose edit keeps what it can hold): rows or a clear error, never a crash.
TEST_P(HostileSearch, AMegabyteTextIsSearchedOrRefusedClearly)
{
    countsBefore_ = TableCounts();
    const std::string huge = test::HugeHostileText(1 << 20);
    const LiteralBackslash backslash =
        connection_->BackslashEscapesInLiterals() ? LiteralBackslash::Escape : LiteralBackslash::Plain;
    for (const auto& [start, end] : {std::pair{huge, std::string()}, std::pair{std::string("1"), huge}}) {
        TADODataSet dataSet("QELV_Set");
        dataSet.SetConnection(connection_.get());
        dataSet.SetCommandText(ComposeAnswerSheetStatement(start, end, backslash));
        try {
            dataSet.Open();
            std::vector<std::string> shown;
            for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
                shown.push_back(dataSet.Fields(0)->AsString());
            EXPECT_EQ(shown, BoundTickets(start, end));
        } catch (const Exception& failure) {
            EXPECT_FALSE(failure.Message().empty());
            EXPECT_FALSE(dataSet.Active());
        }
        EXPECT_EQ(TableCounts(), countsBefore_);
    }
    Search(huge, "");
    Search("1", huge);
    EXPECT_EQ(TableContents(), tablesBefore_);
}

INSTANTIATE_TEST_SUITE_P(Backends, HostileSearch, testing::Values("sqlite", "odbc", "odbc-escapes", "postgres", "postgres-escapes", "mariadb",
                                                           "mariadbnative"),
                         [](const testing::TestParamInfo<std::string>& backend) {
                             std::string name = backend.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace qelvor
