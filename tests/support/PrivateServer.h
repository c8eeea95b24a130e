// PrivateServer: a throwaway database server of one test's own (PostgreSQL or MariaDB,
// through tests/support/postgres.sh and mariadb.sh), which the test may freeze and thaw
// without disturbing the servers the rest of the suite shares. The server goes with the
// test process however that ends (the scripts' watchdog).
#pragma once

#include <string>

namespace qelvor::test {

class PrivateServer {
public:
    enum class Kind { Postgres, MariaDb };

    explicit PrivateServer(Kind kind);
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    bool Available() const { return !connectionString_.empty(); }
    // Why the server is not available (empty when it is).
    const std::string& Problem() const { return problem_; }
    // The server's ODBC connection string, as the scripts print it.
    const std::string& OdbcConnectionString() const { return connectionString_; }

    // Stops every process of the server (it keeps its links and answers nothing); Thaw
    // lets it go on.
    void Freeze();
    void Thaw();

private:
    void Run(const std::string& action);

    const std::string script_;
    std::string dir_;
    std::string connectionString_;
    std::string problem_;
};

}  // namespace qelvor::test
