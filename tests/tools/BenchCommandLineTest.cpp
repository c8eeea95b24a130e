// The benchmarks' command line: values in both forms, the status for help and for
// every kind of bad argument, and failures turned into a status instead of an abort.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "bench/common/CommandLine.h"

namespace qelvor::bench {
namespace {

struct Parsed {
    int status;
    std::string path;
    std::int64_t rows = 7;
    std::vector<std::string> variants;
    bool quick = false;
};

Parsed Parse(std::vector<std::string> arguments)
{
    Parsed parsed{};
    parsed.rows = 7;
    CommandLine commandLine("bench", "measures");
    commandLine.AddPositional("DB", &parsed.path, "file");
    commandLine.AddCount("--rows", &parsed.rows, "rows");
    commandLine.AddTexts("--variant", &parsed.variants, "variant");
    commandLine.AddFlag("--quick", &parsed.quick, "quick");
    arguments.insert(arguments.begin(), "bench");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    parsed.status = commandLine.Parse(static_cast<int>(argv.size()), argv.data());
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    return parsed;
}

TEST(BenchCommandLine, TakesValuesInBothFormsAndPositionals)
{
    const Parsed parsed = Parse({"/tmp/a.db", "--rows", "10000000", "--variant=x=1", "--variant", "y", "--quick"});
    EXPECT_EQ(parsed.status, -1);
    EXPECT_EQ(parsed.path, "/tmp/a.db");
    EXPECT_EQ(parsed.rows, 10000000);
    EXPECT_EQ(parsed.variants, (std::vector<std::string>{"x=1", "y"}));
    EXPECT_TRUE(parsed.quick);
    EXPECT_EQ(Parse({"--rows=5"}).rows, 5);
    EXPECT_EQ(Parse({}).rows, 7) << "an option not given keeps its default";
}

TEST(BenchCommandLine, HelpEndsWithZeroAndEveryBadArgumentWithTwo)
{
    EXPECT_EQ(Parse({"--help"}).status, 0);
    EXPECT_TRUE(Parse({"--help"}).path.empty()) << "--help must not become a database name";
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"-h"}, {"--rows"}, {"--rows", "ten"}, {"--rows", "0"}, {"--rows", "-5"},
             {"--rows", "99999999999999999999"}, {"--quick=1"}, {"a.db", "b.db"}}) {
        EXPECT_EQ(Parse(bad).status, 2) << bad.front() << " " << bad.back();
    }
}

TEST(BenchCommandLine, FailuresBecomeAStatus)
{
    EXPECT_EQ(RunReportingFailures("bench", [] { return 3; }), 3);
    testing::internal::CaptureStderr();
    const int status = RunReportingFailures("bench", []() -> int { throw std::runtime_error("disk I/O error"); });
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "bench: disk I/O error\n");
    EXPECT_EQ(status, 1);
}

}  // namespace
}  // namespace qelvor::bench
