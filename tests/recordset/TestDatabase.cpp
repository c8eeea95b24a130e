#include "TestDatabase.h"

#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "data/recordset/ResultBatch.h"

namespace qelvor::recordset::test {

const char* ServerVariable(const std::string& provider)
{
    return provider == "mariadb"         ? "QELVOR_TEST_MARIADB"
           : provider == "mariadbnative" ? "QELVOR_TEST_MARIADB_NATIVE"
           : provider == "postgres"      ? "QELVOR_TEST_POSTGRES"
                                         : "QELVOR_TEST_ODBC";
}

std::unique_ptr<TestDatabase> TestDatabase::Open(const std::string& provider)
{
    auto db = std::unique_ptr<TestDatabase>(new TestDatabase);
    if (provider == "sqlite") {
        static std::atomic<int> counter{0};
        db->path_ = "/tmp/qelvor-recordset-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".db";
        std::remove(db->path_.c_str());
        // The provider opens existing files only: create an empty one first.
        sqlite3* created = nullptr;
        sqlite3_open(db->path_.c_str(), &created);
        sqlite3_close(created);
        db->connectionString_ = "Provider=SQLite;Data Source=" + db->path_;
        db->connection_.Open(db->connectionString_);
    } else {
        const char* variable = ServerVariable(provider);
        const char* odbc = std::getenv(variable);
        if (!odbc || !*odbc) {
            const char* required = std::getenv("QELVOR_REQUIRE_ODBC");
            if (required && std::string(required) == "1")
                ADD_FAILURE() << "QELVOR_REQUIRE_ODBC=1 but " << variable << " is not set";
            return nullptr;
        }
        db->connectionString_ = odbc;
        db->connection_.Open(odbc);
        // Tests run in parallel processes: each gets a schema of its own.
        db->schema_ = "qelvor_test_" + std::to_string(getpid());
        if (provider == "mariadb" || provider == "mariadbnative") {
            db->Run("DROP DATABASE IF EXISTS " + db->schema_);
            db->Run("CREATE DATABASE " + db->schema_);
            db->Run("USE " + db->schema_);
        } else {
            db->Run("DROP SCHEMA IF EXISTS " + db->schema_ + " CASCADE; CREATE SCHEMA " + db->schema_
                    + "; SET search_path TO " + db->schema_);
        }
    }
    db->kind_ = provider;
    db->command_.SetActiveConnection(&db->connection_);
    return db;
}

TestDatabase::~TestDatabase()
{
    if (!schema_.empty()) {
        try {
            Run(IsMariaDb() ? "DROP DATABASE IF EXISTS " + schema_ : "DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
        } catch (const std::exception& failure) {
            ADD_FAILURE() << "cannot drop the test schema: " << failure.what();
        }
    }
    connection_.Close();
    if (!path_.empty())
        std::remove(path_.c_str());
}

std::unique_ptr<Connection> TestDatabase::SecondSession() const
{
    auto session = std::make_unique<Connection>();
    session->Open(connectionString_);
    if (IsMariaDb())
        session->Execute("USE " + schema_, 30, 0);
    else if (!schema_.empty())
        session->Execute("SET search_path TO " + schema_, 30, 0);
    return session;
}

void TestDatabase::Run(const std::string& sql)
{
    connection_.Execute(sql, 30, 0);
}

std::unique_ptr<RecordSet> TestDatabase::Query(const std::string& sql, std::int64_t maxRecords)
{
    auto records = std::make_unique<RecordSet>();
    records->SetCursorLocation(adUseClient);
    records->SetMaxRecords(maxRecords);
    command_.SetCommandText(sql);
    records->Open(command_, adOpenKeyset, adLockOptimistic, adCmdText);
    return records;
}

std::vector<std::string> ColumnTexts(RecordSet& records, int column)
{
    std::vector<std::string> texts;
    for (; !records.IsEOF(); records.MoveNext()) {
        const Variant value = records.Value(column);
        texts.push_back(value.IsNull() ? "<null>" : value.ToString());
    }
    return texts;
}

}  // namespace qelvor::recordset::test
