#include "data/recordset/OdbcConnect.h"

#include <sqlext.h>

#include "data/recordset/ConnectAttempt.h"
#include "data/recordset/OdbcSupport.h"
#include "data/recordset/Utf16.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

void ConnectOdbcWithin(SQLHDBC connection, const std::string& connectionString, ConnectAttempt& attempt)
{
    attempt.ThrowIfOver();
    const auto seconds = reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(attempt.SecondsLeft()));
    SQLSetConnectAttrW(connection, SQL_ATTR_LOGIN_TIMEOUT, seconds, 0);
    SQLSetConnectAttrW(connection, SQL_ATTR_CONNECTION_TIMEOUT, seconds, 0);
    std::u16string wide = ToUtf16(connectionString);
    const SQLRETURN rc = SQLDriverConnectW(connection, nullptr, reinterpret_cast<SQLWCHAR*>(wide.data()),
                                           static_cast<SQLSMALLINT>(wide.size()), nullptr, 0, nullptr,
                                           SQL_DRIVER_NOPROMPT);
    if (SQL_SUCCEEDED(rc)) {
        try {
            attempt.ThrowIfOver();  // a cancel that came while the driver connected
        } catch (...) {
            SQLDisconnect(connection);
            throw;
        }
        return;
    }
    // What the driver says of its own time-out is not what happened.
    attempt.ThrowIfOver();
    const std::string diagnostics = OdbcDiagnostics(SQL_HANDLE_DBC, connection);
    if (diagnostics.find("HYT00") != std::string::npos || diagnostics.find("timeout expired") != std::string::npos)
        attempt.ThrowTimedOut();
    throw ERecordSetError(diagnostics.empty() ? std::string("SQLDriverConnectW failed") : diagnostics);
}

}  // namespace qelvor::recordset
