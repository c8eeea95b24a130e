// QueryComposition: the texts the browse form sends towards the database.
//
// The answer-sheet statement is built from the two admission-number edits: no WHERE
// when both are blank, "= start" when only the start is given, "between start and end"
// otherwise, the filtered forms ordered by admission number. Values are quoted as
// typed (untrimmed) with single quotes doubled, so an edit text always stays one
// literal. The sort string lists the sort-marked fields in priority order, each with
// " ASC" or " DESC", joined by ", ". All text is UTF-8. No Qt: the search button and
// the command-line tool both call this code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qelvor {

// The statement over t_omr and t_bm for an admission-number range (edit texts as typed).
std::string ComposeAnswerSheetStatement(const std::string& startText, const std::string& endText);

// Removes every leading and trailing byte of value 32 (blank) or less.
std::string TrimControlAndBlank(std::string_view text);
// Encloses text in single quotes, doubling every single quote inside it.
std::string QuoteLiteral(std::string_view text);

// A column title's sort marker, by the values the grid uses.
enum class SortMarker : std::uint8_t { smNone = 0, smDown = 1, smUp = 2 };

struct SortItem {
    std::string fieldName;
    SortMarker marker = SortMarker::smNone;
};

// "name ASC, other DESC" for the items in priority order; items without a marker add
// nothing; empty when none contributes.
std::string ComposeSortString(const std::vector<SortItem>& items);

}  // namespace qelvor
