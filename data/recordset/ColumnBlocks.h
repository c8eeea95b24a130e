// ColumnBlocks: how a result column keeps its values compressed, kRowsPerBlock rows a block.
//
// A block is written once, when its rows have arrived, and never changes. Its first byte
// names its codec; what follows depends on it (W: a bit width, 0..64; packed values are
// little-endian bit strings, row 0 first):
//   AllNull     nothing: every row of the block is null (fits any storage)
//   Raw         each row's byte length as a varint, then the bytes one after another
//   Packed      the size of the Raw form as a varint, then that form compressed by zstd
//   Digits      text of ASCII digits of one length L (1..19) in every non-null row: L, the
//               smallest value (8 bytes), W, then each row's value less it in W bits
//   Dictionary  W, then each row's code into the column's dictionary in W bits
//   Alphabet    text written with at most 16 distinct bytes: their count S and the S bytes,
//               the bits B a byte takes (0..4), the bits L a length takes, each row's
//               length in L bits, then every row's bytes as indexes into the S in B bits
//   Integers    the smallest value (8 bytes), W, then each row's value less it in W bits
// Null rows hold zero bits or an empty value; the column's null bits tell them apart.
//
// Digits, Dictionary, Alphabet and Integers give one row without decoding its neighbours
// (rows read in a sorted order hit blocks at random: a block decoded for each would cost
// the block's size for every row). Raw and
// Packed are decoded whole into a cache of the reading thread, so that readers on several
// threads never share a decoded block and a run of rows from one block decodes it once.
// Decoding checks every size it reads and raises on a block that does not hold together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qelvor::recordset {

constexpr int kRowsPerBlock = 64;

enum class BlockCodec : std::uint8_t {
    AllNull = 0, Raw = 1, Packed = 2, Digits = 3, Dictionary = 4, Integers = 5, Alphabet = 6
};

// The values of a text block, one after another, each row's end offset in ends.
struct DecodedBlock {
    std::string bytes;
    std::vector<std::uint32_t> ends;

    std::string_view Row(int index) const
    {
        const std::uint32_t begin = index == 0 ? 0 : ends[static_cast<std::size_t>(index) - 1];
        return {bytes.data() + begin, ends[static_cast<std::size_t>(index)] - begin};
    }
};

// A column's dictionary: each distinct value once, found by its code.
struct DictionaryView {
    const char* bytes = nullptr;
    const std::uint32_t* ends = nullptr;  // ends[code] .. ends[code + 1]; ends[0] == 0
    std::size_t count = 0;

    std::string_view Entry(std::size_t code) const { return {bytes + ends[code], ends[code + 1] - ends[code]}; }
};

// Rows of one block as they arrive, before the block is written.
struct StagedBlock {
    int rows = 0;
    std::uint64_t nulls = 0;            // bit r set: row r is null
    std::string bytes;                  // text rows, one after another (nothing for null)
    std::vector<std::uint32_t> ends;    // text rows' end offsets in bytes
    std::int64_t integers[kRowsPerBlock] = {};

    void Clear()
    {
        rows = 0;
        nulls = 0;
        bytes.clear();
        ends.clear();
    }
    std::string_view Row(int index) const
    {
        const std::uint32_t begin = index == 0 ? 0 : ends[static_cast<std::size_t>(index) - 1];
        return {bytes.data() + begin, ends[static_cast<std::size_t>(index)] - begin};
    }
};

namespace blocks {

// Bits needed for value (0 for 0).
unsigned BitWidth(std::uint64_t value);
void AppendVarint(std::string& out, std::uint64_t value);
// Appends values[0..count) in width bits each.
void AppendPacked(std::string& out, const std::uint64_t* values, int count, unsigned width);
// The index-th value of width bits in packed (which the caller has checked holds it).
std::uint64_t ReadPacked(const std::uint8_t* packed, std::uint64_t index, unsigned width);

// Appends a text block: Digits when every value allows it, else Alphabet when the values
// use few distinct bytes, else Raw or Packed, whichever is smaller. AllNull when every row
// is null.
void AppendTextBlock(std::string& out, const StagedBlock& block);
// Appends a Dictionary block of the given codes (null rows' codes are ignored).
void AppendDictionaryBlock(std::string& out, const StagedBlock& block, const std::uint32_t* codes);
// Appends an Integers block (or AllNull).
void AppendIntegerBlock(std::string& out, const StagedBlock& block);
// Whether AppendTextBlock writes the block as Digits (every non-null value ASCII digits of
// one length of 1 to 19), and that length.
bool DigitsLength(const StagedBlock& block, int& length);

// One row of a text block into out (empty for AllNull). Raw and Packed blocks go through
// the calling thread's cache, keyed by (columnId, blockIndex).
void ReadText(std::string_view block, int rows, int index, const DictionaryView& dictionary, std::uint64_t columnId,
              std::int64_t blockIndex, std::string& out);
// One row of an Integers or AllNull block.
std::int64_t ReadInteger(std::string_view block, int rows, int index);
// A whole text block of `rows` rows; raises ERecordSetError when the block is malformed.
void DecodeText(std::string_view block, int rows, const DictionaryView& dictionary, DecodedBlock& out);
// Checks an Integers or AllNull block of `rows` rows; raises when it is malformed.
void CheckIntegers(std::string_view block, int rows);

}  // namespace blocks

}  // namespace qelvor::recordset
