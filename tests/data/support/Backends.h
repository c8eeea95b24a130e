// Backends: the database providers a dataset test runs against.
//
// "sqlite" always runs (a throwaway file); "odbc" runs against the PostgreSQL server named
// by QELVOR_TEST_ODBC and "mariadb" against the MariaDB server named by QELVOR_TEST_MARIADB,
// both through ODBC, "postgres" against the PostgreSQL server through libpq, named by
// QELVOR_TEST_POSTGRES, and "mariadbnative" against the MariaDB server through its own
// client library, named by QELVOR_TEST_MARIADB_NATIVE. When the variable is unset those cases skip with a visible message,
// unless QELVOR_REQUIRE_ODBC=1 demands them (then they fail).
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "data/ADOConnection.h"

namespace qelvor::test {

class BackendTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override;
    void TearDown() override;

    // The PostgreSQL server.
    bool IsOdbc() const { return GetParam() == "odbc"; }
    // A MariaDB server, through ODBC or natively (the same dialect either way).
    bool IsMariaDb() const { return GetParam() == "mariadb" || GetParam() == "mariadbnative"; }
    bool IsServer() const { return GetParam() != "sqlite"; }
    // Runs a statement that returns no rows on the test connection.
    void Exec(const std::string& statement);
    // CREATE TABLE private to this test's session.
    void CreateTable(const std::string& name, const std::string& columns);

    std::string connectionString_;
    std::string sqliteFile_;
    TADOConnection connection_{"HostConnection"};
};

}  // namespace qelvor::test
