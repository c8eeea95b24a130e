// What only the SQLite provider does: typing expressions and dynamically typed values,
// the command time-out, opening files and the connection-string checks.
#include <gtest/gtest.h>

#include <memory>

#include "TestDatabase.h"
#include "data/recordset/ResultBatch.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset::test {
namespace {

class SqliteOnly : public ::testing::Test {
protected:
    void SetUp() override { db_ = TestDatabase::Open("sqlite"); }
    std::unique_ptr<TestDatabase> db_;
};

TEST_F(SqliteOnly, ExpressionsAreTypedFromTheirValues)
{
    auto records = db_->Query("SELECT 1 + 1 AS n, 'xyz' AS s, 1.5 AS r, NULL AS z, x'00ff' AS bin");
    EXPECT_EQ(records->Field(0).type, adInteger);
    EXPECT_EQ(records->Field(1).type, adVarWChar);
    EXPECT_EQ(records->Field(1).definedSize, 3);
    EXPECT_EQ(records->Field(2).type, adDouble);
    EXPECT_EQ(records->Field(3).type, adVarWChar);
    EXPECT_EQ(records->Field(3).definedSize, 1);
    EXPECT_EQ(records->Field(4).type, adLongVarBinary);
    EXPECT_EQ(records->Value(0), Variant(std::int64_t{2}));
    EXPECT_TRUE(records->Value(3).IsNull());
    EXPECT_EQ(records->Value(4), Variant(Bytes{0x00, 0xff}));
}

TEST_F(SqliteOnly, ValuesThatDoNotFitTheDeclaredTypeWidenTheColumn)
{
    db_->Run("CREATE TABLE t_types(i INTEGER, small SMALLINT, d DATE, t TEXT, flag BOOLEAN, u VARCHAR(2))");
    db_->Run("INSERT INTO t_types VALUES(1, 1, '2024-01-02', '一二三', 1, 'abcd'), "
             "(2.5, 70000, 'not a date', 'x', 0, NULL), ('abc', 2, NULL, NULL, NULL, 'a')");
    auto records = db_->Query("SELECT i, small, d, t, flag, u FROM t_types");
    EXPECT_EQ(records->Field(0).type, adVarWChar);
    EXPECT_EQ(ColumnTexts(*records, 0), (std::vector<std::string>{"1", "2.5", "abc"}));
    records->MoveFirst();
    EXPECT_EQ(records->Field(1).type, adInteger);  // 70000 does not fit a small integer
    EXPECT_EQ(records->Field(2).type, adVarWChar);
    EXPECT_EQ(ColumnTexts(*records, 2), (std::vector<std::string>{"2024-01-02", "not a date", "<null>"}));
    // Text without a declared length: sized by its widest value (see below).
    EXPECT_EQ(records->Field(3).definedSize, 6);
    EXPECT_EQ(records->Field(4).type, adBoolean);
    records->MoveFirst();
    EXPECT_EQ(records->Value(4), Variant(true));
    // A declared length that a stored value exceeds is not reported.
    EXPECT_EQ(records->Field(5).definedSize, 4);
}

TEST_F(SqliteOnly, TextSizesCountWideCharactersTwice)
{
    // Chinese and fullwidth characters take two cells (two bytes in GB2312); halfwidth
    // katakana and Latin letters one.
    auto records = db_->Query("SELECT '张三丰' AS name, 'abc' AS latin, 'ＡＢ' AS fullwidth, 'ｱｲ' AS halfwidth, "
                              "'张a' AS mixed");
    EXPECT_EQ(records->Field(0).definedSize, 6);
    EXPECT_EQ(records->Field(1).definedSize, 3);
    EXPECT_EQ(records->Field(2).definedSize, 4);
    EXPECT_EQ(records->Field(3).definedSize, 2);
    EXPECT_EQ(records->Field(4).definedSize, 3);
    // A declared length that a wide value exceeds is not reported either.
    db_->Run("CREATE TABLE t_names(xm VARCHAR(4))");
    db_->Run("INSERT INTO t_names VALUES('张三丰'), ('李四')");
    EXPECT_EQ(db_->Query("SELECT xm FROM t_names")->Field(0).definedSize, 6);
}

// Only text without a declared length is marked long: its size is the widest value of
// this result (1 for none), which no reader may take for the column's own length.
TEST_F(SqliteOnly, TextWithoutADeclaredLengthIsMarkedLong)
{
    db_->Run("CREATE TABLE t_plain(xm TEXT, bmh VARCHAR(12), n INTEGER)");
    const auto isLong = [](const FieldInfo& field) { return (field.attributes & adFldLong) != 0; };
    auto empty = db_->Query("SELECT xm, bmh, n, 'abc' AS e FROM t_plain");
    EXPECT_EQ(empty->Field(0).definedSize, 1);
    EXPECT_TRUE(isLong(empty->Field(0)));
    EXPECT_FALSE(isLong(empty->Field(1)));
    EXPECT_EQ(empty->Field(1).definedSize, 12);
    EXPECT_FALSE(isLong(empty->Field(2)));
    db_->Run("INSERT INTO t_plain VALUES('" + std::string(1000, 'x') + "', '1', 1), ('张三', '2', 'many')");
    auto full = db_->Query("SELECT xm, bmh, n, 'abc' AS e FROM t_plain");
    EXPECT_EQ(full->Field(0).definedSize, 1000);
    EXPECT_TRUE(isLong(full->Field(0)));
    EXPECT_FALSE(isLong(full->Field(1)));
    EXPECT_TRUE(isLong(full->Field(2))) << "an integer column widened to text by a value";
    EXPECT_TRUE(isLong(full->Field(3))) << "an expression";
}

TEST_F(SqliteOnly, DecimalsKeepTheDigitsTheDatabaseHolds)
{
    // SQLite does not hold a declared scale: more digits, tiny and huge floats must all
    // come through as written and sort as the database sorts them.
    db_->Run("CREATE TABLE t_num(k INTEGER, n NUMERIC(8,2))");
    db_->Run("INSERT INTO t_num VALUES(1, 12.345), (2, 12.34), (3, 0.0000001), (4, 0), (5, 1e20), (6, -0.0), "
             "(7, 2), (8, 999999.995), (9, -1e-9), (10, 0.1 + 0.2), (11, 1e300)");
    auto records = db_->Query("SELECT k, n FROM t_num ORDER BY k");
    EXPECT_EQ(records->Field(1).type, adNumeric);
    EXPECT_EQ(ColumnTexts(*records, 1),
              (std::vector<std::string>{"12.345", "12.34", "0.0000001", "0.00", "100000000000000000000.00", "0.00", "2.00",
                                        "999999.995", "-0.000000001", "0.30", "1" + std::string(300, '0') + ".00"}));
    for (const char* sort : {"n", "n DESC"}) {
        records->SetSort(sort);
        records->MoveFirst();
        auto expected = db_->Query(std::string("SELECT k FROM t_num ORDER BY ") + sort + ", k");
        EXPECT_EQ(ColumnTexts(*records, 0), ColumnTexts(*expected, 0)) << sort;
    }
}

TEST_F(SqliteOnly, ParametersAreBoundInOrder)
{
    Command command;
    command.SetActiveConnection(&db_->Session());
    command.SetCommandText("SELECT ? AS a, ? AS b, ? AS c");
    command.Parameters().resize(3);
    command.Parameters()[0].value = std::int64_t{42};
    command.Parameters()[1].value = std::string("it's");
    RecordSet records;
    records.Open(command, adOpenKeyset, adLockOptimistic, adCmdText);
    EXPECT_EQ(records.Value(0), Variant(std::int64_t{42}));
    EXPECT_EQ(records.Value(1), Variant("it's"));
    EXPECT_TRUE(records.Value(2).IsNull());
}

TEST(SqliteConnection, OpeningFailuresNameTheCause)
{
    Connection connection;
    try {
        connection.Open("Provider=SQLite;Data Source=/nonexistent/dir/file.db");
        FAIL() << "opened a missing file";
    } catch (const ERecordSetError& failure) {
        EXPECT_NE(std::string(failure.what()).find("/nonexistent/dir/file.db"), std::string::npos);
    }
    EXPECT_EQ(connection.State(), adStateClosed);
    EXPECT_THROW(connection.Open("Provider=Nothing;Data Source=x"), ERecordSetError);
    EXPECT_THROW(connection.Open("Data Source=x"), ERecordSetError);
    EXPECT_THROW(connection.Execute("SELECT 1", 0, 0), ERecordSetError);
}

}  // namespace
}  // namespace qelvor::recordset::test
