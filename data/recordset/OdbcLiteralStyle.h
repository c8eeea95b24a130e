// OdbcLiteralStyle: whether an ODBC session reads a backslash inside a single-quoted
// string literal as an escape character.
//
// Servers differ: PostgreSQL does while standard_conforming_strings is off, MySQL and
// MariaDB unless sql_mode holds NO_BACKSLASH_ESCAPES; other servers take a backslash as
// a plain character and are not asked. The setting can change within a session, so it
// is read each time (one round trip, on those two kinds of server only). When reading
// it fails the answer is "escapes": a backslash doubled needlessly costs a wrong match,
// a backslash not doubled where it escapes lets the rest of a literal run as a statement.
#pragma once

#include <sql.h>

#include <optional>
#include <string>
#include <string_view>

namespace qelvor::recordset {

// The statement that reads the setting on a server that reports dbmsName
// (SQL_DBMS_NAME), with the reading of its one-value answer; none when that kind of
// server never escapes.
struct BackslashSettingQuery {
    std::string statement;
    bool (*escapes)(std::string_view value);
};
std::optional<BackslashSettingQuery> BackslashSettingQueryFor(std::string_view dbmsName);

// Asks the connected session (see above).
bool OdbcBackslashEscapes(SQLHDBC connection);

}  // namespace qelvor::recordset
