// OdbcKillQuery: stops the statement a MariaDB session runs, from a session of its own.
//
// The MariaDB driver's SQLCancel does the same inside the call: it connects without a
// time-out and keeps the statement busy until the server answers, so a server that stopped
// answering held the cancel, and with it the end of the cancelled statement, until it came
// back. Here each kill runs on a thread of its own and owns all it uses (its own ODBC
// environment and session), so it may outlive the session it stops.
// Invariant: a kill reaches the server only while its statement may still run, since a
// late "KILL QUERY" would stop the session's next statement. The statement's end therefore
// waits for the kills sent (WaitForAnswers), unless its session was severed: a severed
// session runs no next statement, and a server that stopped answering would hold the wait.
#pragma once

#include <memory>
#include <string>

namespace qelvor::recordset {

class OdbcKillQuery {
public:
    // connectionString opens a session on the same server as the user's; sessionId is the
    // user's session (CONNECTION_ID()).
    OdbcKillQuery(std::string connectionString, std::string sessionId);

    // Sends "KILL QUERY sessionId" from a thread of its own and returns at once.
    void Send();
    // Returns once every kill sent so far has been answered or has given up.
    void WaitForAnswers();

private:
    struct Pending;
    std::string connectionString_;
    std::string killStatement_;
    std::shared_ptr<Pending> pending_;
};

}  // namespace qelvor::recordset
