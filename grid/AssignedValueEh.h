// AssignedValueEh: one property that is either assigned or taken from a default.
//
// The value keeps no flag of its own: whether it is assigned is bit `Bit` of a set the
// owner keeps for all its properties (a column's ExplicitValues), so that clearing the
// set restores every default at once. The default is computed by the owner on each
// read and handed in, as it follows the field or the grid.
//
// Invariant: while the bit is clear, the stored value is never read.
#pragma once

namespace qelvor {

template <class T, auto Bit>
class TAssignedValueEh {
public:
    TAssignedValueEh() = default;
    explicit TAssignedValueEh(const T& initial) : value_(initial) {}

    // The assigned value, or `fallback` while none is assigned.
    template <class Bits>
    T Get(const Bits& assigned, const T& fallback) const
    {
        return assigned.Contains(Bit) ? value_ : fallback;
    }

    // Takes `value` as the assigned value; false when that very value was assigned
    // already, so the caller reports no change.
    template <class Bits>
    bool Assign(Bits& assigned, const T& value)
    {
        if (assigned.Contains(Bit) && value == value_)
            return false;
        value_ = value;
        assigned.Include(Bit);
        return true;
    }

    // Whether a stored layout writes the property: assigned and unlike the default.
    template <class Bits>
    bool Stored(const Bits& assigned, const T& fallback) const
    {
        return assigned.Contains(Bit) && !(value_ == fallback);
    }

    // Whether a value is assigned at all.
    template <class Bits>
    static bool IsAssigned(const Bits& assigned)
    {
        return assigned.Contains(Bit);
    }

    // Sets the stored value back to `initial` (the bit is the owner's to clear).
    void Reset(const T& initial) { value_ = initial; }

private:
    T value_{};  // the value last assigned; meaningless while Bit is clear
};

}  // namespace qelvor
