#include "data/recordset/OdbcSupport.h"

#include <cstdint>
#include <vector>

#include "data/recordset/Utf16.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

OdbcHandle::OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : type_(type)
{
    const SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (!SQL_SUCCEEDED(rc)) {
        std::string message = parent != SQL_NULL_HANDLE
                                  ? OdbcDiagnostics(type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV, parent)
                                  : std::string();
        throw ERecordSetError(message.empty() ? "Cannot allocate an ODBC handle" : message);
    }
}

OdbcHandle::~OdbcHandle()
{
    if (handle_ != SQL_NULL_HANDLE)
        SQLFreeHandle(type_, handle_);
}

std::string OdbcDiagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    std::string text;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        std::vector<SQLWCHAR> message(1024);
        SQLRETURN rc = SQLGetDiagRecW(type, handle, record, state, &nativeError, message.data(),
                                      static_cast<SQLSMALLINT>(message.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.resize(static_cast<std::size_t>(length) + 1);
            rc = SQLGetDiagRecW(type, handle, record, state, &nativeError, message.data(),
                                static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        if (!text.empty())
            text += '\n';
        // Read up to the terminator: the reported length is in the driver's units.
        const auto* units = reinterpret_cast<const std::uint16_t*>(message.data());
        AppendUtf8(units, Utf16Length(units, message.size()), text);
        text += " (SQLSTATE ";
        AppendUtf8(reinterpret_cast<const std::uint16_t*>(state), Utf16Length(reinterpret_cast<const std::uint16_t*>(state), 5), text);
        text += ')';
    }
    return text;
}

void CheckOdbc(SQLRETURN rc, const OdbcHandle& handle, const char* what)
{
    if (SQL_SUCCEEDED(rc))
        return;
    const std::string diagnostics = OdbcDiagnostics(handle.Type(), handle.Get());
    throw ERecordSetError(diagnostics.empty() ? std::string(what) + " failed" : diagnostics);
}

}  // namespace qelvor::recordset
