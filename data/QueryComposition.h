// QueryComposition: the texts the browse form sends towards the database.
//
// The answer-sheet statement is built from the two admission-number edits: no WHERE
// when both are blank, "= start" when only the start is given, "between start and end"
// otherwise, the filtered forms ordered by admission number. Values are quoted as
// given, with single quotes doubled, so an edit text always stays one literal; the
// search button and the query tool pass the edits through NormalizeTicketText first.
// On a connection that reads a backslash inside a literal as an escape, every
// backslash is doubled as well (else a trailing backslash would swallow the closing
// quote). Where backslashes are plain the statement text is exactly the one above.
// The sort string lists the sort-marked fields in priority order, each with
// " ASC" or " DESC", joined by ", ". All text is UTF-8. No Qt: the search button and
// the command-line tool both call this code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qelvor {

// How the database reads a backslash inside a single-quoted literal.
enum class LiteralBackslash : std::uint8_t { Plain, Escape };

// The statement over t_omr and t_bm for an admission-number range (edit texts as typed).
std::string ComposeAnswerSheetStatement(const std::string& startText, const std::string& endText,
                                        LiteralBackslash backslash = LiteralBackslash::Plain);

// Removes every leading and trailing byte of value 32 (blank) or less.
std::string TrimControlAndBlank(std::string_view text);
// An admission ticket number as the user meant it (UTF-8): blanks and control characters
// at either end removed (also the full-width blank, a no-break space and a byte-order
// mark, which pasting and Chinese input methods bring), and full-width digits (０-９)
// made ASCII digits, since ticket numbers are ASCII digits. Anything else stays as it is.
std::string NormalizeTicketText(std::string_view text);
// Encloses text in single quotes, doubling every single quote inside it (and every
// backslash, where backslashes escape).
std::string QuoteLiteral(std::string_view text, LiteralBackslash backslash = LiteralBackslash::Plain);

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
