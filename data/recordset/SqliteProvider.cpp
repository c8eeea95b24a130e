// SqliteProvider: the embedded engine behind "Provider=SQLite;Data Source=FILE".
//
// Each statement of the text is prepared and stepped to its end; rows go straight from
// SQLite's buffers into the column arenas (no per-cell string objects). Field types
// come from the declared column types (SqliteTypes.h) or, for expressions, from the
// values. The statement runs on the calling thread, which keeps its bounds too: SQLite's
// progress handler asks the statement's watch every few thousand steps and ends the
// statement on a time-out or a cancel, and a wait for another connection's lock is our
// own busy handler, which sleeps on the watch (a cancel wakes it) until it says stop.
//
// A file replaced under the session. SQLite keeps the pages it read in its cache and,
// at each read, keeps them when bytes 24..39 of the file's header (change counter, page
// count, free list) equal its copy of them. That copy is taken only when page 1 is read
// from the file: while the file is empty (truncated, about to be copied back) page 1
// reads as zeros that are not taken from the file, so the copy stays the old file's. Once
// the same database is copied back, its header equals that stale copy and the cached
// zero page 1 (an empty schema: "no such table") is kept for good. A file renamed over
// the path, or deleted, is never seen at all: the session reads the file it opened. So
// the provider asks SQLite whether the path still names the file it opened, and notes
// whether the file holds a whole database (its header and every page the header counts)
// after each statement: when that changed since, the next statement runs on a new
// session. Another writer changes neither, so it costs no reopen (and no TEMP table).
#include <sqlite3.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <unistd.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/recordset/ColumnBuilder.h"
#include "data/recordset/ConnectionString.h"
#include "data/recordset/DateText.h"
#include "data/recordset/Provider.h"
#include "data/recordset/ResultBatch.h"
#include "data/recordset/SqliteTypes.h"
#include "data/recordset/StatementWatch.h"
#include "runtime/Assert.h"
#include "runtime/Exceptions.h"
#include "runtime/ScopeGuard.h"

namespace qelvor::recordset {

namespace {


struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

std::string_view TextOf(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return {text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, column))};
}

std::string_view BlobOf(sqlite3_stmt* statement, int column)
{
    const auto* blob = static_cast<const char*>(sqlite3_column_blob(statement, column));
    return {blob ? blob : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, column))};
}

// A float's fixed-point text to 15 significant digits, the precision SQLite itself shows
// it with. The declared scale is not enforced by SQLite: digits beyond it are kept, so
// that neither the shown value nor the order differs from what the database holds.
std::string FixedText(double value, int scale)
{
    QELVOR_ASSERT(std::isfinite(value));
    char scientific[32];
    std::snprintf(scientific, sizeof scientific, "%.14e", value);  // "-d.dddddddddddddde+XX"
    const char* at = scientific;
    const bool negative = *at == '-';
    if (negative)
        ++at;
    std::string digits;
    for (; *at != 'e'; ++at)
        if (*at != '.')
            digits += *at;
    const int pointAfter = std::atoi(at + 1) + 1;  // digits before the decimal point
    std::string whole;
    std::string fraction;
    if (pointAfter <= 0) {
        whole = "0";
        fraction = std::string(static_cast<std::size_t>(-pointAfter), '0') + digits;
    } else if (pointAfter >= static_cast<int>(digits.size())) {
        whole = digits + std::string(static_cast<std::size_t>(pointAfter) - digits.size(), '0');
    } else {
        whole = digits.substr(0, static_cast<std::size_t>(pointAfter));
        fraction = digits.substr(static_cast<std::size_t>(pointAfter));
    }
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (static_cast<int>(fraction.size()) < scale)
        fraction.append(static_cast<std::size_t>(scale) - fraction.size(), '0');
    const bool zero = whole.find_first_not_of('0') == std::string::npos && fraction.find_first_not_of('0') == std::string::npos;
    std::string text = (negative && !zero ? "-" : "") + whole;
    return fraction.empty() ? text : text + "." + fraction;
}

// An exact numeric's canonical text with the column's scale ("12" -> "12.00").
std::string DecimalText(sqlite3_stmt* statement, int column, int valueType, int scale)
{
    if (valueType != SQLITE_INTEGER)
        return FixedText(sqlite3_column_double(statement, column), scale);
    std::string result = std::to_string(sqlite3_column_int64(statement, column));
    if (scale > 0)
        result.append(1, '.').append(static_cast<std::size_t>(scale), '0');
    return result;
}

// One result column while its rows are fetched.
struct FetchColumn {
    ColumnBuilder builder;
    int scale = 0;
};

void DetermineFromValue(ColumnBuilder& builder, int valueType)
{
    switch (valueType) {
    case SQLITE_INTEGER: builder.Determine(ColumnStorage::Integer, adInteger); break;
    case SQLITE_FLOAT: builder.Determine(ColumnStorage::Real, adDouble); break;
    case SQLITE_BLOB: builder.Determine(ColumnStorage::Binary, adLongVarBinary); break;
    default: builder.Determine(ColumnStorage::Text, adVarWChar); break;
    }
}

// Appends the cell in the column's storage, widening the column when the value's
// storage class does not fit it (dynamic typing lets any value into any column).
void AppendCell(sqlite3_stmt* statement, int index, FetchColumn& column)
{
    ColumnBuilder& builder = column.builder;
    if (builder.Storage() == ColumnStorage::Text && builder.Determined()) {
        // Every value converts to text, so the storage class need not be asked for:
        // only null has no text.
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
        if (text)
            builder.AppendBytes({text, static_cast<std::size_t>(sqlite3_column_bytes(statement, index))});
        else
            builder.AppendNull();
        return;
    }
    const int valueType = sqlite3_column_type(statement, index);
    if (valueType == SQLITE_NULL) {
        builder.AppendNull();
        return;
    }
    if (!builder.Determined())
        DetermineFromValue(builder, valueType);
    const bool numeric = valueType == SQLITE_INTEGER || valueType == SQLITE_FLOAT;
    switch (builder.Storage()) {
    case ColumnStorage::Text: builder.AppendBytes(TextOf(statement, index)); return;
    case ColumnStorage::Binary: builder.AppendBytes(BlobOf(statement, index)); return;
    case ColumnStorage::Integer:
        if (valueType == SQLITE_INTEGER) {
            builder.AppendInteger(sqlite3_column_int64(statement, index));
            return;
        }
        if (valueType == SQLITE_FLOAT) {
            builder.WidenToReal();
            builder.AppendReal(sqlite3_column_double(statement, index));
            return;
        }
        break;
    case ColumnStorage::Boolean:
        if (valueType == SQLITE_INTEGER) {
            builder.AppendInteger(sqlite3_column_int64(statement, index) != 0);
            return;
        }
        break;
    case ColumnStorage::Real:
        if (numeric) {
            builder.AppendReal(sqlite3_column_double(statement, index));
            return;
        }
        break;
    case ColumnStorage::Decimal:
        // Infinity has no decimal text: the column becomes text, as SQLite shows it.
        if (valueType == SQLITE_INTEGER || (valueType == SQLITE_FLOAT && std::isfinite(sqlite3_column_double(statement, index)))) {
            builder.AppendBytes(DecimalText(statement, index, valueType, column.scale));
            return;
        }
        break;
    case ColumnStorage::DateTime:
        if (valueType == SQLITE_TEXT) {
            if (const auto days = ParseDateTimeText(TextOf(statement, index))) {
                builder.AppendReal(*days);
                return;
            }
        }
        break;
    }
    builder.WidenToText();
    builder.AppendBytes(TextOf(statement, index));
}

// Whether this process may write the file and create files beside it (a journal, the
// shared memory of a WAL database). A plain path only; a URI says how to open itself, and
// an in-memory database is always the session's own.
bool WritableWithItsFolder(const std::string& path)
{
    if (path.rfind("file:", 0) == 0 || path == ":memory:")
        return true;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return access(path.c_str(), W_OK) == 0 && access(folder.c_str(), W_OK) == 0;
}

// The URI that reads path as it stands: no lock, no shared memory, nothing written.
std::string ImmutableUri(const std::string& path)
{
    std::string uri = "file:";
    for (const char c : path) {
        if (c == '%' || c == '?' || c == '#') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += escaped;
        } else {
            uri += c;
        }
    }
    return uri + "?immutable=1";
}

class SqliteProvider final : public Provider {
public:
    explicit SqliteProvider(const std::string& path)
    {
        // A browse writes nothing: a file that cannot be written, or whose folder cannot,
        // is opened read-only, and said so nowhere unless that fails too.
        const bool readOnly = !WritableWithItsFolder(path);
        Open(path, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
        if (readOnly && !ReadsSchema()) {
            // A WAL database needs a shared-memory file beside it even to be read: in a
            // folder that cannot be written it is read as it stands.
            sqlite3_close_v2(db_);
            db_ = nullptr;
            Open(ImmutableUri(path), SQLITE_OPEN_READONLY);
        }
        // SQLite reads the file only at the first statement: a file that is no database
        // would open "successfully" and fail every search. Its schema is read now.
        if (!ReadsSchema()) {
            const std::string message = sqlite3_errmsg(db_);
            sqlite3_close_v2(db_);
            db_ = nullptr;
            throw ERecordSetError("Cannot open the database \"" + path + "\": " + message);
        }
        const char* file = sqlite3_db_filename(db_, "main");
        onDisk_ = file != nullptr && *file != '\0';  // not an in-memory database
        wholeDatabase_ = HoldsWholeDatabase();
    }

    ~SqliteProvider() override { sqlite3_close_v2(db_); }

    bool Replaced() override
    {
        if (!onDisk_)
            return false;
        int moved = 0;
        if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved != 0)
            return true;
        return HoldsWholeDatabase() != wholeDatabase_;
    }

    std::unique_ptr<ResultBatch> Execute(const std::string& statementText, const std::vector<Parameter>& parameters,
                                         std::int64_t maxRecords, StatementWatch& watch) override
    {
        watch_ = &watch;
        const ScopeExit forget([this] {
            watch_ = nullptr;
            // What the statement leaves (a first table in an empty file, say) is no replacement.
            wholeDatabase_ = onDisk_ && HoldsWholeDatabase();
        });
        receivedRows_ = 0;

        // SQLite reads a text only up to a NUL: past one nothing would be consumed and the
        // loop below would never end. The connection refuses such text before it gets here.
        QELVOR_ASSERT(statementText.find('\0') == std::string::npos);
        auto batch = std::make_unique<ResultBatch>();
        const char* tail = statementText.c_str();
        const char* const end = tail + statementText.size();
        std::size_t nextParameter = 0;
        while (tail < end) {
            sqlite3_stmt* raw = nullptr;
            const char* next = nullptr;
            if (sqlite3_prepare_v2(db_, tail, static_cast<int>(end - tail), &raw, &next) != SQLITE_OK)
                Fail();
            StatementPtr statement(raw);
            tail = next;
            if (!statement)
                continue;  // blanks or a comment after the last statement
            Bind(statement.get(), parameters, nextParameter);
            if (sqlite3_column_count(statement.get()) == 0) {
                StepToEnd(statement.get());
                batch->Add(nullptr);
            } else {
                batch->Add(Fetch(statement.get(), maxRecords));
            }
            watch.ReceivedSomething();
        }
        return batch;
    }

private:
    void Open(const std::string& name, int mode)
    {
        const int opened = sqlite3_open_v2(name.c_str(), &db_, mode | SQLITE_OPEN_URI, nullptr);
        if (opened != SQLITE_OK) {
            const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(opened);
            sqlite3_close_v2(db_);
            db_ = nullptr;
            throw ERecordSetError("Cannot open the database \"" + name + "\": " + message);
        }
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_handler(db_, &SqliteProvider::RetryWhileBusy, this);
        sqlite3_progress_handler(db_, kStepsBetweenLooks, &SqliteProvider::StopWhenAsked, this);
    }

    // Whether the session reads the schema (a locked database is still a database: busy
    // is no failure here).
    bool ReadsSchema()
    {
        const int read = sqlite3_exec(db_, "SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, nullptr);
        return read == SQLITE_OK || (read & 0xff) == SQLITE_BUSY || (read & 0xff) == SQLITE_LOCKED;
    }

    // Virtual-machine steps between two looks at the watch: a look reads the clock, which
    // costs about as much as a few hundred steps.
    static constexpr int kStepsBetweenLooks = 4000;

    // Another connection holds a lock: wait and try again until the watch says stop.
    static int RetryWhileBusy(void* context, int)
    {
        auto* self = static_cast<SqliteProvider*>(context);
        if (self->watch_ == nullptr || self->watch_->Stopping())
            return 0;
        self->watch_->NoteWaitingForLock();
        self->watch_->Wait({}, std::chrono::milliseconds(5));
        return 1;
    }

    // Non-zero ends the running statement with SQLITE_INTERRUPT.
    static int StopWhenAsked(void* context)
    {
        auto* self = static_cast<SqliteProvider*>(context);
        return self->watch_ != nullptr && self->watch_->Stopping() ? 1 : 0;
    }

    [[noreturn]] void Fail() const { throw ERecordSetError(sqlite3_errmsg(db_)); }

    // Whether the open file holds a database header and every page it counts. Read
    // through SQLite's own handle: closing a descriptor of our own on the file would
    // drop the locks every connection of this process holds on it.
    bool HoldsWholeDatabase() const
    {
        sqlite3_file* file = nullptr;
        if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || file == nullptr
            || file->pMethods == nullptr)
            return false;
        constexpr int kHeaderBytes = 100;
        sqlite3_int64 size = 0;
        unsigned char header[kHeaderBytes];
        if (file->pMethods->xFileSize(file, &size) != SQLITE_OK || size < kHeaderBytes
            || file->pMethods->xRead(file, header, kHeaderBytes, 0) != SQLITE_OK
            || std::memcmp(header, "SQLite format 3", 16) != 0)
            return false;
        const auto number = [&header](int at, int bytes) {
            std::uint32_t value = 0;
            for (int i = 0; i < bytes; ++i)
                value = value << 8 | header[at + i];
            return value;
        };
        const std::uint32_t pageSize = number(16, 2) == 1 ? 65536 : number(16, 2);
        // The page count holds only when written with the change counter it goes with.
        if (number(92, 4) != number(24, 4))
            return true;
        return size >= static_cast<sqlite3_int64>(pageSize) * number(28, 4);
    }

    void Bind(sqlite3_stmt* statement, const std::vector<Parameter>& parameters, std::size_t& next) const
    {
        const int count = sqlite3_bind_parameter_count(statement);
        for (int index = 1; index <= count; ++index, ++next) {
            if (next >= parameters.size())
                throw ERecordSetError("No value given for one or more required parameters.");
            const Variant& value = parameters[next].value;
            int bound = SQLITE_OK;
            if (value.IsNull())
                bound = sqlite3_bind_null(statement, index);
            else if (value.Holds<bool>())
                bound = sqlite3_bind_int(statement, index, value.Get<bool>() ? 1 : 0);
            else if (value.Holds<std::int64_t>())
                bound = sqlite3_bind_int64(statement, index, value.Get<std::int64_t>());
            else if (value.Holds<double>())
                bound = sqlite3_bind_double(statement, index, value.Get<double>());
            else if (value.Holds<qelvor::Bytes>())
                bound = sqlite3_bind_blob64(statement, index, value.Get<qelvor::Bytes>().data(),
                                            value.Get<qelvor::Bytes>().size(), SQLITE_TRANSIENT);
            else {
                const std::string text = value.ToString();
                bound = sqlite3_bind_text64(statement, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
            }
            if (bound != SQLITE_OK)
                Fail();
        }
    }

    void StepToEnd(sqlite3_stmt* statement) const
    {
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE)
            Fail();
    }

    // Field description of result column `index` from the declared type and, when the
    // column comes straight from a table, the table's column metadata.
    FieldInfo Describe(sqlite3_stmt* statement, int index, const std::optional<DeclaredType>& declared) const
    {
        FieldInfo field;
        const char* name = sqlite3_column_name(statement, index);
        field.name = name ? name : "";
        if (declared) {
            field.type = declared->type;
            field.definedSize = declared->size;
            field.precision = declared->precision;
            field.numericScale = declared->scale;
            if (declared->storage != ColumnStorage::Text && declared->storage != ColumnStorage::Binary)
                field.attributes |= adFldFixed;
        }
        field.attributes |= adFldIsNullable | adFldMayBeNull;
        const char* table = sqlite3_column_table_name(statement, index);
        const char* origin = sqlite3_column_origin_name(statement, index);
        if (table && origin) {
            int notNull = 0;
            int primaryKey = 0;
            int autoIncrement = 0;
            if (sqlite3_table_column_metadata(db_, sqlite3_column_database_name(statement, index), table, origin,
                                              nullptr, nullptr, &notNull, &primaryKey, &autoIncrement) == SQLITE_OK) {
                field.attributes |= adFldUpdatable;
                if (notNull)
                    field.attributes &= ~static_cast<std::uint32_t>(adFldIsNullable | adFldMayBeNull);
                field.isAutoIncrement = autoIncrement != 0;
            }
        }
        return field;
    }

    std::unique_ptr<ResultTable> Fetch(sqlite3_stmt* statement, std::int64_t maxRecords)
    {
        const int count = sqlite3_column_count(statement);
        std::vector<std::optional<DeclaredType>> declared;
        std::vector<FieldInfo> fields;
        for (int i = 0; i < count; ++i) {
            declared.push_back(MapDeclaredType(sqlite3_column_decltype(statement, i)));
            fields.push_back(Describe(statement, i, declared.back()));
        }
        auto table = std::make_unique<ResultTable>(std::move(fields));
        std::vector<FetchColumn> columns;
        BlockPipeline pipeline;  // after the columns: stopped before they go
        columns.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            ResultColumn& column = table->MutableColumn(i);
            FieldInfo& field = table->MutableField(i);
            if (declared[i]) {
                columns.push_back({ColumnBuilder(column, field, declared[i]->storage, declared[i]->size == 0, &pipeline),
                                   declared[i]->scale});
                if (declared[i]->storage == ColumnStorage::DateTime)
                    ColumnBuilder::SetDateKind(column, declared[i]->dateKind);
            } else {
                columns.push_back({ColumnBuilder::Undetermined(column, field, &pipeline), 0});
            }
        }

        std::int64_t rows = 0;
        int rc = SQLITE_ROW;
        while ((maxRecords <= 0 || rows < maxRecords) && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
            for (int i = 0; i < count; ++i)
                AppendCell(statement, i, columns[static_cast<std::size_t>(i)]);
            ++rows;
            watch_->Received(++receivedRows_);
        }
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            Fail();
        for (FetchColumn& column : columns)
            column.builder.Finish();
        table->SetRowCount(rows);
        return table;
    }

    sqlite3* db_ = nullptr;
    bool onDisk_ = false;              // a file, which can be replaced under the session
    bool wholeDatabase_ = false;       // HoldsWholeDatabase() after the last statement
    StatementWatch* watch_ = nullptr;  // the running statement's, during Execute only
    std::int64_t receivedRows_ = 0;    // rows of every result of the running statement
};

}  // namespace

std::unique_ptr<Provider> OpenSqliteProvider(const ConnectionString& settings)
{
    const auto path = settings.Find("Data Source");
    if (!path || path->empty())
        throw ERecordSetError("The connection string names no Data Source");
    return std::make_unique<SqliteProvider>(*path);
}

}  // namespace qelvor::recordset
