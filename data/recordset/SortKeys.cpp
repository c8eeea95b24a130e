#include "data/recordset/SortKeys.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <exception>
#include <optional>
#include <thread>

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
    std::string value;
    switch (column.Storage()) {
    case ColumnStorage::Text:
        if (column.AllDigitsOfOneLength())
            KeyDigits();
        else if (column.AllDictionary())
            KeyDictionary(collation);
        else
            BuildCollationKeys(collation);
        localeName_ = collation.LocaleName();
        break;
    case ColumnStorage::Binary:
        tie_ = Tie::Bytes;
        for (std::size_t row = 0; row < rows; ++row) {
            column.CopyBytes(static_cast<std::int64_t>(row), value);
            prefix_[row] = BytePrefix(reinterpret_cast<const std::uint8_t*>(value.data()), value.size());
        }
        break;
    case ColumnStorage::Decimal:
        // Rounding to double is monotonic, so the prefix never contradicts the exact order.
        tie_ = Tie::Decimal;
        for (std::size_t row = 0; row < rows; ++row) {
            column.CopyBytes(static_cast<std::int64_t>(row), value);
            prefix_[row] = DoublePrefix(std::strtod(value.c_str(), nullptr));
        }
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

void SortKeys::KeyDigits()
{
    // Digits of one length order as their numbers under every collation: the first digit
    // that differs decides, and digits keep their order everywhere.
    for (std::size_t row = 0; row < prefix_.size(); ++row)
        prefix_[row] = column_->IsNull(static_cast<std::int64_t>(row)) ? 0 : column_->Code(static_cast<std::int64_t>(row));
}

void SortKeys::KeyDictionary(const Collation& collation)
{
    // Each distinct value is keyed once; a row's prefix is its value's rank, which orders
    // completely (equal keys, equal ranks), so no tie-break is needed.
    const DictionaryView dictionary = column_->Dictionary();
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> ends;
    ends.reserve(dictionary.count);
    for (std::size_t code = 0; code < dictionary.count; ++code) {
        collation.AppendSortKey(dictionary.Entry(code), bytes);
        if (bytes.size() > std::numeric_limits<std::uint32_t>::max())
            throw ERecordSetError("The result is too large to sort");
        ends.push_back(static_cast<std::uint32_t>(bytes.size()));
    }
    const auto key = [&](std::uint32_t code) {
        const std::uint32_t begin = code == 0 ? 0 : ends[code - 1];
        return std::string_view(reinterpret_cast<const char*>(bytes.data()) + begin, ends[code] - begin);
    };
    std::vector<std::uint32_t> byKey(dictionary.count);
    for (std::size_t code = 0; code < byKey.size(); ++code)
        byKey[code] = static_cast<std::uint32_t>(code);
    std::sort(byKey.begin(), byKey.end(), [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
    std::vector<std::uint32_t> rank(dictionary.count);
    std::uint32_t current = 0;
    for (std::size_t i = 0; i < byKey.size(); ++i) {
        if (i > 0 && key(byKey[i]) != key(byKey[i - 1]))
            ++current;
        rank[byKey[i]] = current;
    }
    for (std::size_t row = 0; row < prefix_.size(); ++row) {
        const auto r = static_cast<std::int64_t>(row);
        // Ranks start at 1: a null's lead is 0.
        prefix_[row] = column_->IsNull(r) ? 0 : std::uint64_t{rank[column_->Code(r)]} + 1;
    }
}

// Keys of one stretch of rows: their bytes, each row's end offset within them, and how
// many leading bytes every key of the stretch shares with its first key.
struct KeyStretch {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> ends;
    std::optional<std::size_t> firstRow;  // the stretch's first non-null value, if any
    std::size_t shared = 0;
};

namespace {

// Rows from this many up are keyed in two halves on two threads.
constexpr std::size_t kRowsForTwoThreads = 65536;

std::size_t CommonLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit)
{
    std::size_t same = 0;
    while (same < limit && a[same] == b[same])
        ++same;
    return same;
}

void KeyRows(const ResultColumn& column, const Collation& collation, std::size_t begin, std::size_t end, KeyStretch& out)
{
    out.ends.reserve(end - begin);
    out.bytes.reserve((end - begin) * 12);
    std::string value;
    for (std::size_t row = begin; row < end; ++row) {
        const std::size_t start = out.bytes.size();
        if (!column.IsNull(static_cast<std::int64_t>(row))) {
            column.CopyBytes(static_cast<std::int64_t>(row), value);
            collation.AppendSortKey(value, out.bytes);
            // Track the bytes every key shares: they cannot order anything, so the
            // prefix is taken after them (ticket numbers share their leading digits).
            if (!out.firstRow) {
                out.firstRow = row - begin;
                out.shared = out.bytes.size() - start;
            } else {
                const std::size_t firstStart = *out.firstRow == 0 ? 0 : out.ends[*out.firstRow - 1];
                out.shared = CommonLength(out.bytes.data() + firstStart, out.bytes.data() + start, out.shared);
            }
        }
        if (out.bytes.size() > std::numeric_limits<std::uint32_t>::max())
            throw ERecordSetError("The result is too large to sort");
        out.ends.push_back(static_cast<std::uint32_t>(out.bytes.size()));
    }
}

}  // namespace

void SortKeys::BuildCollationKeys(const Collation& collation)
{
    localeName_ = collation.LocaleName();
    tie_ = Tie::CollationKey;
    const auto rows = static_cast<std::size_t>(column_->RowCount());
    // ICU's collators allow concurrent key making; the halves are joined in row order,
    // so the keys are the same as from one thread.
    const std::size_t half = rows >= kRowsForTwoThreads ? rows / 2 : rows;
    KeyStretch first;
    KeyStretch second;
    std::exception_ptr failure;
    std::thread worker;
    if (half < rows) {
        worker = std::thread([&] {
            try {
                KeyRows(*column_, collation, half, rows, second);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    }
    try {
        KeyRows(*column_, collation, 0, half, first);
    } catch (...) {
        if (worker.joinable())
            worker.join();
        throw;
    }
    if (worker.joinable())
        worker.join();
    if (failure)
        std::rethrow_exception(failure);
    Join(first, second);
    for (std::size_t row = 0; row < rows; ++row) {
        const std::size_t length = keyOffsets_[row + 1] - keyOffsets_[row];
        prefix_[row] = length > shared_ ? BytePrefix(keyBytes_.data() + keyOffsets_[row] + shared_, length - shared_) : 0;
    }
}

void SortKeys::Join(KeyStretch& first, const KeyStretch& second)
{
    shared_ = first.firstRow ? first.shared : second.shared;
    if (first.firstRow && second.firstRow) {
        const std::size_t firstStart = *first.firstRow == 0 ? 0 : first.ends[*first.firstRow - 1];
        const std::size_t secondStart = *second.firstRow == 0 ? 0 : second.ends[*second.firstRow - 1];
        shared_ = CommonLength(first.bytes.data() + firstStart, second.bytes.data() + secondStart,
                               std::min(first.shared, second.shared));
    }
    const std::size_t base = first.bytes.size();
    if (base + second.bytes.size() > std::numeric_limits<std::uint32_t>::max())
        throw ERecordSetError("The result is too large to sort");
    keyBytes_ = std::move(first.bytes);
    keyBytes_.insert(keyBytes_.end(), second.bytes.begin(), second.bytes.end());
    keyBytes_.shrink_to_fit();
    keyOffsets_.clear();
    keyOffsets_.reserve(first.ends.size() + second.ends.size() + 1);
    keyOffsets_.push_back(0);
    keyOffsets_.insert(keyOffsets_.end(), first.ends.begin(), first.ends.end());
    for (const std::uint32_t end : second.ends)
        keyOffsets_.push_back(static_cast<std::uint32_t>(base + end));
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
    case Tie::Bytes:
    case Tie::Decimal: {
        thread_local std::string valueA;
        thread_local std::string valueB;
        column_->CopyBytes(a, valueA);
        column_->CopyBytes(b, valueB);
        return tie_ == Tie::Bytes ? CompareBytes(valueA, valueB) : CompareDecimalText(valueA, valueB);
    }
    }
    return 0;
}

std::size_t SortKeys::MemoryUsage() const
{
    return sizeof(*this) + prefix_.capacity() * sizeof(std::uint64_t) + keyBytes_.capacity()
         + keyOffsets_.capacity() * sizeof(std::uint32_t);
}

}  // namespace qelvor::recordset
