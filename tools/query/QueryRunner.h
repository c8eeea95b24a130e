// QueryRunner: runs the browse window's search outside the window and renders the
// result as tab-separated text.
//
// The statement comes from the same composition as the search button; the dataset,
// its connection and its record window are the ones the window uses, and records are
// read through a data link with a 100-record window, from First to Eof.
#pragma once

#include <ostream>
#include <string>

#include "tools/query/QueryOptions.h"

namespace qelvor::query {

// Runs the query and writes the result to out as it walks the records. Every database
// failure (connect, statement, sort) raises before anything is written: the whole result
// is held once the dataset is open. Returns false when out failed (a full disk, a closed
// pipe). With options.timing, writes open and sort times to timingOut.
bool RunQuery(const QueryOptions& options, std::ostream& out, std::ostream& timingOut);

// A value with tab, newline, carriage return and backslash escaped.
std::string EscapeValue(const std::string& value);

}  // namespace qelvor::query
