#include "data/recordset/SortText.h"

#include <cctype>

#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Trim(const std::string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

[[noreturn]] void Invalid(const std::string& text, const std::string& why)
{
    throw ERecordSetError("Invalid sort order \"" + text + "\": " + why);
}

// Reads a direction word (or nothing) into key; anything else is an error.
void ReadDirection(const std::string& whole, const std::string& rest, SortKeyText& key)
{
    const std::string word = Upper(Trim(rest));
    if (word == "DESC")
        key.descending = true;
    else if (!word.empty() && word != "ASC")
        Invalid(whole, "\"" + Trim(rest) + "\" is not ASC or DESC");
}

SortKeyText ParseKey(const std::string& whole, const std::string& part)
{
    const std::string item = Trim(part);
    if (item.empty())
        Invalid(whole, "a field name is missing");
    SortKeyText key;
    if (item[0] == '[') {
        const std::size_t close = item.find(']');
        if (close == std::string::npos)
            Invalid(whole, "\"[\" without \"]\"");
        key.name = item.substr(1, close - 1);
        ReadDirection(whole, item.substr(close + 1), key);
        if (key.name.empty())
            Invalid(whole, "a field name is missing");
        return key;
    }
    // The last blank-separated word is the direction when it is ASC or DESC.
    std::size_t blank = item.size();
    while (blank > 0 && !IsBlank(item[blank - 1]))
        --blank;
    const std::string last = Upper(item.substr(blank));
    if (blank > 0 && (last == "ASC" || last == "DESC")) {
        key.name = Trim(item.substr(0, blank));
        key.descending = last == "DESC";
    } else {
        key.name = item;
    }
    return key;
}

}  // namespace

std::vector<SortKeyText> ParseSortText(const std::string& text)
{
    std::vector<SortKeyText> keys;
    if (Trim(text).empty())
        return keys;
    std::string part;
    bool inBrackets = false;
    for (char c : text) {
        if (c == '[')
            inBrackets = true;
        else if (c == ']')
            inBrackets = false;
        if (c == ',' && !inBrackets) {
            keys.push_back(ParseKey(text, part));
            part.clear();
        } else {
            part += c;
        }
    }
    keys.push_back(ParseKey(text, part));
    return keys;
}

}  // namespace qelvor::recordset
