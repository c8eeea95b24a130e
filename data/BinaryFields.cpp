#include "data/BinaryFields.h"

namespace qelvor {

std::string TBytesField::FormatText(const Variant& value, bool) const
{
    if (!value.Holds<Bytes>())
        return value.ToString();
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const Bytes& bytes = value.Get<Bytes>();
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string TMemoField::FormatText(const Variant& value, bool) const
{
    // A memo is text even when the provider hands it over as bytes.
    return value.ToString();
}

}  // namespace qelvor
