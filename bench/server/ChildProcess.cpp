#include "ChildProcess.h"

#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/DataLink.h"
#include "data/DataSource.h"
#include "data/QueryComposition.h"
#include "data/recordset/RecordSet.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <fstream>
#include <cstdio>
#include <stdexcept>

namespace qelvor::bench {

ChildResult RunChild(const std::vector<std::string>& argv)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe failed");
    const auto started = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        std::vector<char*> args;
        for (const std::string& argument : argv)
            args.push_back(const_cast<char*>(argument.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        std::perror(args[0]);
        _exit(127);
    }
    close(pipeEnds[1]);
    ChildResult result;
    char chunk[4096];
    for (ssize_t got; (got = read(pipeEnds[0], chunk, sizeof chunk)) > 0;)
        result.output.append(chunk, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    rusage usage {};
    wait4(pid, &status, 0, &usage);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    result.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // Linux reports KiB
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string ShellOutput(const std::string& command)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run: " + command);
    std::string output;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        output.append(chunk, got);
    if (pclose(pipe) != 0)
        throw std::runtime_error("failed: " + command);
    return output;
}

namespace {

double ResidentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

}  // namespace

int OpenSheetsOnce(const std::string& connectionString)
{
    std::setlocale(LC_ALL, "");
    TADOConnection host("ADOConnection1");
    host.SetConnectionString(connectionString);
    host.Open();
    TADODataSet dataSet("QELV_Set");
    dataSet.SetConnection(&host);
    dataSet.SetCommandText(ComposeAnswerSheetStatement("", ""));
    dataSet.SetCommandTimeout(0);  // a loaded machine must slow the figures, not fail the run
    TDataSource source("DataSource1");
    source.SetDataSet(&dataSet);
    TDataLink link;
    link.SetDataSource(&source);
    link.SetBufferCount(40);  // about what the grid asks for
    const double baseline = ResidentMiB();
    const auto started = std::chrono::steady_clock::now();
    dataSet.Open();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%.6f %zu %d %.3f\n", seconds, dataSet.Recordset()->MemoryUsage(), dataSet.RecordCount(), baseline);
    return 0;
}

}  // namespace qelvor::bench
