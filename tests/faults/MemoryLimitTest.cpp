// A result larger than the memory the process may use: in a child process with a
// lowered address-space limit, opening the dataset fails with a clear message instead
// of killing the process, leaves the dataset closed, and a small search afterwards
// works in the same process.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "tests/faults/PostgresServer.h"
#include "tests/support/SanitizerBuild.h"

namespace qelvor::test {
namespace {

// The process's address-space size now, in bytes.
long long VirtualSize()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmSize:", 0) == 0)
            return std::stoll(line.substr(7)) * 1024;
    return 0;
}

// Every payload differs, so that no storage can share them.
// Runs in the death-test child: lowers the limit, opens `huge` (which needs far more),
// then `small`; exits 0 only when the first failed with a message and the second worked.
void OpenBeyondTheLimit(const std::string& connectionString, const std::string& huge, const std::string& small)
{
    TADOConnection connection("HostConnection");
    connection.SetConnectionString(connectionString);
    connection.Open();
    TADODataSet dataSet("QELV_Set");
    dataSet.SetConnection(&connection);
    const rlimit limit{static_cast<rlim_t>(VirtualSize() + 160LL * 1024 * 1024),
                       static_cast<rlim_t>(VirtualSize() + 160LL * 1024 * 1024)};
    setrlimit(RLIMIT_AS, &limit);
    dataSet.SetCommandText(huge);
    try {
        dataSet.Open();
        std::fprintf(stderr, "the huge result fitted: %d rows, %lld bytes of address space\n", dataSet.RecordCount(), VirtualSize());
        std::exit(2);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "message: %s\n", error.what());
    }
    if (dataSet.Active())
        std::exit(3);
    dataSet.SetCommandText(small);
    dataSet.Open();
    std::exit(dataSet.RecordCount() == 3 ? 0 : 4);
}

class MemoryLimitTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (kAddressSanitizer)
            GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
    }
};

TEST_F(MemoryLimitTest, PostgresResultBeyondTheLimitIsAClearError)
{
    const PostgresServer server;
    if (!server.Available()) {
        if (ServerTestsRequired())
            FAIL() << server.Problem();
        GTEST_SKIP() << server.Problem();
    }
    const std::string huge = "SELECT i, i || repeat('x', 1000) AS payload FROM generate_series(1, 3000000) AS i";
    const std::string small = "SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3";
    EXPECT_EXIT(OpenBeyondTheLimit(server.ConnectionString(), huge, small), testing::ExitedWithCode(0),
                "message: .*(memory|Memory)");
}

// The same on the embedded engine: three million generated rows of a kilobyte each.
TEST_F(MemoryLimitTest, SqliteResultBeyondTheLimitIsAClearError)
{
    const std::string huge = "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 3000000) "
                             "SELECT i, i || printf('%.*c', 1000, 'x') AS payload FROM c";
    const std::string small = "SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3";
    EXPECT_EXIT(OpenBeyondTheLimit("Provider=SQLite;Data Source=:memory:", huge, small), testing::ExitedWithCode(0),
                "message: .*(memory|Memory)");
}

}  // namespace
}  // namespace qelvor::test
