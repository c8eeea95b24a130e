// PostgresProvider: PostgreSQL through its own client library (libpq), selected by
// "Provider=PostgreSQL;Server=…;Port=…;Database=…;Uid=…;Pwd=…" (ODBC serves every other
// server, and PostgreSQL too when reached by Driver= or DSN=).
//
// Rows arrive in single-row mode: the server keeps sending while the client files each
// row into the column arenas, so fetching overlaps the server's work and no copy of the
// whole result is ever held outside the record set. Statement texts may hold several
// statements; "?" markers outside quotes become $1, $2… for parameters.
//
// Every wait is libpq's non-blocking one, on the thread that runs the statement: the
// connect through a ConnectAttempt, the statement and its rows through the statement's
// watch, which polls the session's socket, the cancel's event descriptor and the deadline
// together. A stop (the command time-out on the waits between rows, or a cancel) sends
// pg_cancel_backend from a second non-blocking session that the same loop drives (the
// library's own cancel request blocks without a time-out). When the statement has not
// ended within the watch's bound, or on a forced stop, the provider gives its own session
// up: the connection opens a new one before the next statement. Host names are resolved
// within the connect's bounds and handed to libpq as hostaddr.
// Encryption follows the connection string's Encrypt, CA File, Client Cert and Client Key
// (or libpq's own sslmode, sslrootcert, sslcert, sslkey; see LinkSecurity.h); the cancel's
// session goes the same way. libpq says only "certificate verify failed" whatever failed
// of the chain, so a failed verification is looked at once more: a second session that
// does not verify fetches the server's chain, which is checked here against the authority
// to name the fault (nothing is sent over that session).
// Errors carry the server's message and its
// SQLSTATE, in the form the ODBC provider uses. With a record limit the rows past it
// still arrive and are dropped, so the connection is ready for the next statement.
#include <libpq-fe.h>
#include <openssl/ssl.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/recordset/ColumnBuilder.h"
#include "data/recordset/ConnectAttempt.h"
#include "data/recordset/ConnectionLost.h"
#include "data/recordset/ConnectionString.h"
#include "data/recordset/HostAddress.h"
#include "data/recordset/LinkSecurity.h"
#include "data/recordset/Password.h"
#include "data/recordset/PostgresTypes.h"
#include "data/recordset/Provider.h"
#include "data/recordset/ResultBatch.h"
#include "data/recordset/StatementWatch.h"
#include "runtime/Assert.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

struct ClearResult {
    void operator()(PGresult* result) const { PQclear(result); }
};
using ResultPtr = std::unique_ptr<PGresult, ClearResult>;
struct FinishConnection {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};
using ConnectionPtr = std::unique_ptr<PGconn, FinishConnection>;

// A libpq connection parameter: quoted, with quotes and backslashes escaped.
std::string Keyword(const char* key, const std::string& value)
{
    std::string text = std::string(key) + "='";
    for (char c : value) {
        if (c == '\'' || c == '\\')
            text += '\\';
        text += c;
    }
    return text + "' ";
}

// The libpq parameters of the connection string; a host name goes with its address,
// resolved within the attempt's bounds (libpq would resolve it inside its connect call).
std::string ConnectionInfo(const ConnectionString& settings, ConnectAttempt& attempt)
{
    static const std::pair<const char*, std::vector<const char*>> kKeys[] = {
        {"host", {"Server", "Host", "Servername"}}, {"port", {"Port"}},   {"dbname", {"Database", "Initial Catalog"}},
        {"user", {"Uid", "User ID", "User", "Username"}}, {"password", {"Pwd", "Password"}},
    };
    std::string info;
    for (const auto& [keyword, names] : kKeys)
        for (const char* name : names)
            if (const auto value = settings.Find(name)) {
                // An empty password is none: libpq then reads PGPASSWORD and ~/.pgpass.
                if (!value->empty() || std::string_view(keyword) != "password")
                    info += Keyword(keyword, *value);
                break;
            }
    const TlsSettings tls = ReadTlsSettings(settings);
    if (tls.mode != EncryptMode::LibraryDefault)
        info += Keyword("sslmode", tls.mode == EncryptMode::Off ? "disable" : EncryptModeName(tls.mode));
    if (!tls.caFile.empty())
        info += Keyword("sslrootcert", tls.caFile);
    if (!tls.clientCert.empty())
        info += Keyword("sslcert", tls.clientCert);
    if (!tls.clientKey.empty())
        info += Keyword("sslkey", tls.clientKey);
    const auto host = settings.Find("Server") ? settings.Find("Server")
                      : settings.Find("Host") ? settings.Find("Host")
                                              : settings.Find("Servername");
    // Several hosts (a list libpq tries in turn) are left to libpq.
    if (host && host->find(',') == std::string::npos && !settings.Has("hostaddr"))
        if (const auto address = ResolveHostWithin(*host, attempt))
            info += Keyword("hostaddr", *address);
    return info + "client_encoding='UTF8' ";
}

// The server's words and the SQLSTATE, as the ODBC provider reports them.
std::string ErrorText(const PGresult* result, const PGconn* connection)
{
    std::string message = result ? PQresultErrorMessage(result) : "";
    if (message.empty())
        message = PQerrorMessage(connection);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return state ? message + " (SQLSTATE " + state + ")" : message;
}

// Opens a session with libpq's non-blocking connect: every wait on the server goes through
// the attempt, so the connect ends at its deadline or at once on a cancel.
ConnectionPtr ConnectWithin(const std::string& info, ConnectAttempt& attempt)
{
    ConnectionPtr connection(PQconnectStart(info.c_str()));
    if (!connection)
        throw ERecordSetError("Cannot allocate a PostgreSQL connection");
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    for (;;) {
        if (PQstatus(connection.get()) == CONNECTION_BAD || state == PGRES_POLLING_FAILED) {
            if (PQconnectionNeedsPassword(connection.get()))
                throw EPasswordNeeded(ErrorText(nullptr, connection.get()));
            throw ERecordSetError(ErrorText(nullptr, connection.get()));
        }
        if (state == PGRES_POLLING_OK)
            return connection;
        attempt.WaitForSocket(PQsocket(connection.get()), state == PGRES_POLLING_READING ? ConnectAttempt::Readiness::Read
                                                                                         : ConnectAttempt::Readiness::Write);
        state = PQconnectPoll(connection.get());
    }
}

// The authority a verifying session of libpq trusts: the one named, else libpq's own
// defaults.
std::string AuthorityFile(const TlsSettings& tls)
{
    if (!tls.caFile.empty())
        return tls.caFile;
    if (const char* named = std::getenv("PGSSLROOTCERT"); named && *named)
        return named;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.postgresql/root.crt";
    return {};
}

// Why libpq's verification of the server failed, found through a session that does not
// verify (a root certificate file that cannot exist turns libpq's check off); None when
// that session fails too or the chain verifies after all.
TlsFailure DiagnoseVerification(const std::string& info, const TlsSettings& tls, ConnectAttempt& attempt)
{
    ConnectionPtr probe;
    try {
        probe = ConnectWithin(info + "sslmode='require' sslrootcert='/dev/null/none' ", attempt);
    } catch (const ERecordSetError&) {
        return TlsFailure::None;
    }
    auto* const ssl = static_cast<SSL*>(PQsslStruct(probe.get(), "OpenSSL"));
    if (!ssl)
        return TlsFailure::None;
    return DiagnoseCertificate(SSL_get0_peer_certificate(ssl), SSL_get_peer_cert_chain(ssl), AuthorityFile(tls));
}

// Connects, and says a failure of the encryption in words that name it.
ConnectionPtr ConnectExplained(const std::string& info, const TlsSettings& tls, ConnectAttempt& attempt)
{
    try {
        return ConnectWithin(info, attempt);
    } catch (const ERecordSetError& failure) {
        attempt.ThrowIfOver();
        const std::string text = failure.what();
        TlsFailure kind = ClassifyTlsFailure(text);
        if (kind == TlsFailure::None && text.find("certificate verify failed") != std::string::npos)
            kind = DiagnoseVerification(info, tls, attempt);
        if (kind == TlsFailure::None)
            throw;
        throw ERecordSetError(TlsFailureText(kind, text));
    }
}

// A cancel in flight: pg_cancel_backend(number) from a session of its own, driven one
// step at a time by the loop that waits for the statement, so that it waits on nothing
// by itself. A statement that has ended meanwhile is not touched: the server drops a
// cancel that reaches an idle session.
class BackendCancel {
public:
    BackendCancel(const std::string& info, int processNumber)
        : connection_(PQconnectStart(info.c_str())),
          text_("SELECT pg_cancel_backend(" + std::to_string(processNumber) + ")")
    {
        if (!connection_ || PQstatus(connection_.get()) == CONNECTION_BAD)
            done_ = true;
    }

    bool Done() const { return done_; }
    // The descriptor and the readiness the next step waits for (none once done).
    pollfd Wait() const
    {
        if (done_)
            return {-1, 0, 0};
        return {PQsocket(connection_.get()), static_cast<short>(writing_ ? POLLOUT : POLLIN), 0};
    }

    // Takes the next step after the socket became ready (or reported an error).
    void Step()
    {
        if (done_)
            return;
        PGconn* const connection = connection_.get();
        if (!connected_) {
            const PostgresPollingStatusType state = PQconnectPoll(connection);
            if (state == PGRES_POLLING_FAILED)
                return End();
            writing_ = state == PGRES_POLLING_WRITING;
            if (state != PGRES_POLLING_OK)
                return;
            connected_ = true;
            if (PQsetnonblocking(connection, 1) != 0 || !PQsendQuery(connection, text_.c_str()))
                return End();
        }
        const int flushed = PQflush(connection);
        writing_ = flushed == 1;
        if (flushed < 0 || (!writing_ && !PQconsumeInput(connection)))
            return End();
        while (!writing_ && !PQisBusy(connection)) {
            const ResultPtr result(PQgetResult(connection));
            if (!result)
                return End();  // answered: the server has taken the cancel
        }
    }

private:
    void End()
    {
        done_ = true;
        connection_.reset();
    }

    ConnectionPtr connection_;  // the cancel's own session; none once done
    const std::string text_;    // the cancel statement
    bool connected_ = false;    // the session is open and the statement sent
    bool writing_ = true;       // the next step waits to write (else to read)
    bool done_ = false;         // answered, or failed: nothing more to drive
};

// "?" outside quoted text and quoted identifiers becomes $n.
std::string NumberedMarkers(const std::string& text)
{
    std::string out;
    int number = 0;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            out += c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\'' || c == '"')
            quote = c;
        if (c == '?') {
            out += '$' + std::to_string(++number);
            continue;
        }
        out += c;
    }
    return out;
}

// One result while its rows arrive.
class TableInProgress {
public:
    explicit TableInProgress(const PGresult* description) : fill_(Fill(description, columns_)) {}

    void AppendRow(const PGresult* row)
    {
        for (std::size_t i = 0; i < fill_.Columns(); ++i) {
            const int column = static_cast<int>(i);
            if (PQgetisnull(row, 0, column))
                fill_.Column(i).AppendNull();
            else
                AppendPostgresValue(fill_.Column(i), columns_[i],
                                    {PQgetvalue(row, 0, column), static_cast<std::size_t>(PQgetlength(row, 0, column))},
                                    scratch_);
        }
        fill_.EndRow();
    }

    std::int64_t Rows() const { return fill_.Rows(); }
    std::unique_ptr<ResultTable> Finish() { return fill_.Finish(); }

private:
    // The fields as the server describes them; columns receives how to read each.
    static TableFill Fill(const PGresult* description, std::vector<PostgresColumnType>& columns)
    {
        std::vector<FieldInfo> fields;
        for (int i = 0; i < PQnfields(description); ++i) {
            const PostgresColumnType mapped = MapPostgresType(PQftype(description, i), PQfmod(description, i));
            columns.push_back(mapped);
            FieldInfo field;
            field.name = PQfname(description, i);
            field.type = mapped.type;
            field.definedSize = mapped.definedSize;
            field.precision = mapped.precision;
            field.numericScale = mapped.numericScale;
            field.attributes = adFldIsNullable | adFldMayBeNull | adFldUnknownUpdatable | (mapped.isFixed ? adFldFixed : 0u);
            fields.push_back(field);
        }
        std::vector<TableFill::Storage> storages;
        for (const PostgresColumnType& mapped : columns)
            storages.push_back({mapped.storage, mapped.storage == ColumnStorage::Text && mapped.definedSize == 0,
                                mapped.dateKind});
        return TableFill(std::move(fields), storages);
    }

    std::vector<PostgresColumnType> columns_;  // how each column's values are read; before fill_
    TableFill fill_;                           // the table being filled
    std::string scratch_;                      // reused text of a value being converted
};

class PostgresProvider final : public Provider {
public:
    PostgresProvider(const ConnectionString& settings, ConnectAttempt& attempt)
        : tls_(ReadTlsSettings(settings)),
          info_(ConnectionInfo(settings, attempt)),
          session_(ConnectExplained(info_ + "application_name='qelvor'", tls_, attempt)),
          processNumber_(PQbackendPID(session_.get()))
    {
        // The server's notices ("… does not exist, skipping") would go to standard error.
        PQsetNoticeProcessor(session_.get(), [](void*, const char*) {}, nullptr);
        if (PQsetnonblocking(session_.get(), 1) != 0)
            throw ERecordSetError(ErrorText(nullptr, session_.get()));
    }

    std::unique_ptr<ResultBatch> Execute(const std::string& statementText, const std::vector<Parameter>& parameters,
                                         std::int64_t maxRecords, StatementWatch& watch) override
    {
        QELVOR_ASSERT(session_);
        Statement statement(*this, watch);
        Send(statementText, parameters);
        statement.Flush();
        std::int64_t receivedRows = 0;
        auto batch = std::make_unique<ResultBatch>();
        std::unique_ptr<TableInProgress> table;
        std::string failure;
        PGconn* const connection = session_.get();
        for (;;) {
            statement.AwaitResult();
            PGresult* raw = PQgetResult(connection);
            if (!raw)
                break;
            const ResultPtr result(raw);
            switch (PQresultStatus(raw)) {
            case PGRES_SINGLE_TUPLE:
                if (!table)
                    table = std::make_unique<TableInProgress>(raw);
                if (maxRecords <= 0 || table->Rows() < maxRecords)
                    table->AppendRow(raw);
                watch.Received(++receivedRows);
                break;
            case PGRES_TUPLES_OK:  // the end of one row set (or an empty one)
                watch.ReceivedSomething();
                if (!table)
                    table = std::make_unique<TableInProgress>(raw);
                batch->Add(table->Finish());
                table.reset();
                break;
            case PGRES_COMMAND_OK:
            case PGRES_EMPTY_QUERY:
                batch->Add(nullptr);
                watch.ReceivedSomething();
                break;
            default:
                watch.ReceivedSomething();
                // Read on to the end, so the connection is ready for the next statement.
                if (failure.empty())
                    failure = ErrorText(raw, connection);
                table.reset();
                break;
            }
        }
        statement.SettleCancel();
        if (!session_) {
            // The cancel could not be settled: the result stands, the session is gone.
            if (!failure.empty())
                throw ERecordSetError(failure);
            return batch;
        }
        if (!failure.empty()) {
            // A dropped session fails every later statement too: say so, and the
            // connection opens a new one before the next.
            if (PQstatus(connection) == CONNECTION_BAD) {
                watch.NoteSessionLost();
                throw EConnectionLost(failure);
            }
            throw ERecordSetError(failure);
        }
        return batch;
    }

    // libpq follows the session's setting from the server's own reports: nothing to ask.
    bool BackslashEscapesInLiterals() override
    {
        const char* conforming = session_ ? PQparameterStatus(session_.get(), "standard_conforming_strings") : nullptr;
        return conforming != nullptr && std::string_view(conforming) == "off";
    }

    LinkSecurity Security() override
    {
        LinkSecurity security;
        security.network = true;
        PGconn* const connection = session_.get();
        if (!connection || !PQsslInUse(connection))
            return security;
        security.encrypted = true;
        if (const char* protocol = PQsslAttribute(connection, "protocol"))
            security.protocol = protocol;
        if (const char* cipher = PQsslAttribute(connection, "cipher"))
            security.cipher = cipher;
        // The mode in force, which libpq may have taken from its environment (PGSSLMODE).
        std::string mode;
        if (PQconninfoOption* const options = PQconninfo(connection)) {
            for (const PQconninfoOption* option = options; option->keyword; ++option)
                if (std::string_view(option->keyword) == "sslmode" && option->val)
                    mode = option->val;
            PQconninfoFree(options);
        }
        security.authorityVerified = mode == "verify-ca" || mode == "verify-full";
        security.hostVerified = mode == "verify-full";
        return security;
    }

private:
    // The waits of one Execute: the session's socket, the cancel in flight, the watch.
    class Statement {
    public:
        Statement(PostgresProvider& provider, StatementWatch& watch) : provider_(provider), watch_(watch) {}

        // Sends what libpq still holds of the statement.
        void Flush()
        {
            for (;;) {
                const int flushed = PQflush(provider_.session_.get());
                if (flushed == 0)
                    return;
                if (flushed < 0)
                    Lost();
                WaitOnce(POLLOUT | POLLIN);
                // The server may answer (an error) before it has read everything.
                if (!PQconsumeInput(provider_.session_.get()))
                    Lost();
            }
        }

        // Returns once PQgetResult will not wait.
        void AwaitResult()
        {
            PGconn* const connection = provider_.session_.get();
            while (PQisBusy(connection)) {
                WaitOnce(POLLIN);
                if (!PQconsumeInput(connection))
                    return;  // PQgetResult reports the broken link
            }
        }

        // A cancel still in flight when the statement ended is driven to its end, so that
        // it cannot reach the session's next statement; one the server does not answer
        // within the bound costs the session.
        void SettleCancel()
        {
            while (cancel_ && !cancel_->Done()) {
                pollfd waits[1] = {cancel_->Wait()};
                watch_.Wait(waits);
                if (watch_.GiveUpDue()) {
                    cancel_.reset();
                    provider_.GiveUp(watch_);
                    return;
                }
                if (waits[0].revents)
                    cancel_->Step();
            }
        }

    private:
        // A cancel that the server answered but whose statement goes on (it came before the
        // statement started) is sent again after this long.
        static constexpr auto kCancelRepeat = std::chrono::milliseconds(250);

        void WaitOnce(short events)
        {
            pollfd waits[2] = {{PQsocket(provider_.session_.get()), events, 0}, {-1, 0, 0}};
            std::size_t count = 1;
            if (cancel_ && !cancel_->Done())
                waits[count++] = cancel_->Wait();
            watch_.Wait(std::span<pollfd>(waits, count),
                        cancel_ && cancel_->Done() ? std::chrono::ceil<std::chrono::milliseconds>(
                                                         std::max(kCancelRepeat - (Clock::now() - cancelAnswered_),
                                                                  Clock::duration::zero()))
                                                   : std::chrono::milliseconds(-1));
            if (watch_.GiveUpDue()) {
                cancel_.reset();
                provider_.GiveUp(watch_);
                throw EConnectionLost("The server did not end the stopped statement");
            }
            if (count == 2 && waits[1].revents) {
                cancel_->Step();
                if (cancel_->Done())
                    cancelAnswered_ = Clock::now();
            }
            if (watch_.Stopping() &&
                (!cancel_ || (cancel_->Done() && Clock::now() - cancelAnswered_ >= kCancelRepeat))) {
                cancel_ = std::make_unique<BackendCancel>(provider_.info_ + "application_name='qelvor cancel'",
                                                          provider_.processNumber_);
                if (cancel_->Done())
                    cancelAnswered_ = Clock::now();
            }
        }

        [[noreturn]] void Lost()
        {
            const std::string message = ErrorText(nullptr, provider_.session_.get());
            watch_.NoteSessionLost();
            throw EConnectionLost(message);
        }

        using Clock = std::chrono::steady_clock;
        PostgresProvider& provider_;
        StatementWatch& watch_;
        std::unique_ptr<BackendCancel> cancel_;  // the cancel in flight or answered, if any
        Clock::time_point cancelAnswered_;       // when cancel_ was last answered
    };

    // Ends the session at once (a forced stop, or a stop the server did not act on): the
    // connection opens a new one before the next statement.
    void GiveUp(StatementWatch& watch)
    {
        session_.reset();
        watch.NoteSessionLost();
    }

    void Send(const std::string& statementText, const std::vector<Parameter>& parameters)
    {
        // libpq takes texts up to their first NUL: past one it would run another statement
        // than the one given, or bind another value. The connection refuses such statement
        // text; parameter values are checked here.
        QELVOR_ASSERT(statementText.find('\0') == std::string::npos);
        PGconn* const connection = session_.get();
        int sent = 0;
        if (parameters.empty()) {
            sent = PQsendQuery(connection, statementText.c_str());
        } else {
            std::vector<std::string> texts;
            std::vector<const char*> values;
            texts.reserve(parameters.size());
            for (const Parameter& parameter : parameters) {
                texts.push_back(parameter.value.ToString());
                if (texts.back().find('\0') != std::string::npos)
                    throw ERecordSetError("A parameter value holds a NUL character");
                values.push_back(parameter.value.IsNull() ? nullptr : texts.back().c_str());
            }
            sent = PQsendQueryParams(connection, NumberedMarkers(statementText).c_str(), static_cast<int>(values.size()),
                                     nullptr, values.data(), nullptr, nullptr, 0);
        }
        if (!sent)
            throw ERecordSetError(ErrorText(nullptr, connection));
        PQsetSingleRowMode(connection);
    }

    const TlsSettings tls_;     // the encryption asked for
    const std::string info_;    // the libpq connection parameters, for the cancel's session
    ConnectionPtr session_;     // the session; none once given up
    const int processNumber_;   // the session's server process, which a cancel names
};

}  // namespace

std::unique_ptr<Provider> OpenPostgresProvider(const ConnectionString& settings, ConnectAttempt& attempt)
{
    return std::make_unique<PostgresProvider>(settings, attempt);
}

TlsFailure DiagnosePostgresVerification(const ConnectionString& settings, ConnectAttempt& attempt)
{
    return DiagnoseVerification(ConnectionInfo(settings, attempt), ReadTlsSettings(settings), attempt);
}

}  // namespace qelvor::recordset
