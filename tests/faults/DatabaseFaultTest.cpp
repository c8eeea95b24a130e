// Database faults seen through the browse form's handlers on PostgreSQL through ODBC:
// the server stopped before a search, between two searches, killed while a result
// streams in, and started again; a missing table, a role without SELECT permission and
// a statement that exceeds the command timeout. Each failing search shows the
// database's message once in the error box, leaves the dataset closed and the grid
// empty, and the window usable; once the server is back, the next search succeeds on
// the same host connection.
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <QTest>
#include <gtest/gtest.h>

#include "browse/QELVOR_Unit.h"
#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/recordset/Connection.h"
#include "data/recordset/ResultBatch.h"
#include "grid/DBGridEh.h"
#include "session/StandardInfo.h"
#include "platform/Buttons.h"
#include "platform/TextControls.h"
#include "tests/browse/BrowseTestSupport.h"
#include "tests/faults/PostgresServer.h"
#include "sampledata/SampleDatabase.h"

namespace qelvor::test {
namespace {

constexpr std::int64_t kSheets = 2000;

class DatabaseFaultTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server_ = new PostgresServer;
        if (!server_->Available())
            return;
        recordset::Connection setup;
        setup.Open(server_->ConnectionString());
        LoadSampleRows(setup, kSheets, 5);
        setup.Execute("DROP ROLE IF EXISTS outsider", 0, 0);
        setup.Execute("CREATE ROLE outsider LOGIN", 0, 0);
    }
    static void TearDownTestSuite()
    {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override
    {
        if (!server_->Available()) {
            if (ServerTestsRequired())
                FAIL() << server_->Problem();
            GTEST_SKIP() << server_->Problem();
        }
    }
    void TearDown() override
    {
        form_.reset();
        HostConnection = nullptr;
        host_.reset();
    }

    void ShowForm(const std::string& connectionString)
    {
        host_ = std::make_unique<TADOConnection>("HostConnection");
        host_->SetConnectionString(connectionString);
        host_->Open();
        HostConnection = host_.get();
        form_ = std::make_unique<TQELVOR_Form>();
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }
    void ShowForm() { ShowForm(server_->ConnectionString()); }

    void Search() { form_->BitBtn1->click(); }

    // A search that worked: no new box, every sheet listed.
    void ExpectSearchSucceeds()
    {
        const std::size_t boxes = errors_.texts.size();
        Search();
        ASSERT_EQ(errors_.texts.size(), boxes) << errors_.texts.back();
        ASSERT_TRUE(form_->QELV_Set->Active());
        EXPECT_EQ(form_->QELV_Set->RecordCount(), kSheets);
        EXPECT_EQ(form_->DBGridEh1->RowCount(), 1 + form_->DBGridEh1->DataLink().RecordCount());
    }

    // A search that failed: exactly one new box with a message containing `expected`
    // (no line of it repeated), the dataset closed, the grid empty, the window usable.
    void ExpectSearchFails(const std::string& expected)
    {
        const std::size_t boxes = errors_.texts.size();
        Search();
        ASSERT_EQ(errors_.texts.size(), boxes + 1);
        const std::string& text = errors_.texts.back();
        EXPECT_NE(text.find(expected), std::string::npos) << text;
        const std::size_t newline = text.find('\n');
        if (newline != std::string::npos) {
            EXPECT_EQ(text.find(text.substr(0, newline), newline), std::string::npos) << "repeated: " << text;
        }
        EXPECT_FALSE(form_->QELV_Set->Active());
        EXPECT_FALSE(form_->DBGridEh1->DataLink().Active());
        EXPECT_EQ(form_->DBGridEh1->RowCount(), 2);  // the title row and one empty row
        EXPECT_TRUE(form_->isVisible());
        EXPECT_TRUE(form_->BitBtn1->isEnabled());
        // The window still takes input: the edits accept text.
        form_->Edit1->setFocus();
        QTest::keyClicks(form_->Edit1, "1");
        EXPECT_EQ(form_->Edit1->Text(), QStringLiteral("1"));
        form_->Edit1->SetText(QString());
    }

    // Runs a statement on a connection of its own (the host's is under test).
    static void Administer(const std::string& statement)
    {
        recordset::Connection admin;
        admin.Open(server_->ConnectionString());
        admin.Execute(statement, 0, 0);
    }

    static PostgresServer* server_;
    ErrorRecorder errors_;
    std::unique_ptr<TADOConnection> host_;
    std::unique_ptr<TQELVOR_Form> form_;
};

PostgresServer* DatabaseFaultTest::server_ = nullptr;

TEST_F(DatabaseFaultTest, ServerStoppedBeforeTheFirstSearchThenStartedAgain)
{
    ShowForm();
    server_->Halt();
    ExpectSearchFails("SQLSTATE");
    ExpectSearchFails("SQLSTATE");  // still down: a fresh attempt, a fresh message
    server_->Resume();
    ExpectSearchSucceeds();
}

TEST_F(DatabaseFaultTest, ServerStoppedBetweenTwoSearchesThenStartedAgain)
{
    ShowForm();
    ExpectSearchSucceeds();
    server_->Halt();
    ExpectSearchFails("SQLSTATE");
    server_->Resume();
    ExpectSearchSucceeds();
    ExpectSearchSucceeds();
}

TEST_F(DatabaseFaultTest, ARecoveredConnectionKeepsOneSession)
{
    ShowForm();
    ExpectSearchSucceeds();
    server_->Halt();
    ExpectSearchFails("SQLSTATE");
    server_->Resume();
    ExpectSearchSucceeds();
    // A temporary table lives as long as its session: still there for the next
    // statement only if the recovered connection did not open a session per statement.
    recordset::Connection& session = host_->AdoConnection();
    session.Execute("CREATE TEMPORARY TABLE recovery_probe(x integer)", 0, 0);
    session.Execute("INSERT INTO recovery_probe VALUES (1)", 0, 0);
    EXPECT_NO_THROW(session.Execute("SELECT x FROM recovery_probe", 0, 0));
    ExpectSearchSucceeds();
    EXPECT_NO_THROW(session.Execute("DROP TABLE recovery_probe", 0, 0)) << "nor did the search";
}

TEST_F(DatabaseFaultTest, ServerKilledWhileTheResultStreamsIn)
{
    // t_omr becomes a view that hands out its rows slowly (about 10 s in all), so that
    // the kill lands while the search's result is under way.
    Administer("ALTER TABLE t_omr RENAME TO t_omr_rows");
    Administer("CREATE FUNCTION trickle(value text) RETURNS text LANGUAGE sql VOLATILE AS "
               "$$ SELECT value FROM pg_sleep(0.005) $$");
    Administer("CREATE VIEW t_omr AS SELECT trickle(zkzh) AS zkzh, ttxx, tttt, qk, lwtth FROM t_omr_rows");
    ShowForm();
    std::thread killer([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        server_->Halt();
    });
    const auto started = std::chrono::steady_clock::now();
    ExpectSearchFails("SQLSTATE");
    killer.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8)) << "the search was not cut short";
    server_->Resume();
    Administer("DROP VIEW t_omr");
    Administer("DROP FUNCTION trickle(text)");
    Administer("ALTER TABLE t_omr_rows RENAME TO t_omr");
    ExpectSearchSucceeds();
}

TEST_F(DatabaseFaultTest, AMissingTableIsNamedInTheBox)
{
    ShowForm();
    Administer("ALTER TABLE t_bm RENAME TO t_bm_away");
    ExpectSearchFails("t_bm");
    Administer("ALTER TABLE t_bm_away RENAME TO t_bm");
    ExpectSearchSucceeds();
}

TEST_F(DatabaseFaultTest, ARoleWithoutSelectPermissionIsToldSo)
{
    ShowForm(server_->WithUser("outsider"));
    ExpectSearchFails("permission denied");
    Administer("GRANT SELECT ON t_omr, t_bm TO outsider");
    ExpectSearchSucceeds();
    Administer("REVOKE SELECT ON t_omr, t_bm FROM outsider");
}

TEST_F(DatabaseFaultTest, AStatementOverTheCommandTimeoutIsCancelled)
{
    ShowForm();
    form_->QELV_Set->SetCommandTimeout(1);
    // Another session holds the registrations locked, so the search waits.
    recordset::Connection locker;
    locker.Open(server_->ConnectionString());
    locker.Execute("BEGIN", 0, 0);
    locker.Execute("LOCK TABLE t_bm IN ACCESS EXCLUSIVE MODE", 0, 0);
    const auto started = std::chrono::steady_clock::now();
    ExpectSearchFails("Query timeout expired");
    // The time-out limits the wait: it fires soon after the second without a reply.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    locker.Execute("ROLLBACK", 0, 0);
    ExpectSearchSucceeds();
}

}  // namespace
}  // namespace qelvor::test
