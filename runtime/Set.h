// Set: TSet<E>, a small value type over an enumeration whose values are 0..63, one
// bit per value, so that option sets and shift states read like the published
// properties they stand for: `Options().Contains(dgTitles)`, `shift.Contains(ssCtrl)`.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "runtime/Assert.h"

namespace qelvor {

template <typename E>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items)
    {
        for (E item : items)
            bits_ |= Bit(item);
    }

    // True when `item` is in the set.
    constexpr bool Contains(E item) const { return (bits_ & Bit(item)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint64_t Bits() const { return bits_; }

    // Adds / removes one value; returns the set for chaining.
    constexpr TSet& Include(E item) { bits_ |= Bit(item); return *this; }
    constexpr TSet& Exclude(E item) { bits_ &= ~Bit(item); return *this; }

    friend constexpr TSet operator+(TSet a, TSet b) { a.bits_ |= b.bits_; return a; }
    friend constexpr TSet operator-(TSet a, TSet b) { a.bits_ &= ~b.bits_; return a; }
    friend constexpr TSet operator*(TSet a, TSet b) { a.bits_ &= b.bits_; return a; }
    friend constexpr bool operator==(TSet a, TSet b) = default;

private:
    static constexpr std::uint64_t Bit(E item)
    {
        QELVOR_ASSERT(static_cast<int>(item) >= 0 && static_cast<int>(item) < 64);
        return std::uint64_t{1} << static_cast<int>(item);
    }
    std::uint64_t bits_ = 0;
};

}  // namespace qelvor
