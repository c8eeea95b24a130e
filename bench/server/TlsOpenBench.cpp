// qelvor-tls-open-bench [--rows N] [--db FILE] [--rounds R] [--mariadb]
//
// What encryption costs the browse window's all-rows open of a million answer sheets: the
// same throwaway PostgreSQL server (TLS on, connections in clear allowed too) opened over a
// verified link (Encrypt=verify-full with the server's authority) and in clear
// (Encrypt=off), through the native provider and through ODBC; with --mariadb, a MariaDB
// server's too (the rows loaded through the native provider). Prints each time and the
// ratio verified / clear. Every open runs in a fresh process; rounds are interleaved and
// the best of each is kept (the machine is shared). Exits non-zero when the native
// provider's ratio misses the target.
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ThrowawayPostgres.h"
#include "bench/common/CommandLine.h"
#include "data/recordset/Connection.h"
#include "data/recordset/ResultBatch.h"
#include "sampledata/SampleDatabase.h"

namespace {

constexpr double kTarget = 1.2;

struct Pair {
    std::string label;
    std::string clear;     // the connection string in clear
    std::string verified;  // the same over a verified link
    double clearSeconds = 1e30;
    double verifiedSeconds = 1e30;
};

// Seconds of one open; records receives how many records it gave.
double Open(const std::string& connectionString, long& records)
{
    const qelvor::bench::ChildResult run = qelvor::bench::RunChild({"/proc/self/exe", "--open", connectionString});
    double seconds = 0;
    std::size_t bytes = 0;
    double baseline = 0;
    if (run.exitCode != 0 || std::sscanf(run.output.c_str(), "%lf %zu %ld %lf", &seconds, &bytes, &records, &baseline) != 4)
        throw std::runtime_error("the open of \"" + connectionString + "\" failed: " + run.output);
    return seconds;
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// A MariaDB server with TLS (and clear) for this run, stopped at the end.
class TlsMariadb {
public:
    TlsMariadb()
    {
        char folder[] = "/tmp/qelvor-bench-tls-mariadb.XXXXXX";
        if (!mkdtemp(folder))
            throw std::runtime_error("mkdtemp failed");
        folder_ = folder;
        odbc_ = qelvor::bench::ShellOutput("QELVOR_SERVER_TLS=both " + Quoted(QELVOR_MARIADB_SCRIPT) + " start "
                                           + Quoted(folder_));
        odbc_ = odbc_.substr(odbc_.rfind("Driver="));
        while (!odbc_.empty() && (odbc_.back() == '\n' || odbc_.back() == '\r'))
            odbc_.pop_back();
    }
    ~TlsMariadb() { std::system((Quoted(QELVOR_MARIADB_SCRIPT) + " stop " + Quoted(folder_)).c_str()); }
    TlsMariadb(const TlsMariadb&) = delete;
    TlsMariadb& operator=(const TlsMariadb&) = delete;

    std::string Native() const { return "Provider=MariaDB;" + odbc_.substr(odbc_.find(';') + 1); }
    std::string Authority() const { return folder_ + "/tls/ca.crt"; }

private:
    std::string folder_;
    std::string odbc_;
};

int Run(const std::string& path, long long rows, int rounds, bool mariadb)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        std::printf("generating %s with %lld answer sheets...\n", path.c_str(), rows);
        qelvor::CreateSampleDatabase(path, rows, 1);
    }
    std::printf("starting a throwaway PostgreSQL server with TLS and copying %s into it...\n", path.c_str());
    setenv("QELVOR_SERVER_TLS", "both", 1);
    qelvor::bench::ThrowawayPostgres server(QELVOR_POSTGRES_SCRIPT);
    unsetenv("QELVOR_SERVER_TLS");
    server.LoadFrom(path);
    const std::string odbc = server.OdbcConnectionString();
    const std::string native = "Provider=PostgreSQL;" + odbc.substr(odbc.find(';') + 1);
    const std::string verify = ";Encrypt=verify-full;CA File=" + server.Folder() + "/tls/ca.crt";
    std::vector<Pair> pairs = {
        {"native provider (Provider=PostgreSQL)", native + ";Encrypt=off", native + verify},
        {"ODBC (PostgreSQL Unicode)", odbc + ";Encrypt=off", odbc + verify},
    };
    long records = 0;
    std::unique_ptr<TlsMariadb> maria;
    if (mariadb) {
        long sheets = 0;
        Open("Provider=SQLite;Data Source=" + path, sheets);
        std::printf("starting a throwaway MariaDB server with TLS and loading %ld answer sheets into it...\n", sheets);
        maria = std::make_unique<TlsMariadb>();
        qelvor::recordset::Connection loader;
        loader.Open(maria->Native());
        qelvor::LoadSampleRows(loader, sheets, 1);
        loader.Execute("ANALYZE TABLE t_omr, t_bm", 0, 0);
        pairs.push_back({"native MariaDB provider (Provider=MariaDB)", maria->Native() + ";Encrypt=off",
                         maria->Native() + ";Encrypt=verify-full;CA File=" + maria->Authority()});
    }
    for (int round = 0; round < rounds; ++round) {
        for (Pair& pair : pairs) {
            // Alternating which goes first: neither gains from the other's warm caches.
            const bool clearFirst = round % 2 == 0;
            long firstRecords = 0;
            long secondRecords = 0;
            const double first = Open(clearFirst ? pair.clear : pair.verified, firstRecords);
            const double second = Open(clearFirst ? pair.verified : pair.clear, secondRecords);
            if (firstRecords != secondRecords || firstRecords <= 0)
                throw std::runtime_error("the opens of " + pair.label + " gave " + std::to_string(firstRecords) + " and "
                                         + std::to_string(secondRecords) + " records");
            records = firstRecords;
            pair.clearSeconds = std::min(pair.clearSeconds, clearFirst ? first : second);
            pair.verifiedSeconds = std::min(pair.verifiedSeconds, clearFirst ? second : first);
        }
    }
    std::printf("\n%ld records; best of %d rounds; target: verified <= %.1fx clear\n\n", records, rounds, kTarget);
    std::printf("  %-40s %10s %12s %8s\n", "through", "clear s", "verified s", "ratio");
    bool met = true;
    for (const Pair& pair : pairs) {
        const double ratio = pair.verifiedSeconds / pair.clearSeconds;
        std::printf("  %-40s %10.3f %12.3f %8.2f\n", pair.label.c_str(), pair.clearSeconds, pair.verifiedSeconds, ratio);
        if (&pair == &pairs.front())
            met = ratio <= kTarget;
    }
    for (const Pair& pair : pairs)
        if (&pair != &pairs.front() && pair.label.rfind("native", 0) == 0)
            met = met && pair.verifiedSeconds / pair.clearSeconds <= kTarget;
    std::printf("\nthe native providers %s the target\n", met ? "meet" : "MISS");
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
    bool mariadb = false;
    qelvor::bench::CommandLine commandLine(
        "qelvor-tls-open-bench",
        "Opens the answer sheets of DB from a throwaway PostgreSQL server over a verified link and in clear; prints the ratio.");
    commandLine.AddText("--db", &path, "SQLite file copied into the server (default /tmp/qelvor-bench-1m.db)");
    commandLine.AddCount("--rows", &rows, "answer sheets to generate when the file is missing (default 1000000)");
    commandLine.AddCount("--rounds", &rounds, "interleaved rounds, best kept (default 3)");
    commandLine.AddFlag("--mariadb", &mariadb, "measure a throwaway MariaDB server too");
    commandLine.AddText("--open", &openOnce, "(internal) open this connection string once and print the figures");
    if (const int status = commandLine.Parse(argc, argv); status >= 0)
        return status;
    return qelvor::bench::RunReportingFailures("qelvor-tls-open-bench", [&] {
        return openOnce.empty() ? Run(path, rows, static_cast<int>(rounds), mariadb) : qelvor::bench::OpenSheetsOnce(openOnce);
    });
}
