// qelvor-make-demo FILE [--rows N] [--seed S]: writes a demo SQLite database of
// answer sheets and registrations for the host program and the benchmarks.
//
// Every argument is checked before any file is touched, and FILE is replaced only by a
// complete database: a refused command line or a failed write leaves it as it was.
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>

#include "runtime/UsageError.h"
#include "sampledata/SampleDatabase.h"
#include "sampledata/SampleRows.h"

namespace {

constexpr const char* kUsage =
    "usage: qelvor-make-demo FILE [--rows N] [--seed S]\n"
    "  --rows N   answer sheets to generate, 0 to 100000000 (default 10000)\n"
    "  --seed S   seed of the generated values (default 1); the same seed makes the same database\n"
    "Writes an SQLite database of generated answer sheets to FILE, replacing it once complete.\n"
    "Exit status: 0 success, 1 the database could not be written, 2 usage error.\n";

// A usage error: the problem and the usage on standard error, exit status 2.
int Usage(const std::string& problem)
{
    return qelvor::ReportUsageError("qelvor-make-demo", problem, kUsage);
}

// A whole number from 0 to most, digits only; none when the text is anything else
// (strtoull alone would take a sign, blanks, and an overflow as its largest value).
std::optional<unsigned long long> ParseNumber(const std::string& text, unsigned long long most)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value > most)
        return std::nullopt;
    return value;
}

// Why FILE cannot be written where it names, before anything is written; empty when it can.
std::string PathProblem(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return "\"" + path + "\" is a folder";
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return "the folder \"" + folder + "\" does not exist";
    return {};
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
        if (argument == "--rows" || argument == "--seed") {
            if (i + 1 == argc)
                return Usage(argument + " needs a value");
            const bool isRows = argument == "--rows";
            const auto most = isRows ? static_cast<unsigned long long>(qelvor::sample::kMaxSampleRows) : ~0ull;
            const auto value = ParseNumber(argv[++i], most);
            if (!value)
                return Usage(argument + " needs a whole number from 0 to " + std::to_string(most) + ", not \"" +
                             argv[i] + "\"");
            (isRows ? rows : seed) = *value;
        } else if (path.empty() && !argument.empty() && argument.rfind("-", 0) != 0) {
            path = argument;
        } else {
            return Usage("unexpected argument \"" + argument + "\"");
        }
    }
    if (path.empty())
        return Usage("missing FILE");
    if (const std::string problem = PathProblem(path); !problem.empty())
        return Usage(problem);

    try {
        const auto start = std::chrono::steady_clock::now();
        qelvor::WriteSampleDatabaseFile(path, static_cast<std::int64_t>(rows), seed);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: %llu answer sheets (seed %llu) in %.1f s\n", path.c_str(), rows, seed, seconds);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "qelvor-make-demo: %s\n", failure.what());
        return 1;
    }
    return 0;
}
