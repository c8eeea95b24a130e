#include "data/recordset/ResultColumn.h"

#include <atomic>
#include <string>

#include "runtime/Assert.h"

namespace qelvor::recordset {

namespace {

std::uint64_t NewColumnId()
{
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

ResultColumn::ResultColumn() : id_(NewColumnId())
{
}

ResultColumn::ResultColumn(ResultColumn&& other) noexcept
    : storage_(other.storage_),
      dateKind_(other.dateKind_),
      id_(other.id_),
      rows_(other.rows_),
      nullCount_(other.nullCount_),
      blocks_(std::move(other.blocks_)),
      blockStarts_(std::move(other.blockStarts_)),
      dictionaryBytes_(std::move(other.dictionaryBytes_)),
      dictionaryEnds_(std::move(other.dictionaryEnds_)),
      allDictionary_(other.allDictionary_),
      digitsLength_(other.digitsLength_),
      reals_(std::move(other.reals_)),
      nulls_(std::move(other.nulls_))
{
    // What is left behind is another (empty) content: it must not meet this one's blocks
    // in a cache.
    other = ResultColumn();
}

ResultColumn& ResultColumn::operator=(ResultColumn&& other) noexcept
{
    if (this == &other)
        return *this;
    storage_ = other.storage_;
    dateKind_ = other.dateKind_;
    id_ = other.id_;
    rows_ = other.rows_;
    nullCount_ = other.nullCount_;
    blocks_ = std::move(other.blocks_);
    blockStarts_ = std::move(other.blockStarts_);
    dictionaryBytes_ = std::move(other.dictionaryBytes_);
    dictionaryEnds_ = std::move(other.dictionaryEnds_);
    allDictionary_ = other.allDictionary_;
    digitsLength_ = other.digitsLength_;
    reals_ = std::move(other.reals_);
    nulls_ = std::move(other.nulls_);
    other.id_ = NewColumnId();
    other.rows_ = other.nullCount_ = 0;
    other.blockStarts_ = PodArray<std::uint64_t>(1, 0);
    other.dictionaryEnds_ = PodArray<std::uint32_t>(1, 0);
    other.allDictionary_ = true;
    other.digitsLength_ = -1;
    return *this;
}

void ResultColumn::CopyBytes(std::int64_t row, std::string& out) const
{
    QELVOR_ASSERT(UsesArena(storage_) && row >= 0 && row < rows_);
    if (IsNull(row)) {
        out.clear();
        return;
    }
    const std::int64_t block = row / kRowsPerBlock;
    blocks::ReadText(Block(block), RowsInBlock(block), static_cast<int>(row % kRowsPerBlock), Dictionary(), id_, block,
                     out);
}

std::int64_t ResultColumn::Integer(std::int64_t row) const
{
    QELVOR_ASSERT((storage_ == ColumnStorage::Integer || storage_ == ColumnStorage::Boolean) && row >= 0 && row < rows_);
    if (IsNull(row))
        return 0;  // a block packs differences from its smallest value: a null's bits say nothing
    const std::int64_t block = row / kRowsPerBlock;
    return blocks::ReadInteger(Block(block), RowsInBlock(block), static_cast<int>(row % kRowsPerBlock));
}

DictionaryView ResultColumn::Dictionary() const
{
    return {dictionaryBytes_.Data(), dictionaryEnds_.Data(), dictionaryEnds_.Size() - 1};
}

std::uint64_t ResultColumn::Code(std::int64_t row) const
{
    const std::int64_t block = row / kRowsPerBlock;
    const std::string_view bytes = Block(block);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto index = static_cast<std::uint64_t>(row % kRowsPerBlock);
    switch (static_cast<BlockCodec>(data[0])) {
    case BlockCodec::Dictionary: return blocks::ReadPacked(data + 2, index, data[1]);
    case BlockCodec::Digits: {
        std::uint64_t smallest = 0;
        for (int i = 0; i < 8; ++i)
            smallest |= std::uint64_t{data[2 + i]} << (8 * i);
        return smallest + blocks::ReadPacked(data + 11, index, data[10]);
    }
    default: return 0;  // a null row
    }
}

Variant ResultColumn::Value(std::int64_t row) const
{
    if (IsNull(row))
        return {};
    switch (storage_) {
    case ColumnStorage::Text: {
        std::string text;
        CopyBytes(row, text);
        return text;
    }
    case ColumnStorage::Binary: {
        std::string bytes;
        CopyBytes(row, bytes);
        return qelvor::Bytes(bytes.begin(), bytes.end());
    }
    case ColumnStorage::Decimal: {
        std::string text;
        CopyBytes(row, text);
        return DecimalValue{std::move(text)};
    }
    case ColumnStorage::Integer: return Integer(row);
    case ColumnStorage::Boolean: return Integer(row) != 0;
    case ColumnStorage::Real: return Real(row);
    case ColumnStorage::DateTime: return DateTimeValue{Real(row), dateKind_};
    }
    return {};
}

std::size_t ResultColumn::MemoryUsage() const
{
    return blocks_.Capacity() + blockStarts_.Capacity() * sizeof(std::uint64_t) + dictionaryBytes_.Capacity()
         + dictionaryEnds_.Capacity() * sizeof(std::uint32_t) + reals_.Capacity() * sizeof(double)
         + nulls_.Capacity() * sizeof(std::uint64_t) + sizeof(*this);
}

}  // namespace qelvor::recordset
