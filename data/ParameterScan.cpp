#include "data/ParameterScan.h"

namespace qelvor {

namespace {

bool IsQuote(char c)
{
    return c == '\'' || c == '"' || c == '`';
}

bool IsNameChar(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '#' || c == '.';
}

// Reads the name that starts at `pos` (just after the colon); returns its end, or pos
// when no name starts there.
std::size_t ReadName(std::string_view text, std::size_t pos, std::string& name)
{
    if (pos >= text.size())
        return pos;
    if (IsQuote(text[pos])) {
        const std::size_t close = text.find(text[pos], pos + 1);
        if (close == std::string_view::npos || close == pos + 1)
            return pos;
        name = std::string(text.substr(pos + 1, close - pos - 1));
        return close + 1;
    }
    std::size_t end = pos;
    while (end < text.size() && IsNameChar(text[end]))
        ++end;
    name = std::string(text.substr(pos, end - pos));
    return end;
}

}  // namespace

ScannedStatement ScanParameters(std::string_view statement)
{
    ScannedStatement result;
    result.text.reserve(statement.size());
    char openQuote = 0;  // the quote character that opened the current literal, or 0
    for (std::size_t pos = 0; pos < statement.size();) {
        const char c = statement[pos];
        if (openQuote) {
            if (c == openQuote)
                openQuote = 0;
        } else if (IsQuote(c)) {
            openQuote = c;
        } else if (c == ':') {
            if (pos + 1 < statement.size() && statement[pos + 1] == ':') {
                result.text += ':';
                pos += 2;
                continue;
            }
            std::string name;
            const std::size_t end = ReadName(statement, pos + 1, name);
            if (end != pos + 1) {
                result.text += '?';
                result.names.push_back(std::move(name));
                pos = end;
                continue;
            }
        }
        result.text += c;
        ++pos;
    }
    return result;
}

}  // namespace qelvor
