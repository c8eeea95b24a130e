// The search's statement for two arbitrary edit texts, run through the query dataset
// on SQLite as the search button runs it, returns exactly the rows of a statement that
// binds the same texts as parameters; it holds no parameter of its own, runs as one
// statement and changes no table. A text with a NUL is refused before anything runs.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/Field.h"
#include "data/ParameterScan.h"
#include "data/QueryComposition.h"
#include "data/recordset/Command.h"
#include "data/recordset/ResultBatch.h"
#include "runtime/Exceptions.h"

namespace {

using qelvor::recordset::Parameter;

const std::string kBase =
    "select a.zkzh 准考证号,b.bmh 报名号,b.xm 姓名,a.ttxx 笔试客观题答案字符串,a.tttt 笔试主观题题分字符串,"
    "a.qk 缺考标记,a.lwtth 论文题题号 from t_omr a left join t_bm b on a.zkzh=b.zkzh";

[[noreturn]] void Fail(const std::string& why)
{
    std::fprintf(stderr, "%s\n", why.c_str());
    std::abort();
}

Parameter Text(const std::string& text)
{
    Parameter parameter;
    parameter.value = text;
    return parameter;
}

qelvor::TADOConnection& Database()
{
    static qelvor::TADOConnection* connection = [] {
        auto* created = new qelvor::TADOConnection("HostConnection");
        created->SetConnectionString("Provider=SQLite;Data Source=:memory:");
        created->Open();
        auto& session = created->AdoConnection();
        session.Execute("CREATE TABLE t_omr(zkzh VARCHAR(15) PRIMARY KEY, ttxx, tttt, qk, lwtth);"
                        "CREATE TABLE t_bm(zkzh VARCHAR(15), bmh, xm)", 0, 0);
        const std::vector<std::string> tickets = {"1010001", "1010002", "1010100", "'", "''", "\\", "\\'", ":a", "::",
                                                  "\"", "`", "--", ";", "/*", "?", "1'2", "a:b", "张三", "😀", " 1 "};
        for (const std::string& ticket : tickets) {
            session.Execute("INSERT INTO t_omr VALUES(?,'ABCD','1,2','0','1')", {Text(ticket)}, 0, 0);
            session.Execute("INSERT INTO t_bm VALUES(?,'B','x')", {Text(ticket)}, 0, 0);
        }
        return created;
    }();
    return *connection;
}

std::vector<std::string> FirstColumn(const std::string& statement, const std::vector<Parameter>& parameters)
{
    const auto batch = Database().AdoConnection().Execute(statement, parameters, 0, 0);
    if (batch->ResultCount() != 1)
        Fail("more than one statement ran: " + statement);
    std::vector<std::string> values;
    const auto* table = batch->Current();
    for (std::int64_t row = 0; table && row < table->RowCount(); ++row)
        values.push_back(table->Value(0, row).ToString());
    return values;
}

std::string Counts()
{
    return FirstColumn("select (select count(*) from t_omr) || ',' || (select count(*) from t_bm)", {}).at(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string start = input.ConsumeRandomLengthString(size);
    const std::string end = input.ConsumeRemainingBytesAsString();

    const std::string statement = qelvor::ComposeAnswerSheetStatement(start, end);
    // A text that the statement leaves out (an end of blanks) may hold anything.
    const bool nul = statement.find('\0') != std::string::npos;

    auto& session = Database().AdoConnection();
    session.Execute("SAVEPOINT fuzz", 0, 0);
    // The texts themselves as tickets too, so that equality has a row to find.
    for (const std::string& text : {start, end})
        session.Execute("INSERT OR IGNORE INTO t_omr VALUES(?,'X','','0','1')", {Text(text)}, 0, 0);
    const std::string before = Counts();

    if (!qelvor::ScanParameters(statement).names.empty())
        Fail("the statement holds a parameter: " + statement);
    qelvor::TADODataSet dataSet("QELV_Set");
    dataSet.SetConnection(&Database());
    dataSet.SetCommandText(statement);
    std::vector<std::string> shown;
    try {
        dataSet.Open();
        for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
            shown.push_back(dataSet.Fields(0)->AsString());
        dataSet.Close();
        if (nul)
            Fail("a text with a NUL ran");
    } catch (const qelvor::Exception& failure) {
        if (!nul)
            Fail(std::string("the statement failed: ") + failure.what() + "\n" + statement);
    }
    if (Counts() != before)
        Fail("a table changed: " + statement);
    if (!nul && session.Execute(statement, 0, 0)->ResultCount() != 1)
        Fail("more than one statement ran: " + statement);

    if (!nul) {
        const bool startEmpty = qelvor::TrimControlAndBlank(start).empty();
        const bool endEmpty = qelvor::TrimControlAndBlank(end).empty();
        std::vector<std::string> bound;
        if (startEmpty && endEmpty)
            bound = FirstColumn(kBase, {});
        else if (endEmpty)
            bound = FirstColumn(kBase + " where a.zkzh=? order by 准考证号", {Text(start)});
        else
            bound = FirstColumn(kBase + " where a.zkzh between ? and ? order by 准考证号", {Text(start), Text(end)});
        if (startEmpty && endEmpty) {
            std::sort(shown.begin(), shown.end());
            std::sort(bound.begin(), bound.end());
        }
        if (shown != bound)
            Fail("other rows than the bound statement's: " + statement);
    }
    session.Execute("ROLLBACK TO fuzz; RELEASE fuzz", 0, 0);
    return 0;
}
