// qelvor-make-demo: every argument is checked before a file is touched, and an existing
// file is replaced only by a complete database.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class MakeDemoTool : public testing::Test {
protected:
    struct Run {
        int status = -1;
        std::string err;
    };

    void SetUp() override
    {
        char folder[] = "/tmp/qelvor-make-demo-test-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
        path_ = folder_ + "/exam.db";
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Runs the binary through the shell; `before` is shell text run first (limits).
    Run Tool(const std::vector<std::string>& arguments, const std::string& before = "") const
    {
        const std::string errFile = folder_ + ".err";
        std::string command = before + "exec " + ShellQuote(QELVOR_MAKE_DEMO_BINARY);
        for (const std::string& argument : arguments)
            command += " " + ShellQuote(argument);
        command += " >/dev/null 2>" + ShellQuote(errFile);
        const int status = std::system(command.c_str());
        Run run;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.err = ReadFile(errFile);
        fs::remove(errFile);
        return run;
    }

    // The answer sheets in the database at path; -1 when it holds no sheet table.
    static int Sheets(const std::string& path)
    {
        sqlite3* db = nullptr;
        int count = -1;
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt* statement = nullptr;
            if (sqlite3_prepare_v2(db, "select count(*) from t_omr", -1, &statement, nullptr) == SQLITE_OK
                && sqlite3_step(statement) == SQLITE_ROW)
                count = sqlite3_column_int(statement, 0);
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
        return count;
    }

    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string folder_;
    std::string path_;
};

TEST_F(MakeDemoTool, RefusedArgumentsLeaveTheFileAsItWas)
{
    ASSERT_EQ(Tool({path_, "--rows", "30"}).status, 0);
    const std::string before = ReadFile(path_);
    ASSERT_EQ(Sheets(path_), 30);
    const std::vector<std::vector<std::string>> refused = {
        {"--rows", "99999999999999999999"}, {"--rows", "100000001"}, {"--rows", "-1"}, {"--rows", " 5"},
        {"--rows", "5x"}, {"--rows", ""}, {"--seed", "99999999999999999999999"}, {"--seed", "-3"},
        {"--rows"}, {"--bogus"}, {"second.db"}};
    for (std::vector<std::string> arguments : refused) {
        arguments.insert(arguments.begin(), path_);
        const Run run = Tool(arguments);
        EXPECT_EQ(run.status, 2) << arguments[1] << ": " << run.err;
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(path_), before) << arguments[1];
        EXPECT_EQ(Files(), std::vector<std::string>{"exam.db"}) << arguments[1];
    }
    // A file in a folder that does not exist, or a folder: refused, nothing made.
    const Run missing = Tool({folder_ + "/missing/exam.db", "--rows", "1"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("does not exist"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(folder_ + "/missing"));
    EXPECT_EQ(Tool({folder_}).status, 2);
    EXPECT_EQ(Files(), std::vector<std::string>{"exam.db"});
}

TEST_F(MakeDemoTool, AFileIsReplacedOnlyByACompleteDatabase)
{
    ASSERT_EQ(Tool({path_, "--rows", "30"}).status, 0);
    EXPECT_EQ(Sheets(path_), 30);
    const Run empty = Tool({path_, "--rows", "0"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(Sheets(path_), 0) << "an empty demo database is a database";
    ASSERT_EQ(Tool({path_, "--rows", "30", "--seed", "7"}).status, 0);
    EXPECT_EQ(Files(), std::vector<std::string>{"exam.db"}) << "nothing left beside it";
    // A write that fails half-way (a file-size limit stops it): the old file stays whole.
    const std::string before = ReadFile(path_);
    const Run failed = Tool({path_, "--rows", "20000"}, "trap '' XFSZ; ulimit -f 64; ");
    EXPECT_EQ(failed.status, 1) << failed.err;
    EXPECT_EQ(ReadFile(path_), before);
    EXPECT_EQ(Sheets(path_), 30);
    EXPECT_EQ(Files(), std::vector<std::string>{"exam.db"}) << "the partial file is removed";
}

}  // namespace
