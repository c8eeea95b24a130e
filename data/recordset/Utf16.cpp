#include "data/recordset/Utf16.h"

namespace qelvor::recordset {

namespace {

// Writes the UTF-8 form of code at out; returns the position after it.
char* PutCodePoint(std::uint32_t code, char* out)
{
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | (code >> 6));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (code >> 12));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (code >> 18));
        *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

// Decodes one UTF-8 sequence at text[at]; advances at. Malformed input gives U+FFFD.
std::uint32_t NextCodePoint(const std::string& text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80)
        return lead;
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || lead > 0xF4)
        return 0xFFFD;
    std::uint32_t code = lead & (0x3F >> extra);
    for (; extra > 0; --extra) {
        if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80)
            return 0xFFFD;
        code = (code << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    }
    return code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ? 0xFFFD : code;
}

}  // namespace

void AppendUtf8(const std::uint16_t* units, std::size_t count, std::string& out)
{
    // Room for the worst case (three bytes per unit; a surrogate pair gives four for two),
    // written through a pointer: appending byte by byte cost more than the decoding.
    const std::size_t start = out.size();
    out.resize(start + count * 3);
    char* at = out.data() + start;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t code = units[i];
        if (code < 0x80) {
            *at++ = static_cast<char>(code);
            continue;
        }
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        at = PutCodePoint(code, at);
    }
    out.resize(static_cast<std::size_t>(at - out.data()));
}

std::size_t Utf16Length(const std::uint16_t* units, std::size_t capacity)
{
    std::size_t length = 0;
    while (length < capacity && units[length] != 0)
        ++length;
    return length;
}

std::u16string ToUtf16(const std::string& utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::uint32_t code = NextCodePoint(utf8, at);
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return out;
}

}  // namespace qelvor::recordset
