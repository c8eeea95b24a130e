#include "data/recordset/ColumnBlocks.h"

#include <zstd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>

#include "runtime/Assert.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset::blocks {

namespace {

// Fast compression: blocks are small and compressed while the next rows are fetched.
constexpr int kPackLevel = 1;
// A Packed block never claims more than this when unpacked (a block of 64 rows).
constexpr std::uint64_t kMaxUnpacked = std::uint64_t{1} << 31;

[[noreturn]] void Malformed()
{
    throw ERecordSetError("A block of the result's held values is damaged");
}

std::uint64_t LoadLittle(const std::uint8_t* bytes, std::size_t count)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value |= std::uint64_t{bytes[i]} << (8 * i);
    return value;
}

void AppendLittle(std::string& out, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}

std::size_t PackedBytes(int count, unsigned width)
{
    return (static_cast<std::size_t>(count) * width + 7) / 8;
}

// Reads blocks front to back; every read is checked against the block's end.
class Reader {
public:
    explicit Reader(std::string_view bytes)
        : at_(reinterpret_cast<const std::uint8_t*>(bytes.data())), end_(at_ + bytes.size())
    {
    }
    std::size_t Left() const { return static_cast<std::size_t>(end_ - at_); }
    const std::uint8_t* At() const { return at_; }
    std::uint8_t Byte()
    {
        if (at_ == end_)
            Malformed();
        return *at_++;
    }
    std::uint64_t Fixed64()
    {
        if (Left() < 8)
            Malformed();
        const std::uint64_t value = LoadLittle(at_, 8);
        at_ += 8;
        return value;
    }
    std::uint64_t Varint()
    {
        std::uint64_t value = 0;
        for (unsigned shift = 0; shift < 64; shift += 7) {
            const std::uint8_t byte = Byte();
            value |= std::uint64_t{byte & 0x7fu} << shift;
            if (!(byte & 0x80))
                return value;
        }
        Malformed();
    }
    unsigned Width()
    {
        const unsigned width = Byte();
        if (width > 64)
            Malformed();
        return width;
    }
    // Checks that count values of width bits follow, and steps over them.
    const std::uint8_t* Packed(int count, unsigned width)
    {
        const std::size_t size = PackedBytes(count, width);
        if (Left() < size)
            Malformed();
        const std::uint8_t* packed = at_;
        at_ += size;
        return packed;
    }
    void Skip(std::size_t count)
    {
        if (Left() < count)
            Malformed();
        at_ += count;
    }

private:
    const std::uint8_t* at_;
    const std::uint8_t* end_;
};

// Appends values of up to 32 bits each (each below 2^width) as one little-endian bit
// string, the first value lowest.
class BitWriter {
public:
    explicit BitWriter(std::string& out) : out_(out) {}
    void Put(std::uint64_t value, unsigned width)
    {
        pending_ |= value << held_;
        held_ += width;
        if (held_ >= 32) {
            for (int i = 0; i < 4; ++i, pending_ >>= 8)
                out_.push_back(static_cast<char>(pending_));
            held_ -= 32;
        }
    }
    // Writes the bits still held, the last byte padded with zeros.
    void Flush()
    {
        for (; held_ > 0; held_ = held_ > 8 ? held_ - 8 : 0, pending_ >>= 8)
            out_.push_back(static_cast<char>(pending_));
    }

private:
    std::string& out_;
    std::uint64_t pending_ = 0;  // bits not yet written, the oldest lowest
    unsigned held_ = 0;
};

bool AllRowsNull(const StagedBlock& block)
{
    const std::uint64_t all = block.rows == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << block.rows) - 1;
    return (block.nulls & all) == all;
}

void AppendRawForm(std::string& out, const StagedBlock& block)
{
    for (int row = 0; row < block.rows; ++row)
        AppendVarint(out, block.Row(row).size());
    out.append(block.bytes);
}

void DecodeRaw(Reader& reader, int rows, DecodedBlock& out)
{
    out.ends.resize(static_cast<std::size_t>(rows));
    std::uint64_t total = 0;
    for (int row = 0; row < rows; ++row) {
        total += reader.Varint();
        if (total > reader.Left() || total > std::numeric_limits<std::uint32_t>::max())
            Malformed();
        out.ends[static_cast<std::size_t>(row)] = static_cast<std::uint32_t>(total);
    }
    if (total != reader.Left())
        Malformed();
    out.bytes.assign(reinterpret_cast<const char*>(reader.At()), total);
}

struct DecompressContext {
    ZSTD_DCtx* context = ZSTD_createDCtx();
    ~DecompressContext() { ZSTD_freeDCtx(context); }
};

struct CompressContext {
    ZSTD_CCtx* context = ZSTD_createCCtx();
    ~CompressContext() { ZSTD_freeCCtx(context); }
};

void DecodePacked(Reader& reader, int rows, DecodedBlock& out)
{
    const std::uint64_t size = reader.Varint();
    if (size > kMaxUnpacked)
        Malformed();
    thread_local DecompressContext decompress;
    thread_local std::string unpacked;
    unpacked.resize(size);
    const std::size_t made =
        ZSTD_decompressDCtx(decompress.context, unpacked.data(), unpacked.size(), reader.At(), reader.Left());
    if (ZSTD_isError(made) || made != size)
        Malformed();
    Reader raw(unpacked);
    DecodeRaw(raw, rows, out);
}

void FormatDigits(std::uint64_t value, int length, std::string& out)
{
    out.resize(static_cast<std::size_t>(length));
    for (int i = length - 1; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

// One decoded Raw or Packed block in the reading thread's cache.
struct CacheSlot {
    std::uint64_t columnId = 0;
    std::int64_t block = -1;
    DecodedBlock decoded;
};

// Enough slots for every Raw or Packed block a screenful of rows reads after a sort.
constexpr std::size_t kCacheSlots = 512;

const DecodedBlock& Cached(std::string_view block, int rows, const DictionaryView& dictionary, std::uint64_t columnId,
                           std::int64_t blockIndex)
{
    thread_local std::unique_ptr<std::array<CacheSlot, kCacheSlots>> cache;
    if (!cache)
        cache = std::make_unique<std::array<CacheSlot, kCacheSlots>>();
    const std::uint64_t hash = (columnId * 0x9E3779B97F4A7C15ull) ^ static_cast<std::uint64_t>(blockIndex);
    CacheSlot& slot = (*cache)[(hash * 0xBF58476D1CE4E5B9ull >> 32) % kCacheSlots];
    if (slot.columnId != columnId || slot.block != blockIndex) {
        slot.block = -1;  // a failed decode leaves no half-filled entry behind
        DecodeText(block, rows, dictionary, slot.decoded);
        slot.columnId = columnId;
        slot.block = blockIndex;
    }
    return slot.decoded;
}

// Alphabet: the block's distinct bytes, when there are at most 16.
bool AppendAlphabet(std::string& out, const StagedBlock& block)
{
    int index[256];
    std::fill(std::begin(index), std::end(index), -1);
    char symbols[16];
    int count = 0;
    std::uint64_t lengths[kRowsPerBlock] = {};
    std::uint64_t longest = 0;
    for (int row = 0; row < block.rows; ++row) {
        if (block.nulls >> row & 1)
            continue;
        const std::string_view value = block.Row(row);
        for (const char c : value) {
            int& slot = index[static_cast<std::uint8_t>(c)];
            if (slot < 0) {
                if (count == 16)
                    return false;
                slot = count;
                symbols[count++] = c;
            }
        }
        lengths[row] = value.size();
        longest = std::max<std::uint64_t>(longest, value.size());
    }
    const unsigned width = count <= 1 ? 0 : BitWidth(static_cast<std::uint64_t>(count - 1));
    const unsigned lengthWidth = BitWidth(longest);
    out.push_back(static_cast<char>(BlockCodec::Alphabet));
    out.push_back(static_cast<char>(count));
    out.append(symbols, static_cast<std::size_t>(count));
    out.push_back(static_cast<char>(width));
    out.push_back(static_cast<char>(lengthWidth));
    AppendPacked(out, lengths, block.rows, lengthWidth);
    // Every row's bytes as indexes, one bit string (null rows hold no bytes).
    BitWriter writer(out);
    for (const char c : block.bytes)
        writer.Put(static_cast<std::uint64_t>(index[static_cast<std::uint8_t>(c)]), width);
    writer.Flush();
    return true;
}

// Where an Alphabet block's parts are (DecodeText checks them against the block's size first).
struct AlphabetParts {
    int count;
    const char* symbols;
    unsigned width;
    unsigned lengthWidth;
    const std::uint8_t* lengths;
    const std::uint8_t* packed;
};

AlphabetParts AlphabetOf(const std::uint8_t* bytes, int rows)
{
    AlphabetParts parts{};
    parts.count = bytes[1];
    parts.symbols = reinterpret_cast<const char*>(bytes + 2);
    parts.width = bytes[2 + parts.count];
    parts.lengthWidth = bytes[3 + parts.count];
    parts.lengths = bytes + 4 + parts.count;
    parts.packed = parts.lengths + PackedBytes(rows, parts.lengthWidth);
    return parts;
}

// Reads packed values of one width in order, a byte at a time, never past end.
class BitStream {
public:
    BitStream(const std::uint8_t* packed, const std::uint8_t* end, std::uint64_t firstBit)
        : at_(packed + (firstBit >> 3)), end_(end)
    {
        Refill();
        pending_ >>= firstBit & 7;
        held_ -= static_cast<unsigned>(firstBit & 7);
    }
    std::uint64_t Next(unsigned width)
    {
        if (held_ < width)
            Refill();
        const std::uint64_t value = width == 0 ? 0 : pending_ & ((std::uint64_t{1} << width) - 1);
        pending_ >>= width;
        held_ -= width;
        return value;
    }

private:
    void Refill()
    {
        while (held_ <= 56 && at_ < end_) {
            pending_ |= std::uint64_t{*at_++} << held_;
            held_ += 8;
        }
    }

    const std::uint8_t* at_;
    const std::uint8_t* end_;
    std::uint64_t pending_ = 0;
    unsigned held_ = 0;
};

void ReadAlphabetRow(const AlphabetParts& parts, const std::uint8_t* end, int index, std::string& out)
{
    BitStream lengths(parts.lengths, parts.packed, 0);
    std::uint64_t start = 0;
    for (int row = 0; row < index; ++row)
        start += lengths.Next(parts.lengthWidth);
    const std::uint64_t length = lengths.Next(parts.lengthWidth);
    out.resize(length);
    BitStream symbols(parts.packed, end, start * parts.width);
    for (std::uint64_t i = 0; i < length; ++i)
        out[i] = parts.symbols[symbols.Next(parts.width)];
}

}  // namespace

unsigned BitWidth(std::uint64_t value)
{
    return value == 0 ? 0 : 64 - static_cast<unsigned>(__builtin_clzll(value));
}

void AppendVarint(std::string& out, std::uint64_t value)
{
    while (value >= 0x80) {
        out.push_back(static_cast<char>((value & 0x7f) | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

void AppendPacked(std::string& out, const std::uint64_t* values, int count, unsigned width)
{
    if (width <= 32) {
        BitWriter writer(out);
        for (int i = 0; i < count; ++i)
            writer.Put(values[i], width);
        writer.Flush();
        return;
    }
    const std::size_t start = out.size();
    out.append(PackedBytes(count, width), '\0');
    auto* packed = reinterpret_cast<std::uint8_t*>(out.data() + start);
    std::uint64_t bit = 0;
    for (int i = 0; i < count; ++i, bit += width) {
        std::uint64_t value = values[i];
        for (unsigned done = 0; done < width;) {
            const std::uint64_t at = bit + done;
            const unsigned shift = static_cast<unsigned>(at & 7);
            const unsigned take = std::min(width - done, 8 - shift);
            packed[at >> 3] |= static_cast<std::uint8_t>((value & ((1u << take) - 1)) << shift);
            value >>= take;
            done += take;
        }
    }
}

std::uint64_t ReadPacked(const std::uint8_t* packed, std::uint64_t index, unsigned width)
{
    if (width == 0)
        return 0;
    const std::uint64_t bit = index * width;
    const unsigned shift = static_cast<unsigned>(bit & 7);
    const std::size_t needed = (shift + width + 7) / 8;  // 1..9 bytes, all within the packed values
    std::uint64_t value = LoadLittle(packed + (bit >> 3), std::min<std::size_t>(needed, 8)) >> shift;
    if (needed == 9)
        value |= std::uint64_t{packed[(bit >> 3) + 8]} << (64 - shift);
    return width == 64 ? value : value & ((std::uint64_t{1} << width) - 1);
}

bool DigitsLength(const StagedBlock& block, int& length)
{
    length = 0;
    for (int row = 0; row < block.rows; ++row) {
        if (block.nulls >> row & 1)
            continue;
        const std::string_view value = block.Row(row);
        if (length == 0) {
            // 19 digits still fit 64 bits (10^19 - 1 < 2^64).
            if (value.empty() || value.size() > 19)
                return false;
            length = static_cast<int>(value.size());
        } else if (static_cast<int>(value.size()) != length) {
            return false;
        }
        for (const char c : value)
            if (c < '0' || c > '9')
                return false;
    }
    return length > 0;
}

void AppendTextBlock(std::string& out, const StagedBlock& block)
{
    if (AllRowsNull(block)) {
        out.push_back(static_cast<char>(BlockCodec::AllNull));
        return;
    }
    int length = 0;
    if (DigitsLength(block, length)) {
        std::uint64_t values[kRowsPerBlock] = {};
        std::uint64_t smallest = std::numeric_limits<std::uint64_t>::max();
        for (int row = 0; row < block.rows; ++row) {
            if (block.nulls >> row & 1)
                continue;
            std::uint64_t value = 0;
            for (const char c : block.Row(row))
                value = value * 10 + static_cast<std::uint64_t>(c - '0');
            values[row] = value;
            smallest = std::min(smallest, value);
        }
        std::uint64_t largest = 0;
        for (int row = 0; row < block.rows; ++row) {
            values[row] = block.nulls >> row & 1 ? 0 : values[row] - smallest;
            largest = std::max(largest, values[row]);
        }
        const unsigned width = BitWidth(largest);
        out.push_back(static_cast<char>(BlockCodec::Digits));
        out.push_back(static_cast<char>(length));
        AppendLittle(out, smallest);
        out.push_back(static_cast<char>(width));
        AppendPacked(out, values, block.rows, width);
        return;
    }
    if (AppendAlphabet(out, block))
        return;
    thread_local std::string raw;
    raw.clear();
    AppendRawForm(raw, block);
    thread_local CompressContext compress;
    thread_local std::string packed;
    packed.resize(ZSTD_compressBound(raw.size()));
    const std::size_t made =
        ZSTD_compressCCtx(compress.context, packed.data(), packed.size(), raw.data(), raw.size(), kPackLevel);
    std::string header;
    AppendVarint(header, raw.size());
    if (!ZSTD_isError(made) && made + header.size() < raw.size()) {
        out.push_back(static_cast<char>(BlockCodec::Packed));
        out.append(header);
        out.append(packed.data(), made);
    } else {
        out.push_back(static_cast<char>(BlockCodec::Raw));
        out.append(raw);
    }
}

void AppendDictionaryBlock(std::string& out, const StagedBlock& block, const std::uint32_t* codes)
{
    std::uint64_t values[kRowsPerBlock] = {};
    std::uint64_t largest = 0;
    for (int row = 0; row < block.rows; ++row) {
        values[row] = block.nulls >> row & 1 ? 0 : codes[row];
        largest = std::max(largest, values[row]);
    }
    const unsigned width = BitWidth(largest);
    out.push_back(static_cast<char>(BlockCodec::Dictionary));
    out.push_back(static_cast<char>(width));
    AppendPacked(out, values, block.rows, width);
}

void AppendIntegerBlock(std::string& out, const StagedBlock& block)
{
    if (AllRowsNull(block)) {
        out.push_back(static_cast<char>(BlockCodec::AllNull));
        return;
    }
    std::int64_t smallest = std::numeric_limits<std::int64_t>::max();
    for (int row = 0; row < block.rows; ++row)
        if (!(block.nulls >> row & 1))
            smallest = std::min(smallest, block.integers[row]);
    std::uint64_t values[kRowsPerBlock] = {};
    std::uint64_t largest = 0;
    for (int row = 0; row < block.rows; ++row) {
        // Differences are taken modulo 2^64: the largest range still fits 64 bits.
        values[row] = block.nulls >> row & 1
                          ? 0
                          : static_cast<std::uint64_t>(block.integers[row]) - static_cast<std::uint64_t>(smallest);
        largest = std::max(largest, values[row]);
    }
    const unsigned width = BitWidth(largest);
    out.push_back(static_cast<char>(BlockCodec::Integers));
    AppendLittle(out, static_cast<std::uint64_t>(smallest));
    out.push_back(static_cast<char>(width));
    AppendPacked(out, values, block.rows, width);
}

void ReadText(std::string_view block, int rows, int index, const DictionaryView& dictionary, std::uint64_t columnId,
              std::int64_t blockIndex, std::string& out)
{
    QELVOR_ASSERT(!block.empty() && index < rows);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(block.data());
    switch (static_cast<BlockCodec>(bytes[0])) {
    case BlockCodec::AllNull: out.clear(); return;
    case BlockCodec::Digits: {
        const int length = bytes[1];
        const std::uint64_t smallest = LoadLittle(bytes + 2, 8);
        const unsigned width = bytes[10];
        FormatDigits(smallest + ReadPacked(bytes + 11, static_cast<std::uint64_t>(index), width), length, out);
        return;
    }
    case BlockCodec::Dictionary: {
        const std::uint64_t code = ReadPacked(bytes + 2, static_cast<std::uint64_t>(index), bytes[1]);
        QELVOR_ASSERT(code < dictionary.count);
        out.assign(dictionary.Entry(static_cast<std::size_t>(code)));
        return;
    }
    case BlockCodec::Alphabet:
        ReadAlphabetRow(AlphabetOf(bytes, rows), bytes + block.size(), index, out);
        return;
    case BlockCodec::Raw:
    case BlockCodec::Packed: out.assign(Cached(block, rows, dictionary, columnId, blockIndex).Row(index)); return;
    case BlockCodec::Integers: break;
    }
    Malformed();
}

std::int64_t ReadInteger(std::string_view block, [[maybe_unused]] int rows, int index)
{
    QELVOR_ASSERT(!block.empty() && index < rows);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(block.data());
    if (static_cast<BlockCodec>(bytes[0]) == BlockCodec::AllNull)
        return 0;
    QELVOR_ASSERT(static_cast<BlockCodec>(bytes[0]) == BlockCodec::Integers);
    const std::uint64_t smallest = LoadLittle(bytes + 1, 8);
    return static_cast<std::int64_t>(smallest + ReadPacked(bytes + 10, static_cast<std::uint64_t>(index), bytes[9]));
}

void DecodeText(std::string_view block, int rows, const DictionaryView& dictionary, DecodedBlock& out)
{
    if (rows < 1 || rows > kRowsPerBlock)
        Malformed();
    out.bytes.clear();
    out.ends.clear();
    Reader reader(block);
    switch (static_cast<BlockCodec>(reader.Byte())) {
    case BlockCodec::AllNull: out.ends.assign(static_cast<std::size_t>(rows), 0); break;
    case BlockCodec::Raw: DecodeRaw(reader, rows, out); return;
    case BlockCodec::Packed: DecodePacked(reader, rows, out); return;
    case BlockCodec::Digits: {
        const int length = reader.Byte();
        if (length < 1 || length > 19)
            Malformed();
        const std::uint64_t smallest = reader.Fixed64();
        const unsigned width = reader.Width();
        const std::uint8_t* packed = reader.Packed(rows, width);
        std::string digits;
        for (int row = 0; row < rows; ++row) {
            FormatDigits(smallest + ReadPacked(packed, static_cast<std::uint64_t>(row), width), length, digits);
            out.bytes += digits;
            out.ends.push_back(static_cast<std::uint32_t>(out.bytes.size()));
        }
        break;
    }
    case BlockCodec::Dictionary: {
        const unsigned width = reader.Width();
        const std::uint8_t* packed = reader.Packed(rows, width);
        for (int row = 0; row < rows; ++row) {
            const std::uint64_t code = ReadPacked(packed, static_cast<std::uint64_t>(row), width);
            if (code >= dictionary.count)
                Malformed();
            out.bytes += dictionary.Entry(static_cast<std::size_t>(code));
            out.ends.push_back(static_cast<std::uint32_t>(out.bytes.size()));
        }
        break;
    }
    case BlockCodec::Alphabet: {
        const int count = reader.Byte();
        if (count > 16)
            Malformed();
        reader.Skip(static_cast<std::size_t>(count));
        const unsigned width = reader.Byte();
        const unsigned lengthWidth = reader.Byte();
        if (width > 4 || lengthWidth > 32 || (count > 1 && width < BitWidth(static_cast<std::uint64_t>(count - 1))))
            Malformed();
        const AlphabetParts parts = AlphabetOf(reinterpret_cast<const std::uint8_t*>(block.data()), rows);
        reader.Packed(rows, lengthWidth);
        std::uint64_t total = 0;
        for (int row = 0; row < rows; ++row)
            total += ReadPacked(parts.lengths, static_cast<std::uint64_t>(row), lengthWidth);
        if (total > std::numeric_limits<std::uint32_t>::max() || (total > 0 && count == 0))
            Malformed();
        reader.Skip((total * width + 7) / 8);
        for (std::uint64_t i = 0; i < total; ++i)
            if (ReadPacked(parts.packed, i, width) >= static_cast<std::uint64_t>(count))
                Malformed();  // an index past the alphabet
        std::string value;
        for (int row = 0; row < rows; ++row) {
            ReadAlphabetRow(parts, reinterpret_cast<const std::uint8_t*>(block.data()) + block.size(), row, value);
            out.bytes += value;
            out.ends.push_back(static_cast<std::uint32_t>(out.bytes.size()));
        }
        break;
    }
    default: Malformed();
    }
    if (reader.Left() != 0)
        Malformed();
}

void CheckIntegers(std::string_view block, int rows)
{
    if (rows < 1 || rows > kRowsPerBlock)
        Malformed();
    Reader reader(block);
    switch (static_cast<BlockCodec>(reader.Byte())) {
    case BlockCodec::AllNull: break;
    case BlockCodec::Integers:
        reader.Fixed64();
        reader.Packed(rows, reader.Width());
        break;
    default: Malformed();
    }
    if (reader.Left() != 0)
        Malformed();
}

}  // namespace qelvor::recordset::blocks
