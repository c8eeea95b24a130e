#include "data/QueryComposition.h"

#include <utility>

namespace qelvor {

namespace {

const std::string kBaseStatement =
    "select a.zkzh 准考证号,b.bmh 报名号,b.xm 姓名,a.ttxx 笔试客观题答案字符串,a.tttt 笔试主观题题分字符串,"
    "a.qk 缺考标记,a.lwtth 论文题题号 from t_omr a left join t_bm b on a.zkzh=b.zkzh";
const std::string kSingleNumberHead = kBaseStatement + " where a.zkzh=";
const std::string kRangeHead = kBaseStatement + " where a.zkzh between ";
const std::string kOrderTail = " order by 准考证号";
const std::string kRangeJoiner = " and ";
const std::string kAscendingTail = " ASC, ";
const std::string kDescendingTail = " DESC, ";

bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

// Control characters, and the blanks that paste or an input method can bring along.
bool IsBlankOrControlCodePoint(char32_t c)
{
    return c <= 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028
           || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

// The code point that starts at text[at] and its length in bytes; a byte that starts no
// well-formed sequence stands for itself (a code point no blank set holds).
std::pair<char32_t, std::size_t> CodePointAt(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 1;
    char32_t value = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
    } else {
        return {lead < 0x80 ? lead : char32_t{0xFFFD}, 1};
    }
    if (at + length > text.size())
        return {0xFFFD, 1};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0u) != 0x80u)
            return {0xFFFD, 1};
        value = (value << 6) | (byte(at + i) & 0x3Fu);
    }
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kShortest[length])
        return {0xFFFD, 1};  // an overlong form is no character, least of all a blank
    return {value, length};
}

// Where the code point that ends just before `end` starts.
std::size_t CodePointStartBefore(std::string_view text, std::size_t end)
{
    std::size_t start = end - 1;
    while (start > 0 && end - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0u) == 0x80u)
        --start;
    return CodePointAt(text, start).second == end - start ? start : end - 1;
}

}  // namespace

std::string TrimControlAndBlank(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && IsBlankOrControl(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string NormalizeTicketText(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end) {
        const auto [codePoint, length] = CodePointAt(text, begin);
        if (!IsBlankOrControlCodePoint(codePoint))
            break;
        begin += length;
    }
    while (end > begin) {
        const std::size_t start = CodePointStartBefore(text, end);
        if (!IsBlankOrControlCodePoint(CodePointAt(text, start).first))
            break;
        end = start;
    }
    std::string normalized;
    normalized.reserve(end - begin);
    for (std::size_t at = begin; at < end;) {
        const auto [codePoint, length] = CodePointAt(text, at);
        if (codePoint >= U'\uFF10' && codePoint <= U'\uFF19')
            normalized += static_cast<char>('0' + (codePoint - U'\uFF10'));
        else
            normalized.append(text.substr(at, length));
        at += length;
    }
    return normalized;
}

std::string QuoteLiteral(std::string_view text, LiteralBackslash backslash)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'' || (c == '\\' && backslash == LiteralBackslash::Escape))
            quoted += c;
        quoted += c;
    }
    return quoted + "'";
}

std::string ComposeAnswerSheetStatement(const std::string& startText, const std::string& endText,
                                        LiteralBackslash backslash)
{
    const bool startEmpty = TrimControlAndBlank(startText).empty();
    const bool endEmpty = TrimControlAndBlank(endText).empty();
    if (startEmpty && endEmpty)
        return kBaseStatement;
    if (endEmpty)
        return kSingleNumberHead + QuoteLiteral(startText, backslash) + kOrderTail;
    // An empty start still yields a range: from '' (or the blanks typed) up to the end.
    return kRangeHead + QuoteLiteral(startText, backslash) + kRangeJoiner + QuoteLiteral(endText, backslash)
           + kOrderTail;
}

std::string ComposeSortString(const std::vector<SortItem>& items)
{
    std::string text;
    for (const SortItem& item : items) {
        if (item.marker == SortMarker::smUp)
            text += item.fieldName + kAscendingTail;
        else if (item.marker == SortMarker::smDown)
            text += item.fieldName + kDescendingTail;
    }
    if (text.size() < 3)
        return {};
    text.resize(text.size() - 2);
    return text;
}

}  // namespace qelvor
