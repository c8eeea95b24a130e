#include "tests/data/support/Backends.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "data/recordset/Connection.h"
#include "data/recordset/ResultBatch.h"

namespace qelvor::test {

void BackendTest::SetUp()
{
    if (IsServer()) {
        const char* variable = GetParam() == "mariadb"         ? "QELVOR_TEST_MARIADB"
                             : GetParam() == "mariadbnative" ? "QELVOR_TEST_MARIADB_NATIVE"
                             : GetParam() == "postgres"      ? "QELVOR_TEST_POSTGRES"
                                                             : "QELVOR_TEST_ODBC";
        const char* odbc = std::getenv(variable);
        if (!odbc || !*odbc) {
            const char* require = std::getenv("QELVOR_REQUIRE_ODBC");
            if (require && std::string(require) == "1")
                FAIL() << "QELVOR_REQUIRE_ODBC=1 but " << variable << " is not set";
            GTEST_SKIP() << variable << " is not set: no server to test against";
        }
        connectionString_ = odbc;
    } else {
        static int counter = 0;
        sqliteFile_ = "/tmp/qelvor-dataset-test-" + std::to_string(getpid()) + "-" + std::to_string(++counter) + ".db";
        // The provider opens existing files only; an empty file is an empty database.
        std::ofstream(sqliteFile_, std::ios::trunc);
        connectionString_ = "Provider=SQLite;Data Source=" + sqliteFile_;
    }
    connection_.SetConnectionString(connectionString_);
    connection_.Open();
}

void BackendTest::TearDown()
{
    connection_.Close();
    if (!sqliteFile_.empty())
        std::remove(sqliteFile_.c_str());
}

void BackendTest::Exec(const std::string& statement)
{
    connection_.AdoConnection().Execute(statement, 0, 0);
}

void BackendTest::CreateTable(const std::string& name, const std::string& columns)
{
    Exec((IsMariaDb() ? "CREATE TEMPORARY TABLE " : "CREATE TEMP TABLE ") + name + "(" + columns + ")");
}

}  // namespace qelvor::test
