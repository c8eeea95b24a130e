// Waits against servers that misbehave the way real ones do, on the native providers:
// - a server frozen in the middle of sending a result (its processes stopped): the time-out
//   ends the statement within the time-out and the cancel's bound, a cancel within the
//   bound, and the connection serves again once the server is back;
// - a server some network away (a relay adding 50 ms each way): a cancel keeps its session
//   nearly always, rather than turning into a forced stop and a reconnect;
// - the thread that runs a statement waits for it alone: no thread is started to watch,
//   time or cancel it.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "RelayProcess.h"
#include "TestDatabase.h"
#include "data/recordset/ConnectionString.h"
#include "data/recordset/ResultBatch.h"
#include "data/recordset/ResultTable.h"
#include "data/recordset/StatementWatch.h"
#include "runtime/Exceptions.h"
#include "runtime/LongWork.h"
#include "tests/support/PrivateServer.h"

namespace qelvor::recordset::test {
namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;
using namespace std::chrono_literals;
using qelvor::test::PrivateServer;
using qelvor::test::ServerTestsRequired;

double SecondsSince(Clock::time_point start)
{
    return Seconds(Clock::now() - start).count();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// A native provider and how to reach it, given the ODBC string a server script prints.
struct NativeRoute {
    const char* name;
    PrivateServer::Kind kind;
    const char* odbcDriver;  // replaced by the provider in the script's connection string
    const char* provider;
    const char* sessionNumber;  // the statement that names the session on its server
};

const NativeRoute kNativeRoutes[] = {
    {"postgres", PrivateServer::Kind::Postgres, "Driver={PostgreSQL Unicode}", "Provider=PostgreSQL",
     "SELECT pg_backend_pid()"},
    {"mariadb", PrivateServer::Kind::MariaDb, "Driver={MariaDB Unicode}", "Provider=MariaDB",
     "SELECT CONNECTION_ID()"},
};

std::string NativeText(const NativeRoute& route, const std::string& odbc)
{
    return Replaced(odbc, route.odbcDriver, route.provider);
}

// Rows that the server produces with some work each, so that they stream for many seconds.
std::string SlowRows(const NativeRoute& route)
{
    if (route.kind == PrivateServer::Kind::MariaDb)
        return "SELECT seq AS x, length(sha2(repeat(seq, 400), 512)) AS w FROM seq_1_to_50000000";
    // The series in the select list streams; in FROM it would be built whole first.
    return "SELECT x, length(md5(repeat(x::text, 600))) AS w FROM (SELECT generate_series(1, 50000000) AS x) s";
}

class FrozenServer : public ::testing::TestWithParam<NativeRoute> {
protected:
    void SetUp() override
    {
        server_ = std::make_unique<PrivateServer>(GetParam().kind);
        if (!server_->Available()) {
            if (ServerTestsRequired())
                FAIL() << server_->Problem();
            GTEST_SKIP() << server_->Problem();
        }
        session_.Open(NativeText(GetParam(), server_->OdbcConnectionString()));
    }

    // Runs the slow rows with the given time-out and freezes the server once rows arrive;
    // then asks for a cancel after cancelAfter when given. Returns the outcome ("opened",
    // "cancelled", or the failure's message) and the seconds from the freeze to the end.
    std::pair<std::string, double> RunAndFreeze(int timeoutSeconds, std::optional<std::chrono::milliseconds> cancelAfter)
    {
        WorkProgress progress;
        std::atomic<bool> ended{false};
        Clock::time_point frozenAt = Clock::now();
        bool frozenMidResult = false;
        std::thread freezer([&] {
            const auto deadline = Clock::now() + 30s;
            while (progress.Rows() < 2000 && !ended && Clock::now() < deadline)
                std::this_thread::sleep_for(5ms);
            frozenAt = Clock::now();
            frozenMidResult = progress.Rows() >= 2000 && !ended;
            server_->Freeze();
            if (cancelAfter) {
                std::this_thread::sleep_for(*cancelAfter);
                progress.RequestCancel();
            }
        });
        std::string outcome = "opened";
        try {
            session_.Execute(SlowRows(GetParam()), {}, timeoutSeconds, 0, &progress);
        } catch (const EWorkCancelled&) {
            outcome = "cancelled";
        } catch (const std::exception& failure) {
            outcome = failure.what();
        }
        ended = true;
        freezer.join();
        EXPECT_TRUE(frozenMidResult) << "the server was not frozen while rows arrived: " << outcome;
        return {outcome, SecondsSince(frozenAt)};
    }

    void ExpectServesAfterTheThaw()
    {
        server_->Thaw();
        const auto batch = session_.Execute("SELECT 5 AS five", 0, 0);
        ASSERT_TRUE(batch->Current() != nullptr);
        EXPECT_EQ(batch->Current()->RowCount(), 1);
    }

    std::unique_ptr<PrivateServer> server_;
    Connection session_;
};

// Slack for a loaded machine on top of the bounds themselves.
constexpr double kSlackSeconds = 3.0;

TEST_P(FrozenServer, TheTimeOutEndsAStatementWhoseServerFreezesMidResult)
{
    const auto [outcome, afterFreeze] = RunAndFreeze(2, std::nullopt);
    EXPECT_EQ(outcome, "Query timeout expired");
    EXPECT_LT(afterFreeze, 2 + kCancelBound.count() + kSlackSeconds);
    ExpectServesAfterTheThaw();
}

TEST_P(FrozenServer, ACancelEndsAStatementWhoseServerFreezesMidResultWithinTheBound)
{
    const auto [outcome, afterFreeze] = RunAndFreeze(0, 300ms);
    EXPECT_EQ(outcome, "cancelled");
    EXPECT_LT(afterFreeze, 0.3 + kCancelBound.count() + kSlackSeconds);
    EXPECT_GE(afterFreeze, kCancelBound.count() - 0.5) << "the session was given up before its cancel had a chance";
    ExpectServesAfterTheThaw();
}

INSTANTIATE_TEST_SUITE_P(Native, FrozenServer, ::testing::ValuesIn(kNativeRoutes),
                         [](const auto& route) { return std::string(route.param.name); });

// A relay that adds latency each way (tests/support/delay_relay.py).
class DelayRelay : public RelayProcess {
public:
    DelayRelay(std::uint16_t upstreamPort, int delayMs)
        : RelayProcess(QELVOR_DELAY_RELAY, {std::to_string(upstreamPort), std::to_string(delayMs)})
    {
    }
};

int CyclesWanted()
{
    const char* text = std::getenv("QELVOR_CANCEL_CYCLES");
    return text ? std::max(1, std::atoi(text)) : 100;
}

class DistantServer : public ::testing::TestWithParam<NativeRoute> {};

TEST_P(DistantServer, ACancelKeepsItsSessionWhenTheServerIsSomeNetworkAway)
{
    const char* shared = std::getenv(GetParam().kind == PrivateServer::Kind::Postgres ? "QELVOR_TEST_ODBC"
                                                                                      : "QELVOR_TEST_MARIADB");
    if (shared == nullptr || *shared == '\0') {
        if (ServerTestsRequired())
            FAIL() << "no server named for " << GetParam().name;
        GTEST_SKIP() << "no server named for " << GetParam().name;
    }
    const ConnectionString settings(shared);
    const DelayRelay relay(static_cast<std::uint16_t>(std::stoi(settings.Find("Port").value_or("0"))), 50);
    const std::string text =
        Replaced(NativeText(GetParam(), shared), "Port=" + *settings.Find("Port"), "Port=" + std::to_string(relay.Port()));
    Connection session;
    session.Open(text);
    const auto sessionNumber = [&session, this] {
        return session.Execute(GetParam().sessionNumber, 0, 0)->Current()->Value(0, 0).ToString();
    };
    const std::string first = sessionNumber();
    const std::string sleep = GetParam().kind == PrivateServer::Kind::Postgres ? "SELECT pg_sleep(20)" : "SELECT SLEEP(20)";
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> moment(20, 200);
    const int cycles = CyclesWanted();
    int kept = 0;
    double longest = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        WorkProgress progress;
        const auto wait = std::chrono::milliseconds(moment(random));
        Clock::time_point cancelledAt;
        std::thread canceller([&] {
            std::this_thread::sleep_for(wait);
            cancelledAt = Clock::now();
            progress.RequestCancel();
        });
        EXPECT_THROW(session.Execute(sleep, {}, 0, 0, &progress), EWorkCancelled);
        canceller.join();
        longest = std::max(longest, SecondsSince(cancelledAt));
        const std::string now = sessionNumber();
        if (now == first)
            ++kept;
    }
    std::cout << GetParam().name << " through 50 ms each way: " << kept << " of " << cycles
              << " cancels kept their session; the longest took " << longest << " s\n";
    EXPECT_GE(kept * 100, cycles * 95);
}

INSTANTIATE_TEST_SUITE_P(Native, DistantServer, ::testing::ValuesIn(kNativeRoutes),
                         [](const auto& route) { return std::string(route.param.name); });

// The threads of this process now.
int ThreadCount()
{
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return -1;
    int count = 0;
    while (const dirent* entry = readdir(tasks))
        if (entry->d_name[0] != '.')
            ++count;
    closedir(tasks);
    return count;
}

using StatementThreads = ProviderTest;

TEST_P(StatementThreads, AStatementItsTimeOutAndItsCancelStartNoThread)
{
    if (GetParam() == "odbc" || GetParam() == "mariadb")
        GTEST_SKIP() << "an ODBC driver blocks inside its calls: the provider stops it from a thread of its own";
    // A long statement, cancelled by the thread that counts: nothing but the two of them
    // runs meanwhile (a provider's watch, cancel or guard thread would show).
    const std::string sql =
        db_->IsSqlite()
            ? "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000000) SELECT max(x) FROM c"
        : GetParam() == "postgres" ? "SELECT pg_sleep(20)"
                                   : "SELECT SLEEP(20)";
    // The baseline is counted with the counter already running: a sanitizer's run-time
    // starts a thread of its own along with the first thread of the process.
    WorkProgress progress;
    std::atomic<bool> running{false};
    std::atomic<bool> ended{false};
    int baseline = 0;
    int most = 0;
    std::thread counter([&] {
        for (int i = 0; i < 25; ++i) {
            baseline = std::max(baseline, ThreadCount());
            std::this_thread::sleep_for(2ms);
        }
        running = true;
        const auto cancelAt = Clock::now() + 500ms;
        while (!ended) {
            most = std::max(most, ThreadCount());
            if (Clock::now() >= cancelAt && !progress.CancelRequested())
                progress.RequestCancel();
            std::this_thread::sleep_for(2ms);
        }
    });
    while (!running)
        std::this_thread::sleep_for(1ms);
    EXPECT_THROW(db_->Session().Execute(sql, {}, 30, 0, &progress), EWorkCancelled);
    ended = true;
    counter.join();
    ASSERT_GT(baseline, 0);
    EXPECT_EQ(most, baseline) << "threads besides the statement's and the counter's ran";
}

INSTANTIATE_TEST_SUITE_P(Providers, StatementThreads, ::testing::ValuesIn(kProviders));

}  // namespace
}  // namespace qelvor::recordset::test
