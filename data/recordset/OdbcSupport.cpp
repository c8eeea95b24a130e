#include "data/recordset/OdbcSupport.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "data/recordset/ConnectionLost.h"
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

namespace {

// SQLSTATE class 08 (connection exception) and 57P01..57P03 (the server shutting
// down, crashed or not accepting connections yet) mean that the session is gone.
bool MeansConnectionLost(const std::string& state)
{
    return state.rfind("08", 0) == 0 || state == "57P01" || state == "57P02" || state == "57P03";
}

// Appends the parts of `message` (a driver may join the statement's and the
// connection's text of one failure with ";\n") that `records` does not hold yet.
void AddDistinctParts(const std::string& message, std::vector<std::string>& records)
{
    std::size_t start = 0;
    while (start <= message.size()) {
        std::size_t end = message.find(";\n", start);
        if (end == std::string::npos)
            end = message.size();
        const std::string part = message.substr(start, end - start);
        if (!part.empty() && std::find(records.begin(), records.end(), part) == records.end())
            records.push_back(part);
        start = end + 2;
    }
}

// The handle's diagnostic records, each distinct text once, joined by new lines.
std::string CollectDiagnostics(SQLSMALLINT type, SQLHANDLE handle, bool& connectionLost)
{
    // Drivers may report one failure both for the statement and for its connection:
    // each distinct text is shown once.
    std::vector<std::string> records;
    connectionLost = false;
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
        std::string text;
        // Read up to the terminator: the reported length is in the driver's units.
        const auto* units = reinterpret_cast<const std::uint16_t*>(message.data());
        AppendUtf8(units, Utf16Length(units, message.size()), text);
        std::string stateText;
        AppendUtf8(reinterpret_cast<const std::uint16_t*>(state), Utf16Length(reinterpret_cast<const std::uint16_t*>(state), 5), stateText);
        connectionLost = connectionLost || MeansConnectionLost(stateText);
        const std::size_t before = records.size();
        AddDistinctParts(text, records);
        if (records.size() > before)
            records.back() += " (SQLSTATE " + stateText + ")";
    }
    std::string joined;
    for (const std::string& text : records) {
        if (!joined.empty())
            joined += '\n';
        joined += text;
    }
    return joined;
}

}  // namespace

std::string OdbcDiagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    bool connectionLost = false;
    return CollectDiagnostics(type, handle, connectionLost);
}

void CheckOdbc(SQLRETURN rc, const OdbcHandle& handle, const char* what)
{
    if (SQL_SUCCEEDED(rc))
        return;
    bool connectionLost = false;
    const std::string diagnostics = CollectDiagnostics(handle.Type(), handle.Get(), connectionLost);
    const std::string message = diagnostics.empty() ? std::string(what) + " failed" : diagnostics;
    if (connectionLost)
        throw EConnectionLost(message);
    throw ERecordSetError(message);
}

}  // namespace qelvor::recordset
