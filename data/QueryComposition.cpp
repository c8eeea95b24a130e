#include "data/QueryComposition.h"

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

std::string QuoteLiteral(std::string_view text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

std::string ComposeAnswerSheetStatement(const std::string& startText, const std::string& endText)
{
    const bool startEmpty = TrimControlAndBlank(startText).empty();
    const bool endEmpty = TrimControlAndBlank(endText).empty();
    if (startEmpty && endEmpty)
        return kBaseStatement;
    if (endEmpty)
        return kSingleNumberHead + QuoteLiteral(startText) + kOrderTail;
    // An empty start still yields a range: from '' (or the blanks typed) up to the end.
    return kRangeHead + QuoteLiteral(startText) + kRangeJoiner + QuoteLiteral(endText) + kOrderTail;
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
