// OdbcConnect: ODBC sessions opened within a ConnectAttempt's bounds, and the cancel
// statement that the drivers we know are stopped with.
//
// The driver manager's login time-out bounds a connect for most drivers; the MariaDB
// driver applies it to the TCP connect only and then waits for the server's greeting
// without a limit. So a guard thread, owned by the connect and joined before it returns,
// shuts down the connect's link when the deadline passes or a cancel arrives: the one
// new link from this process to the server named in the connection string (a data
// source's server is not known here; its driver's own time-out bounds it). Connects to one
// server take turns process-wide, so that new link is the connect's own.
//
// The drivers' SQLCancel connects (MariaDB: KILL QUERY; PostgreSQL: a cancel request)
// inside the call without a time-out and keeps the statement busy meanwhile; the
// provider sends a cancel statement of ours from a session of its own instead
// (SendCancelStatement, run by the session's CancelSender).
#pragma once

#include <sql.h>

#include <string>

#include "data/recordset/SessionSocket.h"

namespace qelvor::recordset {

class ConnectAttempt;

// Connects connection (an allocated, unconnected handle) with connectionString within
// the attempt's bounds; raises the driver's diagnostics, the time-out, or EWorkCancelled.
// Returns the session's link to the server the string names, where the connect opened
// exactly one (connects to a server take turns, so no other connect of ours opened it);
// none otherwise (a data source, a driver that keeps no link of its own).
SessionSocket ConnectOdbcWithin(SQLHDBC connection, const std::string& connectionString, ConnectAttempt& attempt);

// Connects, runs statementText, disconnects — all within the attempt's bounds.
void SendCancelStatement(const std::string& connectionString, const std::string& statementText, ConnectAttempt& attempt);

}  // namespace qelvor::recordset
