// TestDatabase: one open connection per provider for the shared record-set suite.
//
// "sqlite" uses a fresh file; "odbc" uses the PostgreSQL server named by QELVOR_TEST_ODBC
// and "mariadb" the MariaDB server named by QELVOR_TEST_MARIADB (both through ODBC);
// "postgres" the PostgreSQL server through libpq, named by QELVOR_TEST_POSTGRES;
// "mariadbnative" the MariaDB server through its own client library, named by
// QELVOR_TEST_MARIADB_NATIVE; the
// tests skip visibly when the variable is unset unless QELVOR_REQUIRE_ODBC=1 demands the
// servers. Each test process works in a schema (a database on MariaDB) of its own.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/recordset/Command.h"
#include "data/recordset/Connection.h"
#include "data/recordset/RecordSet.h"

namespace qelvor::recordset::test {

class TestDatabase {
public:
    // Opens the provider's database; returns null (after GTEST_SKIP/ADD_FAILURE) when unavailable.
    static std::unique_ptr<TestDatabase> Open(const std::string& provider);
    ~TestDatabase();

    Connection& Session() { return connection_; }
    bool IsSqlite() const { return kind_ == "sqlite"; }
    // A MariaDB server, through ODBC or natively (the same dialect either way).
    bool IsMariaDb() const { return kind_ == "mariadb" || kind_ == "mariadbnative"; }
    // The string the session was opened with.
    const std::string& ConnectionText() const { return connectionString_; }
    // Runs statements that return no rows.
    void Run(const std::string& sql);
    // A connection of its own to the same database and schema (to hold locks, say).
    std::unique_ptr<Connection> SecondSession() const;
    // Opens a record set over sql (maxRecords 0 = all).
    std::unique_ptr<RecordSet> Query(const std::string& sql, std::int64_t maxRecords = 0);

private:
    Connection connection_;
    Command command_;
    std::string kind_;
    std::string connectionString_;
    std::string path_;
    std::string schema_;
};

// Values of one column from the current row to EOF, as text ("<null>" for null).
std::vector<std::string> ColumnTexts(RecordSet& records, int column);

// Provider names for INSTANTIATE_TEST_SUITE_P.
inline const std::vector<std::string> kProviders = {"sqlite", "odbc", "mariadb", "postgres", "mariadbnative"};

// The variable that names the server of a provider other than SQLite.
const char* ServerVariable(const std::string& provider);

class ProviderTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        db_ = TestDatabase::Open(GetParam());
        if (!db_)
            GTEST_SKIP() << "no server for \"" << GetParam() << "\" (" << ServerVariable(GetParam()) << "): skipped";
    }
    std::unique_ptr<TestDatabase> db_;
};

}  // namespace qelvor::recordset::test
