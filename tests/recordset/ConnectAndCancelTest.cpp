// Waits that end and cancels that stay with their statement, on every provider:
// - a connect to a server that accepts and never answers, or that answers the start-up and
//   then goes silent, ends at the connection's time-out with a message naming the server;
//   on the native providers a cancel ends it at once, also without a time-out;
// - a cancel that comes as its statement ends leaves the next statement alone;
// - searches cancelled at random moments either complete with every row or end silently;
// - a forced stop gives up its own session only, whatever else the process connects.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "RelayProcess.h"
#include "TestDatabase.h"
#include "data/recordset/ConnectAttempt.h"
#include "data/recordset/ConnectionString.h"
#include "data/recordset/HostAddress.h"
#include "data/recordset/ResultBatch.h"
#include "data/recordset/ResultTable.h"
#include "runtime/Exceptions.h"
#include "runtime/LongWork.h"

namespace qelvor::recordset::test {
namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;
using namespace std::chrono_literals;

double SecondsSince(Clock::time_point start)
{
    return Seconds(Clock::now() - start).count();
}

// A TCP listener on a free loopback port.
int Listen(std::uint16_t& port)
{
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(listener, 64) != 0
        || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("cannot listen on loopback");
    port = ntohs(address.sin_port);
    return listener;
}

int ConnectTo(const std::string& host, std::uint16_t port)
{
    const int link = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, host == "localhost" ? "127.0.0.1" : host.c_str(), &address.sin_addr);
    if (connect(link, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(link);
        return -1;
    }
    return link;
}

// A server of the test's own that accepts every connection and never answers.
class MuteServer {
public:
    MuteServer()
    {
        listener_ = Listen(port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~MuteServer()
    {
        stopping_ = true;
        shutdown(listener_, SHUT_RDWR);
        thread_.join();
        close(listener_);
        for (const int link : links_)
            close(link);
    }
    std::uint16_t Port() const { return port_; }

private:
    void Serve()
    {
        while (!stopping_) {
            pollfd wait = {listener_, POLLIN, 0};
            if (poll(&wait, 1, 50) <= 0)
                continue;
            const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0)
                links_.push_back(client);
        }
    }

    std::uint16_t port_ = 0;
    int listener_ = -1;
    std::vector<int> links_;  // the server thread's own until it has ended
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// A relay that passes the server's first answer and then nothing more, or everything
// after RelayWhole(true).
class MuteRelay : public RelayProcess {
public:
    explicit MuteRelay(std::uint16_t upstreamPort) : RelayProcess(QELVOR_MUTE_RELAY, {std::to_string(upstreamPort)}) {}
    void RelayWhole(bool whole) { Tell(whole ? "whole" : "mute"); }
};

// The ways to a server: native PostgreSQL and MariaDB, and ODBC with the PostgreSQL and MariaDB drivers.
struct Route {
    const char* name;
    const char* environment;  // the variable naming a real server of this kind
    std::string (*text)(std::uint16_t port, const std::string& rest);
    bool native = true;       // waits in our own loop (an ODBC driver's connect blocks inside the driver)
};

const Route kRoutes[] = {
    {"postgres", "QELVOR_TEST_POSTGRES",
     [](std::uint16_t port, const std::string& rest) {
         return "Provider=PostgreSQL;Server=127.0.0.1;Port=" + std::to_string(port) + ";Database=x;Uid=x;" + rest;
     }},
    {"odbc", "QELVOR_TEST_ODBC",
     [](std::uint16_t port, const std::string& rest) {
         return "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(port) + ";Database=x;Uid=x;" + rest;
     },
     false},
    {"mariadb", "QELVOR_TEST_MARIADB",
     [](std::uint16_t port, const std::string& rest) {
         return "Driver={MariaDB Unicode};Server=127.0.0.1;Port=" + std::to_string(port) + ";Database=x;Uid=x;" + rest;
     },
     false},
    {"mariadbnative", "QELVOR_TEST_MARIADB_NATIVE",
     [](std::uint16_t port, const std::string& rest) {
         return "Provider=MariaDB;Server=127.0.0.1;Port=" + std::to_string(port) + ";Database=x;Uid=x;" + rest;
     }},
};

class ConnectBounds : public ::testing::TestWithParam<Route> {};

// Opens text; returns the failure's message, or "cancelled".
std::string OpenFailure(const std::string& text, WorkProgress* progress = nullptr)
{
    Connection connection;
    try {
        connection.Open(text, progress);
    } catch (const EWorkCancelled&) {
        return "cancelled";
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return "opened";
}

// The MariaDB ODBC driver waits for the server's greeting without a limit (its login
// time-out bounds only the TCP connect, its READ_TIMEOUT not even that): the README says so.
bool WaitsForTheGreetingUnbounded(const Route& route)
{
    return std::string(route.name) == "mariadb";
}

TEST_P(ConnectBounds, AServerThatAcceptsAndNeverAnswersEndsAtTheTimeOut)
{
    if (WaitsForTheGreetingUnbounded(GetParam()))
        GTEST_SKIP() << "the MariaDB ODBC driver waits for the greeting without a limit: use Provider=MariaDB";
    const MuteServer server;
    const auto started = Clock::now();
    const std::string message = OpenFailure(GetParam().text(server.Port(), "Connect Timeout=1"));
    const double took = SecondsSince(started);
    EXPECT_NE(message.find("127.0.0.1:" + std::to_string(server.Port())), std::string::npos) << message;
    EXPECT_NE(message.find("did not answer within 1 second "), std::string::npos) << message;
    EXPECT_GE(took, 0.9);
    EXPECT_LT(took, 4.0);
}

TEST_P(ConnectBounds, TheTimeOutsMessageNamesTheKeyAsTheUserWroteIt)
{
    if (WaitsForTheGreetingUnbounded(GetParam()))
        GTEST_SKIP() << "the MariaDB ODBC driver waits for the greeting without a limit: use Provider=MariaDB";
    const MuteServer server;
    // Each route with a spelling of its own: libpq's, ours in other letters, the MariaDB driver's.
    const std::string route = GetParam().name;
    const std::string key = route == "postgres" ? "connect_timeout" : route == "odbc" ? "connect TIMEOUT" : "CONN_TIMEOUT";
    const std::string message = OpenFailure(GetParam().text(server.Port(), key + "=1"));
    EXPECT_NE(message.find("\"" + key + "\" in the connection string"), std::string::npos) << message;
}

TEST_P(ConnectBounds, AServerThatGoesSilentHalfWayThroughTheStartUpEndsAtTheTimeOut)
{
    // The PostgreSQL ODBC driver's own statements after the log-in wait without a limit.
    if (!GetParam().native)
        GTEST_SKIP() << "an ODBC driver's start-up after the log-in is bounded by the driver alone: use the native "
                        "providers";
    const char* real = std::getenv(GetParam().environment);
    if (real == nullptr || *real == '\0')
        GTEST_SKIP() << GetParam().environment << " names no server";
    const ConnectionString settings(real);
    const MuteRelay relay(static_cast<std::uint16_t>(std::stoi(settings.Find("Port").value_or("0"))));
    // The real server's own user and database, through the relay.
    std::string rest = "Connect Timeout=1;";
    for (const auto& [key, value] : settings.Pairs())
        if (key != "Port" && key != "Server" && key != "Driver" && key != "Provider")
            rest += key + "=" + value + ";";
    const auto started = Clock::now();
    const std::string message = OpenFailure(GetParam().text(relay.Port(), rest));
    const double took = SecondsSince(started);
    EXPECT_NE(message.find("did not answer within 1 second "), std::string::npos) << message;
    EXPECT_LT(took, 4.0);
}

TEST_P(ConnectBounds, ACancelEndsAConnectAtOnceEvenWithoutATimeOut)
{
    if (!GetParam().native)
        GTEST_SKIP() << "an ODBC driver's connect blocks inside the driver: only its own time-outs end it";
    const MuteServer server;
    WorkProgress progress;
    std::thread canceller([&progress] {
        std::this_thread::sleep_for(300ms);
        progress.RequestCancel();
    });
    const auto started = Clock::now();
    const std::string message = OpenFailure(GetParam().text(server.Port(), "Connect Timeout=0"), &progress);
    const double took = SecondsSince(started);
    canceller.join();
    EXPECT_EQ(message, "cancelled");
    EXPECT_LT(took, 0.3 + 0.25);
}

TEST_P(ConnectBounds, NothingListeningIsToldAtOnce)
{
    std::uint16_t port = 0;
    close(Listen(port));  // a port that was free a moment ago, now refusing
    const auto started = Clock::now();
    const std::string message = OpenFailure(GetParam().text(port, ""));
    EXPECT_LT(SecondsSince(started), 2.0);
    EXPECT_NE(message, "opened");
    EXPECT_EQ(message.find("did not answer"), std::string::npos) << message;
}

TEST_P(ConnectBounds, TheReconnectAfterALostSessionIsCancelledWithItsStatement)
{
    if (!GetParam().native)
        GTEST_SKIP() << "an ODBC driver's connect blocks inside the driver: only its own time-outs end it";
    const char* real = std::getenv(GetParam().environment);
    if (real == nullptr || *real == '\0')
        GTEST_SKIP() << GetParam().environment << " names no server";
    const ConnectionString settings(real);
    MuteRelay relay(static_cast<std::uint16_t>(std::stoi(settings.Find("Port").value_or("0"))));
    relay.RelayWhole(true);
    std::string rest = "Connect Timeout=0;";  // only the cancel can end the reconnect
    for (const auto& [key, value] : settings.Pairs())
        if (key != "Port" && key != "Server" && key != "Driver" && key != "Provider")
            rest += key + "=" + value + ";";
    Connection session;
    session.Open(GetParam().text(relay.Port(), rest));
    const std::string sleep = std::string_view(GetParam().name).starts_with("mariadb") ? "SELECT SLEEP(30)" : "SELECT pg_sleep(30)";
    // A forced stop loses the session; the server then stops answering new sessions.
    WorkProgress first;
    // A forced stop alone: a cancel could end the statement first and keep the session.
    std::thread stopper([&first] {
        std::this_thread::sleep_for(200ms);
        first.ForceStop();
    });
    EXPECT_THROW(session.Execute(sleep, {}, 0, 0, &first), EWorkCancelled);
    stopper.join();
    relay.RelayWhole(false);
    WorkProgress second;
    std::thread canceller([&second] {
        std::this_thread::sleep_for(300ms);
        second.RequestCancel();
    });
    const auto started = Clock::now();
    EXPECT_THROW(session.Execute("SELECT 1", {}, 0, 0, &second), EWorkCancelled);
    const double took = SecondsSince(started);
    canceller.join();
    EXPECT_LT(took, 0.3 + 0.5) << "the reconnect went on after its statement was cancelled";
}

INSTANTIATE_TEST_SUITE_P(Routes, ConnectBounds, ::testing::ValuesIn(kRoutes),
                         [](const auto& route) { return std::string(route.param.name); });

// A data source named in Chinese connects (the driver manager narrows a wide connection
// string by dropping each character's high byte, and then finds no such name).
TEST(OdbcDataSource, ANameInChineseConnects)
{
    const char* real = std::getenv("QELVOR_TEST_ODBC");
    if (real == nullptr || *real == '\0')
        GTEST_SKIP() << "QELVOR_TEST_ODBC names no server";
    const ConnectionString settings(real);
    char folder[] = "/tmp/qelvor-dsn.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string ini = std::string(folder) + "/odbc.ini";
    {
        std::ofstream file(ini);
        file << "[考试库PG]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=" << *settings.Find("Port")
             << "\nDatabase=" << settings.Find("Database").value_or("postgres") << "\n";
    }
    const char* before = std::getenv("ODBCINI");
    const std::string saved = before ? before : "";
    setenv("ODBCINI", ini.c_str(), 1);
    std::string outcome;
    try {
        Connection connection;
        connection.Open("DSN=考试库PG;Uid=" + settings.Find("Uid").value_or("postgres") + ";Pwd=;TextAsLongVarchar=0");
        outcome = connection.Execute("SELECT 7 AS seven", 0, 0)->Current()->Value(0, 0).ToString();
    } catch (const std::exception& failure) {
        outcome = failure.what();
    }
    if (before)
        setenv("ODBCINI", saved.c_str(), 1);
    else
        unsetenv("ODBCINI");
    std::remove(ini.c_str());
    rmdir(folder);
    EXPECT_EQ(outcome, "7");
}

// Host names are looked up within the connect's bounds, before the client library gets
// them as an address.
TEST(HostLookup, NamesBecomeAddressesWithinTheAttemptAndWhatNeedsNoLookupIsLeftAlone)
{
#if defined(__SANITIZE_THREAD__)
    // The C library runs the lookup on threads it starts itself, which the thread
    // sanitizer's run-time cannot follow (the process crashes inside the library).
    GTEST_SKIP() << "the thread sanitizer cannot follow the C library's lookup threads";
#endif
    ConnectAttempt attempt("test", 5, nullptr);
    EXPECT_EQ(ResolveHostWithin("127.0.0.1", attempt), std::nullopt);
    EXPECT_EQ(ResolveHostWithin("::1", attempt), std::nullopt);
    EXPECT_EQ(ResolveHostWithin("/var/run/postgresql", attempt), std::nullopt);
    EXPECT_EQ(ResolveHostWithin("", attempt), std::nullopt);
    const auto local = ResolveHostWithin("localhost", attempt);
    ASSERT_TRUE(local.has_value());
    EXPECT_TRUE(*local == "127.0.0.1" || *local == "::1") << *local;
    try {
        ResolveHostWithin("no-such-host.invalid", attempt);
        ADD_FAILURE() << "a name that does not exist was resolved";
    } catch (const ERecordSetError& failure) {
        // A machine without a name server may also let the lookup run into the bound.
        const std::string message = failure.what();
        EXPECT_TRUE(message.find("\"no-such-host.invalid\" cannot be found") != std::string::npos ||
                    message.find("did not answer within 5 seconds") != std::string::npos)
            << message;
    }
    ConnectAttempt cancelled("test", 5, nullptr);
    cancelled.Cancel();
    EXPECT_THROW(ResolveHostWithin("localhost", cancelled), EWorkCancelled);
}

TEST(ConnectTimeout, TheConnectionStringSetsItAndNonsenseIsRefused)
{
    EXPECT_EQ(ConnectTimeoutSeconds(ConnectionString("Provider=PostgreSQL;Server=a")), 15);
    EXPECT_EQ(ConnectTimeoutSeconds(ConnectionString("Provider=PostgreSQL;Connect Timeout=3")), 3);
    EXPECT_EQ(ConnectTimeoutSeconds(ConnectionString("Driver={x};connect_timeout=4")), 4);
    EXPECT_EQ(ConnectTimeoutSeconds(ConnectionString("Driver={x};CONN_TIMEOUT=0")), 0);
    EXPECT_THROW(ConnectTimeoutSeconds(ConnectionString("Driver={x};Connect Timeout=soon")), ERecordSetError);
    EXPECT_THROW(ConnectTimeoutSeconds(ConnectionString("Driver={x};Connect Timeout=-1")), ERecordSetError);
    // The key read, as written: messages name what the user can find in the string.
    EXPECT_EQ(ConnectTimeoutKey(ConnectionString("Provider=PostgreSQL;Server=a")), "Connect Timeout");
    EXPECT_EQ(ConnectTimeoutKey(ConnectionString("Driver={x};conn_timeout=4;Server=a")), "conn_timeout");
    EXPECT_EQ(ConnectTimeoutKey(ConnectionString("Driver={x};connect_timeout=4;CONNECT TIMEOUT=5")), "CONNECT TIMEOUT")
        << "ours first, as the time-out is read";
}

// Statements on real servers.
class CancelScope : public ProviderTest {
protected:
    std::string Sleep(double seconds, const std::string& value) const
    {
        const std::string s = std::to_string(seconds);
        if (db_->IsMariaDb())
            return "SELECT SLEEP(" + s + ") AS s, " + value + " AS v";
        return "SELECT pg_sleep(" + s + ") AS s, " + value + " AS v";
    }
};

TEST_P(CancelScope, ACancelThatComesAsItsStatementEndsLeavesTheNextStatementAlone)
{
    if (db_->IsSqlite())
        GTEST_SKIP() << "SQLite's interrupt is a call, not a message to a server";
    // Cancels asked for at moments around the end of a short statement, some of them still
    // on their way to the server as it ends: the statement after each runs whole.
    for (int step = 0; step < 8; ++step) {
        WorkProgress progress;
        std::thread canceller([&progress, step] {
            std::this_thread::sleep_for(220ms + step * 20ms);
            progress.RequestCancel();
        });
        try {
            db_->Session().Execute(Sleep(0.3, "1"), {}, 0, 0, &progress);
        } catch (const EWorkCancelled&) {
        }
        canceller.join();
        const auto batch = db_->Session().Execute(Sleep(0.5, "7"), {}, 0, 0, nullptr);
        ASSERT_TRUE(batch->Current() != nullptr);
        EXPECT_EQ(batch->Current()->RowCount(), 1) << "a cancel reached the statement after its own (step " << step << ")";
    }
}

// Rows 1..n, produced with some work so that they arrive over a while.
std::string Rows(const TestDatabase& db, int n)
{
    const std::string count = std::to_string(n);
    if (db.IsSqlite())
        return "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " + count
               + ") SELECT x, length(hex(zeroblob(2000))) AS w FROM c";
    if (db.IsMariaDb())
        return "SELECT seq AS x, length(sha2(repeat(seq, 100), 512)) AS w FROM seq_1_to_" + count;
    return "SELECT x, length(md5(repeat(x::text, 200))) AS w FROM generate_series(1, " + count + ") x";
}

int CyclesWanted()
{
    const char* text = std::getenv("QELVOR_CANCEL_CYCLES");
    return text ? std::max(1, std::atoi(text)) : 100;
}

TEST_P(CancelScope, SearchesCancelledAtRandomMomentsEndCompleteOrSilently)
{
    const int rows = 3000;
    const std::string sql = Rows(*db_, rows);
    const auto started = Clock::now();
    ASSERT_EQ(db_->Session().Execute(sql, 0, 0)->Current()->RowCount(), rows);
    const auto typical = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);
    std::mt19937 random(20261208);
    // From before the first row to well after the last.
    std::uniform_int_distribution<long long> moment(0, typical.count() * 3 / 2 + 1000);
    int completed = 0, cancelled = 0;
    std::atomic<int> forced{0};
    std::string history;  // what the cycles before a failure did
    const int cycles = CyclesWanted();
    for (int cycle = 0; cycle < cycles; ++cycle) {
        WorkProgress progress;
        std::atomic<bool> ended{false};
        const auto wait = std::chrono::microseconds(moment(random));
        // Every fourth cancel is forced at once, as when the application quits during the
        // wait: the next statement runs on a new session.
        const bool forceAtOnce = cycle % 4 == 3;
        std::thread canceller([&] {
            std::this_thread::sleep_for(wait);
            progress.RequestCancel();
            if (forceAtOnce && !ended) {
                ++forced;
                progress.ForceStop();
            }
        });
        try {
            const auto batch = db_->Session().Execute(sql, {}, 0, 0, &progress);
            ended = true;
            ASSERT_EQ(batch->Current()->RowCount(), rows) << "cycle " << cycle << ": a partial result shown as complete";
            ++completed;
            history += forceAtOnce ? " complete(forced)" : " complete";
        } catch (const EWorkCancelled&) {
            ended = true;
            ++cancelled;
            history += forceAtOnce ? " cancelled(forced)" : " cancelled";
        } catch (const std::exception& failure) {
            ended = true;
            canceller.join();
            FAIL() << "cycle " << cycle << " failed: " << failure.what() << " (after: " << history << ")";
        }
        canceller.join();
        if (history.size() > 200)
            history.erase(0, history.size() - 200);
    }
    std::cout << GetParam() << ": " << cycles << " cycles, " << completed << " complete, " << cancelled
              << " cancelled (" << forced.load() << " forced stops)\n";
    EXPECT_EQ(completed + cancelled, cycles);
    // The session still serves.
    EXPECT_EQ(db_->Session().Execute(sql, 0, 0)->Current()->RowCount(), rows);
}

// Whether a link is still open (one shut down in both directions reports a hang-up; what
// the server sent meanwhile, a greeting, does not count).
bool StillOpen(int link)
{
    pollfd wait = {link, POLLIN, 0};
    return poll(&wait, 1, 0) == 0 || !(wait.revents & POLLHUP);
}

TEST_P(CancelScope, AForcedStopShutsItsOwnSessionOnlyWhateverElseTheProcessConnects)
{
    if (db_->IsSqlite())
        GTEST_SKIP() << "no link to shut";
    const char* real = std::getenv(ServerVariable(GetParam()));
    ASSERT_TRUE(real != nullptr);
    const ConnectionString settings(real);
    const auto port = static_cast<std::uint16_t>(std::stoi(settings.Find("Port").value_or("0")));
    // Another thread keeps opening and closing links to the same server while a session
    // connects; the ones it keeps open must survive the session's forced stop.
    std::atomic<bool> churning{true};
    std::atomic<int> keptCount{0};
    std::mutex keptMutex;
    std::vector<int> kept;
    std::thread churn([&] {
        for (int i = 0; churning; ++i) {
            const int link = ConnectTo("127.0.0.1", port);
            if (link < 0)
                continue;
            if (i % 4 == 0) {
                const std::lock_guard<std::mutex> lock(keptMutex);
                kept.push_back(link);
                ++keptCount;
            } else {
                close(link);
            }
            std::this_thread::sleep_for(1ms);
        }
    });
    Connection session;
    try {
        // The churn is under way before the session connects (on a loaded machine the
        // connect could otherwise end before the other thread has kept a link at all).
        const auto churnDeadline = std::chrono::steady_clock::now() + 10s;
        while (keptCount == 0 && std::chrono::steady_clock::now() < churnDeadline)
            std::this_thread::sleep_for(1ms);
        session.Open(real);
    } catch (...) {
        churning = false;
        churn.join();
        throw;
    }
    churning = false;
    churn.join();
    WorkProgress progress;
    // A forced stop alone: a cancel could end the statement before the stop shuts anything.
    std::thread stopper([&progress] {
        std::this_thread::sleep_for(300ms);
        progress.ForceStop();
    });
    EXPECT_THROW(session.Execute(Sleep(30, "1"), {}, 0, 0, &progress), EWorkCancelled);
    stopper.join();
    for (const int link : kept) {
        EXPECT_TRUE(StillOpen(link)) << "a link of another thread was shut";
        close(link);
    }
    EXPECT_FALSE(kept.empty());
}

INSTANTIATE_TEST_SUITE_P(Providers, CancelScope, ::testing::ValuesIn(kProviders));

}  // namespace
}  // namespace qelvor::recordset::test
