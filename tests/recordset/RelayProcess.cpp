#include "RelayProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace qelvor::recordset::test {

RelayProcess::RelayProcess(const std::string& script, const std::vector<std::string>& arguments)
{
    int toRelay[2];
    int fromRelay[2];
    if (pipe2(toRelay, O_CLOEXEC) != 0 || pipe2(fromRelay, O_CLOEXEC) != 0)
        throw std::runtime_error("no pipe");
    std::vector<std::string> words = {"python3", script};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    process_ = fork();
    if (process_ == 0) {
        dup2(toRelay[0], 0);
        dup2(fromRelay[1], 1);
        execvp("python3", argv.data());
        _exit(127);
    }
    close(toRelay[0]);
    close(fromRelay[1]);
    control_ = toRelay[1];
    char text[16] = {};
    std::size_t used = 0;
    while (used < sizeof text - 1 && read(fromRelay[0], text + used, 1) == 1 && text[used] != '\n')
        ++used;
    close(fromRelay[0]);
    port_ = static_cast<std::uint16_t>(std::atoi(text));
    if (port_ == 0)
        throw std::runtime_error("the relay did not start");
}

RelayProcess::~RelayProcess()
{
    close(control_);  // the relay ends at the end of its input
    int status = 0;
    waitpid(process_, &status, 0);
}

void RelayProcess::Tell(const std::string& line)
{
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t written = write(control_, text.data(), text.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

}  // namespace qelvor::recordset::test
