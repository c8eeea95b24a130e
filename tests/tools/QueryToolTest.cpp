// qelvor-query: its command line, and the binary end to end on a SQLite file whose
// expected output is computed straight through SQLite.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "data/QueryComposition.h"
#include "tools/query/QueryOptions.h"
#include "tools/query/QueryRunner.h"

namespace qelvor::query {
namespace {

TEST(QueryToolOptions, BothFormsOfEveryOption)
{
    const QueryOptions options =
        ParseQueryOptions({"--connect", "Provider=SQLite;Data Source=x", "--start=-12", "--end", "20", "--sort=a=b DESC", "--timing"});
    EXPECT_EQ(options.connect, "Provider=SQLite;Data Source=x");
    EXPECT_EQ(options.start, "-12");
    EXPECT_EQ(options.end, "20");
    EXPECT_EQ(options.sort, "a=b DESC") << "only the first '=' separates the name";
    EXPECT_TRUE(options.hasSort);
    EXPECT_TRUE(options.timing);
    EXPECT_FALSE(ParseQueryOptions({"--connect=c"}).hasSort);
    EXPECT_TRUE(ParseQueryOptions({"--connect=c", "--sort="}).hasSort);
    EXPECT_TRUE(ParseQueryOptions({"--help"}).help);
}

// --- the binary ---------------------------------------------------------------

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the binary; `redirect` is appended to its shell command (e.g. ">/dev/full"), and
// `prefix` put before it (e.g. to run it as another user).
ToolRun RunTool(const std::vector<std::string>& arguments, const std::string& redirect = "",
                const std::string& prefix = "")
{
    const std::string errFile = "/tmp/qelvor-query-test-" + std::to_string(getpid()) + ".err";
    std::string command = prefix + ShellQuote(QELVOR_QUERY_BINARY);
    for (const std::string& argument : arguments)
        command += " " + ShellQuote(argument);
    command += " " + redirect + " 2>" + errFile;
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errFile);
    std::remove(errFile.c_str());
    return run;
}

std::string Escaped(const unsigned char* text)
{
    return text ? EscapeValue(reinterpret_cast<const char*>(text)) : std::string();
}

class QueryToolBinary : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = "/tmp/qelvor-query-test-" + std::to_string(getpid()) + ".db";
        std::remove(path_.c_str());
        ASSERT_EQ(sqlite3_open(path_.c_str(), &db_), SQLITE_OK);
        Exec("CREATE TABLE t_omr(zkzh VARCHAR(15) PRIMARY KEY, ttxx VARCHAR(120), tttt VARCHAR(64), qk CHAR(1), lwtth CHAR(1))");
        Exec("CREATE TABLE t_bm(zkzh VARCHAR(15) PRIMARY KEY, bmh VARCHAR(12), xm VARCHAR(8))");
        Exec("INSERT INTO t_omr VALUES('104','A\tB','1\n2','0','1'),('101','back\\slash','3','1',NULL),"
             "('103','CC','','0','2'),('102',NULL,'4','0','1'),('105','DD','5',NULL,'3')");
        Exec("INSERT INTO t_bm VALUES('101','B101','张三'),('103','B103','李四'),('105','B105','王五')");
        connect_ = "--connect=Provider=SQLite;Data Source=" + path_;
    }
    void TearDown() override
    {
        sqlite3_close(db_);
        std::remove(path_.c_str());
    }
    void Exec(const std::string& sql) { ASSERT_EQ(sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql; }

    // The output qelvor-query must print for `sql`, computed through SQLite itself.
    std::string Expected(const std::string& sql)
    {
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
        std::string out;
        const int columns = sqlite3_column_count(statement);
        for (int i = 0; i < columns; ++i)
            out += (i ? "\t" : "") + EscapeValue(sqlite3_column_name(statement, i));
        out += '\n';
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i)
                out += (i ? "\t" : "") + Escaped(sqlite3_column_text(statement, i));
            out += '\n';
        }
        sqlite3_finalize(statement);
        return out;
    }

    std::string path_;
    std::string connect_;
    sqlite3* db_ = nullptr;
};

TEST_F(QueryToolBinary, PrintsWhatTheDatabaseReturns)
{
    ToolRun all = RunTool({connect_});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out, Expected(ComposeAnswerSheetStatement("", "")));

    ToolRun range = RunTool({connect_, "--start", "102", "--end=104"});
    EXPECT_EQ(range.status, 0) << range.err;
    EXPECT_EQ(range.out, Expected(ComposeAnswerSheetStatement("102", "104")));
    EXPECT_EQ(std::count(range.out.begin(), range.out.end(), '\n'), 4);

    ToolRun dashed = RunTool({connect_, "--start=-1", "--end", "102"});
    EXPECT_EQ(dashed.out, Expected(ComposeAnswerSheetStatement("-1", "102")));
}

// A browse writes nothing: a WAL database in a folder its user cannot write (where SQLite
// cannot make the shared-memory file even to read) lists its sheets all the same.
TEST_F(QueryToolBinary, ADatabaseItsUserCannotWriteOpensReadOnly)
{
    char folderPattern[] = "/tmp/qelvor-read-only.XXXXXX";
    ASSERT_NE(mkdtemp(folderPattern), nullptr);
    const std::string folder = folderPattern;
    const std::string copy = folder + "/exams.db";
    Exec("VACUUM INTO '" + copy + "'");
    sqlite3* wal = nullptr;
    ASSERT_EQ(sqlite3_open(copy.c_str(), &wal), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(wal, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(wal);
    const std::string connect = "--connect=Provider=SQLite;Data Source=" + copy;

    // Neither the file nor its folder writable by the user who reads it (root may write
    // anything: the tool then runs as nobody).
    chmod(copy.c_str(), 0444);
    chmod(folder.c_str(), 0555);
    const std::string asUser = geteuid() == 0 ? "runuser -u nobody -- " : "";
    const ToolRun readOnly = RunTool({connect}, "", asUser);
    chmod(folder.c_str(), 0755);
    std::filesystem::remove_all(folder);
    EXPECT_EQ(readOnly.status, 0) << readOnly.err;
    EXPECT_EQ(readOnly.out, Expected(ComposeAnswerSheetStatement("", "")));
}

// Numbers pasted with their line end or blanks, or typed with full-width digits, are
// read as the search button reads its edits.
TEST_F(QueryToolBinary, TicketNumbersAreReadWithoutBlanksAndWithAsciiDigits)
{
    const std::string one = Expected(ComposeAnswerSheetStatement("102", ""));
    for (const std::string typed : {"102\r\n", "\u3000１０２ "}) {
        ToolRun run = RunTool({connect_, "--start=" + typed});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, one) << "start [" << typed << "]";
    }
    ToolRun range = RunTool({connect_, "--start= １０２ ", "--end=104\n"});
    EXPECT_EQ(range.out, Expected(ComposeAnswerSheetStatement("102", "104")));
    ToolRun blanks = RunTool({connect_, "--start=\u3000", "--end= \r\n"});
    EXPECT_EQ(blanks.out, Expected(ComposeAnswerSheetStatement("", ""))) << "blanks alone are no number";
}

TEST_F(QueryToolBinary, AppliesTheSortString)
{
    ToolRun one = RunTool({connect_, "--sort", "准考证号 DESC"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out, Expected(ComposeAnswerSheetStatement("", "") + " order by 1 desc"));

    ToolRun two = RunTool({connect_, "--sort=[缺考标记] ASC, 准考证号 DESC", "--timing"});
    EXPECT_EQ(two.status, 0) << two.err;
    EXPECT_EQ(two.out, Expected(ComposeAnswerSheetStatement("", "") + " order by 6 asc, 1 desc"));
    EXPECT_NE(two.err.find("open: "), std::string::npos);
    EXPECT_NE(two.err.find("sort: "), std::string::npos);
}

TEST_F(QueryToolBinary, FailuresPrintNoResult)
{
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{connect_, "--bogus"}, {connect_, "--end"}, {"--start", "1"}}) {
        ToolRun run = RunTool(arguments);
        EXPECT_EQ(run.status, 2) << arguments.back();
        EXPECT_TRUE(run.out.empty());
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }

    ToolRun badSort = RunTool({connect_, "--sort", "nope ASC"});
    EXPECT_EQ(badSort.status, 1);
    EXPECT_TRUE(badSort.out.empty()) << "nothing half-printed";
    EXPECT_NE(badSort.err.find("qelvor-query: "), std::string::npos);
    EXPECT_NE(badSort.err.find("no field of that name"), std::string::npos) << badSort.err;

    // A field followed by a word that is no direction: the direction is what is wrong.
    for (const std::string sort : {"姓名 SIDEWAYS", "准考证号 DESC,  姓名   SIDEWAYS "}) {
        ToolRun sideways = RunTool({connect_, "--sort", sort});
        EXPECT_EQ(sideways.status, 1);
        EXPECT_TRUE(sideways.out.empty());
        EXPECT_NE(sideways.err.find("\"SIDEWAYS\" is not ASC or DESC"), std::string::npos) << sideways.err;
        EXPECT_EQ(sideways.err.find("no field"), std::string::npos) << sideways.err;
    }

    ToolRun noFile = RunTool({"--connect=Provider=SQLite;Data Source=/nonexistent/dir/x.db"});
    EXPECT_EQ(noFile.status, 1);
    EXPECT_TRUE(noFile.out.empty());

    ToolRun fullDisk = RunTool({connect_}, ">/dev/full");
    EXPECT_EQ(fullDisk.status, 1) << "a result that could not be written is a failure";
    EXPECT_NE(fullDisk.err.find("cannot write"), std::string::npos) << fullDisk.err;

    Exec("DROP TABLE t_bm");
    ToolRun noTable = RunTool({connect_});
    EXPECT_EQ(noTable.status, 1);
    EXPECT_TRUE(noTable.out.empty());
    EXPECT_NE(noTable.err.find("t_bm"), std::string::npos) << noTable.err;
}

}  // namespace
}  // namespace qelvor::query
