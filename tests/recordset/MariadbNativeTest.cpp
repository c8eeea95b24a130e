// The native MariaDB provider: its reading of the server's column descriptions and value
// texts without a server; and, on the server named by QELVOR_TEST_MARIADB_NATIVE, the same
// descriptions and values as through the ODBC driver, characters of four bytes in utf8mb4,
// the Unix socket, and "?" markers turned into literals the session reads back exactly.
#include <gtest/gtest.h>
#include <mysql.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TestDatabase.h"
#include "data/recordset/ConnectionString.h"
#include "data/recordset/MariadbTypes.h"
#include "data/recordset/ResultBatch.h"
#include "data/recordset/ResultTable.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset::test {
namespace {

MariadbFieldFacts Facts(int type, std::uint64_t length, unsigned decimals = 0, unsigned flags = 0,
                        unsigned characterSet = 45, unsigned bytesPerCharacter = 4)
{
    MariadbFieldFacts facts;
    facts.type = type;
    facts.length = length;
    facts.decimals = decimals;
    facts.flags = flags;
    facts.characterSet = characterSet;
    facts.bytesPerCharacter = bytesPerCharacter;
    return facts;
}

TEST(MariadbTypes, ServerLengthsBecomeTheSizesTheDriverReports)
{
    // DECIMAL(10,2) is 12 bytes wide (sign and point), DECIMAL(5,1) UNSIGNED 6, DECIMAL(30) 31.
    const MariadbColumnType signedDecimal = MapMariadbType(Facts(MYSQL_TYPE_NEWDECIMAL, 12, 2));
    EXPECT_EQ(signedDecimal.type, adNumeric);
    EXPECT_EQ(signedDecimal.size, 10);
    EXPECT_EQ(signedDecimal.scale, 2);
    EXPECT_EQ(MapMariadbType(Facts(MYSQL_TYPE_NEWDECIMAL, 6, 1, UNSIGNED_FLAG)).size, 5);
    EXPECT_EQ(MapMariadbType(Facts(MYSQL_TYPE_NEWDECIMAL, 31, 0)).size, 30);
    // Text lengths are bytes: characters times the character set's widest character.
    const MariadbColumnType varchar = MapMariadbType(Facts(MYSQL_TYPE_VAR_STRING, 80));
    EXPECT_EQ(varchar.type, adVarWChar);
    EXPECT_EQ(varchar.size, 20);
    EXPECT_EQ(MapMariadbType(Facts(MYSQL_TYPE_STRING, 10, 0, 0, 8, 1)).size, 10);
    const MariadbColumnType text = MapMariadbType(Facts(MYSQL_TYPE_BLOB, 262140));
    EXPECT_EQ(text.type, adLongVarWChar);
    EXPECT_EQ(text.size, 65535);
    EXPECT_TRUE(text.isLong);
    // Character set 63 makes the same types binary, sized in bytes.
    EXPECT_EQ(MapMariadbType(Facts(MYSQL_TYPE_STRING, 8, 0, BINARY_FLAG, 63, 1)).type, adBinary);
    const MariadbColumnType varbinary = MapMariadbType(Facts(MYSQL_TYPE_VAR_STRING, 16, 0, BINARY_FLAG, 63, 1));
    EXPECT_EQ(varbinary.type, adVarBinary);
    EXPECT_EQ(varbinary.size, 16);
    EXPECT_EQ(MapMariadbType(Facts(MYSQL_TYPE_BLOB, 65535, 0, BINARY_FLAG, 63, 1)).type, adLongVarBinary);
    // One bit is a truth value; more are bytes.
    EXPECT_EQ(MapMariadbType(Facts(MYSQL_TYPE_BIT, 1, 0, UNSIGNED_FLAG, 63, 1)).storage, ColumnStorage::Boolean);
    EXPECT_EQ(MapMariadbType(Facts(MYSQL_TYPE_BIT, 8, 0, UNSIGNED_FLAG, 63, 1)).type, adBinary);
    // Fractions of seconds widen the form; an unknown fraction (39) counts as six digits.
    EXPECT_EQ(MapMariadbType(Facts(MYSQL_TYPE_TIME, 14, 3)).size, 12);
    EXPECT_EQ(MapMariadbType(Facts(MYSQL_TYPE_DATETIME, 26, 6)).size, 26);
    EXPECT_EQ(MapMariadbType(Facts(MYSQL_TYPE_DATETIME, 26, 39)).size, 26);
    EXPECT_EQ(MapMariadbType(Facts(MYSQL_TYPE_LONGLONG, 20, 0, UNSIGNED_FLAG)).size, 19);
    EXPECT_EQ(MapMariadbType(Facts(MYSQL_TYPE_LONGLONG, 20)).size, 20);

    MariadbFieldFacts keyColumn = Facts(MYSQL_TYPE_LONG, 11, 0, NOT_NULL_FLAG | AUTO_INCREMENT_FLAG);
    keyColumn.fromTable = true;
    const FieldInfo key = DescribeMariadbField(keyColumn, MapMariadbType(keyColumn));
    EXPECT_EQ(key.precision, 10);
    EXPECT_TRUE(key.isAutoIncrement);
    EXPECT_EQ(key.attributes, adFldFixed | adFldUnknownUpdatable);
    const FieldInfo expression = DescribeMariadbField(Facts(MYSQL_TYPE_VAR_STRING, 12), varchar);
    EXPECT_EQ(expression.attributes, adFldIsNullable | adFldMayBeNull);
    EXPECT_EQ(expression.definedSize, 20);
}

// The values one column of each storage holds after the texts were appended.
std::vector<Variant> Appended(const MariadbFieldFacts& facts, const std::vector<std::string>& texts)
{
    const MariadbColumnType mapped = MapMariadbType(facts);
    ResultTable table({DescribeMariadbField(facts, mapped)});
    ColumnBuilder builder(table.MutableColumn(0), table.MutableField(0), mapped.storage, false);
    if (mapped.storage == ColumnStorage::DateTime)
        ColumnBuilder::SetDateKind(table.MutableColumn(0), mapped.dateKind);
    for (const std::string& text : texts)
        AppendMariadbValue(builder, mapped, text);
    builder.Finish();
    table.SetRowCount(static_cast<std::int64_t>(texts.size()));
    std::vector<Variant> values;
    for (std::int64_t row = 0; row < table.RowCount(); ++row)
        values.push_back(table.Value(0, row));
    return values;
}

TEST(MariadbTypes, ServerTextsBecomeValues)
{
    const auto bigints = Appended(Facts(MYSQL_TYPE_LONGLONG, 20, 0, UNSIGNED_FLAG), {"-5", "18446744073709551615"});
    EXPECT_EQ(bigints[0], Variant(std::int64_t{-5}));
    EXPECT_EQ(bigints[1], Variant(std::int64_t{-1})) << "an unsigned value past the signed range keeps its bits";
    const auto bits = Appended(Facts(MYSQL_TYPE_BIT, 1, 0, UNSIGNED_FLAG, 63, 1), {std::string(1, '\1'), std::string(1, '\0')});
    EXPECT_EQ(bits[0], Variant(true));
    EXPECT_EQ(bits[1], Variant(false));
    const auto dates = Appended(Facts(MYSQL_TYPE_DATETIME, 26, 6), {"2024-03-01 13:45:30.250000", "0000-00-00 00:00:00"});
    EXPECT_EQ(dates[0].ToString().substr(0, 19), "2024-03-01 13:45:30");
    EXPECT_TRUE(dates[1].IsNull()) << "a zero date is no date";
    const auto reals = Appended(Facts(MYSQL_TYPE_DOUBLE, 22, 31), {"1.5e300", "-0.125"});
    EXPECT_EQ(reals[0], Variant(1.5e300));
    EXPECT_EQ(reals[1], Variant(-0.125));
    EXPECT_EQ(Appended(Facts(MYSQL_TYPE_NEWDECIMAL, 32, 20), {"-0.00000000000000000001"})[0],
              Variant(DecimalValue{"-0.00000000000000000001"}));
}

// Statements on the server through the native provider.
class MariadbNative : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_ = TestDatabase::Open("mariadbnative");
        if (!db_)
            GTEST_SKIP() << "QELVOR_TEST_MARIADB_NATIVE names no server";
    }
    std::unique_ptr<TestDatabase> db_;
};

// The first result of text on session, which must have one.
const ResultTable& FirstTable(const std::unique_ptr<ResultBatch>& batch)
{
    if (!batch->Current())
        throw std::runtime_error("the statement gave no row set");
    return *batch->Current();
}

TEST_F(MariadbNative, ColumnsAreDescribedAndReadAsThroughTheOdbcDriver)
{
    const char* odbcText = std::getenv("QELVOR_TEST_MARIADB");
    if (!odbcText || !*odbcText)
        GTEST_SKIP() << "QELVOR_TEST_MARIADB names no server to compare with";
    db_->Run("CREATE TABLE t_all(id INT AUTO_INCREMENT PRIMARY KEY, ti TINYINT, tiu TINYINT UNSIGNED, si SMALLINT, "
             "mi MEDIUMINT, i INT NOT NULL DEFAULT 0, iu INT UNSIGNED, bi BIGINT, biu BIGINT UNSIGNED, f FLOAT, d DOUBLE, "
             "dec1 DECIMAL(10,2), dec2 DECIMAL(30,0), decu DECIMAL(5,1) UNSIGNED, dt DATE, tm TIME, tm3 TIME(3), "
             "dtt DATETIME, dtt6 DATETIME(6), ts TIMESTAMP NULL, yr YEAR, c CHAR(10), vc VARCHAR(20), tx TEXT, "
             "ttx TINYTEXT, ltx LONGTEXT, bn BINARY(4), vb VARBINARY(16), bl BLOB, b1 BIT(1), b8 BIT(8), "
             "en ENUM('a','bb'), st SET('x','y'), cl CHAR(5) CHARACTER SET latin1, vbin VARCHAR(10) BINARY)");
    db_->Run("INSERT INTO t_all VALUES(NULL, -7, 200, -300, 70000, 5, 4000000000, -9000000000, 18000000000000000000, "
             "1.5, 2.25, -12.34, 123456789012345678901234567890, 9999.9, '2024-02-29', '23:59:58', '01:02:03.456', "
             "'2024-03-01 13:45:30', '2024-03-01 13:45:30.123456', '2024-03-01 13:45:31', 2024, 'abc', '张三😀', "
             "'long text', 'tiny', '𠀋', X'00FF1020', X'CAFE', X'DEADBEEF', b'1', b'10100101', 'bb', 'x,y', 'caf\xC3\xA9', 'Bin')");
    db_->Run("INSERT INTO t_all(id) VALUES(NULL)");
    // One statement a call: the ODBC driver takes no statement lists.
    const std::string queries[] = {
        "SELECT * FROM t_all ORDER BY id", "SELECT 1 AS one, 1.5 AS dec15, 1e0 AS dbl, 'abc' AS txt, NULL AS nul, "
        "CURDATE() - INTERVAL 1 DAY < CURDATE() AS cmp, 12345678901 AS big, CAST(1 AS UNSIGNED) AS un, X'41' AS hex, "
        "CONCAT('a', 1) AS cc, CAST('x' AS BINARY) AS cb, COUNT(*) AS cnt, SUM(id) AS sm FROM t_all"};
    Connection odbc;
    odbc.Open(odbcText);
    odbc.Execute("USE qelvor_test_" + std::to_string(getpid()), 30, 0);
    for (const std::string& query : queries) {
        const auto native = db_->Session().Execute(query, 30, 0);
        const auto reference = odbc.Execute(query, 30, 0);
        const ResultTable& mine = FirstTable(native);
        const ResultTable& theirs = FirstTable(reference);
        ASSERT_EQ(mine.FieldCount(), theirs.FieldCount());
        ASSERT_EQ(mine.RowCount(), theirs.RowCount());
        for (int i = 0; i < mine.FieldCount(); ++i) {
            const FieldInfo& a = mine.Field(i);
            const FieldInfo& b = theirs.Field(i);
            SCOPED_TRACE(b.name);
            EXPECT_EQ(a.name, b.name);
            EXPECT_EQ(a.type, b.type);
            EXPECT_EQ(a.definedSize, b.definedSize);
            EXPECT_EQ(a.precision, b.precision);
            EXPECT_EQ(a.numericScale, b.numericScale);
            // The driver calls an auto-increment key nullable (it may be given NULL on
            // insert); the client library says what the column holds: never NULL.
            const std::uint32_t nullable = adFldIsNullable | adFldMayBeNull;
            EXPECT_EQ(a.attributes & ~(b.isAutoIncrement ? nullable : 0u), b.attributes & ~(b.isAutoIncrement ? nullable : 0u));
            EXPECT_EQ(a.isAutoIncrement, b.isAutoIncrement);
            EXPECT_EQ(mine.Column(i).Storage(), theirs.Column(i).Storage());
            // The driver drops a TIME's fraction of a second; the client library keeps it.
            if (b.name == "tm3")
                continue;
            for (std::int64_t row = 0; row < mine.RowCount(); ++row)
                EXPECT_EQ(mine.Value(i, row), theirs.Value(i, row)) << "row " << row;
        }
    }
}

TEST_F(MariadbNative, CharactersOfFourBytesTravelWholeInUtf8mb4)
{
    db_->Run("CREATE TABLE t_text(id INT, t VARCHAR(8)) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin");
    // A face, a character of the CJK extension B, a mathematical digit: one character each.
    const std::string text = "\xF0\x9F\x98\x80\xF0\xA0\x80\x8B\xF0\x9D\x9F\x98";
    Parameter value;
    value.value = Variant(text);
    db_->Session().Execute("INSERT INTO t_text VALUES(1, ?), (2, '" + text + "')", {value}, 30, 0);
    const auto batch = db_->Session().Execute(
        "SELECT t, CHAR_LENGTH(t) AS characters, LENGTH(t) AS bytes, t = ? AS same FROM t_text ORDER BY id", {value}, 30, 0);
    const ResultTable& table = FirstTable(batch);
    ASSERT_EQ(table.RowCount(), 2);
    for (std::int64_t row = 0; row < 2; ++row) {
        EXPECT_EQ(table.Value(0, row), Variant(text));
        EXPECT_EQ(table.Value(1, row), Variant(std::int64_t{3})) << "stored as three characters";
        EXPECT_EQ(table.Value(2, row), Variant(std::int64_t{12}));
        EXPECT_EQ(table.Value(3, row), Variant(std::int64_t{1}));
    }
    EXPECT_EQ(table.Field(0).definedSize, 8) << "sizes count characters, not bytes";
}

TEST_F(MariadbNative, TheUnixSocketServesWhenTheServerIsLocalhost)
{
    const ConnectionString settings(db_->ConnectionText());
    const auto socketPath = settings.Find("Socket");
    if (!socketPath)
        GTEST_SKIP() << "the connection string names no Unix socket";
    std::string text = "Provider=MariaDB;Server=localhost;Socket=" + *socketPath + ";";
    for (const auto& [key, value] : settings.Pairs())
        if (key != "Server" && key != "Port" && key != "Provider" && key != "Socket")
            text += key + "=" + value + ";";
    Connection local;
    local.Open(text);
    // The server names a Unix-socket client "localhost", a TCP client by its address and port.
    const auto batch = local.Execute("SELECT HOST FROM information_schema.PROCESSLIST WHERE ID = CONNECTION_ID()", 30, 0);
    EXPECT_EQ(FirstTable(batch).Value(0, 0), Variant("localhost"));
    const auto tcp = db_->Session().Execute("SELECT HOST FROM information_schema.PROCESSLIST WHERE ID = CONNECTION_ID()", 30, 0);
    EXPECT_NE(FirstTable(tcp).Value(0, 0), Variant("localhost"));

    Connection nowhere;
    try {
        nowhere.Open("Provider=MariaDB;Server=localhost;Socket=" + *socketPath + ".none;Uid=qelvor;Connect Timeout=5");
        ADD_FAILURE() << "connected through a socket that does not exist";
    } catch (const ERecordSetError& failure) {
        EXPECT_NE(std::string(failure.what()).find(".none"), std::string::npos) << failure.what();
    }
}

TEST_F(MariadbNative, MarkersBecomeLiteralsOnlyOutsideQuotesAndComments)
{
    const std::vector<std::string> values{"it's", "back\\slash", "\\'; DROP TABLE t_x; --", "", "?"};
    for (const bool escapes : {true, false}) {
        db_->Run(escapes ? "SET SESSION sql_mode = REPLACE(@@SESSION.sql_mode, 'NO_BACKSLASH_ESCAPES', '')"
                         : "SET SESSION sql_mode = CONCAT(@@SESSION.sql_mode, ',NO_BACKSLASH_ESCAPES')");
        ASSERT_EQ(db_->Session().BackslashEscapesInLiterals(), escapes);
        for (const std::string& text : values) {
            SCOPED_TRACE(text + (escapes ? " (escapes)" : " (no escapes)"));
            std::vector<Parameter> parameters(3);
            parameters[0].value = Variant(text);
            parameters[1].value = Variant();
            parameters[2].value = Variant(std::int64_t{42});
            const auto batch = db_->Session().Execute(
                "SELECT ? AS a, '?' AS q, \"a?\" AS dq, `?` AS b /* ? */, ? AS n -- ?\n, ? + 1 AS k # ?\n"
                "FROM (SELECT 1 AS `?`) AS x",
                parameters, 30, 0);
            const ResultTable& table = FirstTable(batch);
            EXPECT_EQ(table.Value(0, 0), Variant(text));
            EXPECT_EQ(table.Value(1, 0), Variant("?"));
            EXPECT_EQ(table.Value(2, 0), Variant("a?"));
            EXPECT_EQ(table.Value(3, 0), Variant(std::int64_t{1}));
            EXPECT_TRUE(table.Value(4, 0).IsNull());
            EXPECT_EQ(table.Value(5, 0).ToString(), "43");
        }
        // A backslash before a quote ends the quoted text only where it does not escape.
        Parameter marker;
        marker.value = Variant("m");
        const auto batch = db_->Session().Execute(escapes ? "SELECT 'a\\' ?' AS s, ? AS m" : "SELECT 'a\\' AS s, ? AS m",
                                                  {marker}, 30, 0);
        EXPECT_EQ(FirstTable(batch).Value(0, 0), Variant(escapes ? "a' ?" : "a\\"));
        EXPECT_EQ(FirstTable(batch).Value(1, 0), Variant("m"));
    }
    std::vector<Parameter> one(1);
    one[0].value = Variant("x");
    EXPECT_THROW(db_->Session().Execute("SELECT ?, ?", one, 30, 0), ERecordSetError);
    EXPECT_THROW(db_->Session().Execute("SELECT '?'", one, 30, 0), ERecordSetError);
}

}  // namespace
}  // namespace qelvor::recordset::test
