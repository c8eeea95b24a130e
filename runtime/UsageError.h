// UsageError: how every command-line program of the project refuses its arguments —
// one line "PROGRAM: PROBLEM", then the usage text, both on standard error, and exit
// status 2 (0 success, 1 a failure of the work itself). Header-only: the tools, the
// host and the benchmarks link different libraries.
#pragma once

#include <cstdio>
#include <string>

namespace qelvor {

// The exit status of a refused command line.
inline constexpr int kUsageErrorStatus = 2;

// Prints "program: problem" and the usage (a final newline added when missing) on
// standard error; returns kUsageErrorStatus for main to return.
inline int ReportUsageError(const std::string& program, const std::string& problem, const std::string& usage)
{
    std::fprintf(stderr, "%s: %s\n%s", program.c_str(), problem.c_str(), usage.c_str());
    if (!usage.empty() && usage.back() != '\n')
        std::fputc('\n', stderr);
    return kUsageErrorStatus;
}

}  // namespace qelvor
