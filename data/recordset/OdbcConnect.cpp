#include "data/recordset/OdbcConnect.h"

#include <sqlext.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "data/recordset/CancelSender.h"
#include "data/recordset/ConnectAttempt.h"
#include "data/recordset/ConnectionString.h"
#include "data/recordset/OdbcSupport.h"
#include "data/recordset/SessionSocket.h"
#include "data/recordset/Utf16.h"
#include "runtime/Exceptions.h"
#include "runtime/LongWork.h"

namespace qelvor::recordset {

namespace {

// The server a connection string names by host and port, where it does.
struct ServerAddress {
    std::string host;
    std::uint16_t port = 0;
};

std::optional<ServerAddress> NamedServer(const std::string& connectionString)
{
    try {
        const ConnectionString settings(connectionString);
        const auto host = settings.Find("Server") ? settings.Find("Server") : settings.Find("Host");
        if (!host || host->empty())
            return std::nullopt;
        const auto driver = settings.Find("Driver").value_or("");
        const bool mariaDb = driver.find("MariaDB") != std::string::npos || driver.find("MySQL") != std::string::npos;
        const long port = std::stol(settings.Find("Port").value_or(mariaDb ? "3306" : "5432"));
        if (port <= 0 || port > 65535)
            return std::nullopt;
        return ServerAddress{*host, static_cast<std::uint16_t>(port)};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// One connect at a time to each server, process-wide, so that the links that appear to that
// server while a connect runs are that connect's own (another connect of ours, a cancel's
// session, would otherwise be taken for it). Waiting for the turn is bounded by the
// attempt like any other wait.
class ServerTurn {
public:
    ServerTurn(const std::optional<ServerAddress>& server, const ConnectAttempt& attempt)
        : key_(server ? server->host + ":" + std::to_string(server->port) : std::string())
    {
        if (key_.empty())
            return;
        std::unique_lock<std::mutex> lock(Mutex());
        while (Busy().count(key_)) {
            lock.unlock();
            attempt.ThrowIfOver();
            lock.lock();
            Freed().wait_for(lock, std::chrono::milliseconds(20));
        }
        Busy().insert(key_);
    }
    ~ServerTurn()
    {
        if (key_.empty())
            return;
        {
            const std::lock_guard<std::mutex> lock(Mutex());
            Busy().erase(key_);
        }
        Freed().notify_all();
    }
    ServerTurn(const ServerTurn&) = delete;
    ServerTurn& operator=(const ServerTurn&) = delete;

private:
    static std::mutex& Mutex()
    {
        static std::mutex mutex;
        return mutex;
    }
    static std::condition_variable& Freed()
    {
        static std::condition_variable freed;
        return freed;
    }
    static std::set<std::string>& Busy()  // servers a connect runs to; guarded by Mutex()
    {
        static std::set<std::string> busy;
        return busy;
    }

    const std::string key_;  // "host:port", empty when the server is not known
};

// For the length of one connect: shuts the connect's link down when the attempt's deadline
// passes or a cancel arrives, for drivers whose waits ignore the login time-out.
class ConnectGuard {
public:
    ConnectGuard(ConnectAttempt& attempt, const std::optional<ServerAddress>& server, const SessionSocket::Inodes& before)
        : attempt_(attempt), server_(server), before_(before)
    {
        attempt_.OnCancel([this] {
            const std::lock_guard<std::mutex> lock(mutex_);
            wake_.notify_all();
        });
        thread_ = std::thread([this] { Watch(); });
    }

    ~ConnectGuard()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
        attempt_.ClearOnCancel();
    }

    ConnectGuard(const ConnectGuard&) = delete;
    ConnectGuard& operator=(const ConnectGuard&) = delete;

private:
    void Watch()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        const auto over = [this] { return done_ || attempt_.Cancelled() || attempt_.Expired(); };
        while (!over()) {
            if (const auto deadline = attempt_.Deadline())
                wake_.wait_until(lock, *deadline, over);
            else
                wake_.wait(lock, over);
        }
        if (done_ || !server_)
            return;
        SessionSocket::ShutdownLinksOpenedSince(before_, server_->host, server_->port);
    }

    ConnectAttempt& attempt_;
    const std::optional<ServerAddress> server_;  // where the connect goes, when the string says
    const SessionSocket::Inodes& before_;        // the process's sockets before the connect
    std::mutex mutex_;                           // guards done_
    std::condition_variable wake_;               // the connect's end or a cancel
    bool done_ = false;                          // the driver's connect has returned
    std::thread thread_;                         // last: starts once everything above exists
};

}  // namespace

SessionSocket ConnectOdbcWithin(SQLHDBC connection, const std::string& connectionString, ConnectAttempt& attempt)
{
    attempt.ThrowIfOver();
    SQLSetConnectAttrW(connection, SQL_ATTR_LOGIN_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(attempt.SecondsLeft())), 0);
    std::u16string wide = ToUtf16(connectionString);
    SQLRETURN rc = SQL_ERROR;
    SessionSocket link;
    {
        const std::optional<ServerAddress> server = NamedServer(connectionString);
        const ServerTurn turn(server, attempt);
        const SessionSocket::Inodes before = SessionSocket::OpenSocketInodes();
        {
            const ConnectGuard guard(attempt, server, before);
            rc = SQLDriverConnectW(connection, nullptr, reinterpret_cast<SQLWCHAR*>(wide.data()),
                                   static_cast<SQLSMALLINT>(wide.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
        }
        if (SQL_SUCCEEDED(rc) && server)
            link = SessionSocket::LinkOpenedSince(before, server->host, server->port);
    }
    if (SQL_SUCCEEDED(rc)) {
        attempt.ThrowIfOver();  // a cancel as the connect ended may have shut its link
        return link;
    }
    // What the driver says of a link we shut, or of its own time-out, is not what happened.
    attempt.ThrowIfOver();
    const std::string diagnostics = OdbcDiagnostics(SQL_HANDLE_DBC, connection);
    if (diagnostics.find("HYT00") != std::string::npos || diagnostics.find("timeout expired") != std::string::npos)
        attempt.ThrowTimedOut();
    throw ERecordSetError(diagnostics.empty() ? std::string("SQLDriverConnectW failed") : diagnostics);
}

void SendCancelStatement(const std::string& connectionString, const std::string& statementText, ConnectAttempt& attempt)
{
    OdbcHandle environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    SQLSetEnvAttr(environment.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    OdbcHandle session(SQL_HANDLE_DBC, environment.Get());
    ConnectOdbcWithin(session.Get(), connectionString, attempt);
    {
        OdbcHandle statement(SQL_HANDLE_STMT, session.Get());
        SQLSetStmtAttrW(statement.Get(), SQL_ATTR_QUERY_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(kCancelTimeoutSeconds)), 0);
        std::u16string text = ToUtf16(statementText);
        SQLExecDirectW(statement.Get(), reinterpret_cast<SQLWCHAR*>(text.data()), SQL_NTS);
    }
    SQLDisconnect(session.Get());
}

}  // namespace qelvor::recordset
