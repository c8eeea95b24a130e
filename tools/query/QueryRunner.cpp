#include "tools/query/QueryRunner.h"

#include <chrono>
#include <cstdio>

#include "data/QueryComposition.h"
#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/DataLink.h"
#include "data/DataSource.h"

namespace qelvor::query {

namespace {

constexpr int kWindowRecords = 100;
// Output is handed on in pieces of about this size: holding a million records' text until
// the end would double the tool's peak memory.
constexpr std::size_t kOutputChunk = 1 << 16;

// A consumer that only asks for a window of records.
class WindowLink : public TDataLink {
public:
    explicit WindowLink(TDataSource& source)
    {
        SetBufferCount(kWindowRecords);
        SetDataSource(&source);
    }
};

double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void AppendLine(std::string& out, const TDataSet& dataSet, bool header)
{
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        if (i > 0)
            out += '\t';
        const TField* field = dataSet.Fields(i);
        out += EscapeValue(header ? field->FieldName() : field->DisplayText());
    }
    out += '\n';
}

}  // namespace

std::string EscapeValue(const std::string& value)
{
    std::string escaped;
    escaped.reserve(value.size());
    for (const char c : value) {
        switch (c) {
        case '\t': escaped += "\\t"; break;
        case '\n': escaped += "\\n"; break;
        case '\r': escaped += "\\r"; break;
        case '\\': escaped += "\\\\"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

bool RunQuery(const QueryOptions& options, std::ostream& out, std::ostream& timingOut)
{
    TADOConnection connection("Connection");
    connection.SetConnectionString(options.connect);
    TADODataSet dataSet("QELV_Set");
    TDataSource source("DataSource");
    source.SetDataSet(&dataSet);
    WindowLink link(source);

    dataSet.SetConnection(&connection);
    // As the search button does: backslashes doubled where the server reads them as escapes.
    const LiteralBackslash backslash =
        connection.BackslashEscapesInLiterals() ? LiteralBackslash::Escape : LiteralBackslash::Plain;
    dataSet.SetCommandText(ComposeAnswerSheetStatement(options.start, options.end, backslash));
    auto started = std::chrono::steady_clock::now();
    dataSet.Open();
    if (options.timing)
        timingOut << "open: " << MillisecondsSince(started) << " ms (" << dataSet.RecordCount() << " records)\n";
    if (options.hasSort) {
        started = std::chrono::steady_clock::now();
        dataSet.SetSort(options.sort);
        if (options.timing)
            timingOut << "sort: " << MillisecondsSince(started) << " ms\n";
    }

    std::string chunk;
    AppendLine(chunk, dataSet, true);
    for (dataSet.First(); !dataSet.Eof() && out; dataSet.Next()) {
        AppendLine(chunk, dataSet, false);
        if (chunk.size() >= kOutputChunk) {
            out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            chunk.clear();
        }
    }
    out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace qelvor::query
