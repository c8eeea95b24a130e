// qelvor-make-demo FILE [--rows N] [--seed S]: writes a demo SQLite database of
// answer sheets and registrations for the host program and the benchmarks.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "runtime/UsageError.h"
#include "sampledata/SampleDatabase.h"

namespace {

constexpr const char* kUsage =
    "usage: qelvor-make-demo FILE [--rows N] [--seed S]\n"
    "  --rows N   answer sheets to generate (default 10000)\n"
    "  --seed S   seed of the generated values (default 1); the same seed makes the same database\n"
    "Writes an SQLite database of generated answer sheets to FILE, replacing it.\n"
    "Exit status: 0 success, 1 the database could not be written, 2 usage error.\n";

// A usage error: the problem and the usage on standard error, exit status 2.
int Usage(const std::string& problem)
{
    return qelvor::ReportUsageError("qelvor-make-demo", problem, kUsage);
}

bool ParseNumber(const char* text, unsigned long long& value)
{
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return end != text && *end == '\0' && text[0] != '-';
}

}  // namespace

int main(int argc, char** argv)
{
    std::string path;
    unsigned long long rows = 10000;
    unsigned long long seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if ((argument == "--rows" || argument == "--seed") && i + 1 < argc) {
            if (!ParseNumber(argv[++i], argument == "--rows" ? rows : seed))
                return Usage(argument + " needs a whole number of 0 or more, not \"" + argv[i] + "\"");
        } else if (path.empty() && argument.rfind("-", 0) != 0) {
            path = argument;
        } else {
            return Usage("unexpected argument \"" + argument + "\"");
        }
    }
    if (path.empty())
        return Usage("missing FILE");

    try {
        const auto start = std::chrono::steady_clock::now();
        qelvor::CreateSampleDatabase(path, static_cast<std::int64_t>(rows), seed);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: %llu answer sheets (seed %llu) in %.1f s\n", path.c_str(), rows, seed, seconds);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "qelvor-make-demo: %s\n", failure.what());
        return 1;
    }
    return 0;
}
