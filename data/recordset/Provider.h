// Provider: the engine-specific half of a connection (SQLite, PostgreSQL, ODBC).
//
// A provider owns its session from creation to destruction. Execute runs a statement
// text, which may hold several statements, and fetches every result completely before
// it returns, telling the statement's watch about everything that arrives (the watch
// enforces the time-out and passes on cancels). Failures raise ERecordSetError with the
// engine's own message; an interrupted statement raises whatever its engine says, and
// the connection turns that into the time-out or the cancel.
//
// Threads (docs/threads.md has the whole picture):
// - the factory, Execute, Replaced, BackslashEscapesInLiterals and the destructor run on
//   the thread that uses the connection (the window's, or the worker a long piece of work
//   runs on; never two at once);
// - Interrupt and BytesReceived run on the statement watch's thread while Execute runs;
// - Sever runs on the window's thread (a forced stop) while Execute runs.
// A provider ends every thread it starts before its destructor returns.
// The connect waits only within its ConnectAttempt: bounded by the connection's time-out,
// ended by a cancel.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/recordset/Command.h"

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
    // Asks the engine to stop the statement Execute is running; returns promptly (a cancel
    // that must wait on the server is sent by a thread the provider owns). Does nothing
    // when no statement runs, and no cancel reaches the server after Execute returned.
    virtual void Interrupt() = 0;
    // Breaks the session so that an Execute waiting on a server that no longer answers
    // returns at once (the session is lost: the connection opens a new one). Any thread;
    // never waits. Providers whose engine offers no such way do nothing.
    virtual void Sever() {}
    // What the session's link has received so far, where the provider can tell while a
    // call of its client library is still reading (a driver that reads a whole result
    // inside one call); none otherwise. Called from the statement watch's thread.
    virtual std::optional<std::uint64_t> BytesReceived() const { return std::nullopt; }
    // Whether the session still serves, asked after a statement that a cancel stopped (a
    // server may drop a session whose statement it stopped while sending). May ask the
    // server. Same thread as Execute.
    virtual bool SessionAlive() { return true; }
    // Whether the session no longer reads the database its connection names: a file
    // deleted, replaced by another or cut short under it since its last statement, which
    // the engine's cache would go on serving. Asked before each statement; the connection
    // then opens it anew. Same thread as Execute.
    virtual bool Replaced() { return false; }
    // Whether the session reads a backslash inside a single-quoted literal as an escape
    // (asked each time: a session can change the setting).
    virtual bool BackslashEscapesInLiterals() { return false; }
};

// "Provider=SQLite;Data Source=FILE": opens an existing database file.
std::unique_ptr<Provider> OpenSqliteProvider(const ConnectionString& settings);
// "Provider=PostgreSQL;Server=...;Port=...;Database=...;Uid=...;Pwd=...": libpq.
std::unique_ptr<Provider> OpenPostgresProvider(const ConnectionString& settings, ConnectAttempt& attempt);
// "Driver={...};..." or "DSN=...": connects through the ODBC driver manager.
std::unique_ptr<Provider> OpenOdbcProvider(const std::string& connectionString, ConnectAttempt& attempt);

}  // namespace qelvor::recordset
