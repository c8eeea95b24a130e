#include "tests/support/PrivateServer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

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

PrivateServer::PrivateServer(Kind kind, bool tls)
    : script_(std::string(QELVOR_SUPPORT_DIR) + (kind == Kind::Postgres ? "/postgres.sh" : "/mariadb.sh"))
{
    char pattern[] = "/tmp/qelvor-private.XXXXXX";
    if (!mkdtemp(pattern)) {
        problem_ = "cannot create a folder for the server";
        return;
    }
    dir_ = pattern;
    int status = 0;
    const std::string output =
        Shell(std::string(tls ? "QELVOR_SERVER_TLS=1 " : "") + "bash " + script_ + " start " + dir_ + " " + std::to_string(getpid()) + " 2>&1", status);
    if (status != 0) {
        problem_ = "the private server did not start: " + output;
        return;
    }
    // The last line is the connection string (the scripts may say more before it).
    const std::size_t lineStart = output.rfind('\n');
    connectionString_ = lineStart == std::string::npos ? output : output.substr(lineStart + 1);
}

PrivateServer::~PrivateServer()
{
    if (!dir_.empty()) {
        int status = 0;
        Shell("bash " + script_ + " stop " + dir_ + " 2>&1", status);
    }
}

std::string PrivateServer::WithUser(const std::string& role) const
{
    std::string text = connectionString_;
    const std::string key = "Uid=postgres";
    const std::size_t at = text.find(key);
    if (at != std::string::npos)
        text.replace(at, key.size(), "Uid=" + role);
    return text;
}

void PrivateServer::Halt()
{
    Run("halt");
}

void PrivateServer::Resume()
{
    Run("resume");
}

void PrivateServer::Freeze()
{
    Run("freeze");
}

void PrivateServer::Thaw()
{
    Run("thaw");
}

void PrivateServer::Expire()
{
    Run("expire");
}

void PrivateServer::Renew()
{
    Run("renew");
}

void PrivateServer::Run(const std::string& action)
{
    int status = 0;
    const std::string output = Shell("bash " + script_ + " " + action + " " + dir_ + " 2>&1", status);
    if (status != 0)
        throw std::runtime_error(script_ + " " + action + " failed: " + output);
}

}  // namespace qelvor::test
