// PostgresProvider: PostgreSQL through its own client library (libpq), selected by
// "Provider=PostgreSQL;Server=…;Port=…;Database=…;Uid=…;Pwd=…" (ODBC serves every other
// server, and PostgreSQL too when reached by Driver= or DSN=).
//
// Rows arrive in single-row mode: the server keeps sending while the client files each
// row into the column arenas, so fetching overlaps the server's work and no copy of the
// whole result is ever held outside the record set. Statement texts may hold several
// statements; "?" markers outside quotes become $1, $2… for parameters. The statement
// watch enforces the command time-out on the waits between rows (the server's own
// statement_timeout would count the whole transfer) through a cancel: pg_cancel_backend
// from a session of the provider's own, sent by the session's CancelSender (the library's
// own cancel request waits without a time-out for the server to take it). A forced stop
// shuts the session's socket, which ends a wait on a server that no longer answers at once.
// The connect is libpq's non-blocking one, waited for by a ConnectAttempt: bounded by the
// connection's time-out and ended at once by a cancel.
// Errors carry the server's message and its
// SQLSTATE, in the form the ODBC provider uses. With a record limit the rows past it
// still arrive and are dropped, so the connection is ready for the next statement.
#include <libpq-fe.h>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "data/recordset/CancelSender.h"
#include "data/recordset/ColumnBuilder.h"
#include "data/recordset/ConnectAttempt.h"
#include "data/recordset/ConnectionLost.h"
#include "data/recordset/ConnectionString.h"
#include "data/recordset/PostgresTypes.h"
#include "data/recordset/Provider.h"
#include "data/recordset/ResultBatch.h"
#include "data/recordset/SessionSocket.h"
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

std::string ConnectionInfo(const ConnectionString& settings)
{
    static const std::pair<const char*, std::vector<const char*>> kKeys[] = {
        {"host", {"Server", "Host", "Servername"}}, {"port", {"Port"}},   {"dbname", {"Database", "Initial Catalog"}},
        {"user", {"Uid", "User ID", "User", "Username"}}, {"password", {"Pwd", "Password"}}, {"sslmode", {"SSLMode"}},
    };
    std::string info;
    for (const auto& [keyword, names] : kKeys)
        for (const char* name : names)
            if (const auto value = settings.Find(name)) {
                info += Keyword(keyword, *value);
                break;
            }
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
        if (PQstatus(connection.get()) == CONNECTION_BAD || state == PGRES_POLLING_FAILED)
            throw ERecordSetError(ErrorText(nullptr, connection.get()));
        if (state == PGRES_POLLING_OK)
            return connection;
        attempt.WaitForSocket(PQsocket(connection.get()), state == PGRES_POLLING_READING ? ConnectAttempt::Readiness::Read
                                                                                         : ConnectAttempt::Readiness::Write);
        state = PQconnectPoll(connection.get());
    }
}

// Stops the statement that the session with this process number runs, from a session of
// its own. A statement that has ended meanwhile is not touched: the server drops a cancel
// that reaches an idle session.
void CancelBackend(const std::string& info, int processNumber, ConnectAttempt& attempt)
{
    const ConnectionPtr connection = ConnectWithin(info, attempt);
    const std::string text = "SELECT pg_cancel_backend(" + std::to_string(processNumber) + ")";
    if (!PQsendQuery(connection.get(), text.c_str()))
        return;
    for (;;) {
        while (PQisBusy(connection.get())) {
            attempt.WaitForSocket(PQsocket(connection.get()), ConnectAttempt::Readiness::Read);
            if (!PQconsumeInput(connection.get()))
                return;
        }
        if (!ResultPtr(PQgetResult(connection.get())))
            return;
    }
}

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
    explicit TableInProgress(const PGresult* description)
    {
        const int count = PQnfields(description);
        std::vector<FieldInfo> fields;
        for (int i = 0; i < count; ++i) {
            const PostgresColumnType mapped = MapPostgresType(PQftype(description, i), PQfmod(description, i));
            columns_.push_back(mapped);
            FieldInfo field;
            field.name = PQfname(description, i);
            field.type = mapped.type;
            field.definedSize = mapped.definedSize;
            field.precision = mapped.precision;
            field.numericScale = mapped.numericScale;
            field.attributes = adFldIsNullable | adFldMayBeNull | adFldUnknownUpdatable | (mapped.isFixed ? adFldFixed : 0u);
            fields.push_back(field);
        }
        table_ = std::make_unique<ResultTable>(std::move(fields));
        for (int i = 0; i < count; ++i) {
            const PostgresColumnType& mapped = columns_[static_cast<std::size_t>(i)];
            builders_.emplace_back(table_->MutableColumn(i), table_->MutableField(i), mapped.storage,
                                   mapped.storage == ColumnStorage::Text && mapped.definedSize == 0);
            if (mapped.storage == ColumnStorage::DateTime)
                ColumnBuilder::SetDateKind(table_->MutableColumn(i), mapped.dateKind);
        }
    }

    void AppendRow(const PGresult* row)
    {
        for (std::size_t i = 0; i < builders_.size(); ++i) {
            const int column = static_cast<int>(i);
            if (PQgetisnull(row, 0, column))
                builders_[i].AppendNull();
            else
                AppendPostgresValue(builders_[i], columns_[i], {PQgetvalue(row, 0, column), static_cast<std::size_t>(PQgetlength(row, 0, column))},
                                    scratch_);
        }
        ++rows_;
    }

    std::int64_t Rows() const { return rows_; }

    std::unique_ptr<ResultTable> Finish()
    {
        for (ColumnBuilder& builder : builders_)
            builder.Finish();
        table_->SetRowCount(rows_);
        return std::move(table_);
    }

private:
    std::unique_ptr<ResultTable> table_;
    std::vector<PostgresColumnType> columns_;
    std::vector<ColumnBuilder> builders_;
    std::string scratch_;
    std::int64_t rows_ = 0;
};

class PostgresProvider final : public Provider {
public:
    PostgresProvider(const ConnectionString& settings, ConnectAttempt& attempt)
        : info_(ConnectionInfo(settings)),
          owned_(ConnectWithin(info_ + "application_name='qelvor'", attempt)),
          connection_(owned_.get()),
          socket_(SessionSocket::Duplicate(PQsocket(connection_))),
          canceller_(attempt.Server(),
                     [info = info_ + "application_name='qelvor cancel'", number = PQbackendPID(connection_)](
                         ConnectAttempt& cancel) { CancelBackend(info, number, cancel); })
    {
        // The server's notices ("… does not exist, skipping") would go to standard error.
        PQsetNoticeProcessor(connection_, [](void*, const char*) {}, nullptr);
    }

    std::unique_ptr<ResultBatch> Execute(const std::string& statementText, const std::vector<Parameter>& parameters,
                                         std::int64_t maxRecords, StatementWatch& watch) override
    {
        const RunningStatement running(*this);
        Send(statementText, parameters);
        std::int64_t receivedRows = 0;
        auto batch = std::make_unique<ResultBatch>();
        std::unique_ptr<TableInProgress> table;
        std::string failure;
        while (PGresult* raw = PQgetResult(connection_)) {
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
                    failure = ErrorText(raw, connection_);
                table.reset();
                break;
            }
        }
        if (!failure.empty()) {
            // A dropped session fails every later statement too: say so, and the
            // connection opens a new one before the next.
            if (PQstatus(connection_) == CONNECTION_BAD)
                throw EConnectionLost(failure);
            throw ERecordSetError(failure);
        }
        return batch;
    }

    bool SessionAlive() override { return PQstatus(connection_) != CONNECTION_BAD; }

    // libpq follows the session's setting from the server's own reports: nothing to ask.
    bool BackslashEscapesInLiterals() override
    {
        const char* conforming = PQparameterStatus(connection_, "standard_conforming_strings");
        return conforming != nullptr && std::string_view(conforming) == "off";
    }

    // Only while a statement runs: a cancel asked for after its end would reach the next.
    void Interrupt() override
    {
        const std::lock_guard<std::mutex> lock(runningMutex_);
        if (running_)
            canceller_.Send();
    }

    // Ends every wait on the session's socket; libpq then reports the session lost.
    void Sever() override
    {
        severed_.store(true, std::memory_order_release);
        socket_.Shutdown();
    }

private:
    // For the length of one Execute: cancels are taken, and the end waits for those sent.
    class RunningStatement {
    public:
        explicit RunningStatement(PostgresProvider& provider) : provider_(provider)
        {
            const std::lock_guard<std::mutex> lock(provider_.runningMutex_);
            provider_.running_ = true;
        }
        ~RunningStatement()
        {
            {
                const std::lock_guard<std::mutex> lock(provider_.runningMutex_);
                provider_.running_ = false;
            }
            if (!provider_.severed_.load(std::memory_order_acquire))
                provider_.canceller_.WaitForAnswers();
        }
        RunningStatement(const RunningStatement&) = delete;
        RunningStatement& operator=(const RunningStatement&) = delete;

    private:
        PostgresProvider& provider_;
    };

    void Send(const std::string& statementText, const std::vector<Parameter>& parameters)
    {
        // libpq takes texts up to their first NUL: past one it would run another statement
        // than the one given, or bind another value. The connection refuses such statement
        // text; parameter values are checked here.
        QELVOR_ASSERT(statementText.find('\0') == std::string::npos);
        int sent = 0;
        if (parameters.empty()) {
            sent = PQsendQuery(connection_, statementText.c_str());
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
            sent = PQsendQueryParams(connection_, NumberedMarkers(statementText).c_str(), static_cast<int>(values.size()),
                                     nullptr, values.data(), nullptr, nullptr, 0);
        }
        if (!sent)
            throw ERecordSetError(ErrorText(nullptr, connection_));
        PQsetSingleRowMode(connection_);
    }

    const std::string info_;          // the libpq connection parameters, for the cancel's session
    ConnectionPtr owned_;             // the session
    PGconn* const connection_;        // owned_, for the library's calls
    SessionSocket socket_;            // the session's socket, held while the session lives
    std::mutex runningMutex_;         // guards running_ against Interrupt
    bool running_ = false;            // a statement runs (Execute)
    std::atomic<bool> severed_{false};  // a forced stop shut the session's socket
    CancelSender canceller_;          // last: its thread ends before anything above goes
};

}  // namespace

std::unique_ptr<Provider> OpenPostgresProvider(const ConnectionString& settings, ConnectAttempt& attempt)
{
    return std::make_unique<PostgresProvider>(settings, attempt);
}

}  // namespace qelvor::recordset
