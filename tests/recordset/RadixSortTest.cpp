// The prefix radix sort against std::stable_sort: random and adversarial inputs, stability
// over equal prefixes, and runs of equal leads that only the full comparison can order.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "data/recordset/RadixSort.h"

namespace qelvor::recordset::test {
namespace {

bool PrefixBefore(const SortEntry& x, const SortEntry& y)
{
    return x.lead != y.lead ? x.lead < y.lead : x.second < y.second;
}

std::vector<SortEntry> Numbered(std::vector<SortEntry> entries)
{
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i].row = static_cast<std::uint32_t>(i);
    return entries;
}

// Rows in the order each sort leaves them (the row says where an entry started).
std::vector<std::uint32_t> Rows(const std::vector<SortEntry>& entries)
{
    std::vector<std::uint32_t> rows;
    for (const SortEntry& entry : entries)
        rows.push_back(entry.row);
    return rows;
}

void ExpectRadixMatchesStableSort(const std::vector<SortEntry>& input)
{
    std::vector<SortEntry> expected = input;
    std::stable_sort(expected.begin(), expected.end(), PrefixBefore);
    std::vector<SortEntry> actual = input;
    RadixSortByPrefixes(actual);
    EXPECT_EQ(Rows(actual), Rows(expected));
}

std::vector<SortEntry> Random(std::size_t count, std::uint64_t leadRange, std::uint64_t secondRange, unsigned seed)
{
    std::mt19937_64 random(seed);
    std::vector<SortEntry> entries(count);
    for (SortEntry& entry : entries)
        entry = {random() % leadRange, random() % secondRange, 0};
    return Numbered(entries);
}

TEST(RadixSortTest, OrdersLikeStableSortOnRandomAndAdversarialInput)
{
    ExpectRadixMatchesStableSort({});
    ExpectRadixMatchesStableSort(Numbered({{7, 1, 0}}));
    // Full 64-bit values: every byte of both prefixes must be sorted on.
    ExpectRadixMatchesStableSort(Random(5000, ~std::uint64_t{0}, ~std::uint64_t{0}, 1));
    // Few distinct leads: the second prefix decides within them, stability beyond that.
    ExpectRadixMatchesStableSort(Random(5000, 3, 5, 2));
    ExpectRadixMatchesStableSort(Random(5000, 1, ~std::uint64_t{0}, 3));
    // Values differing only in high bytes or only in low bytes (skipped passes around them).
    std::vector<SortEntry> high = Random(3000, 256, 256, 4);
    for (SortEntry& entry : high)
        entry.lead <<= 56;
    ExpectRadixMatchesStableSort(high);

    ExpectRadixMatchesStableSort(Numbered(std::vector<SortEntry>(1000, {42, 42, 0})));
    std::vector<SortEntry> descending(1000);
    for (std::size_t i = 0; i < descending.size(); ++i)
        descending[i] = {~std::uint64_t{0} - i / 3, 1000 - i, 0};
    ExpectRadixMatchesStableSort(Numbered(descending));
    std::vector<SortEntry> ascending = descending;
    std::reverse(ascending.begin(), ascending.end());
    ExpectRadixMatchesStableSort(Numbered(ascending));
}

// The smallest inputs that still need sorting: two and three entries out of order,
// decided by the lead or, with equal leads, by the second prefix alone.
TEST(RadixSortTest, TwoAndThreeEntriesAreSortedToo)
{
    ExpectRadixMatchesStableSort(Numbered({{9, 0, 0}, {3, 0, 0}}));
    ExpectRadixMatchesStableSort(Numbered({{4, 8, 0}, {4, 2, 0}}));
    ExpectRadixMatchesStableSort(Numbered({{~std::uint64_t{0}, 0, 0}, {0, 0, 0}}));
    ExpectRadixMatchesStableSort(Numbered({{5, 0, 0}, {1, 0, 0}, {3, 0, 0}}));
    ExpectRadixMatchesStableSort(Numbered({{2, 7, 0}, {2, 1, 0}, {1, 9, 0}}));
    std::vector<SortEntry> two = Numbered({{1, 0, 0}, {0, 0, 0}});
    RadixSortByPrefixes(two);
    EXPECT_EQ(Rows(two), (std::vector<std::uint32_t>{1, 0}));
}

TEST(RadixSortTest, EqualPrefixesKeepTheirInputOrder)
{
    std::vector<SortEntry> entries = Numbered(std::vector<SortEntry>(600, {5, 9, 0}));
    for (std::size_t i = 0; i < entries.size(); i += 3)
        entries[i].lead = 4;
    RadixSortByPrefixes(entries);
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i - 1].lead == entries[i].lead) {
            ASSERT_LT(entries[i - 1].row, entries[i].row) << "at " << i;
        }
    }
}

// A full order in which the lead is only a prefix: among equal leads, `detail` (known
// only to the comparison, as the rest of a collation key is) decides before the second.
TEST(RadixSortTest, TiesFinishWithTheFullComparisonLikeStableSort)
{
    std::mt19937 random(7);
    std::vector<SortEntry> entries(4000);
    std::vector<int> detail(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i] = {random() % 40, random() % 6, static_cast<std::uint32_t>(i)};
        detail[i] = static_cast<int>(random() % 4);
    }
    // Some runs of equal leads already in full order, which the finish must leave alone.
    for (std::size_t i = 0; i < 300; ++i)
        entries[i] = {1000 + i / 10, i, static_cast<std::uint32_t>(i)};
    const auto before = [&detail](const SortEntry& x, const SortEntry& y) {
        if (x.lead != y.lead)
            return x.lead < y.lead;
        if (detail[x.row] != detail[y.row])
            return detail[x.row] > detail[y.row];
        return x.second < y.second;
    };
    // Runs of exactly two equal leads that the full comparison puts the other way round.
    for (std::size_t i = 300; i < 320; i += 2) {
        entries[i] = {2000 + i, 0, static_cast<std::uint32_t>(i)};
        entries[i + 1] = {2000 + i, 1, static_cast<std::uint32_t>(i + 1)};
        detail[i] = 0;
        detail[i + 1] = 3;
    }
    std::vector<SortEntry> expected = entries;
    std::stable_sort(expected.begin(), expected.end(), before);
    SortByPrefixesThenTies(entries, before);
    EXPECT_EQ(Rows(entries), Rows(expected));

    std::vector<SortEntry> none;
    SortByPrefixesThenTies(none, before);
    EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace qelvor::recordset::test
