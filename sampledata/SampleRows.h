// SampleRows: the deterministic answer-sheet and registration rows of the demo data.
//
// Row k (0-based, in insertion order) is a pure function of (rows, seed, k): the
// generator shuffles the sheet ordinals once, then derives every text from a random
// stream seeded per row, so any writer (SQLite file, ODBC server) produces the same
// data. Admission ticket numbers are 15 digits and unique; about 2 % of the sheets
// have no registration; names repeat often, as real candidate lists do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qelvor::sample {

// One answer sheet (table t_omr) with its registration (table t_bm), if any.
struct SampleRow {
    std::string zkzh;   // admission ticket number, 15 digits
    std::string ttxx;   // objective answers, 60..120 of "ABCD-"
    std::string tttt;   // subjective scores, comma-separated small integers
    std::string qk;     // absence mark "0" or "1"
    std::string lwtth;  // essay question number "1".."4"
    bool registered = true;
    std::string bmh;    // registration number (only when registered)
    std::string xm;     // candidate name (only when registered)
};

// The most sheets one data set holds, ten times a national examination.
inline constexpr std::int64_t kMaxSampleRows = 100'000'000;

// Produces the rows of one data set in insertion order.
class SampleRows {
public:
    // rows from 0 to kMaxSampleRows; raises std::invalid_argument otherwise.
    SampleRows(std::int64_t rows, std::uint64_t seed);

    std::int64_t Count() const { return static_cast<std::int64_t>(order_.size()); }
    // Fills row with the index-th row in insertion order (0 <= index < Count()).
    void Fill(std::int64_t index, SampleRow& row) const;

    // The ticket number of the sheet with sorted ordinal k: increasing in k.
    static std::string TicketNumber(std::int64_t ordinal);

private:
    std::uint64_t seed_;
    std::vector<std::uint32_t> order_;  // insertion index -> sorted ordinal
};

// A small, portable random stream (splitmix64): the same numbers on every platform,
// unlike the standard distributions.
class SampleRandom {
public:
    explicit SampleRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    // Uniform in [0, bound), bound > 0.
    std::uint32_t Below(std::uint32_t bound);
    // True with the given chance in per mille.
    bool PerMille(std::uint32_t chance) { return Below(1000) < chance; }

private:
    std::uint64_t state_;
};

}  // namespace qelvor::sample
