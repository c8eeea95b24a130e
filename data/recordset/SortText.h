// SortText: reads a sort string "name [ASC|DESC], ..." into its keys.
//
// Names may be written in [brackets] (then they may hold blanks, commas and the words
// ASC/DESC); blanks around names, directions and commas are ignored; the direction
// words are matched without regard to case. An empty or blank text has no keys.
#pragma once

#include <string>
#include <vector>

namespace qelvor::recordset {

struct SortKeyText {
    std::string name;
    bool descending = false;
    friend bool operator==(const SortKeyText&, const SortKeyText&) = default;
};

// Raises ERecordSetError for an empty key ("a,,b"), an unclosed bracket or text after
// a direction word.
std::vector<SortKeyText> ParseSortText(const std::string& text);

}  // namespace qelvor::recordset
