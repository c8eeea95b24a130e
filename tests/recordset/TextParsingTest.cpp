// The small text grammars of the layer: connection strings, sort strings, decimal
// comparison and date texts.
#include <gtest/gtest.h>

#include "data/recordset/ConnectionString.h"
#include "data/recordset/DateText.h"
#include "data/recordset/SortKeys.h"
#include "data/recordset/SortText.h"
#include "data/recordset/Utf16.h"
#include "runtime/Collation.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {
namespace {

TEST(ConnectionStringTest, KeysIgnoreCaseAndBracesProtectSeparators)
{
    const ConnectionString settings(" Driver = {My Driver; v2}} x} ;SERVER=host ; ;pwd={};data source=a=b;server=other");
    EXPECT_EQ(settings.Find("driver"), "My Driver; v2} x");
    EXPECT_EQ(settings.Find("Server"), "other");  // the later value wins
    EXPECT_EQ(settings.Find("PWD"), "");
    EXPECT_EQ(settings.Find("Data Source"), "a=b");
    EXPECT_FALSE(settings.Has("Database"));
    EXPECT_THROW(ConnectionString("Driver={unterminated;x=1"), ERecordSetError);
    EXPECT_THROW(ConnectionString("Driver=x;stray"), ERecordSetError);
}

TEST(ConnectionStringTest, QuotedValuesLoseTheirQuotes)
{
    const ConnectionString settings("Provider=SQLite;Data Source=\"/tmp/a;b \"\"c\"\".db\" ;Mode='Read';X=it's;Y=\"open");
    EXPECT_EQ(settings.Find("Data Source"), "/tmp/a;b \"c\".db");
    EXPECT_EQ(settings.Find("Mode"), "Read");
    EXPECT_EQ(settings.Find("X"), "it's") << "a quote inside a plain value is kept";
    EXPECT_EQ(settings.Find("Y"), "\"open") << "an unclosed quote is plain text";
    EXPECT_EQ(ConnectionString("Pwd=\"a\"b;Uid=u").Find("Pwd"), "\"a\"b") << "quotes not around the whole value stay";
    EXPECT_EQ(ConnectionString("Data Source=''").Find("Data Source"), "");
}

TEST(SortTextTest, ReadsNamesDirectionsAndBrackets)
{
    using Keys = std::vector<SortKeyText>;
    EXPECT_EQ(ParseSortText("  "), Keys{});
    EXPECT_EQ(ParseSortText("姓名 DESC, 准考证号 ASC"), (Keys{{"姓名", true}, {"准考证号", false}}));
    EXPECT_EQ(ParseSortText("[a, b] desc,c,[ASC]"), (Keys{{"a, b", true}, {"c", false}, {"ASC", false}}));
    EXPECT_EQ(ParseSortText("two words Desc"), (Keys{{"two words", true}}));
    EXPECT_EQ(ParseSortText("DESC"), (Keys{{"DESC", false}}));  // a lone word is a name
    EXPECT_THROW(ParseSortText("a,"), ERecordSetError);
    EXPECT_THROW(ParseSortText("[]"), ERecordSetError);
    EXPECT_THROW(ParseSortText("[a] b"), ERecordSetError);
}

TEST(DecimalCompareTest, ComparesByValueNotByText)
{
    EXPECT_EQ(CompareDecimalText("-0.50", "-0.5"), 0);
    EXPECT_EQ(CompareDecimalText("0.10", "0.1"), 0);
    EXPECT_EQ(CompareDecimalText("-0.00", "0"), 0);
    EXPECT_GT(CompareDecimalText("10", "9.99"), 0);
    EXPECT_LT(CompareDecimalText("-10", "-9"), 0);
    EXPECT_LT(CompareDecimalText("-0.01", "0"), 0);
    EXPECT_LT(CompareDecimalText("123456789012345678901234567890.1", "123456789012345678901234567890.2"), 0);
}

TEST(DateTextTest, ParsesDatesTimesAndRejectsImpossibleOnes)
{
    EXPECT_EQ(ParseDateTimeText("1899-12-30"), 0.0);
    EXPECT_EQ(ParseDateTimeText("1900-03-01"), 61.0);
    EXPECT_EQ(ParseDateTimeText("2000-02-29 12:00"), DaysFromCivil(2000, 2, 29) + 0.5);
    EXPECT_EQ(ParseDateTimeText("2000-02-29T06:00:00.5"), DaysFromCivil(2000, 2, 29) + (6 * 3600 + 0.5) / 86400.0);
    EXPECT_EQ(ParseDateTimeText("18:00"), 0.75);
    for (const char* bad : {"2001-02-29", "1900-02-29", "2100-02-29", "2024-13-01", "2024-01-01 24:00", "2024-1-1",
                            "2024-01-01x", "", "12:60", "12:00:60"})
        EXPECT_FALSE(ParseDateTimeText(bad).has_value()) << bad;
}

TEST(Utf16Test, RoundTripsAllPlanesAndReplacesBrokenInput)
{
    const std::string text = "A准考证号😀é";
    const std::u16string wide = ToUtf16(text);
    EXPECT_EQ(wide.size(), 8u);  // the emoji takes a surrogate pair
    std::string back;
    AppendUtf8(reinterpret_cast<const std::uint16_t*>(wide.data()), wide.size(), back);
    EXPECT_EQ(back, text);
    std::string appended = "前";  // appending keeps what the text already holds
    AppendUtf8(reinterpret_cast<const std::uint16_t*>(wide.data()), wide.size(), appended);
    EXPECT_EQ(appended, "前" + text);
    EXPECT_EQ(ToUtf16("a\xff" "b"), u"a\uFFFDb");
    const std::uint16_t lone[] = {0xD800, 'x'};
    back.clear();
    AppendUtf8(lone, 2, back);
    EXPECT_EQ(back, "\xEF\xBF\xBDx");
}

TEST(CollationTest, SortKeysAgreeWithComparisonAndNamesMatchWithoutCase)
{
    const Collation& pinyin = Collation::ForLocale("zh_CN");
    const Collation& codePoints = Collation::ForLocale(Collation::kCodePointOrder);
    const std::vector<std::string> texts = {"张伟", "李娜", "王芳", "abc", "ABC", "ábc", "a\tb", "", "李"};
    for (const Collation* collation : {&pinyin, &codePoints}) {
        for (const std::string& a : texts) {
            for (const std::string& b : texts) {
                std::vector<std::uint8_t> keyA;
                std::vector<std::uint8_t> keyB;
                collation->AppendSortKey(a, keyA);
                collation->AppendSortKey(b, keyB);
                const int byKey = std::lexicographical_compare(keyA.begin(), keyA.end(), keyB.begin(), keyB.end())
                                ? -1 : keyA == keyB ? 0 : 1;
                const int direct = collation->Compare(a, b);
                EXPECT_EQ(byKey, direct < 0 ? -1 : direct > 0 ? 1 : 0)
                    << collation->LocaleName() << ": " << a << " / " << b;
            }
        }
    }
    EXPECT_LT(pinyin.Compare("李娜", "张伟"), 0);
    // The C locale orders by code point, as byte-wise ORDER BY does: 张 (U+5F20) before 李 (U+674E).
    EXPECT_LT(codePoints.Compare("张伟", "李娜"), 0);
    EXPECT_LT(codePoints.Compare("ABC", "abc"), 0);
    EXPECT_LT(codePoints.Compare("abc", "ábc"), 0);
    EXPECT_LT(codePoints.Compare("李", "李娜"), 0);
    EXPECT_TRUE(EqualIgnoringCase("Score", "SCORE"));
    EXPECT_TRUE(EqualIgnoringCase("ÄRGER", "ärger"));
    EXPECT_FALSE(EqualIgnoringCase("姓名", "姓"));
}

}  // namespace
}  // namespace qelvor::recordset
