// Provider: the engine-specific half of a connection (SQLite, PostgreSQL, MariaDB, ODBC).
//
// A provider owns its session from creation to destruction. Execute runs a statement
// text, which may hold several statements, and fetches every result completely before
// it returns, telling the statement's watch about everything that arrives. It waits on
// the server only through the watch (StatementWatch::Wait, or the watch's state asked
// from a callback of the engine's), so the time-out, a cancel and a forced stop reach it
// there: it stops the statement the engine's way, and gives its own session up when the
// watch says so, noting the loss on the watch (as it does for a session it finds dropped
// after a stop). Failures raise ERecordSetError with the engine's own message; an
// interrupted statement raises whatever its engine says, and the connection turns that
// into the time-out or the cancel.
//
// Threads (docs/threads.md has the whole picture): every method runs on the thread that
// uses the connection (the window's, or the worker a long piece of work runs on; never
// two at once). A provider whose client library blocks inside its calls may watch a
// statement from a thread of its own; it joins that thread before Execute returns.
// The connect waits only within its ConnectAttempt: bounded by the connection's time-out,
// ended by a cancel.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/recordset/Command.h"
#include "data/recordset/LinkSecurity.h"

namespace qelvor::recordset {

class ConnectAttempt;
class ConnectionString;
class ResultBatch;
class StatementWatch;

class Provider {
public:
    virtual ~Provider() = default;
    // maxRecords 0 = every row (per result). Reports arrivals to watch.
    virtual std::unique_ptr<ResultBatch> Execute(const std::string& statementText,
                                                 const std::vector<Parameter>& parameters, std::int64_t maxRecords,
                                                 StatementWatch& watch) = 0;
    // Whether the session no longer reads the database its connection names: a file
    // deleted, replaced by another or cut short under it since its last statement, which
    // the engine's cache would go on serving. Asked before each statement; the connection
    // then opens it anew. Same thread as Execute.
    virtual bool Replaced() { return false; }
    // Whether the session reads a backslash inside a single-quoted literal as an escape
    // (asked each time: a session can change the setting).
    virtual bool BackslashEscapesInLiterals() { return false; }
    // What the session's link to its server is (a local file's provider: no network link).
    virtual LinkSecurity Security() { return {}; }
};

// "Provider=SQLite;Data Source=FILE": opens an existing database file.
std::unique_ptr<Provider> OpenSqliteProvider(const ConnectionString& settings);
// "Provider=PostgreSQL;Server=...;Port=...;Database=...;Uid=...;Pwd=...": libpq.
std::unique_ptr<Provider> OpenPostgresProvider(const ConnectionString& settings, ConnectAttempt& attempt);
// Why a verifying connect to the PostgreSQL server the settings name failed, for a client
// whose message says only that verification failed (see LinkSecurity.h).
TlsFailure DiagnosePostgresVerification(const ConnectionString& settings, ConnectAttempt& attempt);
// "Provider=MariaDB;Server=...;Port=...;Database=...;Uid=...;Pwd=...": MariaDB's client library.
std::unique_ptr<Provider> OpenMariadbProvider(const ConnectionString& settings, ConnectAttempt& attempt);
// "Driver={...};..." or "DSN=...": connects through the ODBC driver manager.
std::unique_ptr<Provider> OpenOdbcProvider(const std::string& connectionString, ConnectAttempt& attempt);

}  // namespace qelvor::recordset
