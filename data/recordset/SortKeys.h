// SortKeys: one column's values turned into keys that order rows quickly.
//
// Every row gets a 64-bit prefix whose unsigned order agrees with the value order:
// the integer with its sign bit flipped, the IEEE bits of a double arranged to sort
// as unsigned, the first eight bytes of a text's collation key. Text held as digits of
// one length, or as codes into its column's dictionary, needs no collation key per row:
// the number, or the rank of the value among the dictionary's, orders it completely. When two prefixes are
// equal a tie-break finishes the comparison: the rest of the collation keys (whose
// prefix starts after the bytes all keys of the column share), the raw
// bytes of binary values, or the exact comparison of decimal texts. Nulls come before
// every value. The keys are built once per column and reused by every later sort.
// Collation keys of a large column are made in two halves on two threads; the result
// is the same as from one.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "data/recordset/ResultColumn.h"

namespace qelvor {
class Collation;
}

namespace qelvor::recordset {

struct KeyStretch;

// Negative, zero or positive as decimal text a is less than, equal to or greater than b.
int CompareDecimalText(std::string_view a, std::string_view b);

class SortKeys {
public:
    // Text columns are keyed with collation; other columns ignore it.
    SortKeys(const ResultColumn& column, const Collation& collation);

    // The locale the keys were made for (empty for columns not keyed by collation).
    const std::string& LocaleName() const { return localeName_; }

    // Negative, zero or positive as row a orders before, with or after row b.
    int Compare(std::uint32_t a, std::uint32_t b) const
    {
        if (hasNulls_) {
            const bool nullA = column_->IsNull(a);
            const bool nullB = column_->IsNull(b);
            if (nullA || nullB)
                return static_cast<int>(nullB) - static_cast<int>(nullA);
        }
        const std::uint64_t prefixA = prefix_[a];
        const std::uint64_t prefixB = prefix_[b];
        if (prefixA != prefixB)
            return prefixA < prefixB ? -1 : 1;
        return tie_ == Tie::None ? 0 : TieBreak(a, b);
    }

    // A 64-bit value whose order never contradicts Compare (0 for null): sorting can
    // compare it inline and fall back to Compare only on equal values.
    std::uint64_t Lead(std::uint32_t row) const { return hasNulls_ && column_->IsNull(row) ? 0 : prefix_[row]; }

    std::size_t MemoryUsage() const;

private:
    enum class Tie : std::uint8_t { None, CollationKey, Bytes, Decimal };

    void BuildCollationKeys(const Collation& collation);
    // Text whose blocks are all packed digits of one length: the numbers are the keys.
    void KeyDigits();
    // Text whose blocks are all dictionary codes: the ranks of the values are the keys.
    void KeyDictionary(const Collation& collation);
    // Takes the keys of two stretches of rows, the second following the first.
    void Join(KeyStretch& first, const KeyStretch& second);
    int TieBreak(std::uint32_t a, std::uint32_t b) const;

    const ResultColumn* column_;
    std::string localeName_;
    bool hasNulls_;
    Tie tie_ = Tie::None;
    std::vector<std::uint64_t> prefix_;
    std::vector<std::uint8_t> keyBytes_;      // collation keys, text columns only
    std::vector<std::uint32_t> keyOffsets_;
    std::size_t shared_ = 0;                  // leading key bytes common to every value
};

}  // namespace qelvor::recordset
