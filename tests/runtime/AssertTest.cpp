// QELVOR_ASSERT: on in the builds the tests run in; a failed check names the file, the
// line and the expression, then aborts.
#include <gtest/gtest.h>

#include "runtime/Assert.h"

namespace qelvor {
namespace {

int Evaluations(int& counter)
{
    return ++counter;
}

TEST(AssertDeathTest, AFailedCheckPrintsWhereAndWhatAndAborts)
{
    const int rows = 3;
    EXPECT_DEATH(QELVOR_ASSERT(rows < 2), "AssertTest\\.cpp:[0-9]+: assertion failed: rows < 2");
}

TEST(AssertTest, APassingCheckEvaluatesItsConditionOnceAndGoesOn)
{
    int counter = 0;
    QELVOR_ASSERT(Evaluations(counter) == 1);
    EXPECT_EQ(counter, 1);
}

}  // namespace
}  // namespace qelvor
