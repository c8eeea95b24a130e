// Walking a result through the record window compared with walking the record set
// directly: prints each time and their ratio, so that the window's overhead (slot
// rotation, per-fetch value cache, field texts) stays visible as the code changes.
//   qelvor-dataset-bench [--rows N]   (default 200000 sample answer sheets)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "bench/common/CommandLine.h"
#include "data/QueryComposition.h"
#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/DataLink.h"
#include "data/DataSource.h"
#include "data/recordset/RecordSet.h"
#include "sampledata/SampleDatabase.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class WindowLink : public qelvor::TDataLink {
public:
    explicit WindowLink(int records) { SetBufferCount(records); }
};

int Run(long rows);

}  // namespace

int main(int argc, char** argv)
{
    std::int64_t rows = 200000;
    qelvor::bench::CommandLine commandLine("qelvor-dataset-bench",
                                           "Walks generated answer sheets through the record window and the record "
                                           "set; prints the ratio.");
    commandLine.AddCount("--rows", &rows, "answer sheets to generate (default 200000)");
    if (const int status = commandLine.Parse(argc, argv); status >= 0)
        return status;
    return qelvor::bench::RunReportingFailures("qelvor-dataset-bench", [&] { return Run(static_cast<long>(rows)); });
}

namespace {

int Run(long rows)
{
    const std::string path = "/tmp/qelvor-dataset-bench-" + std::to_string(getpid()) + ".db";
    qelvor::CreateSampleDatabase(path, rows, 7);

    qelvor::TADOConnection connection("Connection");
    connection.SetConnectionString("Provider=SQLite;Data Source=" + path);
    qelvor::TADODataSet dataSet("QELV_Set");
    qelvor::TDataSource source("DataSource1");
    source.SetDataSet(&dataSet);
    WindowLink link(40);
    link.SetDataSource(&source);
    dataSet.SetConnection(&connection);
    dataSet.SetCommandText(qelvor::ComposeAnswerSheetStatement("", ""));
    dataSet.Open();

    // The record set alone: every cell's value as text.
    qelvor::recordset::RecordSet& recordSet = *dataSet.Recordset();
    std::size_t bytes = 0;
    auto start = Clock::now();
    for (recordSet.MoveFirst(); !recordSet.IsEOF(); recordSet.MoveNext()) {
        for (int i = 0; i < recordSet.FieldCount(); ++i)
            bytes += recordSet.Value(i).ToString().size();
    }
    const double direct = Seconds(start);

    // The same walk through the window and the fields' display texts.
    std::size_t windowBytes = 0;
    start = Clock::now();
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        for (int i = 0; i < dataSet.FieldCount(); ++i)
            windowBytes += dataSet.Fields(i)->DisplayText().size();
    }
    const double windowed = Seconds(start);

    // Moves inside a loaded window must not touch the record set.
    dataSet.First();
    start = Clock::now();
    const int moves = 1000000;
    for (int i = 0; i < moves; ++i)
        dataSet.MoveBy(i % 2 == 0 ? 20 : -20);
    const double inWindow = Seconds(start);

    std::printf("rows %ld, %zu text bytes (window walk read %zu)\n", rows, bytes, windowBytes);
    std::printf("record set walk  %8.3f s\n", direct);
    std::printf("window walk      %8.3f s   ratio window/record set %.2f\n", windowed, windowed / direct);
    std::printf("moves in window  %8.1f ns per move\n", inWindow / moves * 1e9);
    std::remove(path.c_str());
    return bytes == windowBytes ? 0 : 1;
}

}  // namespace
