// qelvor-cancel-bench [--rounds R]: how fast a cancel stops a statement, per provider.
//
// For each database (a SQLite file always; PostgreSQL natively and through ODBC, and
// MariaDB through ODBC, when QELVOR_TEST_POSTGRES, QELVOR_TEST_ODBC and
// QELVOR_TEST_MARIADB name servers, as tools/test.sh sets them) two statements run on a
// worker thread and are cancelled after half a second: one that computes without
// returning anything, one whose rows stream in. Printed per case, worst of the rounds:
// the time from the cancel request to the statement's return, and to the end of the
// next statement on the same connection (a server still busy with the cancelled work
// would delay it). Target: both within 250 ms. Exits non-zero when a case misses it.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <sqlite3.h>

#include "bench/common/CommandLine.h"
#include "data/recordset/Command.h"
#include "data/recordset/Connection.h"
#include "data/recordset/ResultBatch.h"
#include "runtime/Exceptions.h"
#include "runtime/LongWork.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kTargetSeconds = 0.250;

struct Database {
    std::string label;
    std::string connectionString;
    std::string silentWork;
    std::string streamingRows;
};

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct CancelFigures {
    double toReturn = 0;
    double toNextResult = 0;
    bool cancelled = false;
};

CancelFigures CancelOnce(qelvor::recordset::Connection& session, const std::string& sql)
{
    qelvor::WorkProgress progress;
    CancelFigures figures;
    std::thread worker([&] {
        try {
            session.Execute(sql, {}, 0, 0, &progress);
        } catch (const qelvor::EWorkCancelled&) {
            figures.cancelled = true;
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "  the statement failed instead: %s\n", failure.what());
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto requested = Clock::now();
    progress.RequestCancel();
    worker.join();
    figures.toReturn = Since(requested);
    session.Execute("SELECT 1", 0, 0);
    figures.toNextResult = Since(requested);
    return figures;
}

bool Measure(const Database& database, int rounds)
{
    qelvor::recordset::Connection session;
    session.Open(database.connectionString);
    bool met = true;
    for (const auto& [what, sql] : {std::pair{"computing, no rows yet", database.silentWork},
                                    std::pair{"rows streaming in", database.streamingRows}}) {
        CancelFigures worst;
        bool allCancelled = true;
        for (int round = 0; round < rounds; ++round) {
            const CancelFigures figures = CancelOnce(session, sql);
            worst.toReturn = std::max(worst.toReturn, figures.toReturn);
            worst.toNextResult = std::max(worst.toNextResult, figures.toNextResult);
            allCancelled = allCancelled && figures.cancelled;
        }
        const bool within = allCancelled && worst.toNextResult <= kTargetSeconds;
        std::printf("  %-34s %-24s returned %7.1f ms  next result %7.1f ms  ratio %5.2f %s\n", database.label.c_str(), what,
                    worst.toReturn * 1000, worst.toNextResult * 1000, worst.toNextResult / kTargetSeconds,
                    within ? "" : (allCancelled ? "MISSED" : "NOT CANCELLED"));
        met = met && within;
    }
    return met;
}

std::string TemporarySqliteFile()
{
    const std::string path = "/tmp/qelvor-cancel-bench-" + std::to_string(getpid()) + ".db";
    sqlite3* created = nullptr;
    sqlite3_open(path.c_str(), &created);
    sqlite3_close(created);
    return path;
}

const char* const kRecursiveSilent =
    "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000000) SELECT max(x) FROM c";

std::vector<Database> Databases(const std::string& sqliteFile)
{
    std::vector<Database> databases = {
        {"SQLite", "Provider=SQLite;Data Source=" + sqliteFile, kRecursiveSilent,
         "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000000) SELECT x FROM c"},
    };
    const std::string postgresRows = "SELECT x, md5(x::text) FROM generate_series(1, 1000000000) x";
    const std::pair<const char*, Database> servers[] = {
        {"QELVOR_TEST_POSTGRES", {"PostgreSQL (libpq)", "", kRecursiveSilent, postgresRows}},
        {"QELVOR_TEST_ODBC", {"PostgreSQL (ODBC)", "", kRecursiveSilent, postgresRows}},
        {"QELVOR_TEST_MARIADB",
         {"MariaDB (ODBC)", "", "SELECT COUNT(*) FROM seq_1_to_1000000 a, seq_1_to_1000000 b",
          "SELECT seq, md5(seq) FROM seq_1_to_1000000000"}},
    };
    for (const auto& [variable, database] : servers) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0') {
            std::printf("  %-34s skipped: %s names no server\n", database.label.c_str(), variable);
            continue;
        }
        databases.push_back(database);
        databases.back().connectionString = value;
    }
    return databases;
}

int Run(int rounds)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string sqliteFile = TemporarySqliteFile();
    std::printf("cancel after 0.5 s; worst of %d rounds; target: the next result within %.0f ms of the cancel\n", rounds,
                kTargetSeconds * 1000);
    bool met = true;
    for (const Database& database : Databases(sqliteFile))
        met = Measure(database, rounds) && met;
    std::remove(sqliteFile.c_str());
    std::printf("%s\n", met ? "every case meets the target" : "a case MISSES the target");
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    std::int64_t rounds = 5;
    qelvor::bench::CommandLine commandLine(
        "qelvor-cancel-bench",
        "Cancels statements on SQLite and on the servers named by QELVOR_TEST_POSTGRES,\n"
        "QELVOR_TEST_ODBC and QELVOR_TEST_MARIADB, and prints how fast each stops.");
    commandLine.AddCount("--rounds", &rounds, "rounds per case, the worst kept (default 5)");
    if (const int status = commandLine.Parse(argc, argv); status >= 0)
        return status;
    return qelvor::bench::RunReportingFailures("qelvor-cancel-bench", [&] { return Run(static_cast<int>(rounds)); });
}
