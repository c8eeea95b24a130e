// The runtime's C interface: a connection opened from a connection string, failures as a
// null result with the reason in the last error, never as an exception.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "data/ADOConnection.h"
#include "include/qelvor/qelvor.h"

namespace qelvor {
namespace {

// An empty file is an empty SQLite database; the provider opens only existing ones.
std::string EmptyDatabase(const char* name)
{
    const std::string path = "/tmp/qelvor-" + std::string(name) + "-" + std::to_string(getpid()) + ".db";
    std::fclose(std::fopen(path.c_str(), "w"));
    return path;
}

TEST(ConnectionInterface, OpensAConnectionTheModuleCanUse)
{
    const std::string path = EmptyDatabase("c-interface");
    QelvorConnection* connection = QelvorOpenConnection(("Provider=SQLite;Data Source=" + path).c_str());
    ASSERT_NE(connection, nullptr) << QelvorLastError();
    EXPECT_STREQ(QelvorLastError(), "");
    // The handle is the runtime's own connection, open, as ShowForm expects it.
    EXPECT_TRUE(connection->Connected());
    QelvorCloseConnection(connection);
    QelvorCloseConnection(nullptr);
    std::remove(path.c_str());
}

TEST(ConnectionInterface, FailuresGiveNullAndTheirReason)
{
    EXPECT_EQ(QelvorOpenConnection("Provider=NoSuchProvider;Data Source=x"), nullptr);
    const std::string reason = QelvorLastError();
    EXPECT_FALSE(reason.empty());

    EXPECT_EQ(QelvorOpenConnection("Provider=SQLite;Data Source=/nonexistent-folder/exam.db"), nullptr);
    EXPECT_FALSE(std::string(QelvorLastError()).empty());

    EXPECT_EQ(QelvorOpenConnection(nullptr), nullptr);
    EXPECT_STREQ(QelvorLastError(), "No connection string");

    // A success clears the reason of an earlier failure.
    const std::string path = EmptyDatabase("c-interface-ok");
    QelvorConnection* connection = QelvorOpenConnection(("Provider=SQLite;Data Source=" + path).c_str());
    ASSERT_NE(connection, nullptr) << QelvorLastError();
    EXPECT_STREQ(QelvorLastError(), "");
    QelvorCloseConnection(connection);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace qelvor
