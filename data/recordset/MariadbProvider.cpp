// MariadbProvider: MariaDB (and MySQL) through MariaDB's own client library, selected by
// "Provider=MariaDB;Server=…;Port=…;Database=…;Uid=…;Pwd=…" ("Socket=PATH", or
// Server=localhost, for the server's Unix socket).
//
// Every call into the library is its non-blocking form, made on the thread that runs the
// statement: the connect waits through a ConnectAttempt, the statement and its rows through
// the statement's watch, which polls the session's socket, the cancel's event descriptor
// and the deadline together. Rows are streamed (the library keeps no copy of the result):
// each is filed into the column arenas as it arrives, so fetching overlaps the server's
// work. Statement texts may hold several statements, each giving a result; "?" markers
// outside quoted text and comments become quoted literals of the parameters, escaped the
// way the session reads backslashes.
//
// A stop (the command time-out on the waits between rows, or a cancel) sends KILL QUERY
// from a second non-blocking session that the same loop drives: the statement ends with
// the server's "interrupted" and the session serves on. When the statement has not ended
// within the watch's bound, or on a forced stop, the provider gives its own session up by
// shutting the session's socket (the library's descriptor of this session, and no other),
// which ends every wait on it at once; the connection opens a new one before the next
// statement. A cancel still in flight when its statement ends is driven to its end before
// Execute returns, so that it cannot stop the next statement. Host names are resolved
// within the connect's bounds and handed to the library as addresses. The library's
// automatic reconnect is off (a reconnect would lose the session's state unseen), and so
// is LOAD DATA LOCAL (a server could ask for any file of ours).
// Encryption follows Encrypt, CA File, Client Cert and Client Key (or the MariaDB driver's
// SSLCA, SSLCERT, SSLKEY, SSLVERIFY; see LinkSecurity.h): prefer is the library's TLS when
// the server offers it, require insists on it, verify-ca checks the chain against the
// authority (the library does so whenever one is named), verify-full the host name as
// well. A verifying mode without an authority is refused rather than left unverified. A
// server that refuses a session in clear says only "access denied"; when it offers TLS,
// one more connect over TLS tells whether encryption is what it wants.
// Errors carry the server's message and its SQLSTATE, in the form the ODBC provider uses.
// With a record limit the rows past it still arrive and are dropped.
//
// Invariants: at most one library call of the session is in flight, and only inside
// Execute; a session given up is never used again (each Execute then raises
// EConnectionLost); the cancel's session never outlives the Execute that opened it.
#include <errmsg.h>
#include <mysql.h>
#include <poll.h>
#include <sys/socket.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <optional>
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
#include "data/recordset/MariadbTypes.h"
#include "data/recordset/Provider.h"
#include "data/recordset/ResultBatch.h"
#include "data/recordset/StatementWatch.h"
#include "runtime/Assert.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr unsigned kDefaultPort = 3306;
constexpr const char* kLocalHost = "localhost";
// How long closing a session may wait for its goodbye to be sent before its socket is shut.
constexpr milliseconds kCloseBound{250};
// A library call that goes on after its socket was shut is given up after this many steps.
constexpr int kAbandonSteps = 16;
// A cancel that the server answered but whose statement goes on (it came before the
// statement started) is sent again after this long.
constexpr milliseconds kKillRepeat{250};

// Where and as whom to connect.
struct Endpoint {
    std::string host;                     // a numeric address, or "localhost" for the Unix socket
    unsigned port = kDefaultPort;         // the TCP port (unused over the Unix socket)
    std::string socketPath;               // the Unix socket; empty: the library's default
    std::string user;                     // the account's name
    std::string password;                 // its password; empty: none (the library reads MYSQL_PWD)
    std::optional<std::string> database;  // the session's default database, if named
    TlsSettings tls;                      // the encryption asked for
};

std::optional<std::string> First(const ConnectionString& settings, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (auto value = settings.Find(name))
            return value;
    return std::nullopt;
}

bool IsLocalHost(const std::string& host)
{
    if (host.size() != std::string_view(kLocalHost).size())
        return host.empty();
    for (std::size_t i = 0; i < host.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(host[i])) != kLocalHost[i])
            return false;
    return true;
}

// The connection string's settings; a host name goes as its address, resolved within the
// attempt's bounds (the library would resolve it inside its connect, beyond any bound).
Endpoint EndpointOf(const ConnectionString& settings, ConnectAttempt& attempt)
{
    Endpoint endpoint;
    const std::string host = First(settings, {"Server", "Host", "Servername"}).value_or("");
    endpoint.socketPath = First(settings, {"Socket", "Unix Socket"}).value_or("");
    if (IsLocalHost(host)) {
        endpoint.host = kLocalHost;  // the library's word for its Unix socket
    } else {
        endpoint.host = ResolveHostWithin(host, attempt).value_or(host);
    }
    if (const auto port = settings.Find("Port")) {
        std::size_t used = 0;
        long number = -1;
        try {
            number = std::stol(*port, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != port->size() || number <= 0 || number > 65535)
            throw ERecordSetError("The connection string's Port is not a port number: \"" + *port + "\"");
        endpoint.port = static_cast<unsigned>(number);
    }
    endpoint.user = First(settings, {"Uid", "User ID", "User", "Username"}).value_or("");
    endpoint.password = First(settings, {"Pwd", "Password"}).value_or("");
    endpoint.database = First(settings, {"Database", "Initial Catalog"});
    endpoint.tls = ReadTlsSettings(settings);
    if (endpoint.tls.VerifiesAuthority() && endpoint.tls.caFile.empty())
        throw ERecordSetError(std::string("Encrypt=") + EncryptModeName(endpoint.tls.mode)
                              + " needs the authority's certificate (CA File=PATH)");
    return endpoint;
}

// The library's message and the SQLSTATE, as the ODBC provider reports them.
std::string ErrorText(MYSQL* session)
{
    std::string message = mysql_error(session);
    if (message.empty())
        message = "The MariaDB server reported error " + std::to_string(mysql_errno(session));
    const char* state = mysql_sqlstate(session);
    return state && *state ? message + " (SQLSTATE " + state + ")" : message;
}

// Whether the error means the session is gone (the server dropped or killed it).
bool MeansSessionLost(unsigned error)
{
    return error == CR_SERVER_GONE_ERROR || error == CR_SERVER_LOST || error == CR_SERVER_LOST_EXTENDED
        || error == 1927;  // ER_CONNECTION_KILLED: the server's goodbye before it closes
}

// The library's wait bits as poll's, and back.
short PollEvents(int status)
{
    short events = 0;
    if (status & MYSQL_WAIT_READ)
        events |= POLLIN;
    if (status & MYSQL_WAIT_WRITE)
        events |= POLLOUT;
    if (status & MYSQL_WAIT_EXCEPT)
        events |= POLLPRI;
    return events;
}

int ReadyStatus(short revents, int status)
{
    int ready = 0;
    if (revents & POLLIN)
        ready |= status & MYSQL_WAIT_READ;
    if (revents & POLLOUT)
        ready |= status & MYSQL_WAIT_WRITE;
    if (revents & POLLPRI)
        ready |= status & MYSQL_WAIT_EXCEPT;
    // A broken link: whatever the call waits for, it reads the failure next.
    if (ready == 0 && (revents & (POLLERR | POLLHUP | POLLNVAL)))
        ready = status & (MYSQL_WAIT_READ | MYSQL_WAIT_WRITE | MYSQL_WAIT_EXCEPT);
    return ready;
}

// When a call that waits for the library's own time-out as well gives up.
std::optional<Clock::time_point> LibraryDeadline(MYSQL* session, int status)
{
    if (!(status & MYSQL_WAIT_TIMEOUT))
        return std::nullopt;
    return Clock::now() + milliseconds(mysql_get_timeout_value_ms(session));
}

// Ends a call the library has not finished, on a session being given up: with the
// session's socket shut, each step fails at once. Returns the call's last status (0 once
// it has ended).
template <typename Resume>
int EndAbandonedCall(MYSQL* session, int status, const Resume& resume)
{
    const my_socket socket = mysql_get_socket(session);
    if (socket != MARIADB_INVALID_SOCKET)
        shutdown(socket, SHUT_RDWR);
    for (int step = 0; status != 0 && step < kAbandonSteps; ++step)
        status = resume(status);
    return status;
}

// Closes a session whose calls have all ended: its goodbye is sent within kCloseBound,
// else its socket is shut. The handle is freed when the close ends.
void CloseSession(MYSQL* session)
{
    int status = mysql_close_start(session);
    const Clock::time_point end = Clock::now() + kCloseBound;
    while (status != 0) {
        const my_socket socket = mysql_get_socket(session);
        const auto left = std::chrono::ceil<milliseconds>(end - Clock::now()).count();
        if (socket == MARIADB_INVALID_SOCKET || left <= 0) {
            status = EndAbandonedCall(session, status, [session](int ready) { return mysql_close_cont(session, ready); });
            return;  // a close that went on even so keeps its handle: better than a wait without end
        }
        pollfd wait = {socket, PollEvents(status), 0};
        const int ready = poll(&wait, 1, static_cast<int>(left));
        if (ready > 0)
            status = mysql_close_cont(session, ReadyStatus(wait.revents, status));
    }
}

struct CloseHandle {
    void operator()(MYSQL* session) const { CloseSession(session); }
};
using HandlePtr = std::unique_ptr<MYSQL, CloseHandle>;

// The encryption options of a handle.
bool SetTlsOptions(MYSQL* handle, const TlsSettings& tls)
{
    const my_bool yes = 1;
    switch (tls.mode) {
    case EncryptMode::LibraryDefault:
    case EncryptMode::Off: break;
    case EncryptMode::Prefer:
        // Asks for TLS when the server offers it, without insisting.
        if (mysql_ssl_set(handle, nullptr, nullptr, nullptr, nullptr, nullptr) != 0)
            return false;
        break;
    case EncryptMode::VerifyFull:
        if (mysql_optionsv(handle, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &yes) != 0)
            return false;
        [[fallthrough]];
    case EncryptMode::Require:
    case EncryptMode::VerifyCa:
        if (mysql_optionsv(handle, MYSQL_OPT_SSL_ENFORCE, &yes) != 0)
            return false;
        break;
    }
    if (tls.mode == EncryptMode::Off)
        return true;
    return (tls.caFile.empty() || mysql_optionsv(handle, MYSQL_OPT_SSL_CA, tls.caFile.c_str()) == 0)
        && (tls.clientCert.empty() || mysql_optionsv(handle, MYSQL_OPT_SSL_CERT, tls.clientCert.c_str()) == 0)
        && (tls.clientKey.empty() || mysql_optionsv(handle, MYSQL_OPT_SSL_KEY, tls.clientKey.c_str()) == 0);
}

// A handle set up for a non-blocking session in utf8mb4.
HandlePtr NewHandle(const Endpoint& endpoint)
{
    MYSQL* const raw = mysql_init(nullptr);
    if (!raw)
        throw ERecordSetError("Cannot allocate a MariaDB connection");
    HandlePtr handle(raw);
    const my_bool off = 0;
    const unsigned none = 0;
    const unsigned protocol = endpoint.host == kLocalHost ? MYSQL_PROTOCOL_SOCKET : MYSQL_PROTOCOL_TCP;
    if (mysql_options(raw, MYSQL_OPT_NONBLOCK, nullptr) != 0 || mysql_options(raw, MYSQL_SET_CHARSET_NAME, "utf8mb4") != 0
        || mysql_options(raw, MYSQL_OPT_RECONNECT, &off) != 0 || mysql_options(raw, MYSQL_OPT_LOCAL_INFILE, &none) != 0
        || mysql_options(raw, MYSQL_OPT_PROTOCOL, &protocol) != 0
        // The connect's and the statement's bounds are ours; the library keeps none of its own.
        || mysql_options(raw, MYSQL_OPT_CONNECT_TIMEOUT, &none) != 0 || mysql_options(raw, MYSQL_OPT_READ_TIMEOUT, &none) != 0
        || mysql_options(raw, MYSQL_OPT_WRITE_TIMEOUT, &none) != 0 || !SetTlsOptions(raw, endpoint.tls))
        throw ERecordSetError("Cannot set up a MariaDB connection: " + ErrorText(raw));
    return handle;
}

int StartConnect(MYSQL** connected, MYSQL* session, const Endpoint& endpoint)
{
    return mysql_real_connect_start(connected, session, endpoint.host.c_str(), endpoint.user.c_str(),
                                    endpoint.password.empty() ? nullptr : endpoint.password.c_str(),
                                    endpoint.database ? endpoint.database->c_str() : nullptr,
                                    endpoint.port, endpoint.socketPath.empty() ? nullptr : endpoint.socketPath.c_str(),
                                    CLIENT_MULTI_STATEMENTS | CLIENT_MULTI_RESULTS);
}

// Opens a session with the library's non-blocking connect: every wait on the server goes
// through the attempt, so the connect ends at its deadline or at once on a cancel.
HandlePtr ConnectWithin(const Endpoint& endpoint, ConnectAttempt& attempt)
{
    HandlePtr handle = NewHandle(endpoint);
    MYSQL* const session = handle.get();
    MYSQL* connected = nullptr;
    const auto resume = [&connected, session](int ready) { return mysql_real_connect_cont(&connected, session, ready); };
    int status = StartConnect(&connected, session, endpoint);
    try {
        while (status != 0) {
            const std::optional<Clock::time_point> libraryEnd = LibraryDeadline(session, status);
            std::optional<milliseconds> libraryWait;
            if (libraryEnd)
                libraryWait = std::max(milliseconds(0), std::chrono::ceil<milliseconds>(*libraryEnd - Clock::now()));
            const my_socket socket = mysql_get_socket(session);
            int ready = MYSQL_WAIT_TIMEOUT;
            if (socket != MARIADB_INVALID_SOCKET) {
                const short revents = attempt.WaitForSocketOrLibrary(socket, PollEvents(status), libraryWait);
                ready = revents != 0 ? ReadyStatus(revents, status) : MYSQL_WAIT_TIMEOUT;
            } else if (libraryWait) {
                attempt.Pause(*libraryWait);
                attempt.ThrowIfOver();
            } else {
                throw ERecordSetError("The MariaDB client library waits without a socket");
            }
            if (ready != 0)
                status = resume(ready);
        }
    } catch (...) {
        if (EndAbandonedCall(session, status, resume) != 0)
            static_cast<void>(handle.release());  // still inside the library: left to it, never freed under it
        throw;
    }
    if (!connected)
        throw ERecordSetError(ErrorText(session));
    return handle;
}

// Whether a server that refused a session in clear takes the same session over TLS: then
// encryption is what it wanted. Nothing is sent over the trial session.
bool RequiresEncryption(const Endpoint& endpoint, ConnectAttempt& attempt)
{
    Endpoint trial = endpoint;
    trial.tls = TlsSettings{};
    trial.tls.mode = EncryptMode::Require;
    trial.tls.clientCert = endpoint.tls.clientCert;
    trial.tls.clientKey = endpoint.tls.clientKey;
    try {
        ConnectWithin(trial, attempt);
        return true;
    } catch (const ERecordSetError&) {
        return false;
    }
}

// Connects, and says a failure of the encryption in words that name it.
HandlePtr ConnectExplained(const Endpoint& endpoint, ConnectAttempt& attempt)
{
    try {
        return ConnectWithin(endpoint, attempt);
    } catch (const ERecordSetError& failure) {
        attempt.ThrowIfOver();
        const std::string text = failure.what();
        TlsFailure kind = ClassifyTlsFailure(text);
        // Access denied: SQLSTATE 28000.
        const bool denied = text.find("(SQLSTATE 28000)") != std::string::npos;
        if (kind == TlsFailure::None && denied && !endpoint.tls.Demands()
            && endpoint.host != kLocalHost && RequiresEncryption(endpoint, attempt))
            kind = TlsFailure::EncryptionRequired;
        if (kind == TlsFailure::None && denied && endpoint.password.empty() && !std::getenv("MYSQL_PWD"))
            throw EPasswordNeeded(text);
        if (kind == TlsFailure::None)
            throw;
        throw ERecordSetError(TlsFailureText(kind, text));
    }
}

// A cancel in flight: KILL QUERY from a session of its own, driven one step at a time by
// the loop that waits for the statement, so that it waits on nothing by itself. A
// statement that has ended meanwhile is not touched: the server clears a kill that
// reaches an idle session before its next statement.
class QueryKill {
public:
    QueryKill(const Endpoint& endpoint, unsigned long threadId) : text_("KILL QUERY " + std::to_string(threadId))
    {
        try {
            session_ = NewHandle(endpoint).release();
        } catch (const ERecordSetError&) {
            stage_ = Stage::Done;
            return;
        }
        status_ = StartConnect(&connected_, session_, endpoint);
        Advance();
    }
    // Gives up what is still in flight.
    ~QueryKill()
    {
        if (stage_ == Stage::Done)
            return;
        status_ = EndAbandonedCall(session_, status_, [this](int ready) { return Resume(ready); });
        if (status_ != 0)
            return;  // still inside the library: left to it, never freed under it
        if (stage_ != Stage::Closing)
            CloseSession(session_);
    }
    QueryKill(const QueryKill&) = delete;
    QueryKill& operator=(const QueryKill&) = delete;

    bool Done() const { return stage_ == Stage::Done; }
    // The descriptor and the readiness the next step waits for (none once done).
    pollfd Wait() const
    {
        if (Done())
            return {-1, 0, 0};
        return {mysql_get_socket(session_), PollEvents(status_), 0};
    }
    // When the library's own time-out for the step passes, if it keeps one.
    std::optional<Clock::time_point> LibraryEnd() const { return libraryEnd_; }

    // Takes the next step after the socket became ready (or the library's time passed).
    void Step(short revents)
    {
        if (Done())
            return;
        int ready = ReadyStatus(revents, status_);
        if (ready == 0 && libraryEnd_ && Clock::now() >= *libraryEnd_)
            ready = MYSQL_WAIT_TIMEOUT;
        if (ready == 0)
            return;
        status_ = Resume(ready);
        Advance();
    }

private:
    enum class Stage { Connecting, Killing, Closing, Done };

    int Resume(int ready)
    {
        switch (stage_) {
        case Stage::Connecting: return mysql_real_connect_cont(&connected_, session_, ready);
        case Stage::Killing: return mysql_real_query_cont(&queryError_, session_, ready);
        case Stage::Closing: return mysql_close_cont(session_, ready);
        case Stage::Done: break;
        }
        return 0;
    }

    // Starts the next call once one has ended.
    void Advance()
    {
        while (status_ == 0 && stage_ != Stage::Done) {
            switch (stage_) {
            case Stage::Connecting:
                if (!connected_) {
                    CloseSession(session_);  // never connected: nothing to send
                    stage_ = Stage::Done;
                    break;
                }
                stage_ = Stage::Killing;
                status_ = mysql_real_query_start(&queryError_, session_, text_.data(), text_.size());
                break;
            case Stage::Killing:
                // Answered (or refused: the statement had ended): the session goes.
                stage_ = Stage::Closing;
                status_ = mysql_close_start(session_);
                break;
            case Stage::Closing:
            case Stage::Done: stage_ = Stage::Done; break;
            }
        }
        libraryEnd_ = Done() ? std::nullopt : LibraryDeadline(session_, status_);
    }

    const std::string text_;                     // the cancel statement
    MYSQL* session_ = nullptr;                   // the cancel's own session until it is closed
    MYSQL* connected_ = nullptr;                 // what the connect gave: the session, or none on failure
    int queryError_ = 0;                         // what the cancel statement gave (not looked at)
    int status_ = 0;                             // what the call in flight waits for; 0: none
    Stage stage_ = Stage::Connecting;            // the call in flight
    std::optional<Clock::time_point> libraryEnd_;  // the library's own time-out of that call
};

// The "?" markers outside quoted text and comments, with the quoted literal of each
// parameter in their place. backslashEscapes: the session reads a backslash inside a
// quoted text as an escape.
std::string WithLiterals(const std::string& text, const std::vector<Parameter>& parameters, MYSQL* session,
                         bool backslashEscapes)
{
    std::string out;
    out.reserve(text.size());
    std::size_t next = 0;
    std::string escaped;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'' || c == '"' || c == '`') {
            const std::size_t start = i;
            for (++i; i < text.size() && text[i] != c; ++i)
                if (text[i] == '\\' && backslashEscapes && c != '`')
                    ++i;
            out.append(text, start, i - start + (i < text.size() ? 1 : 0));
            continue;
        }
        const bool lineComment = c == '#' || (c == '-' && text.compare(i, 3, "-- ") == 0)
                              || (c == '-' && text.compare(i, 2, "--") == 0 && i + 2 == text.size());
        if (lineComment || (c == '/' && text.compare(i, 2, "/*") == 0)) {
            const std::size_t end = lineComment ? text.find('\n', i) : text.find("*/", i + 2);
            const std::size_t stop = end == std::string::npos ? text.size() : end + (lineComment ? 0 : 2);
            out.append(text, i, stop - i);
            i = stop - 1;
            continue;
        }
        if (c != '?') {
            out += c;
            continue;
        }
        if (next >= parameters.size())
            throw ERecordSetError("The statement has more \"?\" markers than parameters (" + std::to_string(parameters.size())
                                  + ")");
        const Variant& value = parameters[next++].value;
        if (value.IsNull()) {
            out += "NULL";
            continue;
        }
        const std::string plain = value.ToString();
        escaped.resize(plain.size() * 2 + 1);
        const unsigned long length = mysql_real_escape_string(session, escaped.data(), plain.data(), plain.size());
        if (length == static_cast<unsigned long>(-1))
            throw ERecordSetError("A parameter value is not valid text: " + ErrorText(session));
        out += '\'';
        out.append(escaped.data(), length);
        out += '\'';
    }
    if (next != parameters.size())
        throw ERecordSetError("The statement has " + std::to_string(next) + " \"?\" markers for "
                              + std::to_string(parameters.size()) + " parameters");
    return out;
}

// One result while its rows arrive.
class TableInProgress {
public:
    explicit TableInProgress(MYSQL_RES* result) : fill_(Fill(result, columns_)) {}

    void AppendRow(MYSQL_ROW row, const unsigned long* lengths)
    {
        for (std::size_t i = 0; i < fill_.Columns(); ++i) {
            if (!row[i])
                fill_.Column(i).AppendNull();
            else
                AppendMariadbValue(fill_.Column(i), columns_[i], {row[i], lengths[i]});
        }
        fill_.EndRow();
    }

    std::int64_t Rows() const { return fill_.Rows(); }
    std::unique_ptr<ResultTable> Finish() { return fill_.Finish(); }

private:
    // The fields as the client library describes them; columns receives how to read each.
    static TableFill Fill(MYSQL_RES* result, std::vector<MariadbColumnType>& columns)
    {
        const unsigned count = mysql_num_fields(result);
        const MYSQL_FIELD* const described = mysql_fetch_fields(result);
        std::vector<FieldInfo> fields;
        for (unsigned i = 0; i < count; ++i) {
            const MYSQL_FIELD& field = described[i];
            MariadbFieldFacts facts;
            facts.type = field.type;
            facts.length = field.length;
            facts.decimals = field.decimals;
            facts.flags = field.flags;
            facts.characterSet = field.charsetnr;
            const MARIADB_CHARSET_INFO* const characterSet = mariadb_get_charset_by_nr(field.charsetnr);
            facts.bytesPerCharacter = characterSet ? characterSet->char_maxlen : 1;
            facts.fromTable = field.org_table_length > 0;
            columns.push_back(MapMariadbType(facts));
            FieldInfo info = DescribeMariadbField(facts, columns.back());
            info.name.assign(field.name, field.name_length);
            fields.push_back(std::move(info));
        }
        std::vector<TableFill::Storage> storages;
        for (const MariadbColumnType& mapped : columns)
            storages.push_back({mapped.storage, mapped.storage == ColumnStorage::Text && mapped.size == 0, mapped.dateKind});
        return TableFill(std::move(fields), storages);
    }

    std::vector<MariadbColumnType> columns_;  // how each column's values are read; before fill_
    TableFill fill_;                          // the table being filled
};

class MariadbProvider final : public Provider {
public:
    MariadbProvider(const ConnectionString& settings, ConnectAttempt& attempt)
        : endpoint_(EndpointOf(settings, attempt)),
          session_(ConnectExplained(endpoint_, attempt)),
          threadId_(mysql_thread_id(session_.get()))
    {
    }

    std::unique_ptr<ResultBatch> Execute(const std::string& statementText, const std::vector<Parameter>& parameters,
                                         std::int64_t maxRecords, StatementWatch& watch) override
    {
        if (givenUp_)
            throw EConnectionLost("The session to the MariaDB server was given up");
        MYSQL* const session = session_.get();
        const std::string text =
            parameters.empty() ? statementText : WithLiterals(statementText, parameters, session, BackslashEscapesInLiterals());
        Statement statement(*this, watch);
        auto batch = std::make_unique<ResultBatch>();
        std::string failure;
        unsigned failureNumber = 0;
        try {
            int error = 0;
            statement.Drive(mysql_real_query_start(&error, session, text.data(), text.size()),
                            [&error, session](int ready) { return mysql_real_query_cont(&error, session, ready); });
            std::int64_t receivedRows = 0;
            while (error == 0) {
                watch.ReceivedSomething();
                if (mysql_field_count(session) == 0) {
                    batch->Add(nullptr);
                } else {
                    StreamedResult result(*this, watch);
                    MYSQL_RES* const raw = result.Get();
                    if (!raw)
                        break;
                    TableInProgress table(raw);
                    for (;;) {
                        MYSQL_ROW row = nullptr;
                        if (const int status = mysql_fetch_row_start(&row, raw))
                            statement.Drive(status, [&row, raw](int ready) { return mysql_fetch_row_cont(&row, raw, ready); });
                        if (!row)
                            break;
                        if (maxRecords <= 0 || table.Rows() < maxRecords)
                            table.AppendRow(row, mysql_fetch_lengths(raw));
                        watch.Received(++receivedRows);
                    }
                    result.NoteEnded();
                    if (mysql_errno(session) != 0)
                        break;  // the result ended with an error, not with its last row
                    batch->Add(table.Finish());
                }
                if (!mysql_more_results(session))
                    break;
                statement.Drive(mysql_next_result_start(&error, session),
                                [&error, session](int ready) { return mysql_next_result_cont(&error, session, ready); });
                if (error < 0)
                    break;  // no further result after all
            }
            failureNumber = mysql_errno(session);
            if (failureNumber != 0)
                failure = ErrorText(session);
        } catch (...) {
            // Whatever was left half-read, the session cannot serve another statement.
            if (!givenUp_)
                GiveUp(watch);
            throw;
        }
        statement.SettleKill();
        if (!failure.empty()) {
            // A dropped session fails every later statement too: say so, and the
            // connection opens a new one before the next.
            if (MeansSessionLost(failureNumber)) {
                GiveUp(watch);
                throw EConnectionLost(failure);
            }
            throw ERecordSetError(failure);
        }
        return batch;
    }

    // The server reports the session's NO_BACKSLASH_ESCAPES with every answer: nothing to ask.
    bool BackslashEscapesInLiterals() override
    {
        if (givenUp_)
            return true;
        unsigned status = 0;
        if (mariadb_get_infov(session_.get(), MARIADB_CONNECTION_SERVER_STATUS, &status) != 0)
            return true;
        return !(status & SERVER_STATUS_NO_BACKSLASH_ESCAPES);
    }

    LinkSecurity Security() override
    {
        LinkSecurity security;
        security.network = endpoint_.host != kLocalHost;
        const char* const cipher = givenUp_ ? nullptr : mysql_get_ssl_cipher(session_.get());
        if (!cipher)
            return security;
        security.encrypted = true;
        security.cipher = cipher;
        const char* version = nullptr;
        if (mariadb_get_infov(session_.get(), MARIADB_CONNECTION_TLS_VERSION, &version) == 0 && version)
            security.protocol = version;
        // The library checks the chain whenever an authority is named, the name only when asked.
        security.authorityVerified = !endpoint_.tls.caFile.empty();
        security.hostVerified = endpoint_.tls.mode == EncryptMode::VerifyFull;
        return security;
    }

private:
    // The streamed result of one statement. Freeing it before its end would read the rest
    // of the rows without a bound (the library's blocking drain): the session is given up
    // first, so that the drain fails at once.
    class StreamedResult {
    public:
        StreamedResult(MariadbProvider& provider, StatementWatch& watch)
            : raw_(mysql_use_result(provider.session_.get())), provider_(provider), watch_(watch)
        {
        }
        ~StreamedResult()
        {
            if (!raw_)
                return;
            if (!ended_ && !provider_.givenUp_)
                provider_.GiveUp(watch_);
            mysql_free_result(raw_);
        }
        StreamedResult(const StreamedResult&) = delete;
        StreamedResult& operator=(const StreamedResult&) = delete;

        MYSQL_RES* Get() const { return raw_; }
        // Every row has been read, or the result ended in an error: freeing reads nothing.
        void NoteEnded() { ended_ = true; }

    private:
        MYSQL_RES* const raw_;       // the library's result; none when it could not make one
        MariadbProvider& provider_;  // whose session the rows come over
        StatementWatch& watch_;      // told when the session is given up
        bool ended_ = false;         // see NoteEnded
    };

    // The waits of one Execute: the session's socket, the cancel in flight, the watch.
    class Statement {
    public:
        Statement(MariadbProvider& provider, StatementWatch& watch) : provider_(provider), watch_(watch) {}

        // Waits and resumes the library's call until it has ended (status 0).
        template <typename Resume>
        void Drive(int status, const Resume& resume)
        {
            MYSQL* const session = provider_.session_.get();
            while (status != 0) {
                const std::optional<Clock::time_point> libraryEnd = LibraryDeadline(session, status);
                int ready = 0;
                while (ready == 0) {
                    pollfd waits[2] = {{mysql_get_socket(session), PollEvents(status), 0}, {-1, 0, 0}};
                    std::size_t count = 1;
                    if (kill_ && !kill_->Done())
                        waits[count++] = kill_->Wait();
                    watch_.Wait(std::span<pollfd>(waits, count), NextLook(libraryEnd));
                    if (watch_.GiveUpDue()) {
                        kill_.reset();
                        EndAbandonedCall(session, status, resume);
                        provider_.GiveUp(watch_);
                        throw EConnectionLost("The server did not end the stopped statement");
                    }
                    if (count == 2)
                        StepKill(waits[1].revents);
                    if (watch_.Stopping() && (!kill_ || (kill_->Done() && Clock::now() - killAnswered_ >= kKillRepeat)))
                        StartKill();
                    ready = ReadyStatus(waits[0].revents, status);
                    if (ready == 0 && libraryEnd && Clock::now() >= *libraryEnd)
                        ready = MYSQL_WAIT_TIMEOUT;
                }
                status = resume(ready);
            }
        }

        // A cancel still in flight when the statement ended is driven to its end, so that
        // it cannot reach the session's next statement; one the server does not answer
        // within the bound costs the session.
        void SettleKill()
        {
            while (kill_ && !kill_->Done()) {
                pollfd waits[1] = {kill_->Wait()};
                watch_.Wait(waits, NextLook(std::nullopt));
                if (watch_.GiveUpDue()) {
                    kill_.reset();
                    provider_.GiveUp(watch_);
                    return;
                }
                StepKill(waits[0].revents);
            }
        }

    private:
        // How long the next wait may last before something of ours is due: the library's
        // own time-out, the cancel's, the repeat of an answered cancel.
        milliseconds NextLook(std::optional<Clock::time_point> libraryEnd) const
        {
            std::optional<Clock::time_point> due = libraryEnd;
            if (kill_ && !kill_->Done() && kill_->LibraryEnd() && (!due || *kill_->LibraryEnd() < *due))
                due = kill_->LibraryEnd();
            if (kill_ && kill_->Done() && (!due || killAnswered_ + kKillRepeat < *due))
                due = killAnswered_ + kKillRepeat;
            if (!due)
                return milliseconds(-1);
            return std::max(milliseconds(0), std::chrono::ceil<milliseconds>(*due - Clock::now()));
        }

        void StartKill()
        {
            kill_.reset();
            kill_ = std::make_unique<QueryKill>(provider_.endpoint_, provider_.threadId_);
            if (kill_->Done())
                killAnswered_ = Clock::now();
        }

        void StepKill(short revents)
        {
            if (!kill_ || kill_->Done())
                return;
            kill_->Step(revents);
            if (kill_->Done())
                killAnswered_ = Clock::now();
        }

        MariadbProvider& provider_;
        StatementWatch& watch_;
        std::unique_ptr<QueryKill> kill_;  // the cancel in flight or answered, if any
        Clock::time_point killAnswered_;   // when kill_ was last answered
    };

    // Ends the session at once (a forced stop, a stop the server did not act on, a session
    // the server dropped): its socket is shut, so nothing of it waits any more; the handle
    // is closed with the provider. The connection opens a new session before the next
    // statement.
    void GiveUp(StatementWatch& watch)
    {
        givenUp_ = true;
        const my_socket socket = mysql_get_socket(session_.get());
        if (socket != MARIADB_INVALID_SOCKET)
            shutdown(socket, SHUT_RDWR);
        watch.NoteSessionLost();
    }

    const Endpoint endpoint_;      // where the session went, for the cancel's session
    HandlePtr session_;            // the session
    const unsigned long threadId_;  // the session's number on the server, which a cancel names
    bool givenUp_ = false;         // the session's socket was shut: it serves nothing more
};

}  // namespace

std::unique_ptr<Provider> OpenMariadbProvider(const ConnectionString& settings, ConnectAttempt& attempt)
{
    return std::make_unique<MariadbProvider>(settings, attempt);
}

}  // namespace qelvor::recordset
