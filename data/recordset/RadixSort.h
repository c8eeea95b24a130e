// RadixSort: orders sort entries by their two 64-bit key prefixes without comparisons.
//
// A SortEntry carries a row with the leading 64 bits of its first two sort keys. The
// entries are ordered stably by (lead, second) with a least-significant-digit radix
// sort, one byte per pass; passes whose byte is the same in every entry are skipped.
// The prefixes only approximate the full order (equal leads may hide a difference
// further on in the first key), so SortByPrefixesThenTies then walks each run of equal
// leads and, when the full comparison finds it out of order, sorts that run stably
// with it. The result equals std::stable_sort with the full comparison whenever that
// comparison never contradicts the lead's order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qelvor::recordset {

struct SortEntry {
    std::uint64_t lead;
    std::uint64_t second;
    std::uint32_t row;
};

// Stable sort by (lead, second), both unsigned.
void RadixSortByPrefixes(std::vector<SortEntry>& entries);

// Stable sort by `before` (a strict weak order refining the lead's order): the radix
// sort on the prefixes, then a stable sort of each run of equal leads found out of order.
template <typename Before>
void SortByPrefixesThenTies(std::vector<SortEntry>& entries, const Before& before)
{
    RadixSortByPrefixes(entries);
    auto runStart = entries.begin();
    while (runStart != entries.end()) {
        const std::uint64_t lead = runStart->lead;
        auto runEnd = std::find_if(runStart + 1, entries.end(), [lead](const SortEntry& entry) { return entry.lead != lead; });
        if (runEnd - runStart > 1 && !std::is_sorted(runStart, runEnd, before))
            std::stable_sort(runStart, runEnd, before);
        runStart = runEnd;
    }
}

}  // namespace qelvor::recordset
