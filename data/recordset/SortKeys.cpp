#include "data/recordset/SortKeys.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>

#include "runtime/Collation.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;

// The first eight bytes, big-endian, zero-padded: unsigned order = memcmp order.
std::uint64_t BytePrefix(const std::uint8_t* bytes, std::size_t length)
{
    std::uint64_t prefix = 0;
    const std::size_t count = std::min<std::size_t>(length, 8);
    for (std::size_t i = 0; i < count; ++i)
        prefix |= std::uint64_t{bytes[i]} << (56 - 8 * i);
    return prefix;
}

std::uint64_t DoublePrefix(double value)
{
    if (value == 0)
        value = 0;  // -0 and +0 are the same number
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits & kSignBit) ? ~bits : bits | kSignBit;
}

int CompareBytes(std::string_view a, std::string_view b)
{
    const int order = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (order != 0)
        return order;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

struct DecimalParts {
    bool negative = false;
    std::string_view whole;     // without leading zeros
    std::string_view fraction;  // without trailing zeros
};

DecimalParts Split(std::string_view text)
{
    DecimalParts parts;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        parts.negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    parts.whole = text.substr(0, point);
    parts.fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    while (!parts.whole.empty() && parts.whole.front() == '0')
        parts.whole.remove_prefix(1);
    while (!parts.fraction.empty() && parts.fraction.back() == '0')
        parts.fraction.remove_suffix(1);
    if (parts.whole.empty() && parts.fraction.empty())
        parts.negative = false;  // zero has no sign
    return parts;
}

int CompareMagnitude(const DecimalParts& a, const DecimalParts& b)
{
    if (a.whole.size() != b.whole.size())
        return a.whole.size() < b.whole.size() ? -1 : 1;
    if (const int order = a.whole.compare(b.whole))
        return order;
    return a.fraction.compare(b.fraction);  // no trailing zeros: plain text order is numeric
}

}  // namespace

int CompareDecimalText(std::string_view a, std::string_view b)
{
    const DecimalParts partsA = Split(a);
    const DecimalParts partsB = Split(b);
    if (partsA.negative != partsB.negative)
        return partsA.negative ? -1 : 1;
    const int magnitude = CompareMagnitude(partsA, partsB);
    const int sign = magnitude < 0 ? -1 : magnitude > 0 ? 1 : 0;
    return partsA.negative ? -sign : sign;
}

SortKeys::SortKeys(const ResultColumn& column, const Collation& collation)
    : column_(&column), hasNulls_(column.HasNulls())
{
    const auto rows = static_cast<std::size_t>(column.RowCount());
    prefix_.resize(rows);
    switch (column.Storage()) {
    case ColumnStorage::Text: BuildCollationKeys(collation); break;
    case ColumnStorage::Binary:
        tie_ = Tie::Bytes;
        for (std::size_t row = 0; row < rows; ++row) {
            const std::string_view bytes = column.Bytes(static_cast<std::int64_t>(row));
            prefix_[row] = BytePrefix(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        }
        break;
    case ColumnStorage::Decimal:
        // Rounding to double is monotonic, so the prefix never contradicts the exact order.
        tie_ = Tie::Decimal;
        for (std::size_t row = 0; row < rows; ++row)
            prefix_[row] = DoublePrefix(std::strtod(std::string(column.Bytes(static_cast<std::int64_t>(row))).c_str(), nullptr));
        break;
    case ColumnStorage::Integer:
    case ColumnStorage::Boolean:
        for (std::size_t row = 0; row < rows; ++row)
            prefix_[row] = static_cast<std::uint64_t>(column.Integer(static_cast<std::int64_t>(row))) ^ kSignBit;
        break;
    case ColumnStorage::Real:
    case ColumnStorage::DateTime:
        for (std::size_t row = 0; row < rows; ++row)
            prefix_[row] = DoublePrefix(column.Real(static_cast<std::int64_t>(row)));
        break;
    }
}

void SortKeys::BuildCollationKeys(const Collation& collation)
{
    localeName_ = collation.LocaleName();
    tie_ = Tie::CollationKey;
    const auto rows = static_cast<std::size_t>(column_->RowCount());
    keyOffsets_.resize(rows + 1);
    keyOffsets_[0] = 0;
    keyBytes_.reserve(rows * 8);
    std::optional<std::size_t> firstKey;  // row of the first non-null value
    for (std::size_t row = 0; row < rows; ++row) {
        const std::size_t start = keyBytes_.size();
        if (!column_->IsNull(static_cast<std::int64_t>(row))) {
            collation.AppendSortKey(column_->Bytes(static_cast<std::int64_t>(row)), keyBytes_);
            // Track the bytes every key shares: they cannot order anything, so the
            // prefix is taken after them (ticket numbers share their leading digits).
            if (!firstKey) {
                firstKey = row;
                shared_ = keyBytes_.size() - start;
            } else {
                const std::uint8_t* first = keyBytes_.data() + keyOffsets_[*firstKey];
                std::size_t same = 0;
                while (same < shared_ && first[same] == keyBytes_[start + same])
                    ++same;
                shared_ = same;
            }
        }
        if (keyBytes_.size() > std::numeric_limits<std::uint32_t>::max())
            throw ERecordSetError("The result is too large to sort");
        keyOffsets_[row + 1] = static_cast<std::uint32_t>(keyBytes_.size());
    }
    keyBytes_.shrink_to_fit();
    for (std::size_t row = 0; row < rows; ++row) {
        const std::size_t length = keyOffsets_[row + 1] - keyOffsets_[row];
        prefix_[row] = length > shared_ ? BytePrefix(keyBytes_.data() + keyOffsets_[row] + shared_, length - shared_) : 0;
    }
}

int SortKeys::TieBreak(std::uint32_t a, std::uint32_t b) const
{
    switch (tie_) {
    case Tie::None: return 0;
    case Tie::CollationKey: {
        // Keys hold no zero byte before their terminator: when either key ends within
        // the shared bytes and the prefix, equal prefixes mean equal keys.
        const std::size_t known = shared_ + 8;
        const std::uint32_t lengthA = keyOffsets_[a + 1] - keyOffsets_[a];
        const std::uint32_t lengthB = keyOffsets_[b + 1] - keyOffsets_[b];
        if (lengthA <= known || lengthB <= known)
            return 0;
        const auto* bytes = reinterpret_cast<const char*>(keyBytes_.data());
        return CompareBytes({bytes + keyOffsets_[a] + known, lengthA - known},
                            {bytes + keyOffsets_[b] + known, lengthB - known});
    }
    case Tie::Bytes: return CompareBytes(column_->Bytes(a), column_->Bytes(b));
    case Tie::Decimal: return CompareDecimalText(column_->Bytes(a), column_->Bytes(b));
    }
    return 0;
}

std::size_t SortKeys::MemoryUsage() const
{
    return sizeof(*this) + prefix_.capacity() * sizeof(std::uint64_t) + keyBytes_.capacity()
         + keyOffsets_.capacity() * sizeof(std::uint32_t);
}

}  // namespace qelvor::recordset
