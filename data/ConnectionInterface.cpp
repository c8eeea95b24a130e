// ConnectionInterface: the runtime's C interface (include/qelvor/qelvor.h), for hosts that
// are not written in C++. No exception crosses it: failures become a null result and the
// thread's last error text.
#include "data/ConnectionInterface.h"

#include "include/qelvor/qelvor.h"

#include <exception>
#include <memory>
#include <string>

#include "data/ADOConnection.h"

namespace {

thread_local std::string lastError;

}  // namespace

void qelvor::SetInterfaceLastError(const std::string& text)
{
    lastError = text;
}

extern "C" {

QelvorConnection* QelvorOpenConnection(const char* connectionString)
{
    lastError.clear();
    if (connectionString == nullptr) {
        lastError = "No connection string";
        return nullptr;
    }
    try {
        auto connection = std::make_unique<qelvor::TADOConnection>("HostConnection");
        connection->SetConnectionString(connectionString);
        connection->Open();
        return connection.release();
    } catch (const std::exception& error) {
        lastError = error.what();
    } catch (...) {
        lastError = "Unknown failure while opening the connection";
    }
    return nullptr;
}

void QelvorCloseConnection(QelvorConnection* connection)
{
    lastError.clear();
    delete connection;  // closes it first
}

const char* QelvorLastError(void)
{
    return lastError.c_str();
}

}  // extern "C"
