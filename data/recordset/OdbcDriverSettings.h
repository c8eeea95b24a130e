// OdbcDriverSettings: what the ODBC provider chooses for the drivers it knows, where the
// connection string leaves the choice open.
//
// The PostgreSQL driver by default reads a whole result into memory of its own before it
// hands over the first row: about as much again as the record set, with an allocation per
// value. Its cursor-based fetch (UseDeclareFetch=1) holds only Fetch rows at a time; 10,000
// rows is 100 round trips per million rows and a few MiB in the driver. A cursor makes the
// server plan for the first rows (index scans, merge joins), 2-3x slower for a result read
// to its end, so the session plans for whole results (cursor_tuple_fraction=1), ahead of the
// user's own ConnSettings. Debian registers the driver with CommLog=1, which leaves a log
// file per process in /tmp: off unless asked for.
// Narrow text: the PostgreSQL driver (its Unicode build) hands out SQL_C_CHAR text as UTF-8 and
// the MariaDB driver in the connection's character set; reading that directly saves the
// driver's conversion to UTF-16 and ours back, the larger part of a text-heavy fetch.
#pragma once

#include <optional>
#include <string>

namespace qelvor::recordset {

// Whether the driver (its SQL_DRIVER_NAME, e.g. "psqlodbcw.so") is the PostgreSQL driver.
bool IsPostgresDriver(const std::string& driverName);
// Whether the driver (its SQL_DRIVER_NAME, e.g. "libmaodbc.so") is the MariaDB driver.
bool IsMariaDbDriver(const std::string& driverName);
// Whether the connection string's Driver names the PostgreSQL driver, so its settings can be
// added before the first connect.
bool NamesPostgresDriver(const std::string& connectionString);

// The connection string with the lean-fetch settings it lacks for that driver; none when
// the driver is not one we know or the string already sets UseDeclareFetch.
std::optional<std::string> WithLeanFetchSettings(const std::string& driverName, const std::string& connectionString);


// Whether the connection string's Driver names the MariaDB driver.
bool NamesMariaDbDriver(const std::string& connectionString);

// The connection string with our encryption keys (Encrypt, CA File, Client Cert, Client Key;
// see LinkSecurity.h) given as the driver's own keywords as well, for a Driver= that names
// the PostgreSQL driver (SSLmode, and pqopt for the files, which it hands to libpq) or the
// MariaDB driver (FORCETLS, SSLCA, SSLCERT, SSLKEY, SSLVERIFY). Keywords the string already
// sets are left as they are; a string that names neither driver is returned unchanged.
// Raises ERecordSetError for a verifying mode on the MariaDB driver without an authority.
std::string WithDriverTlsKeywords(const std::string& connectionString);

// Whether the driver's SQL_C_CHAR text is UTF-8 for this connection; localeIsUtf8 tells
// whether the process's character type is UTF-8 (a driver may convert to it).
bool NarrowTextIsUtf8(const std::string& driverName, const std::string& connectionString, bool localeIsUtf8);

}  // namespace qelvor::recordset
