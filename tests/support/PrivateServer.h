// PrivateServer: a throwaway database server of one test's own (PostgreSQL or MariaDB,
// through tests/support/postgres.sh and mariadb.sh), which the test may stop, start again,
// freeze and thaw without disturbing the servers the rest of the suite shares. The server
// goes with the test process however that ends (the scripts' watchdog). Available() is
// false (and the tests skip) when the server cannot start, unless QELVOR_REQUIRE_ODBC=1
// demands the servers.
#pragma once

#include <string>

namespace qelvor::test {

class PrivateServer {
public:
    enum class Kind { Postgres, MariaDb };

    // tls: the server speaks TLS only over TCP, with certificates of its own (see
    // tls_certificates.sh), and refuses sessions in clear.
    explicit PrivateServer(Kind kind, bool tls = false);
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    bool Available() const { return !connectionString_.empty(); }
    // Why the server is not available (empty when it is).
    const std::string& Problem() const { return problem_; }
    // The server's ODBC connection string, as the scripts print it.
    const std::string& OdbcConnectionString() const { return connectionString_; }
    // The same for another role (PostgreSQL: the string names the superuser).
    std::string WithUser(const std::string& role) const;

    // PostgreSQL: stops the server at once, as a crash would (connections are cut), and
    // starts it again on the same port.
    void Halt();
    void Resume();

    // Stops every process of the server (it keeps its links and answers nothing); Thaw
    // lets it go on.
    void Freeze();
    void Thaw();

    // The server's folder (its Unix socket is "socket" there, for MariaDB).
    const std::string& Folder() const { return dir_; }
    // A TLS server's folder of certificates (ca.crt, other-ca.crt, client.crt, ...).
    std::string CertificateDir() const { return dir_ + "/tls"; }
    // A TLS server presents its expired certificate from now on; Renew, its valid one again.
    void Expire();
    void Renew();

private:
    void Run(const std::string& action);


    const std::string script_;
    std::string dir_;
    std::string connectionString_;
    std::string problem_;
};

// True when QELVOR_REQUIRE_ODBC=1 asks that server tests never skip.
bool ServerTestsRequired();

}  // namespace qelvor::test
