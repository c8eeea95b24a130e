// Provider: the engine-specific half of a connection (SQLite, ODBC).
//
// A provider owns its session from creation to destruction. Execute runs a statement
// text, which may hold several statements, and fetches every result completely before
// it returns. Failures raise ERecordSetError with the engine's own message.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/recordset/Command.h"

namespace qelvor::recordset {

class ConnectionString;
class ResultBatch;

class Provider {
public:
    virtual ~Provider() = default;
    // timeoutSeconds 0 = no limit; maxRecords 0 = every row (per result).
    virtual std::unique_ptr<ResultBatch> Execute(const std::string& statementText,
                                                 const std::vector<Parameter>& parameters, int timeoutSeconds,
                                                 std::int64_t maxRecords) = 0;
    // Whether the session reads a backslash inside a single-quoted literal as an escape
    // (asked each time: a session can change the setting).
    virtual bool BackslashEscapesInLiterals() { return false; }
};

// "Provider=SQLite;Data Source=FILE": opens an existing database file.
std::unique_ptr<Provider> OpenSqliteProvider(const ConnectionString& settings);
// "Provider=PostgreSQL;Server=...;Port=...;Database=...;Uid=...;Pwd=...": libpq.
std::unique_ptr<Provider> OpenPostgresProvider(const ConnectionString& settings);
// "Driver={...};..." or "DSN=...": connects through the ODBC driver manager.
std::unique_ptr<Provider> OpenOdbcProvider(const std::string& connectionString);

}  // namespace qelvor::recordset
