// ColumnEncoder: writes a column's blocks as they fill, choosing each block's codec, and
// keeps the column's dictionary.
//
// A text block whose values are all ASCII digits of one length is packed as numbers.
// Other text goes into the dictionary while the dictionary is on trial: the first
// kTrialValues values decide whether the column repeats enough to keep it (at most one
// distinct value in two). A kept dictionary codes every later block until it outgrows its
// bounds (then it stays for the blocks it coded, and later blocks are compressed); a
// rejected one, or one that outgrows its bounds on trial, is dropped and the blocks
// written with it are written again, compressed. Text not coded by the dictionary is compressed by zstd, or kept raw when
// that is smaller.
//
// Invariants: blocks are written in row order, one call each; the column's storage
// changes only while no block is being written; between Write calls the column's blocks
// and dictionary are complete and readable (a dictionary on trial may still be dropped,
// its blocks rewritten within the Write or Finish that drops it).
#pragma once

#include <cstdint>
#include <vector>

#include "data/recordset/ColumnBlocks.h"

namespace qelvor::recordset {

class ResultColumn;

class ColumnEncoder {
public:
    explicit ColumnEncoder(ResultColumn& column);

    // The column the next blocks go to (a column widened to another storage is a new one).
    void Retarget(ResultColumn& column);
    // Writes the staged rows as the column's next block.
    void Write(const StagedBlock& block);
    // Settles a dictionary still on trial, frees the lookup and trims spare capacity.
    void Finish();

    // Values the dictionary's trial looks at before it decides.
    static constexpr std::int64_t kTrialValues = 65536;

private:
    enum class Trial : std::uint8_t { Running, Kept, Closed };
    // A Dictionary block written on trial: what rewriting it without the dictionary needs.
    struct TrialBlock {
        std::int64_t index;
        int rows;
        std::uint64_t nulls;
    };

    void WriteText(const StagedBlock& block);
    // The codes of the block's non-null values, new values added; false (nothing added)
    // when the dictionary would outgrow its bounds.
    bool Code(const StagedBlock& block, std::uint32_t* codes);
    void Decide();
    void RewriteWithoutDictionary();
    void AppendBlock(const std::string& bytes);
    std::uint64_t HashOf(std::string_view value) const;
    void Rehash(std::size_t slots);

    ResultColumn* column_;
    Trial trial_ = Trial::Running;
    std::int64_t trialValues_ = 0;            // non-null values coded while on trial
    std::vector<std::uint32_t> slots_;        // the dictionary's lookup, open addressing: code + 1, 0 free
    std::vector<TrialBlock> trialBlocks_;     // Dictionary blocks written on trial
    std::string scratch_;                     // the block being written
};

}  // namespace qelvor::recordset
