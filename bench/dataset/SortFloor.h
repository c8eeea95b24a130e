// SortFloor: the simplest fast way to sort rows by collated text, as a yardstick:
// ICU sort keys for every value of each key column, then std::stable_sort of a row
// permutation comparing the keys. Nothing cached, nothing clever.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qelvor::bench {

struct FloorKey {
    const std::vector<std::string>* values;  // nulls as empty text
    bool descending;
};

// Returns the sorted permutation; keys are computed with the collator of localeName.
std::vector<std::uint32_t> SortFloor(const std::vector<FloorKey>& keys, const std::string& localeName);

}  // namespace qelvor::bench
