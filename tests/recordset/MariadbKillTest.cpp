// The native MariaDB provider stops a statement with KILL QUERY from a session of its own:
// the statement ends, its session serves the next statement (the same session, not a new
// one).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "TestDatabase.h"
#include "data/recordset/ResultBatch.h"
#include "data/recordset/ResultTable.h"
#include "runtime/Exceptions.h"
#include "runtime/LongWork.h"

namespace qelvor::recordset::test {
namespace {

using namespace std::chrono_literals;

class MariadbKill : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_ = TestDatabase::Open("mariadbnative");
        if (!db_)
            GTEST_SKIP() << "QELVOR_TEST_MARIADB_NATIVE names no server";
    }

    // One value of a one-row statement.
    Variant Single(const std::string& text)
    {
        const auto batch = db_->Session().Execute(text, 30, 0);
        if (!batch->Current() || batch->Current()->RowCount() != 1)
            throw std::runtime_error("no single row from " + text);
        return batch->Current()->Value(0, 0);
    }

    std::unique_ptr<TestDatabase> db_;
};

TEST_F(MariadbKill, ACancelledStatementLeavesItsSessionServing)
{
    db_->Run("SET @kept = 'still here'");
    const Variant session = Single("SELECT CONNECTION_ID()");
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        WorkProgress progress;
        std::thread canceller([&progress] {
            std::this_thread::sleep_for(300ms);
            progress.RequestCancel();
        });
        const auto started = std::chrono::steady_clock::now();
        EXPECT_THROW(db_->Session().Execute("SELECT SLEEP(30)", {}, 0, 0, &progress), EWorkCancelled);
        const auto took = std::chrono::steady_clock::now() - started;
        canceller.join();
        EXPECT_LT(took, 3s) << "the statement went on after its cancel";
        // The same session, with its state: no reconnect happened.
        EXPECT_EQ(Single("SELECT CONNECTION_ID()"), session);
        EXPECT_EQ(Single("SELECT @kept"), Variant("still here"));
    }
    // The time-out takes the same way.
    EXPECT_THROW(db_->Session().Execute("SELECT SLEEP(30)", 1, 0), ERecordSetError);
    EXPECT_EQ(Single("SELECT CONNECTION_ID()"), session);
}

}  // namespace
}  // namespace qelvor::recordset::test
