#include "data/recordset/OdbcConnect.h"

#include <sqlext.h>

#include "data/recordset/ConnectAttempt.h"
#include "data/recordset/OdbcSupport.h"
#include "data/recordset/Utf16.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

bool IsAscii(const std::string& text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

}  // namespace

void ConnectOdbcWithin(SQLHDBC connection, const std::string& connectionString, ConnectAttempt& attempt)
{
    attempt.ThrowIfOver();
    const auto seconds = reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(attempt.SecondsLeft()));
    SQLSetConnectAttrW(connection, SQL_ATTR_LOGIN_TIMEOUT, seconds, 0);
    SQLSetConnectAttrW(connection, SQL_ATTR_CONNECTION_TIMEOUT, seconds, 0);
    SQLRETURN rc = SQL_ERROR;
    if (IsAscii(connectionString)) {
        std::u16string wide = ToUtf16(connectionString);
        rc = SQLDriverConnectW(connection, nullptr, reinterpret_cast<SQLWCHAR*>(wide.data()),
                               static_cast<SQLSMALLINT>(wide.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    } else {
        // The driver manager looks a data source up by the narrow name, and narrows a wide
        // string by dropping each character's high byte: a name like 考试库 would be found
        // nowhere. The ini files hold UTF-8, so the string goes as UTF-8, as it is.
        std::string narrow = connectionString;
        rc = SQLDriverConnect(connection, nullptr, reinterpret_cast<SQLCHAR*>(narrow.data()),
                              static_cast<SQLSMALLINT>(narrow.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    }
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
