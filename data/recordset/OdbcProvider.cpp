// OdbcProvider: any database reachable through the ODBC driver manager (unixODBC).
//
// Only the wide (UTF-16) API is used; statements are converted from UTF-8 once. Rows
// are fetched in blocks into column-wise bound buffers and copied into the column
// arenas. Text is read and bound as UTF-16, or as UTF-8 with drivers that take narrow
// text so (see OdbcDriverSettings, which also picks lean fetch settings for known
// drivers). Columns without a useful size (long text, long binary, unknown types) cannot
// be bound; a result that has one is read row by row with SQLGetData instead. A value
// longer than the size the driver announced is never cut silently: it raises.
//
// The driver's calls block. Its waits are bounded by the driver's own attributes (the
// login and connection time-outs from the connection's time-out) and options the user
// may add to the connection string; a statement is stopped with SQLCancel, the one call
// ODBC allows from another thread while a statement runs, sent by a thread that watches
// the statement for the length of one Execute. A driver that ignores SQLCancel between
// its fetch round trips is stopped between blocks. A wait the driver leaves unbounded
// (a server that stops answering mid-result) stays unbounded: the native providers
// bound every wait.
#include <algorithm>
#include <cctype>
#include <clocale>
#include <langinfo.h>
#include <cstring>
#include <memory>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <optional>
#include <string>
#include <vector>

#include "data/recordset/ColumnBuilder.h"
#include "data/recordset/ConnectAttempt.h"
#include "data/recordset/ConnectionString.h"
#include "data/recordset/DateText.h"
#include "data/recordset/LinkSecurity.h"
#include "data/recordset/OdbcLiteralStyle.h"
#include "data/recordset/OdbcDriverSettings.h"
#include "data/recordset/OdbcConnect.h"
#include "data/recordset/OdbcSupport.h"
#include "data/recordset/OdbcTypes.h"
#include "data/recordset/Provider.h"
#include "data/recordset/ResultBatch.h"
#include "data/recordset/StatementWatch.h"
#include "data/recordset/Utf16.h"
#include "runtime/Assert.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

constexpr SQLLEN kMaxBoundBytes = 16 * 1024;  // larger cells are read piecewise
constexpr SQLLEN kBlockBytes = 4 * 1024 * 1024;
constexpr SQLULEN kMaxBlockRows = 512;

// unixODBC converts between the wide and narrow calls with the process's character
// type; a program that never set its locale would convert through ASCII. Only the
// character-type category is set, so number formatting elsewhere stays untouched.
void AdoptUserCharacterLocale()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const char* current = std::setlocale(LC_CTYPE, nullptr);
        if (!current || std::strcmp(current, "C") == 0 || std::strcmp(current, "POSIX") == 0)
            std::setlocale(LC_CTYPE, "");
    });
}

bool LocaleIsUtf8()
{
    const char* codeset = nl_langinfo(CODESET);
    return codeset && std::strcmp(codeset, "UTF-8") == 0;
}

double TimeFraction(unsigned hour, unsigned minute, unsigned second, double nanoseconds = 0)
{
    return (hour * 3600.0 + minute * 60.0 + second + nanoseconds / 1e9) / 86400.0;
}

// One result column while its rows are fetched.
struct OdbcColumn {
    OdbcColumnType mapped;
    SQLULEN size = 0;
    SQLLEN elementBytes = 0;  // bound bytes per row
    std::vector<unsigned char> buffer;
    std::vector<SQLLEN> indicators;
    std::string name;
};

SQLLEN ElementBytes(const OdbcColumnType& mapped, SQLULEN size)
{
    switch (mapped.cType) {
    case SQL_C_WCHAR: return size == 0 ? 0 : static_cast<SQLLEN>((size * 2 + 1) * sizeof(SQLWCHAR));
    case SQL_C_CHAR:
        // UTF-8 text takes up to four bytes per character; decimal text a sign and a point.
        if (mapped.storage == ColumnStorage::Text)
            return size == 0 ? 0 : static_cast<SQLLEN>(size * 4 + 1);
        return static_cast<SQLLEN>((size == 0 ? 60 : size) + 4);
    case SQL_C_BINARY: return static_cast<SQLLEN>(size);
    case SQL_C_SBIGINT: return sizeof(SQLBIGINT);
    case SQL_C_DOUBLE: return sizeof(SQLDOUBLE);
    case SQL_C_BIT: return sizeof(SQLCHAR);
    case SQL_C_TYPE_DATE: return sizeof(SQL_DATE_STRUCT);
    case SQL_C_TYPE_TIME: return sizeof(SQL_TIME_STRUCT);
    case SQL_C_TYPE_TIMESTAMP: return sizeof(SQL_TIMESTAMP_STRUCT);
    default: return 0;
    }
}

// Whether a bound cell of a variable-length type did not fit its buffer.
bool Truncated(const OdbcColumn& column, SQLLEN length)
{
    const SQLSMALLINT cType = column.mapped.cType;
    if (cType != SQL_C_WCHAR && cType != SQL_C_CHAR && cType != SQL_C_BINARY)
        return false;
    const SQLLEN terminator = cType == SQL_C_WCHAR ? 2 : cType == SQL_C_CHAR ? 1 : 0;
    return length == SQL_NO_TOTAL || (length != SQL_NULL_DATA && length > column.elementBytes - terminator);
}

// Appends one fetched cell (data of `length` bytes, already complete) to the builder.
void AppendCell(ColumnBuilder& builder, const OdbcColumnType& mapped, const unsigned char* data, SQLLEN length,
                std::string& scratch)
{
    if (length == SQL_NULL_DATA) {
        builder.AppendNull();
        return;
    }
    switch (mapped.cType) {
    case SQL_C_WCHAR:
        scratch.clear();
        AppendUtf8(reinterpret_cast<const std::uint16_t*>(data), static_cast<std::size_t>(length) / sizeof(SQLWCHAR), scratch);
        builder.AppendBytes(scratch);
        return;
    case SQL_C_CHAR:
    case SQL_C_BINARY:
        builder.AppendBytes({reinterpret_cast<const char*>(data), static_cast<std::size_t>(length)});
        return;
    case SQL_C_SBIGINT: {
        SQLBIGINT value;
        std::memcpy(&value, data, sizeof value);
        builder.AppendInteger(value);
        return;
    }
    case SQL_C_BIT: builder.AppendInteger(*data != 0); return;
    case SQL_C_DOUBLE: {
        SQLDOUBLE value;
        std::memcpy(&value, data, sizeof value);
        builder.AppendReal(value);
        return;
    }
    case SQL_C_TYPE_DATE: {
        SQL_DATE_STRUCT date;
        std::memcpy(&date, data, sizeof date);
        builder.AppendReal(static_cast<double>(DaysFromCivil(date.year, date.month, date.day)));
        return;
    }
    case SQL_C_TYPE_TIME: {
        SQL_TIME_STRUCT time;
        std::memcpy(&time, data, sizeof time);
        builder.AppendReal(TimeFraction(time.hour, time.minute, time.second));
        return;
    }
    case SQL_C_TYPE_TIMESTAMP: {
        SQL_TIMESTAMP_STRUCT stamp;
        std::memcpy(&stamp, data, sizeof stamp);
        builder.AppendReal(static_cast<double>(DaysFromCivil(stamp.year, stamp.month, stamp.day))
                           + TimeFraction(stamp.hour, stamp.minute, stamp.second, stamp.fraction));
        return;
    }
    default: builder.AppendNull(); return;
    }
}

class OdbcProvider final : public Provider {
public:
    OdbcProvider(const std::string& connectionString, ConnectAttempt& attempt)
        : environment_(SQL_HANDLE_ENV, SQL_NULL_HANDLE)
    {
        AdoptUserCharacterLocale();
        CheckOdbc(SQLSetEnvAttr(environment_.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                  environment_, "SQLSetEnvAttr");
        connection_ = std::make_unique<OdbcHandle>(SQL_HANDLE_DBC, environment_.Get());
        // A string that names the PostgreSQL driver gets its settings before the first
        // connect; one that reaches it another way (a DSN) connects again with them.
        const auto guessed = NamesPostgresDriver(connectionString) ? WithLeanFetchSettings("psqlodbc", connectionString)
                                                                   : std::nullopt;
        Connect(guessed.value_or(connectionString), attempt);
        const std::string driver = DriverName();
        if (!guessed) {
            if (const auto lean = WithLeanFetchSettings(driver, connectionString)) {
                SQLDisconnect(connection_->Get());
                connected_ = false;
                Connect(*lean, attempt);
            }
        }
        narrowTextIsUtf8_ = NarrowTextIsUtf8(driver, connectionString, LocaleIsUtf8());
        // The MariaDB driver's SQLCancel from another thread corrupts a fetch in progress
        // (the process crashes): its statements are stopped by KILL QUERY instead.
        if (IsMariaDbDriver(driver))
            killStatement_ = "KILL QUERY " + SessionNumber(attempt);
        absorbsLateCancels_ = IsPostgresDriver(driver);
    }

    ~OdbcProvider() override
    {
        if (connected_)
            SQLDisconnect(connection_->Get());
    }

    std::unique_ptr<ResultBatch> Execute(const std::string& statementText, const std::vector<Parameter>& parameters,
                                         std::int64_t maxRecords, StatementWatch& watch) override
    {
        // Destroyed after the canceller has ended: a cancel it sent is then on its way or in.
        LateCancelAbsorber absorber(*this);
        OdbcHandle statement(SQL_HANDLE_STMT, connection_->Get());
        const StatementCanceller canceller(watch, [this, &statement, &absorber] {
            absorber.cancelSent.store(true, std::memory_order_relaxed);
            Cancel(statement);
        });
        if (maxRecords > 0)
            SQLSetStmtAttrW(statement.Get(), SQL_ATTR_MAX_ROWS, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(maxRecords)), 0);
        std::vector<std::string> narrowParameterTexts;
        std::vector<std::u16string> parameterTexts;
        std::vector<SQLLEN> parameterLengths(parameters.size());
        if (narrowTextIsUtf8_)
            BindNarrowParameters(statement, parameters, narrowParameterTexts, parameterLengths);
        else
            BindParameters(statement, parameters, parameterTexts, parameterLengths);

        try {
            return Run(statement, statementText, maxRecords, watch);
        } catch (const std::exception&) {
            // Asked while the watching thread still bounds it with SQLCancel.
            if (watch.StopRequested() && ConnectionDead())
                watch.NoteSessionLost();
            throw;
        }
    }

private:
    std::unique_ptr<ResultBatch> Run(const OdbcHandle& statement, const std::string& statementText,
                                     std::int64_t maxRecords, StatementWatch& watch)
    {
        std::int64_t receivedRows = 0;
        SQLRETURN rc = ExecDirect(statement, statementText);
        if (rc != SQL_NO_DATA)
            CheckOdbc(rc, statement, "SQLExecDirectW");
        auto batch = std::make_unique<ResultBatch>();
        for (;;) {
            SQLSMALLINT columns = 0;
            CheckOdbc(SQLNumResultCols(statement.Get(), &columns), statement, "SQLNumResultCols");
            watch.ReceivedSomething();
            batch->Add(columns == 0 ? nullptr : Fetch(statement, columns, maxRecords, {watch, receivedRows}));
            rc = SQLMoreResults(statement.Get());
            if (rc == SQL_NO_DATA)
                break;
            CheckOdbc(rc, statement, "SQLMoreResults");
        }
        // The server drops a session whose statement a cancel stopped while it sent rows.
        if (watch.Cancelled() && ConnectionDead())
            watch.NoteSessionLost();
        return batch;
    }

public:

    bool BackslashEscapesInLiterals() override { return OdbcBackslashEscapes(connection_->Get()); }

    // The drivers tell nothing of their link: the server is asked (a driver we do not know
    // leaves it unknown). What was verified follows from the keywords the session had.
    LinkSecurity Security() override
    {
        LinkSecurity security;
        security.network = true;
        const std::string driver = DriverName();
        const bool postgres = IsPostgresDriver(driver);
        if (!postgres && !IsMariaDbDriver(driver)) {
            security.known = false;
            return security;
        }
        const std::string version =
            ServerText(postgres ? "SELECT CASE WHEN ssl THEN version ELSE '' END FROM pg_stat_ssl WHERE pid = pg_backend_pid()"
                                : "SELECT VARIABLE_VALUE FROM information_schema.SESSION_STATUS "
                                  "WHERE VARIABLE_NAME = 'SSL_VERSION'");
        security.encrypted = !version.empty();
        if (!security.encrypted)
            return security;
        security.protocol = version;
        const ConnectionString settings(connectedString_);
        const TlsSettings tls = ReadTlsSettings(settings);
        if (postgres) {
            security.authorityVerified = tls.VerifiesAuthority();
            security.hostVerified = tls.mode == EncryptMode::VerifyFull;
        } else {
            // The MariaDB driver checks the chain whenever an authority is named.
            security.authorityVerified = !tls.caFile.empty();
            security.hostVerified = security.authorityVerified && tls.mode == EncryptMode::VerifyFull;
        }
        return security;
    }

private:
    // Rows received over all results of the running statement, told to its watch. A
    // driver may ignore SQLCancel between its fetch round trips: the fetch stops here.
    struct Arrivals {
        StatementWatch& watch;
        std::int64_t& rows;
        void Add(std::int64_t count)
        {
            watch.Received(rows += count);
            if (watch.StopRequested())
                throw ERecordSetError("Operation canceled");
        }
    };

    // For the length of one Execute: a thread that waits on the statement's watch and
    // stops the statement with SQLCancel on a time-out or a cancel. An interrupt that came
    // before the driver started the statement is lost: it is repeated a few times.
    class StatementCanceller {
    public:
        StatementCanceller(StatementWatch& watch, std::function<void()> cancel)
            : cancel_(std::move(cancel)), watch_(watch), thread_([this] { Watch(); })
        {
        }
        ~StatementCanceller()
        {
            done_.store(true, std::memory_order_release);
            watch_.Wake();
            thread_.join();
        }
        StatementCanceller(const StatementCanceller&) = delete;
        StatementCanceller& operator=(const StatementCanceller&) = delete;

    private:
        static constexpr std::chrono::milliseconds kRepeat{200};
        static constexpr int kRepeats = 5;

        void Watch()
        {
            int sent = 0;
            while (!done_.load(std::memory_order_acquire)) {
                const bool stopping = watch_.Stopping();
                watch_.Wait({}, stopping ? kRepeat : std::chrono::milliseconds(-1));
                if (done_.load(std::memory_order_acquire))
                    return;
                if (watch_.Stopping() && sent <= kRepeats) {
                    ++sent;
                    cancel_();
                }
            }
        }

        const std::function<void()> cancel_;  // stops the running statement, which outlives this object
        StatementWatch& watch_;       // its bounds
        std::atomic<bool> done_{false};  // Execute is returning: the thread ends
        std::thread thread_;          // last: starts once everything above exists
    };

    // The PostgreSQL server takes a cancel as a signal to the session's process: one that
    // arrives after its statement ended, while the session reads the next, stops that next
    // statement instead. After a statement that was sent a cancel, a statement of our own
    // takes whatever is still pending (its failure is the cancel, and expected).
    struct LateCancelAbsorber {
        explicit LateCancelAbsorber(OdbcProvider& owner) : provider(owner) {}
        ~LateCancelAbsorber()
        {
            if (cancelSent.load(std::memory_order_relaxed) && provider.absorbsLateCancels_ && provider.connected_)
                provider.AbsorbLateCancel();
        }
        LateCancelAbsorber(const LateCancelAbsorber&) = delete;
        LateCancelAbsorber& operator=(const LateCancelAbsorber&) = delete;

        OdbcProvider& provider;
        std::atomic<bool> cancelSent{false};
    };

    void AbsorbLateCancel() noexcept
    {
        try {
            OdbcHandle statement(SQL_HANDLE_STMT, connection_->Get());
            // The driver's own bound: nobody can cancel this one.
            SQLSetStmtAttrW(statement.Get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN{5}), 0);
            const SQLRETURN rc = ExecDirect(statement, "SELECT 1");
            if (SQL_SUCCEEDED(rc))
                SQLCloseCursor(statement.Get());
        } catch (...) {
        }
    }

    void Connect(const std::string& connectionString, ConnectAttempt& attempt)
    {
        ConnectOdbcWithin(connection_->Get(), connectionString, attempt);
        connected_ = true;
        connectedString_ = connectionString;
    }

    // Stops the running statement; called from the canceller's thread.
    void Cancel(const OdbcHandle& statement) const
    {
        if (killStatement_.empty()) {
            SQLCancel(statement.Get());
            return;
        }
        // A session of our own, bounded by the driver's login time-out like any connect.
        OdbcHandle environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
        SQLSetEnvAttr(environment.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        OdbcHandle session(SQL_HANDLE_DBC, environment.Get());
        try {
            ConnectAttempt attempt("", kCancelBound.count(), nullptr);
            ConnectOdbcWithin(session.Get(), connectedString_, attempt);
        } catch (const std::exception&) {
            return;  // the statement's own bound gives the session up
        }
        {
            OdbcHandle kill(SQL_HANDLE_STMT, session.Get());
            ExecDirect(kill, killStatement_);
        }
        SQLDisconnect(session.Get());
    }

    // The server's number for this session (MariaDB: CONNECTION_ID()).
    std::string SessionNumber(ConnectAttempt& attempt)
    {
        OdbcHandle statement(SQL_HANDLE_STMT, connection_->Get());
        // Within what is left of the connect's time-out: a server can stop answering here too.
        SQLSetStmtAttrW(statement.Get(), SQL_ATTR_QUERY_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(attempt.SecondsLeft())), 0);
        CheckOdbc(ExecDirect(statement, "SELECT CONNECTION_ID()"), statement, "SQLExecDirectW");
        CheckOdbc(SQLFetch(statement.Get()), statement, "SQLFetch");
        char value[32] = {};
        SQLLEN length = 0;
        CheckOdbc(SQLGetData(statement.Get(), 1, SQL_C_CHAR, value, sizeof value, &length), statement, "SQLGetData");
        const std::string number(value, length > 0 ? std::min<std::size_t>(static_cast<std::size_t>(length), sizeof value - 1) : 0);
        if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
            throw ERecordSetError("The server gave no session number");
        return number;
    }

    // The first value of a one-row statement, as text; empty when it gives none or fails
    // (within a short bound: a status line must not wait on a server that went away).
    std::string ServerText(const char* text)
    {
        OdbcHandle statement(SQL_HANDLE_STMT, connection_->Get());
        SQLSetStmtAttrW(statement.Get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(5)), 0);
        if (!SQL_SUCCEEDED(ExecDirect(statement, text)) || !SQL_SUCCEEDED(SQLFetch(statement.Get())))
            return {};
        char value[64] = {};
        SQLLEN length = 0;
        if (!SQL_SUCCEEDED(SQLGetData(statement.Get(), 1, SQL_C_CHAR, value, sizeof value, &length)) || length <= 0)
            return {};
        return std::string(value, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof value - 1));
    }

    // Whether the driver finds the session gone (the MariaDB driver asks the server).
    bool ConnectionDead() const
    {
        SQLUINTEGER dead = SQL_CD_FALSE;
        if (!SQL_SUCCEEDED(SQLGetConnectAttrW(connection_->Get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)))
            return false;
        return dead == SQL_CD_TRUE;
    }

    // The driver's file name (SQL_DRIVER_NAME); empty when it does not say.
    std::string DriverName() const
    {
        SQLWCHAR name[256] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetInfoW(connection_->Get(), SQL_DRIVER_NAME, name, sizeof name - sizeof(SQLWCHAR), &length)))
            return {};
        std::string text;
        AppendUtf8(reinterpret_cast<const std::uint16_t*>(name), Utf16Length(reinterpret_cast<const std::uint16_t*>(name), 255), text);
        return text;
    }

    // The text goes NUL-terminated (the connection refuses a NUL inside it): given the
    // length, the MariaDB driver reads past the text when it holds surrogate pairs.
    static SQLRETURN ExecDirect(const OdbcHandle& statement, const std::string& statementText)
    {
        QELVOR_ASSERT(statementText.find('\0') == std::string::npos);
        std::u16string wide = ToUtf16(statementText);
        return SQLExecDirectW(statement.Get(), reinterpret_cast<SQLWCHAR*>(wide.data()), SQL_NTS);
    }

    static void BindParameters(const OdbcHandle& statement, const std::vector<Parameter>& parameters,
                               std::vector<std::u16string>& texts, std::vector<SQLLEN>& lengths)
    {
        texts.reserve(parameters.size());  // bound pointers must stay valid
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            const Variant& value = parameters[i].value;
            texts.push_back(ToUtf16(value.ToString()));
            std::u16string& text = texts.back();
            lengths[i] = value.IsNull() ? SQL_NULL_DATA : static_cast<SQLLEN>(text.size() * sizeof(SQLWCHAR));
            CheckOdbc(SQLBindParameter(statement.Get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_WCHAR,
                                       SQL_WVARCHAR, text.empty() ? 1 : text.size(), 0, text.data(),
                                       static_cast<SQLLEN>(text.size() * sizeof(SQLWCHAR)), &lengths[i]),
                      statement, "SQLBindParameter");
        }
    }

    // The same as UTF-8 text, for drivers that take narrow text as UTF-8: the MariaDB
    // driver stores garbage after a UTF-16 parameter that holds surrogate pairs.
    static void BindNarrowParameters(const OdbcHandle& statement, const std::vector<Parameter>& parameters,
                                     std::vector<std::string>& texts, std::vector<SQLLEN>& lengths)
    {
        texts.reserve(parameters.size());  // bound pointers must stay valid
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            const Variant& value = parameters[i].value;
            texts.push_back(value.ToString());
            std::string& text = texts.back();
            lengths[i] = value.IsNull() ? SQL_NULL_DATA : static_cast<SQLLEN>(text.size());
            CheckOdbc(SQLBindParameter(statement.Get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_CHAR,
                                       SQL_VARCHAR, text.empty() ? 1 : text.size(), 0, text.data(),
                                       static_cast<SQLLEN>(text.size()), &lengths[i]),
                      statement, "SQLBindParameter");
        }
    }

    static SQLLEN NumericAttribute(const OdbcHandle& statement, SQLUSMALLINT column, SQLUSMALLINT field)
    {
        SQLLEN value = 0;
        if (!SQL_SUCCEEDED(SQLColAttributeW(statement.Get(), column, field, nullptr, 0, nullptr, &value)))
            return -1;
        return value;
    }

    // True when the column's own type is a boolean that the driver announces as text
    // (the PostgreSQL driver does so by default); it is then fetched as a bit.
    static bool IsBooleanSentAsText(const OdbcHandle& statement, SQLUSMALLINT index, SQLSMALLINT sqlType)
    {
        if (sqlType != SQL_CHAR && sqlType != SQL_VARCHAR && sqlType != SQL_WCHAR && sqlType != SQL_WVARCHAR)
            return false;
        SQLWCHAR typeName[64] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLColAttributeW(statement.Get(), index, SQL_DESC_TYPE_NAME, typeName, sizeof typeName, &length, nullptr)))
            return false;
        std::string name;
        AppendUtf8(reinterpret_cast<const std::uint16_t*>(typeName), Utf16Length(reinterpret_cast<const std::uint16_t*>(typeName), 63), name);
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name == "bool" || name == "boolean";
    }

    FieldInfo Describe(const OdbcHandle& statement, SQLUSMALLINT index, OdbcColumn& column) const
    {
        SQLWCHAR name[1024] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT sqlType = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
        CheckOdbc(SQLDescribeColW(statement.Get(), index, name, 1023, &nameLength, &sqlType, &column.size, &digits, &nullable),
                  statement, "SQLDescribeColW");
        if (IsBooleanSentAsText(statement, index, sqlType)) {
            sqlType = SQL_BIT;
            column.size = 1;
        }
        column.mapped = MapOdbcType(sqlType);
        if (narrowTextIsUtf8_ && column.mapped.storage == ColumnStorage::Text)
            column.mapped.cType = SQL_C_CHAR;
        FieldInfo field;
        // Read the name up to its terminator: nameLength is in the driver's units.
        AppendUtf8(reinterpret_cast<const std::uint16_t*>(name), Utf16Length(reinterpret_cast<const std::uint16_t*>(name), 1023), field.name);
        column.name = field.name;
        field.type = column.mapped.type;
        if (column.mapped.storage == ColumnStorage::Text || column.mapped.storage == ColumnStorage::Binary)
            field.definedSize = static_cast<std::int64_t>(column.size);
        if (column.mapped.storage == ColumnStorage::Decimal) {
            field.precision = static_cast<int>(column.size);
            field.numericScale = digits;
        } else if (column.mapped.storage != ColumnStorage::Text && column.mapped.storage != ColumnStorage::Binary) {
            field.precision = static_cast<int>(column.size);
        }
        if (nullable != SQL_NO_NULLS)
            field.attributes |= adFldIsNullable | adFldMayBeNull;
        if (column.mapped.isFixed)
            field.attributes |= adFldFixed;
        if (column.mapped.isLong)
            field.attributes |= adFldLong;
        const SQLLEN updatable = NumericAttribute(statement, index, SQL_DESC_UPDATABLE);
        if (updatable == SQL_ATTR_WRITE)
            field.attributes |= adFldUpdatable;
        else if (updatable != SQL_ATTR_READONLY)
            field.attributes |= adFldUnknownUpdatable;
        field.isAutoIncrement = NumericAttribute(statement, index, SQL_DESC_AUTO_UNIQUE_VALUE) == SQL_TRUE;
        return field;
    }

    std::unique_ptr<ResultTable> Fetch(const OdbcHandle& statement, SQLSMALLINT count, std::int64_t maxRecords,
                                       Arrivals arrivals)
    {
        std::vector<OdbcColumn> columns(static_cast<std::size_t>(count));
        std::vector<FieldInfo> fields;
        bool bindable = true;
        SQLLEN rowBytes = 0;
        for (SQLSMALLINT i = 0; i < count; ++i) {
            OdbcColumn& column = columns[static_cast<std::size_t>(i)];
            fields.push_back(Describe(statement, static_cast<SQLUSMALLINT>(i + 1), column));
            column.elementBytes = ElementBytes(column.mapped, column.size);
            if (column.mapped.isLong || column.elementBytes <= 0 || column.elementBytes > kMaxBoundBytes)
                bindable = false;
            rowBytes += column.elementBytes;
        }
        auto table = std::make_unique<ResultTable>(std::move(fields));
        std::vector<ColumnBuilder> builders;
        BlockPipeline pipeline;  // after the builders: stopped before they go
        for (SQLSMALLINT i = 0; i < count; ++i) {
            const OdbcColumn& column = columns[static_cast<std::size_t>(i)];
            const bool deriveSize = column.mapped.storage == ColumnStorage::Text && column.size == 0;
            builders.emplace_back(table->MutableColumn(i), table->MutableField(i), column.mapped.storage, deriveSize,
                                  &pipeline);
            if (column.mapped.storage == ColumnStorage::DateTime)
                ColumnBuilder::SetDateKind(table->MutableColumn(i), column.mapped.dateKind);
        }
        const std::int64_t rows = bindable ? FetchBlocks(statement, columns, builders, rowBytes, maxRecords, arrivals)
                                           : FetchRows(statement, columns, builders, maxRecords, arrivals);
        for (ColumnBuilder& builder : builders)
            builder.Finish();
        table->SetRowCount(rows);
        // No SQLCloseCursor here: it would discard the statement's further results.
        return table;
    }

    static std::int64_t FetchBlocks(const OdbcHandle& statement, std::vector<OdbcColumn>& columns,
                                    std::vector<ColumnBuilder>& builders, SQLLEN rowBytes, std::int64_t maxRecords,
                                    Arrivals arrivals)
    {
        const SQLULEN blockRows = std::max<SQLULEN>(1, std::min<SQLULEN>(kMaxBlockRows, static_cast<SQLULEN>(kBlockBytes / std::max<SQLLEN>(rowBytes, 1))));
        SQLULEN fetched = 0;
        CheckOdbc(SQLSetStmtAttrW(statement.Get(), SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0), statement, "SQLSetStmtAttrW");
        CheckOdbc(SQLSetStmtAttrW(statement.Get(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(blockRows), 0), statement, "SQLSetStmtAttrW");
        CheckOdbc(SQLSetStmtAttrW(statement.Get(), SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), statement, "SQLSetStmtAttrW");
        for (std::size_t i = 0; i < columns.size(); ++i) {
            OdbcColumn& column = columns[i];
            column.buffer.resize(static_cast<std::size_t>(column.elementBytes) * blockRows);
            column.indicators.resize(blockRows);
            CheckOdbc(SQLBindCol(statement.Get(), static_cast<SQLUSMALLINT>(i + 1), column.mapped.cType, column.buffer.data(),
                                 column.elementBytes, column.indicators.data()),
                      statement, "SQLBindCol");
        }
        std::string scratch;
        std::vector<unsigned char> cell;
        std::int64_t rows = 0;
        SQLRETURN rc;
        while ((maxRecords <= 0 || rows < maxRecords) && SQL_SUCCEEDED(rc = SQLFetch(statement.Get()))) {
            arrivals.Add(static_cast<std::int64_t>(fetched));
            for (SQLULEN row = 0; row < fetched && (maxRecords <= 0 || rows < maxRecords); ++row, ++rows) {
                for (std::size_t i = 0; i < columns.size(); ++i) {
                    const OdbcColumn& column = columns[i];
                    const SQLLEN length = column.indicators[row];
                    if (Truncated(column, length)) {
                        // The driver announced too small a size (a text column without a
                        // length, say): read this cell again, whole.
                        const SQLLEN whole = ReadCellAgain(statement, row, static_cast<SQLUSMALLINT>(i + 1), column, cell);
                        AppendCell(builders[i], column.mapped, cell.data(), whole, scratch);
                        continue;
                    }
                    AppendCell(builders[i], column.mapped, column.buffer.data() + row * static_cast<SQLULEN>(column.elementBytes), length, scratch);
                }
            }
        }
        if (maxRecords <= 0 || rows < maxRecords)
            if (rc != SQL_NO_DATA)
                CheckOdbc(rc, statement, "SQLFetch");
        SQLFreeStmt(statement.Get(), SQL_UNBIND);
        SQLSetStmtAttrW(statement.Get(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(1), 0);
        SQLSetStmtAttrW(statement.Get(), SQL_ATTR_ROWS_FETCHED_PTR, nullptr, 0);
        return rows;
    }

    // Positions the block cursor on `row` of the current block and reads the cell with
    // SQLGetData; a driver that cannot do this fails with a clear message.
    static SQLLEN ReadCellAgain(const OdbcHandle& statement, SQLULEN row, SQLUSMALLINT index, const OdbcColumn& column,
                                std::vector<unsigned char>& data)
    {
        if (!SQL_SUCCEEDED(SQLSetPos(statement.Get(), static_cast<SQLSETPOSIROW>(row + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE)))
            throw ERecordSetError("The value of column \"" + column.name
                                  + "\" is longer than the size the driver reported for it, and the driver cannot read it again: "
                                  + OdbcDiagnostics(statement.Type(), statement.Get()));
        return GetCell(statement, index, column, data);
    }

    // Reads one cell with SQLGetData, in pieces for long values, into data.
    static SQLLEN GetCell(const OdbcHandle& statement, SQLUSMALLINT index, const OdbcColumn& column,
                          std::vector<unsigned char>& data)
    {
        const SQLLEN fixed = ElementBytes(column.mapped, 0);
        const bool piecewise = column.mapped.cType == SQL_C_WCHAR || column.mapped.cType == SQL_C_CHAR
                            || column.mapped.cType == SQL_C_BINARY;
        const SQLLEN terminator = column.mapped.cType == SQL_C_WCHAR ? 2 : column.mapped.cType == SQL_C_CHAR ? 1 : 0;
        data.resize(piecewise ? 4096 : static_cast<std::size_t>(fixed));
        std::size_t used = 0;
        for (;;) {
            SQLLEN length = 0;
            const SQLRETURN rc = SQLGetData(statement.Get(), index, column.mapped.cType, data.data() + used,
                                            static_cast<SQLLEN>(data.size() - used), &length);
            if (rc == SQL_NO_DATA)
                return static_cast<SQLLEN>(used);
            CheckOdbc(rc, statement, "SQLGetData");
            if (length == SQL_NULL_DATA)
                return SQL_NULL_DATA;
            const SQLLEN room = static_cast<SQLLEN>(data.size() - used) - terminator;
            if (!piecewise || rc == SQL_SUCCESS || (length != SQL_NO_TOTAL && length <= room))
                return static_cast<SQLLEN>(used) + (piecewise ? length : fixed);
            used += static_cast<std::size_t>(room);
            data.resize(data.size() * 2);
        }
    }

    static std::int64_t FetchRows(const OdbcHandle& statement, std::vector<OdbcColumn>& columns,
                                  std::vector<ColumnBuilder>& builders, std::int64_t maxRecords, Arrivals arrivals)
    {
        std::vector<unsigned char> data;
        std::string scratch;
        std::int64_t rows = 0;
        SQLRETURN rc = SQL_SUCCESS;
        while ((maxRecords <= 0 || rows < maxRecords) && SQL_SUCCEEDED(rc = SQLFetch(statement.Get()))) {
            for (std::size_t i = 0; i < columns.size(); ++i) {
                const SQLLEN length = GetCell(statement, static_cast<SQLUSMALLINT>(i + 1), columns[i], data);
                AppendCell(builders[i], columns[i].mapped, data.data(), length, scratch);
            }
            ++rows;
            arrivals.Add(1);
        }
        if ((maxRecords <= 0 || rows < maxRecords) && rc != SQL_NO_DATA)
            CheckOdbc(rc, statement, "SQLFetch");
        return rows;
    }

    OdbcHandle environment_;
    std::unique_ptr<OdbcHandle> connection_;
    bool connected_ = false;
    bool narrowTextIsUtf8_ = false;
    std::string connectedString_;  // what the session was opened with, for a cancel's session
    std::string killStatement_;    // the MariaDB driver's cancel: KILL QUERY this session; else empty
    bool absorbsLateCancels_ = false;  // the PostgreSQL driver: see LateCancelAbsorber
};

}  // namespace

std::unique_ptr<Provider> OpenOdbcProvider(const std::string& connectionString, ConnectAttempt& attempt)
{
    const std::string withKeywords = WithDriverTlsKeywords(connectionString);
    try {
        return std::make_unique<OdbcProvider>(withKeywords, attempt);
    } catch (const ERecordSetError& failure) {
        attempt.ThrowIfOver();
        const std::string text = failure.what();
        TlsFailure kind = ClassifyTlsFailure(text);
        // The PostgreSQL driver passes on libpq's words, which do not say what failed.
        if (kind == TlsFailure::None && text.find("certificate verify failed") != std::string::npos
            && NamesPostgresDriver(connectionString))
            kind = DiagnosePostgresVerification(ConnectionString(connectionString), attempt);
        // A MariaDB server that wants TLS says only "access denied" to a session in clear: the
        // same log-in over TLS, which sends nothing once connected, tells.
        if (kind == TlsFailure::None && text.find("28000") != std::string::npos && NamesMariaDbDriver(connectionString)
            && !ReadTlsSettings(ConnectionString(connectionString)).Demands()) {
            try {
                OdbcProvider trial(withKeywords + ";FORCETLS=1", attempt);
                kind = TlsFailure::EncryptionRequired;
            } catch (const ERecordSetError&) {
            }
        }
        if (kind == TlsFailure::None)
            throw;
        throw ERecordSetError(TlsFailureText(kind, text));
    }
}

}  // namespace qelvor::recordset
