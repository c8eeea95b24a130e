// Passwords kept off the command line:
// - a password file is read only when it is its owner's alone, its line end dropped;
// - a password put into a connection string survives every character;
// - qelvor-query, against a throwaway MariaDB server with an account that has a password,
//   connects with --password-file, with MYSQL_PWD, and by asking on a terminal (the typed
//   password not echoed); with no terminal it reports the server's refusal and asks nothing.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "data/recordset/Connection.h"
#include "data/recordset/ConnectionString.h"
#include "data/recordset/Password.h"
#include "data/recordset/ResultBatch.h"
#include "sampledata/SampleDatabase.h"
#include "tests/support/PrivateServer.h"

namespace qelvor::recordset {
namespace {

// A password with every character a connection string treats specially.
const std::string kPassword = " se;cr}e{t='\" ";

class PasswordFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qelvor-password.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }

    std::string Write(const std::string& content, mode_t mode)
    {
        const std::string path = dir_ + "/password";
        std::remove(path.c_str());
        std::ofstream(path) << content;
        chmod(path.c_str(), mode);
        return path;
    }

    std::string dir_;
};

TEST_F(PasswordFileTest, IsReadOnlyWhenItsOwnersAlone)
{
    EXPECT_EQ(ReadPasswordFile(Write(kPassword + "\n", 0600)), kPassword);
    EXPECT_EQ(ReadPasswordFile(Write(kPassword + "\r\nsecond line\n", 0400)), kPassword);
    EXPECT_EQ(ReadPasswordFile(Write(kPassword, 0600)), kPassword);
    for (const mode_t mode : {0644, 0640, 0604, 0620, 0602}) {
        try {
            ReadPasswordFile(Write("x\n", mode));
            ADD_FAILURE() << "mode " << std::oct << mode << " was accepted";
        } catch (const ERecordSetError& error) {
            EXPECT_NE(std::string(error.what()).find("chmod 600"), std::string::npos) << error.what();
        }
    }
    EXPECT_THROW(ReadPasswordFile(Write("\n", 0600)), ERecordSetError);
    EXPECT_THROW(ReadPasswordFile(dir_ + "/missing"), ERecordSetError);
    EXPECT_THROW(ReadPasswordFile(dir_), ERecordSetError);
}

TEST(PasswordInConnectionString, SurvivesEveryCharacterAndReplacesTheOldOne)
{
    const std::string text = WithPassword("Provider=MariaDB;Server={a;b};PWD=;Password=old;Uid= u ", kPassword);
    const ConnectionString settings(text);
    EXPECT_EQ(settings.Find("Pwd"), kPassword);
    EXPECT_EQ(settings.Find("Server"), "a;b");
    EXPECT_EQ(settings.Find("Uid"), "u");
    EXPECT_EQ(text.find("old"), std::string::npos);
    EXPECT_TRUE(GivesPassword(settings));
    EXPECT_FALSE(GivesPassword(ConnectionString("Uid=u;Pwd=")));
}

// --- qelvor-query against a server ---------------------------------------------

struct ToolResult {
    int status = -1;
    std::string output;  // standard output and error together (or the terminal's text)
};

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ToolResult RunQuery(const std::vector<std::string>& arguments, const std::string& environment = "")
{
    std::string command = environment + " " + Quote(QELVOR_QUERY_BINARY);
    for (const std::string& argument : arguments)
        command += " " + Quote(argument);
    ToolResult run;
    FILE* pipe = popen((command + " </dev/null 2>&1").c_str(), "r");
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Runs qelvor-query on a terminal of its own, typing answer once it asks.
ToolResult RunOnTerminal(const std::vector<std::string>& arguments, const std::string& answer)
{
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        std::vector<char*> argv = {const_cast<char*>(QELVOR_QUERY_BINARY)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(QELVOR_QUERY_BINARY, argv.data());
        _exit(127);
    }
    ToolResult run;
    if (child < 0)
        return run;
    bool answered = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < end) {
        pollfd wait = {terminal, POLLIN, 0};
        if (poll(&wait, 1, 200) > 0) {
            char buffer[1024];
            const ssize_t got = read(terminal, buffer, sizeof buffer);
            if (got <= 0)
                break;  // the program ended: its terminal is gone
            run.output.append(buffer, static_cast<std::size_t>(got));
        }
        if (!answered && run.output.find("Password: ") != std::string::npos) {
            const std::string line = answer + "\n";
            answered = write(terminal, line.data(), line.size()) == static_cast<ssize_t>(line.size());
        }
    }
    close(terminal);
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class QueryPasswordTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server_ = new test::PrivateServer(test::PrivateServer::Kind::MariaDb);
        if (!server_->Available())
            return;
        const std::string& odbc = server_->OdbcConnectionString();
        const std::string plain = "Provider=MariaDB" + odbc.substr(odbc.find(';'));
        Connection admin;
        admin.Open(plain);
        LoadSampleRows(admin, 50, 7);
        // The suite's account may not grant: the server's administrator, over its socket.
        Connection root;
        root.Open("Provider=MariaDB;Server=localhost;Uid=root;Socket=" + server_->Folder() + "/socket");
        root.Execute("CREATE USER 'sheets'@'127.0.0.1' IDENTIFIED BY '" + Escaped(kPassword)
                          + "'; GRANT SELECT ON qelvor.* TO 'sheets'@'127.0.0.1'",
                      30, 0);
        const std::string port = ConnectionString(plain).Find("Port").value_or("");
        connect_ = "Provider=MariaDB;Server=127.0.0.1;Port=" + port + ";Database=qelvor;Uid=sheets";
    }
    static void TearDownTestSuite()
    {
        delete server_;
        server_ = nullptr;
    }
    void SetUp() override
    {
        if (connect_.empty()) {
            if (test::ServerTestsRequired())
                FAIL() << server_->Problem();
            GTEST_SKIP() << server_->Problem();
        }
    }

    static std::string Escaped(const std::string& text)
    {
        std::string out;
        for (char c : text) {
            if (c == '\'' || c == '\\')
                out += c;
            out += c;
        }
        return out;
    }

    static test::PrivateServer* server_;
    static std::string connect_;
};

test::PrivateServer* QueryPasswordTest::server_ = nullptr;
std::string QueryPasswordTest::connect_;

// The header line's first field, which a connected search prints.
const std::string kHeader = "准考证号";

bool Searched(const ToolResult& run)
{
    return run.status == 0 && run.output.find(kHeader) != std::string::npos;
}

TEST_F(QueryPasswordTest, ComesFromAFileOrTheEnvironment)
{
    char pattern[] = "/tmp/qelvor-password.XXXXXX";
    const int file = mkstemp(pattern);
    ASSERT_GE(file, 0);
    ASSERT_EQ(write(file, (kPassword + "\n").data(), kPassword.size() + 1), static_cast<ssize_t>(kPassword.size() + 1));
    close(file);
    const ToolResult fromFile = RunQuery({"--connect", connect_, "--password-file", pattern});
    EXPECT_TRUE(Searched(fromFile)) << fromFile.output;

    chmod(pattern, 0644);
    const ToolResult exposed = RunQuery({"--connect", connect_, "--password-file", pattern});
    EXPECT_EQ(exposed.status, 1);
    EXPECT_NE(exposed.output.find("can be read or changed by other users"), std::string::npos) << exposed.output;
    std::remove(pattern);

    const ToolResult fromEnvironment = RunQuery({"--connect", connect_}, "MYSQL_PWD=" + Quote(kPassword));
    EXPECT_TRUE(Searched(fromEnvironment)) << fromEnvironment.output;

    // No terminal: the refusal, and no prompt that would wait for nobody.
    const ToolResult refused = RunQuery({"--connect", connect_});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("Access denied"), std::string::npos) << refused.output;
    EXPECT_EQ(refused.output.find("Password:"), std::string::npos);
}

TEST_F(QueryPasswordTest, IsAskedOnATerminalWithoutEcho)
{
    const ToolResult asked = RunOnTerminal({"--connect", connect_}, kPassword);
    EXPECT_EQ(asked.status, 0) << asked.output;
    EXPECT_NE(asked.output.find(kHeader), std::string::npos) << asked.output;
    EXPECT_EQ(asked.output.find("se;cr}e{t"), std::string::npos) << "the password was echoed: " << asked.output;

    const ToolResult wrong = RunOnTerminal({"--connect", connect_}, "not it");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.output.find("Access denied"), std::string::npos) << wrong.output;
}

}  // namespace
}  // namespace qelvor::recordset
