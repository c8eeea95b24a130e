// qelvor-heartbeat-bench [--rows N] [--rounds R]: how long the browse window's thread goes
// without turning its event loop during long work.
//
// A heartbeat timer fires every 10 ms on the window's thread while the browse form (shown
// offscreen, searches and sorts waiting as ShowForm lets them) runs, over N generated
// answer sheets (default 1,000,000):
//   - a search with both edits empty on SQLite, the first one and one that replaces a
//     result of the same size;
//   - the same on PostgreSQL when QELVOR_TEST_POSTGRES is set (a throwaway server of the
//     benchmark's own, filled with the same rows, so the test server's tables stay as
//     they are);
//   - a two-key re-sort (姓名 DESC, 准考证号 ASC) of the SQLite result, the first one
//     (collation keys built) and one more from another order.
// Each line prints the longest gap between two beats (from the start of the action to the
// end, both ends included), the number of beats and the action's length; the best of the
// rounds. Target: the longest gap <= 100 ms. Exits 1 when a target is missed, 2 when the
// database fails (with its message).
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/common/WindowBenchApplication.h"
#include "bench/server/ThrowawayPostgres.h"
#include "browse/QELVOR_Unit.h"
#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "grid/DBGridEh.h"
#include "platform/Buttons.h"
#include "platform/ExceptionDispatch.h"
#include "platform/LongWorkWindow.h"
#include "runtime/UsageError.h"
#include "sampledata/SampleDatabase.h"
#include "session/StandardInfo.h"

namespace {

using namespace qelvor;

constexpr double kTargetMs = 100;
constexpr int kBeatMs = 10;

struct Heartbeat {
    double longestGapMs = 0;
    double gapStartMs = 0;  // when the longest gap began, from the start of the action
    int beats = 0;
    double totalMs = 0;
};

// Runs action on the window's thread with the heartbeat going.
Heartbeat Listen(const std::function<void()>& action)
{
    QElapsedTimer clock;
    std::vector<qint64> beats;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] { beats.push_back(clock.nsecsElapsed()); });
    timer.start(kBeatMs);
    clock.start();
    beats.push_back(0);
    action();
    beats.push_back(clock.nsecsElapsed());
    timer.stop();
    Heartbeat result;
    for (std::size_t i = 1; i < beats.size(); ++i) {
        const double gap = static_cast<double>(beats[i] - beats[i - 1]) / 1e6;
        if (gap > result.longestGapMs) {
            result.longestGapMs = gap;
            result.gapStartMs = static_cast<double>(beats[i - 1]) / 1e6;
        }
    }
    result.beats = static_cast<int>(beats.size()) - 2;
    result.totalMs = static_cast<double>(beats.back()) / 1e6;
    return result;
}

// The browse form over one host connection; failures reported by the form end the run.
class Browser {
public:
    explicit Browser(const std::string& connectionString) : connection_("HostConnection")
    {
        connection_.SetConnectionString(connectionString);
        connection_.Open();
        HostConnection = &connection_;
        form_ = std::make_unique<TQELVOR_Form>();
        form_->resize(1280, 800);
        form_->show();
        QApplication::processEvents();
    }
    ~Browser()
    {
        form_.reset();
        HostConnection = nullptr;
    }

    // 检索 with both edits empty; the number of rows listed.
    int Search()
    {
        form_->BitBtn1->click();
        return form_->QELV_Set->Active() ? form_->QELV_Set->RecordCount() : -1;
    }

    // The grid's sort markers set (姓名 first, then 准考证号) and the form's handler run.
    void Sort(TSortMarkerEh name, TSortMarkerEh ticket)
    {
        for (int i = 0; i < Grid().Columns().Count(); ++i)
            Grid().Columns()[i]->Title()->SetSortMarker(smNoneEh);
        Column("姓名")->Title()->SetSortMarker(name);
        Column("准考证号")->Title()->SetSortMarker(ticket);
        GuardedCall([this] { form_->DBGridEh1SortMarkingChanged(); });
    }

    std::string SortText() const { return form_->QELV_Set->Sort(); }

private:
    TDBGridEh& Grid() { return *form_->DBGridEh1; }
    TColumnEh* Column(const std::string& fieldName)
    {
        for (int i = 0; i < Grid().Columns().Count(); ++i) {
            if (Grid().Columns()[i]->FieldName() == fieldName)
                return Grid().Columns()[i];
        }
        throw std::runtime_error("the grid has no column " + fieldName);
    }

    TADOConnection connection_;
    std::unique_ptr<TQELVOR_Form> form_;
};

bool Print(const char* what, const Heartbeat& beat)
{
    const bool met = beat.longestGapMs <= kTargetMs;
    std::printf("  %-44s longest gap %7.1f ms from %7.1f ms  (%5d beats in %8.1f ms; target <= %.0f ms)%s\n", what,
                beat.longestGapMs, beat.gapStartMs, beat.beats, beat.totalMs, kTargetMs, met ? "" : "  MISSED");
    return met;
}

Heartbeat Best(const Heartbeat& a, const Heartbeat& b)
{
    return a.longestGapMs <= b.longestGapMs ? a : b;
}

// The searches on one database: the first and one that replaces a result of the same size.
bool MeasureSearches(const char* where, const std::string& connectionString, long rows, int rounds)
{
    Heartbeat first{1e18, 0, 0, 0};
    Heartbeat again{1e18, 0, 0, 0};
    for (int round = 0; round < rounds; ++round) {
        Browser fresh(connectionString);
        int listed = 0;
        first = Best(first, Listen([&] { listed = fresh.Search(); }));
        if (listed != rows)
            throw std::runtime_error(std::string(where) + ": the search listed " + std::to_string(listed) + " rows");
        again = Best(again, Listen([&] { listed = fresh.Search(); }));
    }
    std::printf("%s, %ld rows:\n", where, rows);
    const bool firstMet = Print("search (first)", first);
    return Print("search replacing a result of the same size", again) && firstMet;
}

bool MeasureSort(const std::string& connectionString, int rounds)
{
    Heartbeat first{1e18, 0, 0, 0};
    Heartbeat again{1e18, 0, 0, 0};
    for (int round = 0; round < rounds; ++round) {
        Browser browser(connectionString);
        browser.Search();
        first = Best(first, Listen([&] { browser.Sort(smDownEh, smUpEh); }));
        browser.Sort(smNoneEh, smDownEh);
        again = Best(again, Listen([&] { browser.Sort(smDownEh, smUpEh); }));
        if (browser.SortText() != "姓名 DESC, 准考证号 ASC")
            throw std::runtime_error("the sort ended as \"" + browser.SortText() + "\"");
    }
    std::printf("SQLite, two-key re-sort:\n");
    const bool firstMet = Print("姓名 DESC, 准考证号 ASC (collation keys built)", first);
    return Print("姓名 DESC, 准考证号 ASC from another order", again) && firstMet;
}

constexpr const char* kUsage =
    "usage: qelvor-heartbeat-bench [--rows N] [--rounds R]\n"
    "  the longest gap between 10 ms heartbeats on the window's thread during a search\n"
    "  (SQLite; PostgreSQL too when QELVOR_TEST_POSTGRES is set) and a two-key re-sort\n"
    "  of N answer sheets (default 1000000), best of R rounds (default 3)\n";

// A refused command line: the problem and the usage on standard error, status 2.
int Refuse(const std::string& problem)
{
    return ReportUsageError("qelvor-heartbeat-bench", problem, kUsage);
}

std::string NativePostgres(const std::string& odbc)
{
    const std::string driver = "Driver={PostgreSQL Unicode}";
    std::string native = odbc;
    if (const std::size_t at = native.find(driver); at != std::string::npos)
        native.replace(at, driver.size(), "Provider=PostgreSQL");
    return native;
}

int Run(long rows, int rounds)
{
    const std::string path = "/tmp/qelvor-heartbeat-" + std::to_string(getpid()) + ".db";
    std::printf("generating %ld answer sheets...\n", rows);
    CreateSampleDatabase(path, rows, 5);
    const std::string sqlite = "Provider=SQLite;Data Source=" + path;
    bool met = MeasureSearches("SQLite", sqlite, rows, rounds);
    met = MeasureSort(sqlite, rounds) && met;
    if (!qEnvironmentVariableIsEmpty("QELVOR_TEST_POSTGRES")) {
        bench::ThrowawayPostgres server(QELVOR_POSTGRES_SCRIPT);
        server.LoadFrom(path);
        met = MeasureSearches("PostgreSQL (native)", NativePostgres(server.OdbcConnectionString()), rows, rounds) && met;
    } else {
        std::printf("PostgreSQL: skipped (QELVOR_TEST_POSTGRES is not set)\n");
    }
    std::remove(path.c_str());
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    long rows = 1000000;
    int rounds = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--rows" && i + 1 < argc)
            rows = std::atol(argv[++i]);
        else if (argument == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            return Refuse("unknown option \"" + argument + "\"");
    }
    if (rows < 1)
        return Refuse("--rows needs a positive count");
    setenv("LC_ALL", "zh_CN.UTF-8", 0);  // names sort by pinyin unless the caller chose a locale
    int status = 0;
    {
        const bench::WindowBenchApplication application(argc, argv);
        const TLongWorkWindowScope longWork;
        std::string failure;
        SetErrorPresenter([&failure](const std::string&, const std::string& text) { failure = text; });
        try {
            status = Run(rows, rounds);
            if (!failure.empty())
                throw std::runtime_error(failure);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "qelvor-heartbeat-bench: %s\n", error.what());
            status = 2;
        }
        SetErrorPresenter({});
    }
    return status;
}
