// The settings the ODBC provider adds for the drivers it knows.
#include <gtest/gtest.h>

#include "data/recordset/ConnectionString.h"
#include "data/recordset/OdbcDriverSettings.h"

namespace qelvor::recordset {
namespace {

const std::string kPostgres = "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Uid=postgres";

TEST(OdbcDriverSettingsTest, PostgresGetsCursorFetchPlannedForWholeResults)
{
    const auto lean = WithLeanFetchSettings("psqlodbcw.so", kPostgres);
    ASSERT_TRUE(lean.has_value());
    const ConnectionString settings(*lean);
    EXPECT_EQ(settings.Find("UseDeclareFetch"), "1");
    EXPECT_EQ(settings.Find("Fetch"), "10000");
    EXPECT_EQ(settings.Find("ConnSettings"), "set cursor_tuple_fraction=1");
    EXPECT_EQ(settings.Find("CommLog"), "0");
    EXPECT_EQ(settings.Find("Server"), "127.0.0.1");  // the user's settings stay
    EXPECT_TRUE(WithLeanFetchSettings("PSQLODBCA.SO", kPostgres + ";").has_value());
}

TEST(OdbcDriverSettingsTest, UserChoicesWinAndOtherDriversAreLeftAlone)
{
    // The user chose the fetch: nothing is added at all.
    EXPECT_FALSE(WithLeanFetchSettings("psqlodbcw.so", kPostgres + ";UseDeclareFetch=0").has_value());
    EXPECT_FALSE(WithLeanFetchSettings("libmaodbc.so", "Driver={MariaDB Unicode};Server=h").has_value());
    EXPECT_FALSE(WithLeanFetchSettings("", "DSN=exams").has_value());

    // The user's own session settings run after ours, so theirs win; their log setting stays.
    const ConnectionString withOwn(*WithLeanFetchSettings("psqlodbcw.so", kPostgres + ";ConnSettings={set work_mem=64MB};CommLog=1"));
    EXPECT_EQ(withOwn.Find("ConnSettings"), "set cursor_tuple_fraction=1;set work_mem=64MB");
    EXPECT_EQ(withOwn.Find("CommLog"), "1");
    // A brace inside the user's settings cannot be nested: theirs are kept unchanged.
    const ConnectionString braced(*WithLeanFetchSettings("psqlodbcw.so", kPostgres + ";ConnSettings={a}}b}"));
    EXPECT_EQ(braced.Find("ConnSettings"), "a}b");
}

TEST(OdbcDriverSettingsTest, DriverRecognisedFromTheStringOrItsName)
{
    EXPECT_TRUE(NamesPostgresDriver(kPostgres));
    EXPECT_TRUE(NamesPostgresDriver("Driver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so;Server=x"));
    EXPECT_FALSE(NamesPostgresDriver("DSN=postgres_exams"));  // a DSN is checked after connecting
    EXPECT_FALSE(NamesPostgresDriver("Driver={MariaDB Unicode}"));
    EXPECT_TRUE(IsPostgresDriver("psqlodbcw.so"));
    EXPECT_FALSE(IsPostgresDriver("libmaodbc.so"));
}

TEST(OdbcDriverSettingsTest, NarrowTextOnlyWhereItIsKnownToBeUtf8)
{
    EXPECT_TRUE(NarrowTextIsUtf8("psqlodbcw.so", kPostgres, true));
    EXPECT_FALSE(NarrowTextIsUtf8("psqlodbcw.so", kPostgres, false));  // the driver may convert to the locale
    EXPECT_FALSE(NarrowTextIsUtf8("psqlodbca.so", kPostgres, true));   // the ANSI build keeps another encoding
    EXPECT_TRUE(NarrowTextIsUtf8("libmaodbc.so", "Driver={MariaDB Unicode};CHARSET=utf8mb4", false));
    EXPECT_FALSE(NarrowTextIsUtf8("libmaodbc.so", "Driver={MariaDB Unicode};CHARSET=latin1", true));
    EXPECT_FALSE(NarrowTextIsUtf8("libmaodbc.so", "Driver={MariaDB Unicode}", true));
    EXPECT_FALSE(NarrowTextIsUtf8("libsqlite3odbc.so", "Driver=SQLite3", true));
}

}  // namespace
}  // namespace qelvor::recordset
