// ResultColumn: the values of one result column, held compressed.
//
// Text, binary, exact-numeric, integer and boolean values are kept in blocks of
// kRowsPerBlock rows (ColumnBlocks.h), one after another in one byte array, each block
// compressed by what fits its values: packed digits for numbers written as text, codes
// into the column's dictionary for values that repeat, zstd for the rest. Doubles and
// dates (days since 1899-12-30) stay a plain double array. Nulls are one bit per row; a
// null cell still takes its slot (empty text, zero number) so that row i is index i.
// A reader decodes only what it reads: one row, or the one block that holds it.
//
// A column is filled once by ColumnBuilder and never changes afterwards; any number of
// threads may then read it at once (each decodes into a cache of its own).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/recordset/ColumnBlocks.h"
#include "data/recordset/PodArray.h"
#include "runtime/Variant.h"

namespace qelvor::recordset {

enum class ColumnStorage : std::uint8_t { Text, Binary, Decimal, Integer, Boolean, Real, DateTime };

// Whether the storage keeps its values in blocks of bytes (text, binary, decimal text).
constexpr bool UsesArena(ColumnStorage storage)
{
    return storage == ColumnStorage::Text || storage == ColumnStorage::Binary || storage == ColumnStorage::Decimal;
}

// Whether the storage keeps its values in blocks at all (doubles and dates do not).
constexpr bool UsesBlocks(ColumnStorage storage)
{
    return UsesArena(storage) || storage == ColumnStorage::Integer || storage == ColumnStorage::Boolean;
}

class ResultColumn {
public:
    ResultColumn();
    ResultColumn(ResultColumn&& other) noexcept;
    ResultColumn& operator=(ResultColumn&& other) noexcept;

    ColumnStorage Storage() const { return storage_; }
    DateTimeValue::Kind DateKind() const { return dateKind_; }
    std::int64_t RowCount() const { return rows_; }
    bool HasNulls() const { return nullCount_ > 0; }

    bool IsNull(std::int64_t row) const
    {
        return (nulls_[static_cast<std::size_t>(row) >> 6] >> (row & 63)) & 1u;
    }
    // Text, binary or decimal text of a row into out (empty for null).
    void CopyBytes(std::int64_t row, std::string& out) const;
    std::int64_t Integer(std::int64_t row) const;
    double Real(std::int64_t row) const { return reals_[static_cast<std::size_t>(row)]; }

    // The row's value as a Variant (null, text, bytes, number, decimal or date).
    Variant Value(std::int64_t row) const;

    // What the text values' order can be read from without collation: whether every block
    // is codes into the dictionary (or all null), and whether every block is packed digits
    // of one length (whose numeric order is their order under any collation).
    bool AllDictionary() const { return rows_ > 0 && allDictionary_; }
    bool AllDigitsOfOneLength() const { return rows_ > 0 && digitsLength_ > 0; }
    // The dictionary's entries, and one row's code (Dictionary blocks) or number (Digits).
    DictionaryView Dictionary() const;
    std::uint64_t Code(std::int64_t row) const;

    // Bytes held by the column's arrays.
    std::size_t MemoryUsage() const;

private:
    friend class ColumnBuilder;
    friend class ColumnEncoder;

    std::string_view Block(std::int64_t block) const
    {
        const auto index = static_cast<std::size_t>(block);
        const std::uint64_t begin = blockStarts_[index];
        return {reinterpret_cast<const char*>(blocks_.Data()) + begin, blockStarts_[index + 1] - begin};
    }
    int RowsInBlock(std::int64_t block) const
    {
        const std::int64_t left = rows_ - block * kRowsPerBlock;
        return left < kRowsPerBlock ? static_cast<int>(left) : kRowsPerBlock;
    }

    ColumnStorage storage_ = ColumnStorage::Text;
    DateTimeValue::Kind dateKind_ = DateTimeValue::Kind::DateTime;
    std::uint64_t id_;                        // unique to this content: keys decoded blocks in the readers' caches
    std::int64_t rows_ = 0;
    std::int64_t nullCount_ = 0;
    PodArray<std::uint8_t> blocks_;           // the encoded blocks, one after another
    PodArray<std::uint64_t> blockStarts_{1, 0};  // block b is blocks_[starts[b] .. starts[b + 1])
    PodArray<char> dictionaryBytes_;          // the dictionary's entries, one after another
    PodArray<std::uint32_t> dictionaryEnds_{1, 0};  // entry c is bytes[ends[c] .. ends[c + 1])
    bool allDictionary_ = true;               // set when filled: every block Dictionary or AllNull
    int digitsLength_ = -1;                   // set when filled: L when every block is Digits of length L or AllNull, else 0
    PodArray<double> reals_;
    PodArray<std::uint64_t> nulls_;
};

}  // namespace qelvor::recordset
