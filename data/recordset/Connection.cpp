#include "data/recordset/Connection.h"

#include <cctype>
#include <new>

#include "data/recordset/Command.h"
#include "data/recordset/ConnectAttempt.h"
#include "data/recordset/ConnectionLost.h"
#include "data/recordset/ConnectionString.h"
#include "data/recordset/Provider.h"
#include "data/recordset/RecordSetErrors.h"
#include "data/recordset/ResultBatch.h"
#include "data/recordset/StatementWatch.h"
#include "runtime/LongWork.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

bool EqualsAscii(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

// The server as a connect's messages name it.
std::string ServerName(const ConnectionString& settings)
{
    const auto host = settings.Find("Server") ? settings.Find("Server") : settings.Find("Host");
    if (host)
        return "\"" + *host + (settings.Has("Port") ? ":" + *settings.Find("Port") : std::string()) + "\"";
    if (const auto source = settings.Find("DSN"))
        return "of the data source \"" + *source + "\"";
    return "\"localhost\"";
}

// Opens through open within a ConnectAttempt. A failure after the deadline or a cancel is
// that (a link the attempt shut as the connect ended fails the session's first statement).
std::unique_ptr<Provider> OpenWithin(const ConnectionString& settings, WorkProgress* progress,
                                     const std::function<std::unique_ptr<Provider>(ConnectAttempt&)>& open)
{
    ConnectAttempt attempt(ServerName(settings), ConnectTimeoutSeconds(settings), progress, ConnectTimeoutKey(settings));
    try {
        return open(attempt);
    } catch (const std::exception&) {
        attempt.ThrowIfOver();
        throw;
    }
}

std::unique_ptr<Provider> OpenProvider(const std::string& text, WorkProgress* progress)
{
    const ConnectionString settings(text);
    if (const auto provider = settings.Find("Provider")) {
        if (EqualsAscii(*provider, "SQLite"))
            return OpenSqliteProvider(settings);
        if (EqualsAscii(*provider, "PostgreSQL"))
            return OpenWithin(settings, progress, [&settings](ConnectAttempt& attempt) {
                return OpenPostgresProvider(settings, attempt);
            });
        if (EqualsAscii(*provider, "MariaDB"))
            return OpenWithin(settings, progress, [&settings](ConnectAttempt& attempt) {
                return OpenMariadbProvider(settings, attempt);
            });
        throw ERecordSetError("Provider cannot be found. It may not be properly installed: \"" + *provider + "\"");
    }
    if (settings.Has("Driver") || settings.Has("DSN") || settings.Has("FILEDSN"))
        return OpenWithin(settings, progress, [&text](ConnectAttempt& attempt) { return OpenOdbcProvider(text, attempt); });
    throw ERecordSetError("The connection string names no provider, driver or data source name");
}

}  // namespace

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::Open(const std::string& connectionString, WorkProgress* progress)
{
    if (provider_)
        throw ERecordSetError("Operation is not allowed when the object is open.");
    if (!connectionString.empty())
        connectionString_ = connectionString;
    provider_ = OpenProvider(connectionString_, progress);
}

void Connection::Close()
{
    provider_.reset();
    linkLost_ = false;
}

bool Connection::BackslashEscapesInLiterals() const
{
    if (!provider_)
        throw ERecordSetError("Operation is not allowed when the object is closed.");
    return provider_->BackslashEscapesInLiterals();
}

LinkSecurity Connection::Security() const
{
    if (!provider_)
        throw ERecordSetError("Operation is not allowed when the object is closed.");
    return provider_->Security();
}

ObjectStateEnum Connection::State() const
{
    return provider_ ? adStateOpen : adStateClosed;
}

std::unique_ptr<ResultBatch> Connection::Execute(const std::string& statementText, int timeoutSeconds,
                                                 std::int64_t maxRecords)
{
    return Execute(statementText, {}, timeoutSeconds, maxRecords);
}

std::unique_ptr<ResultBatch> Connection::Execute(const std::string& statementText,
                                                 const std::vector<Parameter>& parameters, int timeoutSeconds,
                                                 std::int64_t maxRecords, WorkProgress* progress)
{
    if (!provider_)
        throw ERecordSetError("Operation is not allowed when the object is closed.");
    // No engine takes a NUL inside statement text as text: SQLite and libpq stop reading at
    // it (running less than was given, or another statement), and one ODBC driver writes
    // past its own buffer. Refused here, for every provider, before anything runs.
    if (statementText.find('\0') != std::string::npos)
        throw ERecordSetError("The statement text holds a NUL character");
    linkLost_ = linkLost_ || provider_->Replaced();
    ReconnectIfLinkLost(progress);
    if (observer_)
        observer_(statementText);
    try {
        return ExecuteWatched(statementText, parameters, timeoutSeconds, maxRecords, progress);
    } catch (const EConnectionLost&) {
        linkLost_ = true;
        throw;
    } catch (const std::bad_alloc&) {
        // The partial result is gone by now; say what happened instead of "std::bad_alloc".
        throw ERecordSetError("Not enough memory for the result of the statement");
    }
}

std::unique_ptr<ResultBatch> Connection::ExecuteWatched(const std::string& statementText,
                                                        const std::vector<Parameter>& parameters, int timeoutSeconds,
                                                        std::int64_t maxRecords, WorkProgress* progress)
{
    if (progress && progress->CancelRequested())
        throw EWorkCancelled();
    StatementWatch watch(timeoutSeconds, progress);
    std::unique_ptr<ResultBatch> result;
    try {
        result = provider_->Execute(statementText, parameters, maxRecords, watch);
    } catch (const std::exception&) {
        watch.Finish();
        // A session given up, or dropped by the server as it stopped the statement,
        // serves nothing more: a new one before the next statement.
        linkLost_ = linkLost_ || watch.SessionLost();
        if (!watch.StopRequested())
            throw;
        // Interrupted: what the engine said about it is not what happened.
        if (watch.Cancelled())
            throw EWorkCancelled();
        throw ERecordSetError(watch.WaitedForLock() ? kDatabaseLocked : kTimeoutExpired);
    }
    watch.Finish();
    linkLost_ = linkLost_ || watch.SessionLost();
    return result;
}

void Connection::ReconnectIfLinkLost(WorkProgress* progress)
{
    if (!linkLost_)
        return;
    // The lost session stays until a new one exists: a failed attempt leaves the
    // connection as it was, and the next statement tries again.
    std::unique_ptr<Provider> fresh = OpenProvider(connectionString_, progress);
    provider_ = std::move(fresh);
    linkLost_ = false;
}

}  // namespace qelvor::recordset
