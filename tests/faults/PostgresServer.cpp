#include "tests/faults/PostgresServer.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <unistd.h>

namespace qelvor::test {

namespace {

std::string Shell(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    status = pclose(pipe);
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

}  // namespace

bool ServerTestsRequired()
{
    const char* require = std::getenv("QELVOR_REQUIRE_ODBC");
    return require && std::string(require) == "1";
}

PostgresServer::PostgresServer()
{
    char pattern[] = "/tmp/qelvor-pg-faults.XXXXXX";
    if (!mkdtemp(pattern)) {
        problem_ = "cannot create a folder for the server";
        return;
    }
    dir_ = pattern;
    int status = 0;
    // Owned by this process: the server goes with it also when a time-out kills it.
    const std::string output = Shell(std::string("bash ") + QELVOR_POSTGRES_SCRIPT + " start " + dir_ + " "
                                         + std::to_string(getpid()) + " 2>&1",
                                     status);
    if (status != 0) {
        problem_ = "the private PostgreSQL server did not start: " + output;
        return;
    }
    connectionString_ = output;
}

PostgresServer::~PostgresServer()
{
    if (!dir_.empty()) {
        int status = 0;
        Shell(std::string("bash ") + QELVOR_POSTGRES_SCRIPT + " stop " + dir_ + " 2>&1", status);
    }
}

std::string PostgresServer::WithUser(const std::string& role) const
{
    std::string text = connectionString_;
    const std::string key = "Uid=postgres";
    const std::size_t at = text.find(key);
    if (at != std::string::npos)
        text.replace(at, key.size(), "Uid=" + role);
    return text;
}

void PostgresServer::Halt()
{
    Run("halt");
}

void PostgresServer::Resume()
{
    Run("resume");
}

void PostgresServer::Run(const std::string& action)
{
    int status = 0;
    const std::string output = Shell(std::string("bash ") + QELVOR_POSTGRES_SCRIPT + " " + action + " " + dir_ + " 2>&1", status);
    if (status != 0)
        throw std::runtime_error("postgres.sh " + action + " failed: " + output);
}

}  // namespace qelvor::test
