// PostgresServer: a private, throwaway PostgreSQL server that a test may stop, kill
// and start again without disturbing the server the rest of the suite shares.
//
// Started through tests/support/postgres.sh. Available() is false (and the tests skip)
// when no server binaries are installed, unless QELVOR_REQUIRE_ODBC=1 demands them.
#pragma once

#include <string>

namespace qelvor::test {

class PostgresServer {
public:
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    bool Available() const { return !connectionString_.empty(); }
    // Why the server is not available (empty when it is).
    const std::string& Problem() const { return problem_; }
    // ODBC connection string of the superuser; WithUser gives one for another role.
    const std::string& ConnectionString() const { return connectionString_; }
    std::string WithUser(const std::string& role) const;

    // Stops the server at once, as a crash would (connections are cut).
    void Halt();
    // Starts a halted server again on the same port.
    void Resume();

private:
    void Run(const std::string& action);

    std::string dir_;
    std::string connectionString_;
    std::string problem_;
};

// True when QELVOR_REQUIRE_ODBC=1 asks that server tests never skip.
bool ServerTestsRequired();

}  // namespace qelvor::test
