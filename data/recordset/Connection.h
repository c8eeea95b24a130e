// Connection: an open session with one database through a provider.
//
// The connection string chooses the provider:
//   "Provider=SQLite;Data Source=FILE"                     embedded SQLite
//   "Provider=PostgreSQL;Server=...;Database=...;Uid=..."  PostgreSQL through libpq
//   "Provider=MariaDB;Server=...;Database=...;Uid=..."     MariaDB through its client library
//   "Driver={...};Server=...;..." or "DSN=...;..."          ODBC through unixODBC
// Statements are UTF-8. Failures raise ERecordSetError with the provider's own text. A
// session found lost after a failure, or whose database file was replaced under it, is
// replaced by a new one at the next Execute
// (the connection itself stays open for its users), within that statement's watch: its
// progress cancels the reconnect too. Every connect ends within the connection string's
// "Connect Timeout" (15 s when it gives none; 0: no limit) with a message naming the server.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/recordset/LinkSecurity.h"
#include "data/recordset/RecordSetTypes.h"

namespace qelvor {
class WorkProgress;
}

namespace qelvor::recordset {

class Provider;
class ResultBatch;
struct Parameter;

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens the connection described by connectionString (ConnectionString() when empty).
    // The progress, when given, can cancel the connect from another thread (EWorkCancelled).
    void Open(const std::string& connectionString = {}, WorkProgress* progress = nullptr);
    // Closes the connection; closing a closed connection does nothing.
    void Close();
    ObjectStateEnum State() const;

    const std::string& ConnectionString() const { return connectionString_; }
    void SetConnectionString(const std::string& value) { connectionString_ = value; }

    // Runs statementText and fetches every result it produces (see ResultBatch).
    // timeoutSeconds 0 means no limit; maxRecords 0 means no limit.
    std::unique_ptr<ResultBatch> Execute(const std::string& statementText, int timeoutSeconds, std::int64_t maxRecords);
    // The same with values for the statement's "?" markers, in order. The progress, when
    // given, receives the rows fetched so far and can interrupt the statement from another
    // thread; a cancelled statement raises EWorkCancelled.
    std::unique_ptr<ResultBatch> Execute(const std::string& statementText, const std::vector<Parameter>& parameters,
                                         int timeoutSeconds, std::int64_t maxRecords, WorkProgress* progress = nullptr);

    // Whether a backslash inside a single-quoted literal escapes the next character on
    // this session (some servers, by default or by setting); false on SQLite.
    bool BackslashEscapesInLiterals() const;
    // Whether the open session's link is encrypted and what was verified of the server,
    // for the host's status line.
    LinkSecurity Security() const;

    // Called with the exact text of every statement just before it goes to the database.
    void SetStatementObserver(std::function<void(const std::string&)> observer) { observer_ = std::move(observer); }

private:
    // Runs the statement under a StatementWatch and turns an interrupted statement's
    // failure into what happened: the time-out, or EWorkCancelled.
    std::unique_ptr<ResultBatch> ExecuteWatched(const std::string& statementText, const std::vector<Parameter>& parameters,
                                                int timeoutSeconds, std::int64_t maxRecords, WorkProgress* progress);
    // A session the server dropped (restart, crash, network), or one whose database file
    // was replaced, is opened anew before the next statement, so that one outage (or one
    // restored file) does not fail every later statement.
    void ReconnectIfLinkLost(WorkProgress* progress);

    std::string connectionString_;
    std::unique_ptr<Provider> provider_;
    std::function<void(const std::string&)> observer_;
    bool linkLost_ = false;  // the provider's session was found dropped (or its file replaced)
};

}  // namespace qelvor::recordset
