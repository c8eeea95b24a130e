// Collation keys of a column large enough to be made in two halves on two threads: the
// keys must order every pair of rows as the collation does, across the halves' seam.
#include <gtest/gtest.h>

#include <optional>
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

// Rows of a text column (nullopt: null) keyed in one go; every sampled pair must order
// as the collation orders the values, nulls first.
void ExpectKeysOrderLikeTheCollation(const std::vector<std::optional<std::string>>& values, unsigned seed)
{
    ResultColumn column;
    FieldInfo field;
    ColumnBuilder builder(column, field, ColumnStorage::Text, true);
    for (const std::optional<std::string>& value : values) {
        if (value)
            builder.AppendBytes(*value);
        else
            builder.AppendNull();
    }
    builder.Finish();
    const Collation& collation = Collation::ForLocale("zh_CN");
    const SortKeys keys(column, collation);
    std::mt19937 random(seed);
    const auto rows = static_cast<std::uint32_t>(values.size());
    for (int pair = 0; pair < 100000; ++pair) {
        const std::uint32_t a = random() % rows;
        // Half the pairs straddle the seam between the halves.
        const std::uint32_t b = pair % 2 ? (a + rows / 2) % rows : random() % rows;
        const int expected = !values[a] || !values[b] ? static_cast<int>(!values[b]) - static_cast<int>(!values[a])
                                                      : Sign(collation.Compare(*values[a], *values[b]));
        ASSERT_EQ(Sign(keys.Compare(a, b)), expected)
            << "rows " << a << " and " << b << ": " << values[a].value_or("null") << " vs " << values[b].value_or("null");
    }
}

// The two halves share leading text of different lengths, and the half that shares
// little starts with a value that shares the other half's long text: only that half's
// later values show how little it shares. Each half begins with a null.
TEST(SortKeysTest, HalvesWhoseSharedLeadingTextsDifferOrderLikeTheCollation)
{
    constexpr int kRows = 70000;
    for (const bool longFirst : {true, false}) {
        std::mt19937 random(longFirst ? 11 : 12);
        std::vector<std::optional<std::string>> values(kRows);
        for (int row = 0; row < kRows; ++row) {
            const int inHalf = row < kRows / 2 ? row : row - kRows / 2;
            const bool longHalf = (row < kRows / 2) == longFirst;
            const std::string digits = std::to_string(100000 + random() % 900000);
            if (inHalf == 0)
                values[static_cast<std::size_t>(row)] = std::nullopt;
            else if (longHalf || inHalf == 1)
                values[static_cast<std::size_t>(row)] = "4401010203" + digits;
            else
                values[static_cast<std::size_t>(row)] = "4" + std::to_string(random() % 10) + "0101" + digits;
        }
        SCOPED_TRACE(longFirst ? "the first half shares more" : "the second half shares more");
        ExpectKeysOrderLikeTheCollation(values, longFirst ? 21 : 22);
    }
}

// Leading nulls, then a value that shares nothing with the rest, which share a long
// beginning: what all values share is measured from the first value, not the next one.
TEST(SortKeysTest, AFirstValueAfterNullsThatSharesNothingOrdersLikeTheCollation)
{
    std::vector<std::optional<std::string>> values{std::nullopt, std::nullopt, "z"};
    for (int row = 0; row < 20; ++row)
        values.emplace_back("aaaaaaaaaaaaaaaa" + std::to_string(row % 7));
    ExpectKeysOrderLikeTheCollation(values, 5);
}

}  // namespace
}  // namespace qelvor::recordset::test
