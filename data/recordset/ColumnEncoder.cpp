#include "data/recordset/ColumnEncoder.h"

#include "data/recordset/ResultColumn.h"
#include "runtime/Assert.h"

namespace qelvor::recordset {

namespace {

// A kept dictionary stops growing here; later blocks are compressed instead.
constexpr std::size_t kMaxEntries = std::size_t{1} << 22;
constexpr std::size_t kMaxDictionaryBytes = std::size_t{1} << 28;

}  // namespace

ColumnEncoder::ColumnEncoder(ResultColumn& column) : column_(&column)
{
}

void ColumnEncoder::Retarget(ResultColumn& column)
{
    column_ = &column;
}

std::uint64_t ColumnEncoder::HashOf(std::string_view value) const
{
    std::uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a, then mixed
    for (const char c : value)
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 0x100000001b3ull;
    return hash ^ (hash >> 29);
}

void ColumnEncoder::Rehash(std::size_t slots)
{
    slots_.assign(slots, 0);
    const DictionaryView dictionary = column_->Dictionary();
    for (std::size_t code = 0; code < dictionary.count; ++code) {
        std::size_t slot = HashOf(dictionary.Entry(code)) & (slots - 1);
        while (slots_[slot] != 0)
            slot = (slot + 1) & (slots - 1);
        slots_[slot] = static_cast<std::uint32_t>(code + 1);
    }
}

bool ColumnEncoder::Code(const StagedBlock& block, std::uint32_t* codes)
{
    ResultColumn& column = *column_;
    for (int row = 0; row < block.rows; ++row) {
        codes[row] = 0;
        if (block.nulls >> row & 1)
            continue;
        const std::size_t entries = column.dictionaryEnds_.Size() - 1;
        if ((entries + 1) * 2 > slots_.size())
            Rehash(slots_.empty() ? 1024 : slots_.size() * 2);
        const std::string_view value = block.Row(row);
        const std::size_t mask = slots_.size() - 1;
        std::size_t slot = HashOf(value) & mask;
        const DictionaryView dictionary = column.Dictionary();
        while (slots_[slot] != 0 && dictionary.Entry(slots_[slot] - 1) != value)
            slot = (slot + 1) & mask;
        if (slots_[slot] == 0) {
            // Entries this block added before the bound stay unused: harmless.
            if (entries >= kMaxEntries || column.dictionaryBytes_.Size() + value.size() > kMaxDictionaryBytes)
                return false;
            column.dictionaryBytes_.Append(value.data(), value.size());
            column.dictionaryEnds_.PushBack(static_cast<std::uint32_t>(column.dictionaryBytes_.Size()));
            slots_[slot] = static_cast<std::uint32_t>(entries + 1);
        }
        codes[row] = slots_[slot] - 1;
    }
    return true;
}

void ColumnEncoder::AppendBlock(const std::string& bytes)
{
    column_->blocks_.Append(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    column_->blockStarts_.PushBack(column_->blocks_.Size());
}

void ColumnEncoder::Write(const StagedBlock& block)
{
    QELVOR_ASSERT(block.rows > 0 && block.rows <= kRowsPerBlock);
    scratch_.clear();
    if (UsesArena(column_->storage_)) {
        WriteText(block);
    } else {
        blocks::AppendIntegerBlock(scratch_, block);
        AppendBlock(scratch_);
    }
}

void ColumnEncoder::WriteText(const StagedBlock& block)
{
    int length = 0;
    std::uint32_t codes[kRowsPerBlock];
    if (trial_ == Trial::Closed || blocks::DigitsLength(block, length) || !Code(block, codes)) {
        if (trial_ == Trial::Running && length == 0)
            RewriteWithoutDictionary();  // the dictionary outgrew its bounds on trial
        if (length == 0)
            trial_ = Trial::Closed;
        blocks::AppendTextBlock(scratch_, block);
        AppendBlock(scratch_);
        return;
    }
    blocks::AppendDictionaryBlock(scratch_, block, codes);
    AppendBlock(scratch_);
    if (trial_ != Trial::Running)
        return;
    trialBlocks_.push_back({static_cast<std::int64_t>(column_->blockStarts_.Size()) - 2, block.rows, block.nulls});
    trialValues_ += block.rows - __builtin_popcountll(block.nulls);
    if (trialValues_ >= kTrialValues)
        Decide();
}

void ColumnEncoder::Decide()
{
    const std::size_t distinct = column_->dictionaryEnds_.Size() - 1;
    if (static_cast<std::int64_t>(distinct) * 2 <= trialValues_) {
        trial_ = Trial::Kept;
    } else {
        RewriteWithoutDictionary();
        trial_ = Trial::Closed;
    }
    trialBlocks_ = {};
}

void ColumnEncoder::RewriteWithoutDictionary()
{
    ResultColumn& column = *column_;
    const DictionaryView dictionary = column.Dictionary();
    const std::size_t blockCount = column.blockStarts_.Size() - 1;
    PodArray<std::uint8_t> rewritten;
    PodArray<std::uint64_t> starts(1, 0);
    std::size_t next = 0;  // the next trial block
    DecodedBlock decoded;
    StagedBlock staged;
    std::string bytes;
    for (std::size_t b = 0; b < blockCount; ++b) {
        const std::uint64_t begin = column.blockStarts_[b];
        const std::uint64_t end = column.blockStarts_[b + 1];
        if (next < trialBlocks_.size() && trialBlocks_[next].index == static_cast<std::int64_t>(b)) {
            const TrialBlock& trial = trialBlocks_[next++];
            blocks::DecodeText({reinterpret_cast<const char*>(column.blocks_.Data()) + begin, end - begin}, trial.rows,
                               dictionary, decoded);
            staged.Clear();
            staged.rows = trial.rows;
            staged.nulls = trial.nulls;
            for (int row = 0; row < trial.rows; ++row) {
                if (!(trial.nulls >> row & 1))
                    staged.bytes.append(decoded.Row(row));
                staged.ends.push_back(static_cast<std::uint32_t>(staged.bytes.size()));
            }
            bytes.clear();
            blocks::AppendTextBlock(bytes, staged);
            rewritten.Append(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        } else {
            rewritten.Append(column.blocks_.Data() + begin, end - begin);
        }
        starts.PushBack(rewritten.Size());
    }
    column.blocks_ = std::move(rewritten);
    column.blockStarts_ = std::move(starts);
    column.dictionaryBytes_ = PodArray<char>();
    column.dictionaryEnds_ = PodArray<std::uint32_t>(1, 0);
    slots_ = {};
    trialBlocks_ = {};
}

void ColumnEncoder::Finish()
{
    if (trial_ == Trial::Running)
        Decide();
    slots_ = {};
    trialBlocks_ = {};
    // What readers may take the text order from: the codecs of all the blocks.
    ResultColumn& column = *column_;
    column.allDictionary_ = UsesArena(column.storage_);
    column.digitsLength_ = UsesArena(column.storage_) ? -1 : 0;
    for (std::size_t b = 0; b + 1 < column.blockStarts_.Size(); ++b) {
        const std::uint8_t* block = column.blocks_.Data() + column.blockStarts_[b];
        const auto codec = static_cast<BlockCodec>(block[0]);
        if (codec == BlockCodec::AllNull)
            continue;
        column.allDictionary_ = column.allDictionary_ && codec == BlockCodec::Dictionary;
        const int length = codec == BlockCodec::Digits ? block[1] : 0;
        column.digitsLength_ = column.digitsLength_ == -1 || column.digitsLength_ == length ? length : 0;
    }
    column_->blocks_.Trim();
    column_->blockStarts_.Trim();
    column_->dictionaryBytes_.Trim();
    column_->dictionaryEnds_.Trim();
}

}  // namespace qelvor::recordset
