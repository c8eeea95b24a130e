// ResultBatch: every result a statement produced, in order.
//
// A statement text may produce several results (several statements, or a procedure);
// each is either a row set (ResultTable) or no row set (e.g. an UPDATE), held as null.
// The batch starts on its first result; Advance moves to the next one.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "data/recordset/ResultTable.h"

namespace qelvor::recordset {

class ResultBatch {
public:
    // Appends a result; null means the statement produced no row set here.
    void Add(std::unique_ptr<ResultTable> table) { results_.push_back(std::move(table)); }

    std::size_t ResultCount() const { return results_.size(); }
    // The current result's row set, or null when it has none or the batch is past its end.
    const ResultTable* Current() const
    {
        return current_ < results_.size() ? results_[current_].get() : nullptr;
    }
    // Moves to the next result; false when there is none (Current() is then null).
    bool Advance()
    {
        if (current_ < results_.size()) {
            results_[current_].reset();  // a passed result is never read again
            ++current_;
        }
        return current_ < results_.size();
    }

private:
    std::vector<std::unique_ptr<ResultTable>> results_;
    std::size_t current_ = 0;
};

}  // namespace qelvor::recordset
