#include "ChildProcess.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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

}  // namespace qelvor::bench
