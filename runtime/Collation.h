// Collation: locale-aware text ordering through the ICU collator of the user's locale.
//
// The user's locale is read from LC_ALL, LC_COLLATE and LANG, in this order, the way
// the C library reads it. On a Chinese system names therefore sort by pinyin. The C
// and POSIX locales (and an unset environment) collate by code point, as their own
// definition says, which is also the byte order of UTF-8 text. Collators are created once per locale and kept for
// the life of the process. Sort keys compare with memcmp exactly as the collator
// compares the texts; they are what callers cache to sort many rows quickly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct UCollator;

namespace qelvor {

class Collation {
public:
    // The collation of the user's locale as the environment names it now.
    static const Collation& ForUserLocale();
    // The collation of an ICU locale name ("zh_CN", "en_US"; empty = root;
    // kCodePointOrder = code point order).
    static const Collation& ForLocale(const std::string& localeName);
    // The ICU locale name the environment asks for (kCodePointOrder for C/POSIX or unset).
    static std::string UserLocaleName();

    // The locale name of the C/POSIX collation.
    static constexpr const char* kCodePointOrder = "C";

    const std::string& LocaleName() const { return localeName_; }

    // Appends the sort key of utf8 (NUL-terminated, no other NUL bytes) to out and
    // returns its length in bytes, terminator included.
    std::size_t AppendSortKey(std::string_view utf8, std::vector<std::uint8_t>& out) const;
    // Negative, zero or positive as a sorts before, with or after b.
    int Compare(std::string_view a, std::string_view b) const;

    Collation(const Collation&) = delete;
    Collation& operator=(const Collation&) = delete;
    ~Collation();

private:
    explicit Collation(std::string localeName);

    std::string localeName_;
    UCollator* collator_ = nullptr;  // none for code point order
};

// True when a and b are equal after Unicode case folding (field names are matched so).
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace qelvor
