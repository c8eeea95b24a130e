// The demo data generator: its rows' properties, determinism, and that every writer
// stores the same rows (read back through the browse form's statement).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "TestDatabase.h"
#include "runtime/Collation.h"
#include "sampledata/SampleDatabase.h"
#include "sampledata/SampleRows.h"

namespace qelvor::recordset::test {
namespace {

const char* const kBaseStatement =
    "select a.zkzh 准考证号,b.bmh 报名号,b.xm 姓名,a.ttxx 笔试客观题答案字符串,a.tttt 笔试主观题题分字符串,"
    "a.qk 缺考标记,a.lwtth 论文题题号 from t_omr a left join t_bm b on a.zkzh=b.zkzh";

TEST(SampleRowsTest, RowsHaveTheShapeOfRealAnswerSheets)
{
    const sample::SampleRows rows(5000, 11);
    std::set<std::string> tickets;
    std::set<std::string> names;
    int unregistered = 0;
    int absent = 0;
    bool shuffled = false;
    sample::SampleRow row;
    std::string previous;
    for (std::int64_t i = 0; i < rows.Count(); ++i) {
        rows.Fill(i, row);
        ASSERT_EQ(row.zkzh.size(), 15u);
        ASSERT_TRUE(std::all_of(row.zkzh.begin(), row.zkzh.end(), ::isdigit)) << row.zkzh;
        tickets.insert(row.zkzh);
        shuffled = shuffled || (!previous.empty() && row.zkzh < previous);
        previous = row.zkzh;
        ASSERT_GE(row.ttxx.size(), 60u);
        ASSERT_LE(row.ttxx.size(), 120u);
        ASSERT_EQ(row.ttxx.find_first_not_of("ABCD-"), std::string::npos) << row.ttxx;
        ASSERT_EQ(row.tttt.find_first_not_of("0123456789,"), std::string::npos) << row.tttt;
        ASSERT_TRUE(row.qk == "0" || row.qk == "1");
        ASSERT_TRUE(row.lwtth >= "1" && row.lwtth <= "4" && row.lwtth.size() == 1);
        if (row.registered) {
            ASSERT_FALSE(row.xm.empty());
            ASSERT_FALSE(row.bmh.empty());
            names.insert(row.xm);
        }
        unregistered += !row.registered;
        absent += row.qk == "1";
    }
    EXPECT_EQ(tickets.size(), 5000u);
    EXPECT_TRUE(shuffled);
    EXPECT_NEAR(unregistered, 100, 40);  // about 2 %
    EXPECT_NEAR(absent, 150, 50);        // about 3 %
    EXPECT_LT(names.size(), 4000u);      // names repeat
}

TEST(SampleRowsTest, SameSeedSameRowsOtherSeedOtherRows)
{
    const sample::SampleRows first(300, 5);
    const sample::SampleRows again(300, 5);
    const sample::SampleRows other(300, 6);
    int differing = 0;
    sample::SampleRow a;
    sample::SampleRow b;
    sample::SampleRow c;
    for (std::int64_t i = 0; i < 300; ++i) {
        first.Fill(i, a);
        again.Fill(i, b);
        other.Fill(i, c);
        ASSERT_EQ(std::tie(a.zkzh, a.ttxx, a.tttt, a.qk, a.lwtth, a.bmh, a.xm),
                  std::tie(b.zkzh, b.ttxx, b.tttt, b.qk, b.lwtth, b.bmh, b.xm));
        differing += a.ttxx != c.ttxx;
    }
    EXPECT_GT(differing, 250);
}

using SampleLoad = ProviderTest;

TEST_P(SampleLoad, TheLeftJoinListsEverySheetWithEmptyNamesForTheUnregistered)
{
    LoadSampleRows(db_->Session(), 1200, 3);
    auto records = db_->Query(kBaseStatement);
    ASSERT_EQ(records->RecordCount(), 1200);
    ASSERT_EQ(records->FieldCount(), 7);
    EXPECT_EQ(records->Field(0).name, "准考证号");
    EXPECT_EQ(records->Field(0).definedSize, 15);
    int unmatched = 0;
    for (; !records->IsEOF(); records->MoveNext()) {
        const bool noName = records->Value(2).IsNull();
        EXPECT_EQ(noName, records->Value(1).IsNull());
        unmatched += noName;
    }
    EXPECT_GT(unmatched, 5);
    EXPECT_LT(unmatched, 60);
}

// The SQLite file writer and the statement loader (here into the ODBC server) agree.
TEST(SampleWriters, EveryWriterStoresTheSameRows)
{
    auto server = TestDatabase::Open("odbc");
    if (!server)
        GTEST_SKIP() << "QELVOR_TEST_ODBC is not set: ODBC tests skipped";
    const std::string path = "/tmp/qelvor-sample-" + std::to_string(getpid()) + ".db";
    CreateSampleDatabase(path, 400, 9);
    LoadSampleRows(server->Session(), 400, 9);
    Connection file;
    file.Open("Provider=SQLite;Data Source=" + path);
    Command command;
    command.SetActiveConnection(&file);
    command.SetCommandText(std::string(kBaseStatement) + " order by 准考证号");
    RecordSet fromFile;
    fromFile.Open(command, adOpenKeyset, adLockOptimistic, adCmdText);
    auto fromServer = server->Query(std::string(kBaseStatement) + " order by 准考证号");
    for (int column = 0; column < 7; ++column) {
        fromFile.MoveFirst();
        fromServer->MoveFirst();
        EXPECT_EQ(ColumnTexts(fromFile, column), ColumnTexts(*fromServer, column)) << column;
    }
    file.Close();
    std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Providers, SampleLoad, ::testing::ValuesIn(kProviders));

}  // namespace
}  // namespace qelvor::recordset::test

namespace qelvor::recordset::test {
namespace {

// Many equal names, shared key prefixes and nulls: every neighbouring pair of the sorted
// sample must be in order by direct collation, and equal rows in fetch order.
TEST(SampleSortTest, NeighboursAreInCollationOrder)
{
    setenv("LC_ALL", "zh_CN.UTF-8", 1);
    auto db = TestDatabase::Open("sqlite");
    LoadSampleRows(db->Session(), 3000, 21);
    auto records = db->Query(kBaseStatement);
    const Collation& collation = Collation::ForUserLocale();
    // Negative, zero, positive for text values with null first.
    const auto compare = [&](const Variant& a, const Variant& b) {
        if (a.IsNull() || b.IsNull())
            return static_cast<int>(b.IsNull()) - static_cast<int>(a.IsNull());
        return collation.Compare(a.Get<std::string>(), b.Get<std::string>());
    };
    for (const auto& [text, descending] : {std::pair{"姓名 DESC, 准考证号 ASC", true}, std::pair{"[姓名], 报名号 DESC", false}}) {
        records->SetSort(text);
        records->MoveFirst();
        const int second = descending ? 0 : 1;
        Variant name = records->Value(2);
        Variant other = records->Value(second);
        std::int64_t bookmark = records->Bookmark();
        int equalNames = 0;
        for (records->MoveNext(); !records->IsEOF(); records->MoveNext()) {
            const Variant nextName = records->Value(2);
            const Variant nextOther = records->Value(second);
            const int byName = compare(name, nextName);
            ASSERT_TRUE(descending ? byName >= 0 : byName <= 0) << text << ": " << name.ToString() << " / " << nextName.ToString();
            if (byName == 0) {
                ++equalNames;
                const int byOther = compare(other, nextOther);
                ASSERT_TRUE(descending ? byOther <= 0 : byOther >= 0) << text;
                if (byOther == 0) {
                    ASSERT_LT(bookmark, records->Bookmark()) << text;
                }
            }
            name = nextName;
            other = nextOther;
            bookmark = records->Bookmark();
        }
        EXPECT_GT(equalNames, 300) << "the sample should repeat names";
    }
    unsetenv("LC_ALL");
}

}  // namespace
}  // namespace qelvor::recordset::test
