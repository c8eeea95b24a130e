#include "data/recordset/OdbcOutOfBandCancel.h"

#include <condition_variable>
#include <mutex>
#include <thread>

#include "data/recordset/OdbcSupport.h"
#include "data/recordset/Utf16.h"
#include "runtime/Assert.h"

namespace qelvor::recordset {

namespace {

// A cancel to a server that accepts connections but does not answer gives up after this.
constexpr SQLULEN kCancelTimeoutSeconds = 5;

// Connects, sends the statement, disconnects; a failure is dropped (the statement's own
// outcome tells whether it stopped).
void SendOnOwnSession(const std::string& connectionString, const std::string& statementText) noexcept
{
    try {
        OdbcHandle environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
        SQLSetEnvAttr(environment.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        OdbcHandle session(SQL_HANDLE_DBC, environment.Get());
        SQLSetConnectAttrW(session.Get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(kCancelTimeoutSeconds), 0);
        std::u16string connectText = ToUtf16(connectionString);
        if (!SQL_SUCCEEDED(SQLDriverConnectW(session.Get(), nullptr, reinterpret_cast<SQLWCHAR*>(connectText.data()),
                                             SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)))
            return;
        {
            OdbcHandle statement(SQL_HANDLE_STMT, session.Get());
            SQLSetStmtAttrW(statement.Get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(kCancelTimeoutSeconds), 0);
            std::u16string text = ToUtf16(statementText);
            SQLExecDirectW(statement.Get(), reinterpret_cast<SQLWCHAR*>(text.data()), SQL_NTS);
        }
        SQLDisconnect(session.Get());
    } catch (...) {
    }
}

}  // namespace

struct OdbcOutOfBandCancel::Pending {
    std::mutex mutex;
    std::condition_variable answered;
    int running = 0;

    void Answered()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        --running;
        answered.notify_all();
    }
};

OdbcOutOfBandCancel::OdbcOutOfBandCancel(std::string connectionString, std::string cancelStatement)
    : connectionString_(std::move(connectionString)),
      cancelStatement_(std::move(cancelStatement)),
      pending_(std::make_shared<Pending>())
{
    QELVOR_ASSERT(!cancelStatement_.empty());
}

void OdbcOutOfBandCancel::Send()
{
    {
        const std::lock_guard<std::mutex> lock(pending_->mutex);
        ++pending_->running;
    }
    try {
        std::thread([pending = pending_, connectionString = connectionString_, statementText = cancelStatement_] {
            SendOnOwnSession(connectionString, statementText);
            pending->Answered();
        }).detach();
    } catch (...) {
        pending_->Answered();  // no thread: nothing to wait for
        throw;
    }
}

void OdbcOutOfBandCancel::WaitForAnswers()
{
    std::unique_lock<std::mutex> lock(pending_->mutex);
    pending_->answered.wait(lock, [this] { return pending_->running == 0; });
}

}  // namespace qelvor::recordset
