#include "data/recordset/ConnectionString.h"

#include <algorithm>
#include <cctype>

#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool SameKey(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

[[noreturn]] void Invalid(const std::string& why)
{
    throw ERecordSetError("Invalid connection string: " + why);
}

// A value in double or single quotes starting at `start` ("" or '' inside stands for one
// quote), so that a path may hold ';'. Sets `end` just past the closing quote; none when
// the quotes do not enclose the whole value, which is then read as plain text.
std::optional<std::string> QuotedValue(const std::string& text, std::size_t start, std::size_t& end)
{
    const char quote = text[start];
    std::string value;
    std::size_t i = start + 1;
    for (;; ++i) {
        if (i >= text.size())
            return std::nullopt;
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                value += quote;
                ++i;
                continue;
            }
            break;
        }
        value += text[i];
    }
    end = i + 1;
    while (end < text.size() && (text[end] == ' ' || text[end] == '\t'))
        ++end;
    if (end < text.size() && text[end] != ';')
        return std::nullopt;
    return value;
}

}  // namespace

ConnectionString::ConnectionString(const std::string& text)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t equals = text.find('=', at);
        const std::size_t semicolon = text.find(';', at);
        if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
            // Tolerate empty parts (";;" or a trailing ";"), reject stray words.
            const std::string stray = Trim(text.substr(at, semicolon == std::string::npos ? std::string::npos : semicolon - at));
            if (!stray.empty())
                Invalid("\"" + stray + "\" has no value");
            at = semicolon == std::string::npos ? text.size() : semicolon + 1;
            continue;
        }
        const std::string key = Trim(text.substr(at, equals - at));
        std::size_t valueStart = equals + 1;
        while (valueStart < text.size() && (text[valueStart] == ' ' || text[valueStart] == '\t'))
            ++valueStart;
        std::string value;
        std::optional<std::string> quoted;
        if (valueStart < text.size() && text[valueStart] == '{') {
            std::size_t i = valueStart + 1;
            for (;; ++i) {
                if (i >= text.size())
                    Invalid("unterminated \"{\" in the value of " + key);
                if (text[i] == '}') {
                    if (i + 1 < text.size() && text[i + 1] == '}') {
                        value += '}';
                        ++i;
                        continue;
                    }
                    break;
                }
                value += text[i];
            }
            const std::size_t next = text.find(';', i + 1);
            at = next == std::string::npos ? text.size() : next + 1;
        } else if (std::size_t end = 0; valueStart < text.size() && (text[valueStart] == '"' || text[valueStart] == '\'')
                                        && (quoted = QuotedValue(text, valueStart, end))) {
            value = *quoted;
            at = end < text.size() ? end + 1 : end;
        } else {
            const std::size_t next = text.find(';', valueStart);
            value = Trim(text.substr(valueStart, next == std::string::npos ? std::string::npos : next - valueStart));
            at = next == std::string::npos ? text.size() : next + 1;
        }
        if (key.empty())
            Invalid("a value without a key");
        const auto existing = std::find_if(pairs_.begin(), pairs_.end(), [&](const auto& pair) { return SameKey(pair.first, key); });
        if (existing != pairs_.end())
            existing->second = value;
        else
            pairs_.emplace_back(key, value);
    }
}

std::optional<std::string> ConnectionString::Find(const std::string& key) const
{
    for (const auto& [name, value] : pairs_)
        if (SameKey(name, key))
            return value;
    return std::nullopt;
}

}  // namespace qelvor::recordset
