// Collation keys of a column large enough to be made in two halves on two threads: the
// keys must order every pair of rows as the collation does, across the halves' seam.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "data/recordset/ColumnBuilder.h"
#include "data/recordset/SortKeys.h"
#include "runtime/Collation.h"

namespace qelvor::recordset::test {
namespace {

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

TEST(SortKeysTest, KeysMadeInTwoHalvesOrderLikeTheCollation)
{
    // The first half shares a long leading text, the second a shorter one: the prefix
    // must start after what both halves share, or long shared bytes would hide the order.
    constexpr int kRows = 150000;
    std::mt19937 random(3);
    std::vector<std::string> values(kRows);
    for (int row = 0; row < kRows; ++row)
        values[static_cast<std::size_t>(row)] =
            (row < kRows / 2 ? "4401010203" : "44") + std::to_string(random() % 100000000) + (row % 7 == 0 ? "张" : "");
    ResultColumn column;
    FieldInfo field;
    ColumnBuilder builder(column, field, ColumnStorage::Text, true);
    for (int row = 0; row < kRows; ++row) {
        if (row % 1000 == 999)
            builder.AppendNull();
        else
            builder.AppendBytes(values[static_cast<std::size_t>(row)]);
    }
    builder.Finish();
    const Collation& collation = Collation::ForLocale("zh_CN");
    const SortKeys keys(column, collation);
    for (int pair = 0; pair < 200000; ++pair) {
        const auto a = static_cast<std::uint32_t>(random() % kRows);
        const auto b = static_cast<std::uint32_t>(random() % kRows);
        const bool nullA = column.IsNull(a);
        const bool nullB = column.IsNull(b);
        const int expected = nullA || nullB ? static_cast<int>(nullB) - static_cast<int>(nullA)
                                            : Sign(collation.Compare(values[a], values[b]));
        ASSERT_EQ(Sign(keys.Compare(a, b)), expected) << values[a] << " vs " << values[b];
    }
}

}  // namespace
}  // namespace qelvor::recordset::test
