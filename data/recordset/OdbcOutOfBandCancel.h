// OdbcOutOfBandCancel: stops the statement a session runs, from a session of its own
// ("KILL QUERY" on MariaDB, pg_cancel_backend on PostgreSQL).
//
// The drivers' SQLCancel does the same inside the call: the MariaDB driver connects without
// a time-out, the PostgreSQL driver waits for the server to take its cancel request, and
// both keep the statement busy meanwhile, so a server that stopped answering held the
// cancel, and with it the end of the cancelled statement, until it came back. Here each
// cancel runs on a thread of its own and owns all it uses (its own ODBC environment and
// session), so it may outlive the session it stops.
// Invariant: a cancel reaches the server only while its statement may still run, since a
// late one would stop the session's next statement. The statement's end therefore waits
// for the cancels sent (WaitForAnswers), unless its session was severed: a severed session
// runs no next statement, and a server that stopped answering would hold the wait.
#pragma once

#include <memory>
#include <string>

namespace qelvor::recordset {

class OdbcOutOfBandCancel {
public:
    // connectionString opens a session on the same server as the user's; cancelStatement
    // stops the user's session's running statement.
    OdbcOutOfBandCancel(std::string connectionString, std::string cancelStatement);

    // Sends the cancel statement from a thread of its own and returns at once.
    void Send();
    // Returns once every cancel sent so far has been answered or has given up.
    void WaitForAnswers();

private:
    struct Pending;
    std::string connectionString_;
    std::string cancelStatement_;
    std::shared_ptr<Pending> pending_;
};

}  // namespace qelvor::recordset
