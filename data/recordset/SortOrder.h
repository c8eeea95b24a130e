// SortOrder: a row order computed for a sort text, not yet in use.
//
// Computing an order reads only the rows and the sort-key cache, so it can run beside
// a reader of the record set (on a worker thread); adopting it is a swap of vectors on
// the reader's own thread. Both vectors are empty for fetch order; otherwise order[p]
// is the row (fetch ordinal) at position p and inverse maps back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qelvor::recordset {

struct SortOrder {
    std::string sortText;  // the text the order was computed for
    std::vector<std::uint32_t> order;
    std::vector<std::uint32_t> inverse;
};

}  // namespace qelvor::recordset
