#include "runtime/Collation.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

#include "runtime/Assert.h"
#include "runtime/Exceptions.h"

namespace qelvor {

namespace {

// UTF-8 to UTF-16 in a reusable buffer; invalid sequences become U+FFFD rather than
// failing, because a collation key must exist for every stored text.
void ToUtf16(std::string_view utf8, std::u16string& out)
{
    out.resize(utf8.size() + 1);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &length,
                         utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
    QELVOR_ASSERT(U_SUCCESS(status));
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
}

// "zh_CN.UTF-8@euro" -> "zh_CN"; "C", "C.UTF-8" and "POSIX" -> code point order.
std::string IcuLocaleFromPosix(std::string name)
{
    name = name.substr(0, name.find_first_of(".@"));
    if (name == "C" || name == "POSIX")
        return Collation::kCodePointOrder;
    return name;
}

}  // namespace

std::string Collation::UserLocaleName()
{
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return IcuLocaleFromPosix(value);
    }
    return kCodePointOrder;
}

const Collation& Collation::ForUserLocale()
{
    return ForLocale(UserLocaleName());
}

const Collation& Collation::ForLocale(const std::string& localeName)
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<Collation>> collations;
    const std::lock_guard lock(mutex);
    std::unique_ptr<Collation>& entry = collations[localeName];
    if (!entry)
        entry.reset(new Collation(localeName));
    return *entry;
}

Collation::Collation(std::string localeName) : localeName_(std::move(localeName))
{
    if (localeName_ == kCodePointOrder)
        return;
    UErrorCode status = U_ZERO_ERROR;
    collator_ = ucol_open(localeName_.empty() ? "" : localeName_.c_str(), &status);
    if (U_FAILURE(status))
        throw Exception("Cannot create the collator for locale \"" + localeName_ + "\": " + u_errorName(status));
}

Collation::~Collation()
{
    if (collator_)
        ucol_close(collator_);
}

std::size_t Collation::AppendSortKey(std::string_view utf8, std::vector<std::uint8_t>& out) const
{
    if (!collator_) {
        // UTF-8 bytes compare in code point order; the terminator puts a prefix first.
        out.insert(out.end(), utf8.begin(), utf8.end());
        out.push_back(0);
        return utf8.size() + 1;
    }
    thread_local std::u16string text;
    ToUtf16(utf8, text);
    const std::size_t start = out.size();
    // Most keys are short: try with some room first, then grow to the exact size.
    std::size_t room = text.size() * 4 + 16;
    for (;;) {
        out.resize(start + room);
        const int32_t length = ucol_getSortKey(collator_, reinterpret_cast<const UChar*>(text.data()),
                                               static_cast<int32_t>(text.size()), out.data() + start,
                                               static_cast<int32_t>(room));
        QELVOR_ASSERT(length > 0);
        if (static_cast<std::size_t>(length) <= room) {
            out.resize(start + static_cast<std::size_t>(length));
            return static_cast<std::size_t>(length);
        }
        room = static_cast<std::size_t>(length);
    }
}

int Collation::Compare(std::string_view a, std::string_view b) const
{
    if (!collator_)
        return a.compare(b);  // char_traits<char> compares bytes as unsigned
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = ucol_strcollUTF8(collator_, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                                     static_cast<int32_t>(b.size()), &status);
    return U_SUCCESS(status) ? static_cast<int>(result) : a.compare(b);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a == b)
        return true;
    std::u16string wideA;
    std::u16string wideB;
    ToUtf16(a, wideA);
    ToUtf16(b, wideB);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t order = u_strCaseCompare(reinterpret_cast<const UChar*>(wideA.data()),
                                           static_cast<int32_t>(wideA.size()),
                                           reinterpret_cast<const UChar*>(wideB.data()),
                                           static_cast<int32_t>(wideB.size()), U_FOLD_CASE_DEFAULT, &status);
    return U_SUCCESS(status) && order == 0;
}

}  // namespace qelvor
