// qelvor-mariadb-open-bench [--rows N] [--db FILE] [--rounds R]
//
// The browse window's all-rows statement over a million answer sheets on a throwaway
// MariaDB server (tests/support/mariadb.sh), opened through the native provider
// (Provider=MariaDB). Prints, from one run:
//  (a) the dataset's open vs the mariadb client's own run of the same statement
//      (--quick --batch, output to /dev/null; its time includes its start and connect);
//  (b) the peak resident memory of a process that opens the dataset from the server vs
//      the same open from the SQLite file.
// The server is filled with the same generated rows as the SQLite file (same count and
// seed). Every open runs in a fresh process (this program with --open), so its peak is its
// own; rounds are interleaved and the best of each is kept: the machine is shared.
// Exits non-zero when a target is missed.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "bench/common/CommandLine.h"
#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/DataLink.h"
#include "data/DataSource.h"
#include "data/QueryComposition.h"
#include "data/recordset/Connection.h"
#include "data/recordset/ConnectionString.h"
#include "data/recordset/RecordSet.h"
#include "data/recordset/ResultBatch.h"
#include "sampledata/SampleDatabase.h"

namespace {

using qelvor::bench::ChildResult;

constexpr double kOpenTarget = 1.15;
constexpr double kMemoryTarget = 1.15;
constexpr std::uint64_t kSeed = 1;  // the seed the benchmarks' SQLite files are made with

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// One way of opening, with the best figures of the rounds.
struct Way {
    std::string label;
    std::string connectionString;
    double seconds = 1e30;
    double peakMiB = 1e30;
    long records = 0;
};

void Measure(Way& way)
{
    const ChildResult run = qelvor::bench::RunChild({"/proc/self/exe", "--open", way.connectionString});
    double seconds = 0;
    long records = 0;
    if (run.exitCode != 0 || std::sscanf(run.output.c_str(), "%lf %*s %ld", &seconds, &records) != 2)
        throw std::runtime_error("the open through \"" + way.label + "\" failed");
    way.seconds = std::min(way.seconds, seconds);
    way.peakMiB = std::min(way.peakMiB, run.peakMiB);
    way.records = records;
}

// A MariaDB server for this run, stopped (and its folder removed) at the end.
class ThrowawayMariadb {
public:
    ThrowawayMariadb()
    {
        char folder[] = "/tmp/qelvor-bench-mariadb.XXXXXX";
        if (!mkdtemp(folder))
            throw std::runtime_error("mkdtemp failed");
        folder_ = folder;
        odbc_ = qelvor::bench::ShellOutput(ShellQuote(QELVOR_MARIADB_SCRIPT) + " start " + ShellQuote(folder_));
        while (!odbc_.empty() && (odbc_.back() == '\n' || odbc_.back() == '\r'))
            odbc_.pop_back();
    }
    ~ThrowawayMariadb() { std::system((ShellQuote(QELVOR_MARIADB_SCRIPT) + " stop " + ShellQuote(folder_)).c_str()); }
    ThrowawayMariadb(const ThrowawayMariadb&) = delete;
    ThrowawayMariadb& operator=(const ThrowawayMariadb&) = delete;

    // The same server through the native provider, over TCP as the mariadb client goes.
    std::string Native() const { return "Provider=MariaDB;" + odbc_.substr(odbc_.find(';') + 1); }
    // The mariadb client's command line for this server, without the statement.
    std::string Client() const
    {
        const qelvor::recordset::ConnectionString settings(odbc_);
        return "mariadb --no-defaults -h 127.0.0.1 -P " + settings.Find("Port").value_or("3306") + " -u "
             + settings.Find("Uid").value_or("root") + " -D " + settings.Find("Database").value_or("qelvor");
    }

private:
    std::string folder_;
    std::string odbc_;
};

int Run(const std::string& path, long long rows, int rounds)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        std::printf("generating %s with %lld answer sheets...\n", path.c_str(), rows);
        qelvor::CreateSampleDatabase(path, rows, kSeed);
    }
    Way sqlite{"SQLite file", "Provider=SQLite;Data Source=" + path};
    Measure(sqlite);  // also tells how many sheets the file holds
    std::printf("starting a throwaway MariaDB server and loading %ld answer sheets into it...\n", sqlite.records);
    ThrowawayMariadb server;
    {
        qelvor::recordset::Connection loader;
        loader.Open(server.Native());
        qelvor::LoadSampleRows(loader, sqlite.records, kSeed);
        loader.Execute("ANALYZE TABLE t_omr, t_bm", 0, 0);
    }
    Way native{"native provider (Provider=MariaDB)", server.Native()};
    const std::string client = server.Client() + " --quick --batch -e "
                             + ShellQuote(qelvor::ComposeAnswerSheetStatement("", "")) + " > /dev/null";
    double clientSeconds = 1e30;
    for (int round = 0; round < rounds; ++round) {
        const ChildResult run = qelvor::bench::RunChild({"sh", "-c", client});
        if (run.exitCode != 0)
            throw std::runtime_error("the mariadb client failed: " + client);
        clientSeconds = std::min(clientSeconds, run.seconds);
        Measure(native);
        Measure(sqlite);
    }

    const double openRatio = native.seconds / clientSeconds;
    const double memoryRatio = native.peakMiB / sqlite.peakMiB;
    std::printf("\n%ld rows; mariadb --quick --batch to /dev/null: %.3f s (best of %d)\n", sqlite.records, clientSeconds,
                rounds);
    std::printf("  %-36s %8s %9s\n", "open through", "open s", "peak MiB");
    for (const Way* way : {&sqlite, &native})
        std::printf("  %-36s %8.3f %9.1f\n", way->label.c_str(), way->seconds, way->peakMiB);
    std::printf("\nopen vs the mariadb client: %.2f (target <= %.2f)\n", openRatio, kOpenTarget);
    std::printf("peak vs the SQLite open:    %.2f (target <= %.2f)\n", memoryRatio, kMemoryTarget);
    bool met = openRatio <= kOpenTarget && memoryRatio <= kMemoryTarget;
    if (native.records != sqlite.records) {
        std::printf("the server gave %ld records, the SQLite file %ld\n", native.records, sqlite.records);
        met = false;
    }
    std::printf("the native MariaDB provider %s the targets\n", met ? "meets" : "MISSES");
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string path = "/tmp/qelvor-bench-1m.db";
    std::int64_t rows = 1000000;
    std::int64_t rounds = 3;
    std::string openOnce;
    qelvor::bench::CommandLine commandLine(
        "qelvor-mariadb-open-bench",
        "Opens the answer sheets from a throwaway MariaDB server through the native provider; prints ratios.");
    commandLine.AddText("--db", &path, "SQLite file whose sheets the server gets (default /tmp/qelvor-bench-1m.db)");
    commandLine.AddCount("--rows", &rows, "answer sheets to generate when the file is missing (default 1000000)");
    commandLine.AddCount("--rounds", &rounds, "interleaved rounds, best kept (default 3)");
    commandLine.AddText("--open", &openOnce, "(internal) open this connection string once and print the figures");
    if (const int status = commandLine.Parse(argc, argv); status >= 0)
        return status;
    return qelvor::bench::RunReportingFailures("qelvor-mariadb-open-bench", [&] {
        return openOnce.empty() ? Run(path, rows, static_cast<int>(rounds)) : qelvor::bench::OpenSheetsOnce(openOnce);
    });
}
