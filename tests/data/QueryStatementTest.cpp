// The browse form's statements and sort strings: their exact texts, and that exactly
// these texts reach the database through the query dataset.
#include <algorithm>

#include "data/QueryComposition.h"
#include "data/ADOCommand.h"
#include "data/ADODataSet.h"
#include "data/recordset/Connection.h"
#include "tests/data/support/Backends.h"

namespace qelvor::test {
namespace {

const std::string kBase =
    "select a.zkzh 准考证号,b.bmh 报名号,b.xm 姓名,a.ttxx 笔试客观题答案字符串,a.tttt 笔试主观题题分字符串,"
    "a.qk 缺考标记,a.lwtth 论文题题号 from t_omr a left join t_bm b on a.zkzh=b.zkzh";

TEST(AnswerSheetStatement, ChoosesTheFormByTheTrimmedEdits)
{
    EXPECT_EQ(ComposeAnswerSheetStatement("", ""), kBase);
    EXPECT_EQ(ComposeAnswerSheetStatement("  \t", " \r\n"), kBase) << "blanks and control characters count as empty";
    EXPECT_EQ(ComposeAnswerSheetStatement("101", ""), kBase + " where a.zkzh='101' order by 准考证号");
    EXPECT_EQ(ComposeAnswerSheetStatement(" 101 ", "  "), kBase + " where a.zkzh=' 101 ' order by 准考证号")
        << "the value is quoted as typed";
    EXPECT_EQ(ComposeAnswerSheetStatement("", "150"), kBase + " where a.zkzh between '' and '150' order by 准考证号");
    EXPECT_EQ(ComposeAnswerSheetStatement("  ", "150"), kBase + " where a.zkzh between '  ' and '150' order by 准考证号");
    EXPECT_EQ(ComposeAnswerSheetStatement("200", "100"), kBase + " where a.zkzh between '200' and '100' order by 准考证号");
    EXPECT_EQ(ComposeAnswerSheetStatement("1'2", ""), kBase + " where a.zkzh='1''2' order by 准考证号");
    EXPECT_EQ(ComposeAnswerSheetStatement("'", "''"), kBase + " where a.zkzh between '''' and '''''' order by 准考证号");
}

TEST(TicketText, BlanksAtEitherEndGoAndFullWidthDigitsBecomeAscii)
{
    EXPECT_EQ(NormalizeTicketText("241110100100101 "), "241110100100101");
    EXPECT_EQ(NormalizeTicketText("241110100100101\r\n"), "241110100100101") << "pasted from a spreadsheet";
    EXPECT_EQ(NormalizeTicketText("\t  101"), "101");
    EXPECT_EQ(NormalizeTicketText("\u3000\u00a0\ufeff101\u3000\x7f"), "101") << "full-width, no-break, byte-order mark, DEL";
    EXPECT_EQ(NormalizeTicketText("０１２３４５６７８９"), "0123456789");
    EXPECT_EQ(NormalizeTicketText(" 2411１０1 "), "2411101") << "digits of both widths";
    EXPECT_EQ(NormalizeTicketText("\u3000 \r\n"), "");
    EXPECT_EQ(NormalizeTicketText(""), "");
    // Inside the number, and anything that is no blank or full-width digit, stays.
    EXPECT_EQ(NormalizeTicketText("1 0\u30001"), "1 0\u30001");
    EXPECT_EQ(NormalizeTicketText("Ａ１'张"), "Ａ1'张");
    EXPECT_EQ(NormalizeTicketText("\xef\xbc 1\xe3\x80"), "\xef\xbc 1\xe3\x80") << "cut-off sequences are no blanks";
    EXPECT_EQ(NormalizeTicketText("\xc0\xa0" "1\xe0\x80\x80"), "\xc0\xa0" "1\xe0\x80\x80") << "nor are overlong ones";
    EXPECT_EQ(NormalizeTicketText("\x80" "1 "), "\x80" "1");
}

// Where the server reads a backslash as an escape, a lone backslash would swallow the
// closing quote and let the other edit's text run as a statement.
TEST(AnswerSheetStatement, DoublesBackslashesOnlyWhereTheyEscape)
{
    const auto escape = LiteralBackslash::Escape;
    EXPECT_EQ(ComposeAnswerSheetStatement("\\", "and 1;DELETE FROM t_bm;-- ", escape),
              kBase + " where a.zkzh between '\\\\' and 'and 1;DELETE FROM t_bm;-- ' order by 准考证号");
    EXPECT_EQ(ComposeAnswerSheetStatement("a\\'b", "", escape), kBase + " where a.zkzh='a\\\\''b' order by 准考证号");
    EXPECT_EQ(ComposeAnswerSheetStatement(" \\ ", "", LiteralBackslash::Plain), kBase + " where a.zkzh=' \\ ' order by 准考证号");
    EXPECT_EQ(ComposeAnswerSheetStatement("\\", ""), kBase + " where a.zkzh='\\' order by 准考证号")
        << "plain is the default";
    EXPECT_EQ(ComposeAnswerSheetStatement("", "", escape), kBase);
}

TEST(SortString, FromTheMarkedColumnsInPriorityOrder)
{
    using M = SortMarker;
    EXPECT_EQ(ComposeSortString({}), "");
    EXPECT_EQ(ComposeSortString({{"准考证号", M::smNone}}), "");
    EXPECT_EQ(ComposeSortString({{"准考证号", M::smDown}}), "准考证号 DESC");
    EXPECT_EQ(ComposeSortString({{"准考证号", M::smDown}, {"姓名", M::smDown}}), "准考证号 DESC, 姓名 DESC");
    EXPECT_EQ(ComposeSortString({{"准考证号", M::smUp}, {"报名号", M::smNone}, {"姓名", M::smDown}}), "准考证号 ASC, 姓名 DESC");
    EXPECT_EQ(ComposeSortString({{"a b", M::smUp}}), "a b ASC") << "names are used verbatim";
}

// The statements against a small answer-sheet database on each provider.
class AnswerSheetQuery : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        CreateTable("t_omr", "zkzh VARCHAR(15), ttxx VARCHAR(120), tttt VARCHAR(64), qk CHAR(1), lwtth CHAR(1)");
        CreateTable("t_bm", "zkzh VARCHAR(15), bmh VARCHAR(12), xm VARCHAR(8)");
        Exec("INSERT INTO t_omr VALUES('103','ABCD','1,2','0','1')");
        Exec("INSERT INTO t_omr VALUES('101','BCDA','3,4','0','2')");
        Exec("INSERT INTO t_omr VALUES('150','DDDD','','1','1')");
        Exec("INSERT INTO t_omr VALUES('1''2','AAAA','5','0','1')");
        Exec("INSERT INTO t_omr VALUES('102','CCCC','6','0','3')");
        Exec("INSERT INTO t_bm VALUES('101','B101','张三')");
        Exec("INSERT INTO t_bm VALUES('103','B103','李四')");
        connection_.AdoConnection().SetStatementObserver([this](const std::string& text) { sent_.push_back(text); });
        dataSet_.SetConnection(&connection_);
    }

    // Runs the search as the search button does; returns the tickets in result order.
    std::vector<std::string> Search(const std::string& start, const std::string& end)
    {
        dataSet_.Close();
        dataSet_.SetCommandText(ComposeAnswerSheetStatement(start, end));
        dataSet_.Open();
        std::vector<std::string> tickets;
        for (dataSet_.First(); !dataSet_.Eof(); dataSet_.Next())
            tickets.push_back(dataSet_.FieldByName("准考证号")->DisplayText());
        return tickets;
    }

    std::vector<std::string> sent_;
    TADODataSet dataSet_{"QELV_Set"};
};

using Tickets = std::vector<std::string>;

TEST_P(AnswerSheetQuery, EveryStatementReachesTheDatabaseVerbatim)
{
    const std::vector<std::pair<std::string, std::string>> edits{
        {"", ""}, {"101", ""}, {" 101 ", ""}, {"", "102"}, {"1'2", ""}, {"103", "101"}, {"1\"2:abc", ""}, {"1`:x", "x\"y:z"}};
    for (const auto& [start, end] : edits) {
        sent_.clear();
        Search(start, end);
        ASSERT_FALSE(sent_.empty());
        EXPECT_EQ(sent_.back(), ComposeAnswerSheetStatement(start, end)) << "start=" << start << " end=" << end;
        EXPECT_TRUE(dataSet_.Command().Parameters().empty()) << "no parameter may be found in quoted text";
    }
}

TEST_P(AnswerSheetQuery, ResultsFollowTheEdits)
{
    Tickets all = Search("", "");
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all, (Tickets{"1'2", "101", "102", "103", "150"}));
    EXPECT_EQ(dataSet_.FieldCount(), 7);
    EXPECT_EQ(dataSet_.Fields(2)->FieldName(), "姓名");

    EXPECT_EQ(Search("101", ""), Tickets{"101"});
    EXPECT_EQ(dataSet_.FieldByName("姓名")->DisplayText(), "张三");
    EXPECT_TRUE(Search(" 101 ", "").empty()) << "blanks typed around the number stay in the literal";
    EXPECT_EQ(Search("", "102"), (Tickets{"1'2", "101", "102"})) << "ordered by the database's text comparison";
    EXPECT_EQ(Search("102", "150"), (Tickets{"102", "103", "150"}));
    EXPECT_TRUE(Search("150", "101").empty());
    EXPECT_EQ(Search("1'2", ""), Tickets{"1'2"});
    EXPECT_TRUE(Search("1\"2:abc", "").empty());

    Search("102", "150");
    EXPECT_TRUE(dataSet_.FieldByName("姓名")->IsNull()) << "a sheet without registration has no name";
}

TEST_P(AnswerSheetQuery, SortStringsFromTheComposition)
{
    Search("", "");
    dataSet_.SetSort(ComposeSortString({{"准考证号", SortMarker::smDown}}));
    Tickets shown;
    for (dataSet_.First(); !dataSet_.Eof(); dataSet_.Next()) {
        // Where punctuation sorts is the collator's business; the digits are not.
        if (dataSet_.FieldByName("准考证号")->DisplayText() != "1'2")
            shown.push_back(dataSet_.FieldByName("准考证号")->DisplayText());
    }
    EXPECT_EQ(shown, (Tickets{"150", "103", "102", "101"}));
    EXPECT_EQ(dataSet_.Sort(), "准考证号 DESC");
    dataSet_.SetSort(ComposeSortString({}));
    EXPECT_EQ(dataSet_.Sort(), "");
}

TEST_P(AnswerSheetQuery, LeftoverParametersOfAnEarlierStatementAreDropped)
{
    dataSet_.SetCommandText("select zkzh from t_omr where zkzh = :ticket");
    ASSERT_EQ(dataSet_.Command().Parameters().size(), 1u);
    dataSet_.Command().Parameters()[0].value = Variant("101");
    dataSet_.Open();
    EXPECT_EQ(dataSet_.RecordCount(), 1);
    EXPECT_EQ(sent_.back(), "select zkzh from t_omr where zkzh = ?");
    dataSet_.Close();
    EXPECT_EQ(Search("", "").size(), 5u) << "a statement without parameters runs without any";
}

INSTANTIATE_TEST_SUITE_P(Providers, AnswerSheetQuery, ::testing::Values("sqlite", "odbc", "mariadb", "postgres", "mariadbnative"),
                         [](const auto& provider) { return provider.param; });

}  // namespace
}  // namespace qelvor::test
