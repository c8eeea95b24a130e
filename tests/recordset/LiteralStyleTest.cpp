// Whether a session reads a backslash inside a string literal as an escape: decided by
// the server's kind and, where it has one, by its setting, asked each time.
#include <gtest/gtest.h>

#include "TestDatabase.h"
#include "data/recordset/OdbcLiteralStyle.h"

namespace qelvor::recordset::test {
namespace {

TEST(BackslashSetting, IsReadOnlyFromServersThatHaveOne)
{
    const auto postgres = BackslashSettingQueryFor("PostgreSQL");
    ASSERT_TRUE(postgres);
    EXPECT_EQ(postgres->statement, "SHOW standard_conforming_strings");
    EXPECT_TRUE(postgres->escapes("off"));
    EXPECT_FALSE(postgres->escapes("on"));
    EXPECT_TRUE(postgres->escapes("")) << "an answer not understood means escapes";

    for (const char* name : {"MySQL", "MariaDB", "mysql"}) {
        const auto mysql = BackslashSettingQueryFor(name);
        ASSERT_TRUE(mysql) << name;
        EXPECT_EQ(mysql->statement, "SELECT @@SESSION.sql_mode");
        EXPECT_TRUE(mysql->escapes("STRICT_TRANS_TABLES,ERROR_FOR_DIVISION_BY_ZERO"));
        EXPECT_TRUE(mysql->escapes(""));
        EXPECT_FALSE(mysql->escapes("STRICT_TRANS_TABLES,NO_BACKSLASH_ESCAPES"));
    }
    for (const char* name : {"SQLite", "Microsoft SQL Server", "Oracle", ""})
        EXPECT_FALSE(BackslashSettingQueryFor(name)) << name;
}

class LiteralStyle : public ProviderTest {};

TEST_P(LiteralStyle, FollowsTheSessionSetting)
{
    Connection& session = db_->Session();
    if (db_->IsSqlite()) {
        EXPECT_FALSE(session.BackslashEscapesInLiterals());
        return;
    }
    if (db_->IsMariaDb()) {
        // Backslashes escape by default; the session's sql_mode can turn that off.
        EXPECT_TRUE(session.BackslashEscapesInLiterals());
        db_->Run("SET SESSION sql_mode = CONCAT(@@SESSION.sql_mode, ',NO_BACKSLASH_ESCAPES')");
        EXPECT_FALSE(session.BackslashEscapesInLiterals());
        db_->Run("SET SESSION sql_mode = REPLACE(@@SESSION.sql_mode, 'NO_BACKSLASH_ESCAPES', '')");
        EXPECT_TRUE(session.BackslashEscapesInLiterals());
        return;
    }
    EXPECT_FALSE(session.BackslashEscapesInLiterals());
    db_->Run("SET standard_conforming_strings = off");
    EXPECT_TRUE(session.BackslashEscapesInLiterals());
    db_->Run("SET standard_conforming_strings = on");
    EXPECT_FALSE(session.BackslashEscapesInLiterals());
}

INSTANTIATE_TEST_SUITE_P(Providers, LiteralStyle, testing::ValuesIn(kProviders));

}  // namespace
}  // namespace qelvor::recordset::test
