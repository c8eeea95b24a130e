#include "tools/query/QueryRunner.h"

#include <chrono>
#include <cstdio>

#include "data/QueryComposition.h"
#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/DataLink.h"
#include "data/DataSource.h"
#include "data/Field.h"
#include "data/recordset/SortText.h"
#include "runtime/Exceptions.h"

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

// A key whose last word is no direction reads as a field name with a blank in it
// ("姓名 SIDEWAYS"); when the words before it name a field, the direction is what is wrong.
void CheckSortDirections(const std::string& sortText, const TDataSet& dataSet)
{
    for (const recordset::SortKeyText& key : recordset::ParseSortText(sortText)) {
        if (dataSet.FindField(key.name) != nullptr)
            continue;
        const std::size_t blank = key.name.find_last_of(" \t\r\n");
        if (blank == std::string::npos)
            continue;
        const std::size_t nameEnd = key.name.find_last_not_of(" \t\r\n", blank);
        if (nameEnd != std::string::npos && dataSet.FindField(key.name.substr(0, nameEnd + 1)) != nullptr)
            throw ERecordSetError("Invalid sort order \"" + sortText + "\": \"" + key.name.substr(blank + 1)
                                  + "\" is not ASC or DESC");
    }
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
    // The numbers as the search button reads its edits.
    dataSet.SetCommandText(ComposeAnswerSheetStatement(NormalizeTicketText(options.start),
                                                       NormalizeTicketText(options.end), backslash));
    auto started = std::chrono::steady_clock::now();
    dataSet.Open();
    if (options.timing)
        timingOut << "open: " << MillisecondsSince(started) << " ms (" << dataSet.RecordCount() << " records)\n";
    if (options.hasSort) {
        started = std::chrono::steady_clock::now();
        CheckSortDirections(options.sort, dataSet);
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
