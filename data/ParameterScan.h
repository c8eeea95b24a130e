// ParameterScan: finds the named parameters (":name") of a statement text.
//
// Outside quoted text a colon followed by a name is a parameter; it is replaced by the
// positional marker "?" and its name is listed (one entry per occurrence, in order).
// A doubled colon outside quoted text becomes a single colon. Quoted text is opened by
// a single quote, a double quote or a back-quote and closed only by the same
// character, so  'a"b:c'  stays one literal; a doubled quote inside closes and reopens
// the literal, which keeps it literal. A name is either quoted with one of the three
// quote characters (":"a b"") or a run of letters, digits, "_", "$", "#", "." and
// non-ASCII characters; a colon followed by anything else is kept as it is.
// The text is UTF-8; bytes of multi-byte characters never match the ASCII markers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qelvor {

struct ScannedStatement {
    std::string text;                // the statement with "?" for each parameter
    std::vector<std::string> names;  // parameter names in order of occurrence
};

ScannedStatement ScanParameters(std::string_view statement);

}  // namespace qelvor
