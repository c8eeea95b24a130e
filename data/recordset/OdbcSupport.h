// OdbcSupport: handle ownership and error texts for the ODBC provider.
//
// Every failure carries the driver's diagnostic records, each with its SQLSTATE, so the
// user sees the server's own words ("ERROR: relation ... does not exist (SQLSTATE 42P01)").
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>

namespace qelvor::recordset {

// Owns one ODBC handle; freed on destruction.
class OdbcHandle {
public:
    OdbcHandle(SQLSMALLINT type, SQLHANDLE parent);
    ~OdbcHandle();
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE Get() const { return handle_; }
    SQLSMALLINT Type() const { return type_; }

private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// The handle's diagnostic records joined by new lines; empty when there are none.
std::string OdbcDiagnostics(SQLSMALLINT type, SQLHANDLE handle);
// Raises ERecordSetError (EConnectionLost when a record's SQLSTATE says the session is
// gone) with the diagnostics (or `what` when there are none) unless rc succeeded.
void CheckOdbc(SQLRETURN rc, const OdbcHandle& handle, const char* what);

}  // namespace qelvor::recordset
