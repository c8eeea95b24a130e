// qelvor-open-sort-bench [DB] [--rows N] [--rounds N]: the query dataset over many answer sheets
// (a million by default; DB is generated with N sheets when missing).
//
// Prints, from one run, each figure beside its yardstick and the ratio:
//  (a) open of the all-rows statement through TADODataSet (and the bare record set)
//      vs a plain sqlite3_step loop reading the same seven columns as the record set
//      reads them (each value in its storage class). The opens and the loops take turns
//      in each round, in an order that rotates from round to round, and every round is
//      printed with the share of the database file in the page cache before it: a loop
//      that reads the file from the disk while the open finds it cached (or the other
//      way round) is no yardstick. The loop that asks every value as text (integers
//      converted, which the record set does not do) is printed beside it;
//  (b) memory held by the record set vs a compact copy (byte arena + 32-bit offsets +
//      a null bit per cell, per column), and the resident memory's peak during the
//      open vs what the open leaves resident;
//  (c) "姓名 DESC, 准考证号 ASC" with the locale's collation vs the floor (ICU keys +
//      std::stable_sort of a permutation) and vs SQLite running the ORDER BY;
//  (d) moving to the last record, the middle record number and back to the first.
// Timings take the best of a few runs. A database failure ends the run with a message
// and status 1.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "SortFloor.h"
#include "bench/common/CommandLine.h"
#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/DataLink.h"
#include "data/DataSource.h"
#include "data/recordset/Command.h"
#include "data/recordset/Connection.h"
#include "data/recordset/RecordSet.h"
#include "data/recordset/ResultTable.h"
#include "runtime/Collation.h"
#include "sampledata/SampleDatabase.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kBaseStatement =
    "select a.zkzh 准考证号,b.bmh 报名号,b.xm 姓名,a.ttxx 笔试客观题答案字符串,a.tttt 笔试主观题题分字符串,"
    "a.qk 缺考标记,a.lwtth 论文题题号 from t_omr a left join t_bm b on a.zkzh=b.zkzh";
const char* const kSortText = "姓名 DESC, 准考证号 ASC";

double Seconds(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The process's processor time (all its threads) in seconds.
double ProcessorSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Best(int runs, const std::function<void()>& work)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, Seconds(work));
    return best;
}

void Report(const char* what, double value, const char* unit, double yardstick, const char* target)
{
    std::printf("  %-58s %10.3f %-3s ratio %6.3f  (target %s)\n", what, value, unit, value / yardstick, target);
}

// What the bare loop reads: per column the payload bytes and the nulls, and the two
// sort columns' texts for the floor.
struct BareScan {
    std::int64_t rows = 0;
    std::vector<std::size_t> payload = std::vector<std::size_t>(7);
    std::vector<std::string> names;
    std::vector<std::string> tickets;
};

// How the bare loop asks for the values: each in its storage class, as the record set
// does, or every value as text (SQLite then formats the integers).
enum class ReadAs { Stored, Text };

// Reads the statement to its end; returns the rows read.
std::int64_t ScanWithSqlite(const std::string& path, const std::string& statementText, BareScan* keep,
                            ReadAs readAs = ReadAs::Stored)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    const auto fail = [&db, &statement] {
        const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_finalize(statement);
        sqlite3_close(db);
        throw std::runtime_error(message);
    };
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK
        || sqlite3_prepare_v2(db, statementText.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        fail();
    std::size_t total = 0;
    std::int64_t rows = 0;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int column = 0; column < 7; ++column) {
            if (readAs == ReadAs::Stored && sqlite3_column_type(statement, column) == SQLITE_INTEGER) {
                total += static_cast<std::size_t>(sqlite3_column_int64(statement, column)) & 1u;
                if (keep)
                    keep->payload[static_cast<std::size_t>(column)] += 8;
                continue;
            }
            const unsigned char* text = sqlite3_column_text(statement, column);
            const auto bytes = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
            total += bytes + (text ? text[0] : 0);
            if (keep) {
                keep->payload[static_cast<std::size_t>(column)] += bytes;
                if (column == 0)
                    keep->tickets.emplace_back(reinterpret_cast<const char*>(text), bytes);
                if (column == 2)
                    keep->names.emplace_back(text ? reinterpret_cast<const char*>(text) : "", bytes);
            }
        }
        ++rows;
    }
    if (step != SQLITE_DONE)
        fail();
    if (keep)
        keep->rows = rows;
    sqlite3_finalize(statement);
    sqlite3_close(db);
    if (total == 0)
        std::printf("(empty scan)\n");
    return rows;
}

// Share of the file's pages in the page cache now (0..1; -1 when it cannot be told).
double CachedShare(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0 || info.st_size == 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    if (map == MAP_FAILED)
        return -1;
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((size + page - 1) / page);
    double share = -1;
    if (mincore(map, size, resident.data()) == 0)
        share = static_cast<double>(std::count_if(resident.begin(), resident.end(), [](unsigned char r) { return r & 1; }))
                / static_cast<double>(resident.size());
    munmap(map, size);
    return share;
}

void OpenRecordSet(qelvor::recordset::Connection& connection, qelvor::recordset::RecordSet& records)
{
    qelvor::recordset::Command command;
    command.SetActiveConnection(&connection);
    command.SetCommandText(kBaseStatement);
    records.SetCursorLocation(qelvor::recordset::adUseClient);
    records.Open(command, qelvor::recordset::adOpenKeyset, qelvor::recordset::adLockOptimistic, qelvor::recordset::adCmdText);
}

// A figure of /proc/self/status in bytes ("VmRSS", "VmHWM").
double StatusBytes(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(name + ":", 0) == 0)
            return std::atof(line.c_str() + name.size() + 1) * 1024;
    return 0;
}

// Resident memory grown during work: at its peak and at its end, in bytes.
struct ResidentGrowth {
    double peak;
    double after;
};

ResidentGrowth MeasureResident(const std::function<void()>& work)
{
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from now
    const double before = StatusBytes("VmRSS");
    work();
    return {StatusBytes("VmHWM") - before, StatusBytes("VmRSS") - before};
}

int Run(const std::string& path, std::int64_t rows, int rounds);

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::string path = "/tmp/qelvor-bench-1m.db";
    std::int64_t rows = 1000000;
    qelvor::bench::CommandLine commandLine("qelvor-open-sort-bench",
                                           "Opens, holds, sorts and walks the answer sheets of DB; prints ratios.");
    commandLine.AddPositional("DB", &path, "SQLite file (default /tmp/qelvor-bench-1m.db)");
    commandLine.AddCount("--rows", &rows, "answer sheets to generate when DB is missing (default 1000000)");
    std::int64_t rounds = 3;
    commandLine.AddCount("--rounds", &rounds, "interleaved rounds of the opens, best kept (default 3)");
    if (const int status = commandLine.Parse(argc, argv); status >= 0)
        return status;
    return qelvor::bench::RunReportingFailures("qelvor-open-sort-bench", [&] { return Run(path, rows, static_cast<int>(rounds)); });
}

namespace {

int Run(const std::string& path, std::int64_t rows, int rounds)
{
    setenv("LC_ALL", "zh_CN.UTF-8", 0);  // names sort by pinyin unless the caller chose a locale
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        std::printf("generating %s with %lld answer sheets...\n", path.c_str(), static_cast<long long>(rows));
        qelvor::CreateSampleDatabase(path, rows, 1);
    }
    std::printf("database %s, collation locale \"%s\"\n", path.c_str(), qelvor::Collation::UserLocaleName().c_str());

    // (a) open
    const std::int64_t rowCount = ScanWithSqlite(path, kBaseStatement, nullptr);  // also warms the page cache
    qelvor::recordset::Connection connection;
    connection.Open("Provider=SQLite;Data Source=" + path);
    qelvor::TADOConnection host("ADOConnection1");
    host.SetConnectionString("Provider=SQLite;Data Source=" + path);
    host.Open();
    qelvor::TADODataSet dataSet("QELV_Set");
    dataSet.SetConnection(&host);
    dataSet.SetCommandText(kBaseStatement);
    qelvor::TDataSource source("DataSource1");
    source.SetDataSet(&dataSet);
    qelvor::TDataLink link;
    link.SetDataSource(&source);
    link.SetBufferCount(40);  // about what the grid asks for
    // Interleaved rounds: the machine is shared and load drifts, so each figure is taken
    // beside the others, in an order that rotates, and the ratio is taken per round.
    // Wall time and processor time: on a shared machine the wall time of the same work
    // varies with the others' load (by 2x between rounds here), while the processor time
    // of work that reads a cached file stays; the ratios are taken of both.
    struct Measured {
        const char* name;
        std::function<void()> work;
        std::vector<double> seconds;
        std::vector<double> processor;
    };
    std::vector<Measured> measured = {
        {"bare loop", [&] { ScanWithSqlite(path, kBaseStatement, nullptr); }, {}, {}},
        {"dataset open", [&] { dataSet.Close(); dataSet.Open(); }, {}, {}},
        {"record set open", [&] { qelvor::recordset::RecordSet records; OpenRecordSet(connection, records); }, {}, {}},
        {"bare loop, all as text", [&] { ScanWithSqlite(path, kBaseStatement, nullptr, ReadAs::Text); }, {}, {}},
    };
    rounds = std::max(rounds, 2);
    std::printf("\n%lld rows; %d interleaved rounds (wall s / processor s; the share of the file cached before each):\n",
                static_cast<long long>(rowCount), rounds);
    std::vector<double> wallRatios;
    std::vector<double> processorRatios;
    for (int round = 0; round < rounds; ++round) {
        std::printf("  round %d:", round + 1);
        for (std::size_t turn = 0; turn < measured.size(); ++turn) {
            Measured& m = measured[(turn + static_cast<std::size_t>(round)) % measured.size()];
            const double cached = CachedShare(path);
            const double processorBefore = ProcessorSeconds();
            m.seconds.push_back(Seconds(m.work));
            m.processor.push_back(ProcessorSeconds() - processorBefore);
            std::printf("  %s %.2f/%.2f (%.0f%%)", m.name, m.seconds.back(), m.processor.back(), cached * 100);
        }
        wallRatios.push_back(measured[1].seconds.back() / measured[0].seconds.back());
        processorRatios.push_back(measured[1].processor.back() / measured[0].processor.back());
        std::printf("  -> open/bare %.3f wall, %.3f processor\n", wallRatios.back(), processorRatios.back());
    }
    const auto best = [](const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); };
    const auto spread = [](std::vector<double> ratios, const char* what) {
        std::sort(ratios.begin(), ratios.end());
        std::printf("  %-58s %10.3f     (min %.3f, max %.3f over the rounds)\n", what, ratios[ratios.size() / 2],
                    ratios.front(), ratios.back());
    };
    const double bare = best(measured[0].seconds);
    const double bareProcessor = best(measured[0].processor);
    std::printf("bare sqlite3_step loop over the seven columns (values as stored), best: %.3f s wall, %.3f s processor\n",
                bare, bareProcessor);
    Report("(a) TADODataSet open (execute, fetch, fields, window), processor", best(measured[1].processor), "s",
           bareProcessor, "<= 1.1");
    spread(processorRatios, "    open/bare per round, processor time, median");
    Report("    the same, wall time, best of each", best(measured[1].seconds), "s", bare, "");
    spread(wallRatios, "    open/bare per round, wall time, median");
    Report("    record set Open alone, processor", best(measured[2].processor), "s", bareProcessor, "");
    Report("    bare loop asking every value as text, processor", best(measured[3].processor), "s", bareProcessor, "");
    dataSet.Close();
    dataSet.Open();

    BareScan scan;
    ScanWithSqlite(path, kBaseStatement, &scan, ReadAs::Text);  // the payloads and the sort columns' texts

    // (b) memory
    qelvor::recordset::RecordSet records;
    const ResidentGrowth resident = MeasureResident([&] { OpenRecordSet(connection, records); });
    double compact = 0;
    for (std::size_t payload : scan.payload)
        compact += static_cast<double>(payload) + 4.0 * static_cast<double>(scan.rows + 1) + static_cast<double>(scan.rows) / 8;
    const double held = static_cast<double>(records.MemoryUsage());
    const auto perRow = [&](double bytes) { return bytes / static_cast<double>(scan.rows); };
    std::printf("\ncompact copy: %.1f MiB (%.1f bytes per row)\n", compact / 1048576, perRow(compact));
    Report("(b) memory held by the record set after open (MiB)", held / 1048576, "MiB", compact / 1048576, "<= 0.5");
    std::printf("    held, bytes a row: %.1f; per column:", perRow(held));
    const qelvor::recordset::ResultTable& table = *records.Table();
    for (int column = 0; column < table.FieldCount(); ++column)
        std::printf(" %s %.1f%s", table.Field(column).name.c_str(),
                    perRow(static_cast<double>(table.Column(column).MemoryUsage())),
                    column + 1 < table.FieldCount() ? "," : "\n");
    Report("    resident memory's peak during the open vs held (MiB)", resident.peak / 1048576, "MiB", held / 1048576,
           "<= 1.3");
    Report("    resident memory's peak vs resident after the open (MiB)", resident.peak / 1048576, "MiB",
           resident.after / 1048576, "");
    std::printf("    resident peak of the open, bytes a row: %.1f (target <= 100)\n", perRow(resident.peak));
    {
        qelvor::recordset::RecordSet sorted;
        const ResidentGrowth withSort = MeasureResident([&] {
            OpenRecordSet(connection, sorted);
            sorted.SetSort(kSortText);
        });
        std::printf("    resident peak of an open and the two-key sort, bytes a row: %.1f (target <= 170)\n",
                    perRow(withSort.peak));
    }

    // (c) sort
    std::vector<std::uint32_t> floorOrder;
    const double floor = Best(2, [&] {
        floorOrder = qelvor::bench::SortFloor({{&scan.names, true}, {&scan.tickets, false}}, qelvor::Collation::UserLocaleName());
    });
    const double orderBy = Best(1, [&] {
        ScanWithSqlite(path, std::string(kBaseStatement) + " order by 姓名 desc, 准考证号 asc", nullptr);
    });
    double firstSort = 1e30;
    for (int run = 0; run < 2; ++run) {
        qelvor::recordset::RecordSet fresh;  // keys are cached per result: a fresh one builds them
        OpenRecordSet(connection, fresh);
        firstSort = std::min(firstSort, Seconds([&] { fresh.SetSort(kSortText); }));
    }
    records.SetSort(kSortText);
    bool agree = true;
    for (std::size_t position = 0; position < floorOrder.size(); position += 997) {
        records.SetAbsolutePosition(static_cast<std::int64_t>(position) + 1);
        agree = agree && records.Bookmark() == floorOrder[position];
    }
    const double againSort = Best(3, [&] {
        records.SetSort("");
        records.SetSort(kSortText);
    });
    std::printf("\nfloor (ICU keys of both columns + stable_sort of a permutation): %.3f s; SQLite ORDER BY + step: %.3f s\n",
                floor, orderBy);
    Report("(c) Sort, first time (collation keys built)", firstSort, "s", floor, "<= 0.6");
    Report("    Sort again (keys cached)", againSort, "s", floor, "");
    Report("    Sort, first time vs SQLite ORDER BY", firstSort, "s", orderBy, "<= 0.2");
    Report("    Sort again vs SQLite ORDER BY", againSort, "s", orderBy, "");
    std::printf("    order equals the floor's order (sampled): %s\n", agree ? "yes" : "NO");
    std::printf("    memory with the sort keys and order: %.1f MiB\n", static_cast<double>(records.MemoryUsage()) / 1048576);

    // (d) moves through the dataset
    const int middle = dataSet.RecordCount() / 2;
    const double toLast = Seconds([&] { dataSet.Last(); });
    const double toMiddle = Seconds([&] { dataSet.SetRecNo(middle); });
    const double toFirst = Seconds([&] { dataSet.First(); });
    std::printf("\n(d) dataset moves over %d records: Last %.3f ms, RecNo %d %.3f ms, First %.3f ms (target < 1 ms each)\n",
                dataSet.RecordCount(), toLast * 1e3, middle, toMiddle * 1e3, toFirst * 1e3);
    std::printf("    record number after the moves: %d\n", dataSet.RecNo());
    return 0;
}

}  // namespace
