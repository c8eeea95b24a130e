// ChildProcess: runs a program to its end and reports what it cost.
//
// Each measured open runs in a process of its own, so that its peak resident memory is
// that open's alone (the kernel's high-water mark of the child) and no allocator state
// carries over from one measurement to the next.
#pragma once

#include <string>
#include <vector>

namespace qelvor::bench {

struct ChildResult {
    int exitCode = -1;          // -1 when the child did not exit normally
    double seconds = 0;         // wall time from start to exit
    double peakMiB = 0;         // the child's peak resident memory
    std::string output;         // its standard output
};

// Runs program with arguments (argv[0] included), waits for it and measures it.
// Standard error passes through. Raises std::runtime_error when it cannot be started.
ChildResult RunChild(const std::vector<std::string>& argv);

// Standard output of a shell command; raises when the command fails.
std::string ShellOutput(const std::string& command);

// The child's part: opens every answer sheet through connectionString as the browse window
// does (dataset, source, a link asking for about what the grid shows) and prints
// "seconds recordSetBytes records baselineMiB" (the open's time, what the record set
// holds, its rows, the resident memory before the open). Returns the exit code.
int OpenSheetsOnce(const std::string& connectionString);

}  // namespace qelvor::bench
