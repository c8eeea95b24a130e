// ConnectionString: the "key=value;key={value; with separators};..." form.
//
// Keys are matched without regard to ASCII letter case and trimmed; unbraced values are
// trimmed, braced values are taken literally up to the closing brace ("}}" stands for
// one brace inside), and a value wholly in double or single quotes loses them (a doubled
// quote stands for one). A later duplicate key wins, as the ODBC driver manager does.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qelvor::recordset {

class ConnectionString {
public:
    // Parses text; raises ERecordSetError for an unterminated brace or a part without "=".
    explicit ConnectionString(const std::string& text);

    // The value of key, or none.
    std::optional<std::string> Find(const std::string& key) const;
    bool Has(const std::string& key) const { return Find(key).has_value(); }
    const std::vector<std::pair<std::string, std::string>>& Pairs() const { return pairs_; }

private:
    std::vector<std::pair<std::string, std::string>> pairs_;
};

}  // namespace qelvor::recordset
