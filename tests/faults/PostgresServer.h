// PostgresServer: a private, throwaway PostgreSQL server that a fault test may stop, kill
// and start again without disturbing the server the rest of the suite shares.
#pragma once

#include <string>

#include "tests/support/PrivateServer.h"

namespace qelvor::test {

class PostgresServer : public PrivateServer {
public:
    PostgresServer() : PrivateServer(Kind::Postgres) {}
    // The superuser's ODBC connection string.
    const std::string& ConnectionString() const { return OdbcConnectionString(); }
};

}  // namespace qelvor::test
