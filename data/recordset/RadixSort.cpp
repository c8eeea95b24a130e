#include "data/recordset/RadixSort.h"

#include <array>
#include <cstddef>
#include <limits>

#include "runtime/Assert.h"

namespace qelvor::recordset {

namespace {

// Byte 0..7 is the second prefix from its lowest byte up, 8..15 the lead's: the order in
// which a least-significant-digit sort must take them.
constexpr int kDigits = 16;
using Histogram = std::array<std::size_t, 256>;

unsigned DigitOf(const SortEntry& entry, int digit)
{
    const std::uint64_t word = digit < 8 ? entry.second : entry.lead;
    return static_cast<unsigned>(word >> (8 * (digit % 8))) & 0xFF;
}

// One read of the entries counts every digit's bytes.
std::array<Histogram, kDigits> CountDigits(const std::vector<SortEntry>& entries)
{
    std::array<Histogram, kDigits> counts{};
    for (const SortEntry& entry : entries) {
        for (int digit = 0; digit < 8; ++digit) {
            ++counts[static_cast<std::size_t>(digit)][(entry.second >> (8 * digit)) & 0xFF];
            ++counts[static_cast<std::size_t>(digit + 8)][(entry.lead >> (8 * digit)) & 0xFF];
        }
    }
    return counts;
}

// A pass orders by one digit only if the entries do not all share it.
bool Decides(const Histogram& counts, std::size_t total)
{
    return std::none_of(counts.begin(), counts.end(), [total](std::size_t count) { return count == total; });
}

// Stable scatter of `from` into `to` by one digit.
void Scatter(const std::vector<SortEntry>& from, std::vector<SortEntry>& to, int digit, const Histogram& counts)
{
    Histogram next;
    std::size_t position = 0;
    for (std::size_t value = 0; value < 256; ++value) {
        next[value] = position;
        position += counts[value];
    }
    for (const SortEntry& entry : from)
        to[next[DigitOf(entry, digit)]++] = entry;
}

}  // namespace

void RadixSortByPrefixes(std::vector<SortEntry>& entries)
{
    if (entries.size() < 2)
        return;
    QELVOR_ASSERT(entries.size() <= std::numeric_limits<std::uint32_t>::max());
    const std::array<Histogram, kDigits> counts = CountDigits(entries);
    std::vector<SortEntry> spare;
    for (int digit = 0; digit < kDigits; ++digit) {
        if (!Decides(counts[static_cast<std::size_t>(digit)], entries.size()))
            continue;
        if (spare.empty())
            spare.resize(entries.size());
        Scatter(entries, spare, digit, counts[static_cast<std::size_t>(digit)]);
        entries.swap(spare);
    }
}

}  // namespace qelvor::recordset
