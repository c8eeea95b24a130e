// What only the SQLite provider does: typing expressions and dynamically typed values,
// the command time-out, opening files and the connection-string checks, files replaced
// under an open connection.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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
    const auto names = db_->Query("SELECT xm FROM t_names");
    EXPECT_EQ(names->Field(0).definedSize, 6);
    EXPECT_EQ(names->Field(0).declaredSize, 4) << "the declared length is kept for the column's width";
    EXPECT_EQ(db_->Query("SELECT xm FROM t_names WHERE xm = '李四'")->Field(0).declaredSize, 0)
        << "a length no value exceeds is the size itself";
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

// A database file replaced under an open connection: the next statement reads the file
// now at the path, whichever way it was replaced.
class ReplacedFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir_ = std::filesystem::temp_directory_path() / ("qelvor-replaced-" + std::to_string(::getpid()) + "-" + test);
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "exam.db").string();
        backup_ = (dir_ / "backup.db").string();
        Make(backup_, 3000);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // A database of `sheets` rows in t_omr, each some 200 bytes (many pages).
    static void Make(const std::string& path, int sheets)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const std::string script = "CREATE TABLE t_omr(zkzh TEXT, ttxx TEXT);"
                                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                                   + std::to_string(sheets) + ") INSERT INTO t_omr SELECT i, printf('%.200c', 'A') FROM n;";
        EXPECT_EQ(sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    static std::string Bytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Writes bytes over the file at path in place (same file, truncated first), as cp does.
    static void Overwrite(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static ino_t Inode(const std::string& path)
    {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
    }
    void Open() { connection_.Open("Provider=SQLite;Data Source=" + path_); }
    std::string Count(const std::string& table = "t_omr")
    {
        auto batch = connection_.Execute("SELECT count(*) FROM " + table, 0, 0);
        return batch->Current()->Value(0, 0).ToString();
    }
    std::string Failure(const std::string& table = "t_omr")
    {
        try {
            return "no failure: " + Count(table);
        } catch (const ERecordSetError& failure) {
            return failure.what();
        }
    }

    std::filesystem::path dir_;
    std::string path_;
    std::string backup_;
    Connection connection_;
};

// Truncated, searched while empty, the same database copied back in place: SQLite alone
// would keep the empty schema it read for good ("no such table").
TEST_F(ReplacedFile, TruncatedThenCopiedBackInPlace)
{
    Overwrite(path_, Bytes(backup_));
    Open();
    EXPECT_EQ(Count(), "3000");
    const ino_t inode = Inode(path_);
    Overwrite(path_, "");
    EXPECT_EQ(Failure(), "no such table: t_omr") << "an empty file is an empty database";
    Overwrite(path_, Bytes(backup_));
    ASSERT_EQ(Inode(path_), inode) << "the same file throughout";
    EXPECT_EQ(Count(), "3000");
    EXPECT_EQ(Count(), "3000");
    // Cut short half-way through a copy, then whole again.
    const std::string whole = Bytes(backup_);
    Overwrite(path_, whole.substr(0, whole.size() / 2));
    EXPECT_NE(Failure().find("malformed"), std::string::npos) << Failure();
    Overwrite(path_, whole);
    EXPECT_EQ(Count(), "3000");
}

// Another file renamed over the path, or the file deleted and another copied in: the
// session would go on reading the file it opened.
TEST_F(ReplacedFile, RenamedOverOrDeletedAndCopiedIn)
{
    Make(path_, 1);
    Open();
    EXPECT_EQ(Count(), "1");
    const std::string next = (dir_ / "next.db").string();
    Overwrite(next, Bytes(backup_));
    std::filesystem::rename(next, path_);
    EXPECT_EQ(Count(), "3000");
    std::filesystem::remove(path_);
    const std::string gone = Failure();
    EXPECT_NE(gone.find("Cannot open the database \"" + path_ + "\""), std::string::npos) << gone;
    EXPECT_NE(Failure(), "no failure: 3000") << "still gone";
    Make(path_, 7);
    EXPECT_EQ(Count(), "7");
    Overwrite(path_, "not a database, not even a header");
    EXPECT_NE(Failure().find("not a database"), std::string::npos) << Failure();
    Overwrite(path_, Bytes(backup_));
    EXPECT_EQ(Count(), "3000");
}

// The session's own writes, another writer's and an in-memory database never cost the
// session: its TEMP table stays.
TEST_F(ReplacedFile, WritesAreNoReplacement)
{
    Overwrite(path_, "");  // an empty file: a new database without a header yet
    Open();
    connection_.Execute("CREATE TEMP TABLE scratch(x)", 0, 0);
    connection_.Execute("INSERT INTO scratch VALUES(1)", 0, 0);
    connection_.Execute("CREATE TABLE t_omr(zkzh TEXT)", 0, 0);  // the file gets its header
    EXPECT_EQ(Count("scratch"), "1");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, "INSERT INTO t_omr VALUES('1'), ('2'); CREATE TABLE t_bm(x)", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    EXPECT_EQ(Count(), "2");
    EXPECT_EQ(Count("scratch"), "1");

    Connection memory;
    memory.Open("Provider=SQLite;Data Source=:memory:");
    memory.Execute("CREATE TABLE t(x); INSERT INTO t VALUES(5)", 0, 0);
    EXPECT_EQ(memory.Execute("SELECT x FROM t", 0, 0)->Current()->Value(0, 0).ToString(), "5");
}

}  // namespace
}  // namespace qelvor::recordset::test
