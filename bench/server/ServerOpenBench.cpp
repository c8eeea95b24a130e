// qelvor-server-open-bench [--rows N] [--db FILE] [--rounds R] [--variant "LABEL=SETTINGS"]...
//
// The browse window's all-rows statement over a million answer sheets on a throwaway
// PostgreSQL server. Prints, from one run:
//  (a) the dataset's open through each connection variant vs psql's own copy of the
//      same statement to /dev/null (psql's time includes its start and connect);
//  (b) the peak resident memory of a process that opens the dataset from the server vs
//      the same open from the SQLite file, and what the open added to the process (the
//      peak less the memory before the open) vs the record set's own size.
// Every open runs in a fresh process (this program with --open), so its peak is its own.
// Rounds are interleaved and the best of each is kept: the machine is shared.
// Variants add ODBC settings to the server's connection string; by default the
// provider's own choice, the driver holding the whole result (UseDeclareFetch=0) and
// cursor fetches of several sizes; the native libpq provider is measured beside them.
// Exits non-zero when the libpq provider, the remedy chosen for PostgreSQL, misses a
// target; whether the ODBC provider's choice meets them is printed beside it.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "bench/common/CommandLine.h"
#include "ThrowawayPostgres.h"
#include "data/QueryComposition.h"
#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/DataLink.h"
#include "data/DataSource.h"
#include "data/recordset/RecordSet.h"
#include "runtime/UsageError.h"
#include "sampledata/SampleDatabase.h"

namespace {

using qelvor::bench::ChildResult;

constexpr double kOpenTarget = 1.5;
constexpr double kMemoryTarget = 1.3;

struct Variant {
    std::string label;
    std::string connectionString;
    bool isSqlite = false;
    double seconds = 1e30;
    double peakMiB = 1e30;
    double recordSetMiB = 0;
    double baselineMiB = 0;
    long records = 0;
};

void Measure(const std::string& self, Variant& variant)
{
    const ChildResult run = qelvor::bench::RunChild({self, "--open", variant.connectionString});
    double seconds = 0;
    std::size_t bytes = 0;
    long records = 0;
    double baseline = 0;
    if (run.exitCode != 0 || std::sscanf(run.output.c_str(), "%lf %zu %ld %lf", &seconds, &bytes, &records, &baseline) != 4) {
        // Thrown, not exited: the server's destructor must still stop it.
        throw std::runtime_error("the open through \"" + variant.label + "\" failed");
    }
    variant.seconds = std::min(variant.seconds, seconds);
    variant.peakMiB = std::min(variant.peakMiB, run.peakMiB);
    variant.recordSetMiB = static_cast<double>(bytes) / 1048576.0;
    variant.baselineMiB = baseline;
    variant.records = records;
}

}  // namespace

static int Run(const std::string& path, long long rows, int rounds,
               const std::vector<std::pair<std::string, std::string>>& extra);

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string path = "/tmp/qelvor-bench-1m.db";
    std::int64_t rows = 1000000;
    std::int64_t rounds = 3;
    std::vector<std::string> variants;
    std::string openOnce;
    qelvor::bench::CommandLine commandLine(
        "qelvor-server-open-bench",
        "Opens the answer sheets of DB from a throwaway PostgreSQL server per connection variant; prints ratios.");
    commandLine.AddText("--db", &path, "SQLite file copied into the server (default /tmp/qelvor-bench-1m.db)");
    commandLine.AddCount("--rows", &rows, "answer sheets to generate when the file is missing (default 1000000)");
    commandLine.AddCount("--rounds", &rounds, "interleaved rounds, best kept (default 3)");
    commandLine.AddTexts("--variant", &variants, "\"LABEL=SETTINGS\": ODBC settings to measure as well (repeatable)");
    commandLine.AddText("--open", &openOnce, "(internal) open this connection string once and print the figures");
    if (const int status = commandLine.Parse(argc, argv); status >= 0)
        return status;
    std::vector<std::pair<std::string, std::string>> extra;
    for (const std::string& variant : variants) {
        const std::size_t equals = variant.find('=');
        if (equals == std::string::npos) {
            return qelvor::ReportUsageError("qelvor-server-open-bench", "--variant needs LABEL=SETTINGS",
                                            commandLine.Usage());
        }
        extra.emplace_back(variant.substr(0, equals), variant.substr(equals + 1));
    }
    return qelvor::bench::RunReportingFailures("qelvor-server-open-bench", [&] {
        return openOnce.empty() ? Run(path, rows, static_cast<int>(rounds), extra) : qelvor::bench::OpenSheetsOnce(openOnce);
    });
}

static int Run(const std::string& path, long long rows, int rounds,
               const std::vector<std::pair<std::string, std::string>>& extra)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        std::printf("generating %s with %lld answer sheets...\n", path.c_str(), rows);
        qelvor::CreateSampleDatabase(path, rows, 1);
    }
    std::printf("starting a throwaway PostgreSQL server and copying %s into it...\n", path.c_str());
    qelvor::bench::ThrowawayPostgres server(QELVOR_POSTGRES_SCRIPT);
    server.LoadFrom(path);
    const std::string odbc = server.OdbcConnectionString();
    const std::string statement = qelvor::ComposeAnswerSheetStatement("", "");

    const std::string wholePlans = ";ConnSettings={set cursor_tuple_fraction=1}";
    // The same server through libpq: the ODBC string's settings under the native provider.
    const std::string native = "Provider=PostgreSQL;" + odbc.substr(odbc.find(';') + 1);
    std::vector<Variant> variants = {
        {"SQLite file", "Provider=SQLite;Data Source=" + path, true},
        {"libpq provider (Provider=PostgreSQL), single-row mode", native},
        {"ODBC, the provider's settings (Fetch=10000, whole plans)", odbc},
        {"ODBC, UseDeclareFetch=0 (driver holds the result)", odbc + ";UseDeclareFetch=0"},
        {"ODBC, Fetch=10000, first-rows plans", odbc + ";UseDeclareFetch=1;Fetch=10000"},
        {"ODBC, Fetch=1000, whole plans", odbc + ";UseDeclareFetch=1;Fetch=1000" + wholePlans},
        {"ODBC, Fetch=100000, whole plans", odbc + ";UseDeclareFetch=1;Fetch=100000" + wholePlans},
    };
    for (const auto& [label, settings] : extra)
        variants.push_back({label, odbc + ";" + settings});

    std::vector<std::string> psql = server.Psql();
    psql.insert(psql.end(), {"-c", "\\copy (" + statement + ") to '/dev/null'"});
    double psqlSeconds = 1e30;
    const std::string self = "/proc/self/exe";
    for (int round = 0; round < rounds; ++round) {
        const ChildResult copy = qelvor::bench::RunChild(psql);
        if (copy.exitCode != 0) {
            std::fprintf(stderr, "psql's copy failed\n");
            return 1;
        }
        psqlSeconds = std::min(psqlSeconds, copy.seconds);
        for (Variant& variant : variants)
            Measure(self, variant);
    }

    const Variant& sqlite = variants.front();
    std::printf("\n%ld rows; psql \\copy of the statement to /dev/null: %.3f s; record set %.1f MiB (from the SQLite file)\n",
                sqlite.records, psqlSeconds, sqlite.recordSetMiB);
    std::printf("targets: open <= %.1fx psql; peak <= %.1fx the SQLite open's peak; growth <= %.1fx the record set\n\n",
                kOpenTarget, kMemoryTarget, kMemoryTarget);
    std::printf("  %-58s %8s %6s %9s %6s %9s %8s %8s\n", "variant", "open s", "/psql", "peak MiB", "/SQLite", "grow/set",
                "set MiB", "base MiB");
    bool met = true;
    bool odbcMet = true;
    for (const Variant& variant : variants) {
        const double openRatio = variant.seconds / psqlSeconds;
        const double sqliteRatio = variant.peakMiB / sqlite.peakMiB;
        // What the open added to the process, beside what it holds after: the process's own
        // start (libraries, the connection) is no part of the result.
        const double setRatio = (variant.peakMiB - variant.baselineMiB) / variant.recordSetMiB;
        std::printf("  %-58s %8.3f %6.2f %9.1f %6.2f %9.2f %8.1f %8.1f\n", variant.label.c_str(), variant.seconds, openRatio,
                    variant.peakMiB, sqliteRatio, setRatio, variant.recordSetMiB, variant.baselineMiB);
        if (variant.records != sqlite.records) {
            std::printf("    ^ %ld records, the SQLite file gave %ld\n", variant.records, sqlite.records);
            met = false;
        }
        const bool within = openRatio <= kOpenTarget && sqliteRatio <= kMemoryTarget && setRatio <= kMemoryTarget;
        if (&variant == &variants[1])
            met = met && within;
        if (&variant == &variants[2])
            odbcMet = within;
    }
    std::printf("\nthe libpq provider %s the targets; through ODBC the provider's settings %s them\n", met ? "meets" : "MISSES",
                odbcMet ? "meet" : "miss");
    return met ? 0 : 1;
}
