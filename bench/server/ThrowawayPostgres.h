// ThrowawayPostgres: a PostgreSQL server for one benchmark run, filled with the demo data.
//
// Started and stopped by the test scripts' tests/support/postgres.sh (a temporary
// folder, a free loopback port); the answer sheets are copied from the demo SQLite file
// with psql's \copy, so both databases hold exactly the same rows.
#pragma once

#include <string>
#include <vector>

namespace qelvor::bench {

class ThrowawayPostgres {
public:
    // Starts the server; raises std::runtime_error when it cannot.
    explicit ThrowawayPostgres(std::string script);
    // Stops the server and removes its folder.
    ~ThrowawayPostgres();
    ThrowawayPostgres(const ThrowawayPostgres&) = delete;
    ThrowawayPostgres& operator=(const ThrowawayPostgres&) = delete;

    // The ODBC connection string the script printed.
    const std::string& OdbcConnectionString() const { return odbc_; }
    const std::string& Port() const { return port_; }
    // The server's folder (a TLS server's certificates are in its "tls").
    const std::string& Folder() const { return folder_; }
    // psql's command line for this server, without the command to run.
    std::vector<std::string> Psql() const;

    // Creates t_omr and t_bm and copies every row of the SQLite file into them.
    void LoadFrom(const std::string& sqliteFile) const;

private:
    void Run(const std::string& sql) const;

    std::string script_;
    std::string folder_;
    std::string odbc_;
    std::string port_;
};

}  // namespace qelvor::bench
