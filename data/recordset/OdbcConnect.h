// OdbcConnect: ODBC sessions opened within the driver's own bounds.
//
// An ODBC driver's connect blocks inside SQLDriverConnect; what bounds it is the driver's:
// the login and connection time-outs, set from what is left of the connect's time-out.
// A cancel cannot end the call: the attempt looks at it once the driver returns. A driver
// that leaves a wait of its connect unbounded (the MariaDB driver's wait for the server's
// greeting, unless the connection string sets its READ_TIMEOUT) is said so in the README.
#pragma once

#include <sql.h>

#include <string>

namespace qelvor::recordset {

class ConnectAttempt;

// Connects connection (an allocated, unconnected handle) with connectionString within
// the driver's bounds taken from the attempt; raises the driver's diagnostics, the
// time-out, or EWorkCancelled.
void ConnectOdbcWithin(SQLHDBC connection, const std::string& connectionString, ConnectAttempt& attempt);

}  // namespace qelvor::recordset
