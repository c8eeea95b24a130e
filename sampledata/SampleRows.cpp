#include "sampledata/SampleRows.h"

#include <cstdio>
#include <numeric>
#include <stdexcept>

#include "runtime/Assert.h"

namespace qelvor::sample {

namespace {

// Common surnames, most frequent first; the generator favours the head of the list.
const char* const kSurnames[] = {
    "王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡",
    "郭", "何", "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹",
    "彭", "曾", "肖", "田", "董", "袁", "潘", "于", "蒋", "蔡", "余", "杜", "叶", "程", "苏",
    "魏", "吕", "丁", "任", "沈", "姚", "卢", "姜", "崔", "钟", "谭", "陆", "汪", "范", "金",
    "石", "廖", "贾", "夏", "韦", "付", "方", "白", "邹", "孟", "熊", "秦", "邱", "江", "尹",
    "薛", "闫", "段", "雷", "侯", "龙", "史", "陶", "黎", "贺", "顾", "毛", "郝", "龚", "邵",
    "万", "钱", "严", "覃", "武", "戴", "莫", "孔", "向", "汤", "欧阳", "司马", "诸葛",
};

// Characters common in given names.
const char* const kGivenChars[] = {
    "伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟", "涛",
    "明", "超", "秀", "霞", "平", "刚", "桂", "英", "华", "玉", "萍", "红", "鹏", "辉", "建",
    "文", "婷", "宇", "浩", "凯", "欣", "佳", "怡", "晨", "雪", "琳", "晶", "颖", "倩", "博",
    "思", "子", "轩", "涵", "梓", "睿", "一", "诺", "雨", "泽", "嘉", "俊", "峰", "飞", "斌",
    "亮", "成", "志", "新", "海", "波", "春", "兰", "燕", "彬", "鑫", "宁", "帅", "慧", "晓",
};

constexpr std::uint32_t kSurnameCount = sizeof kSurnames / sizeof kSurnames[0];
constexpr std::uint32_t kGivenCount = sizeof kGivenChars / sizeof kGivenChars[0];

std::uint64_t Mix(std::uint64_t value)
{
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

// Skewed pick: the cube of a uniform number favours small indexes, as the most common
// surnames and name characters dominate real candidate lists.
std::uint32_t SkewedBelow(SampleRandom& random, std::uint32_t bound)
{
    const std::uint64_t u = random.Below(bound);
    return static_cast<std::uint32_t>(u * u * u / (std::uint64_t{bound} * bound));
}

std::string Name(SampleRandom& random)
{
    std::string name = kSurnames[SkewedBelow(random, kSurnameCount)];
    const int givenLength = random.PerMille(350) ? 1 : 2;
    for (int i = 0; i < givenLength; ++i)
        name += kGivenChars[SkewedBelow(random, kGivenCount)];
    return name;
}

std::string Answers(SampleRandom& random)
{
    static const char kChoices[] = "ABCD";
    std::string answers(60 + random.Below(61), 'A');
    for (char& answer : answers)
        answer = random.PerMille(40) ? '-' : kChoices[random.Below(4)];
    return answers;
}

std::string Scores(SampleRandom& random)
{
    std::string scores;
    const std::uint32_t count = 5 + random.Below(8);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (i > 0)
            scores += ',';
        scores += std::to_string(random.Below(16));
    }
    return scores;
}

}  // namespace

std::uint64_t SampleRandom::Next()
{
    state_ += 0x9E3779B97F4A7C15ull;
    return Mix(state_);
}

std::uint32_t SampleRandom::Below(std::uint32_t bound)
{
    QELVOR_ASSERT(bound > 0);
    return static_cast<std::uint32_t>((Next() >> 32) * bound >> 32);
}

SampleRows::SampleRows(std::int64_t rows, std::uint64_t seed) : seed_(seed)
{
    if (rows < 0 || rows > kMaxSampleRows)
        throw std::invalid_argument("row count out of range: " + std::to_string(rows));
    order_.resize(static_cast<std::size_t>(rows));
    std::iota(order_.begin(), order_.end(), 0u);
    // Fisher-Yates with our own stream, so that the order is the same everywhere.
    SampleRandom random(Mix(seed ^ 0x5A4B3C2D1E0F1234ull));
    for (std::size_t i = order_.size(); i > 1; --i)
        std::swap(order_[i - 1], order_[random.Below(static_cast<std::uint32_t>(i))]);
}

std::string SampleRows::TicketNumber(std::int64_t ordinal)
{
    // year, exam kind, region, site, room, seat: 2 + 1 + 4 + 3 + 3 + 2 digits.
    const long long seat = ordinal % 30 + 1;
    const long long room = ordinal / 30 % 400 + 1;
    const long long site = ordinal / 12000 % 500 + 1;
    const long long region = 1101 + ordinal / 6000000;
    char text[32];
    std::snprintf(text, sizeof text, "241%04lld%03lld%03lld%02lld", region, site, room, seat);
    return text;
}

void SampleRows::Fill(std::int64_t index, SampleRow& row) const
{
    QELVOR_ASSERT(index >= 0 && index < Count());
    const std::uint32_t ordinal = order_[static_cast<std::size_t>(index)];
    SampleRandom random(Mix(seed_ * 0x100000001B3ull + ordinal));
    row.zkzh = TicketNumber(ordinal);
    row.ttxx = Answers(random);
    row.tttt = Scores(random);
    row.qk.assign(1, random.PerMille(30) ? '1' : '0');
    row.lwtth = std::to_string(1 + random.Below(4));
    row.registered = !random.PerMille(20);
    row.xm = row.registered ? Name(random) : std::string();
    char registration[24];
    std::snprintf(registration, sizeof registration, "24%010lld", static_cast<long long>(index) + 1);
    row.bmh = row.registered ? registration : std::string();
}

}  // namespace qelvor::sample
