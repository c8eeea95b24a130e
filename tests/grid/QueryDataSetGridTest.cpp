// The grid over the real query dataset on a generated SQLite answer-sheet database:
// binding by the statement's aliases, generated columns following another statement's
// fields, the record window, the scroll range, and a re-sort showing in the painted rows.
#include <unistd.h>

#include <QApplication>

#include "data/QueryComposition.h"
#include "data/ADOConnection.h"
#include "data/ADODataSet.h"
#include "data/Field.h"
#include "tests/grid/support/GridFixture.h"
#include "sampledata/SampleDatabase.h"

namespace qelvor::test {
namespace {

class QueryDataSetGrid : public GridFixture {
protected:
    void SetUp() override
    {
        GridFixture::SetUp();
        path_ = "/tmp/qelvor-grid-test-" + std::to_string(getpid()) + ".db";
        CreateSampleDatabase(path_, 60, 5);
        connection_ = std::make_unique<TADOConnection>("Connection");
        connection_->SetConnectionString("Provider=SQLite;Data Source=" + path_);
        query_ = std::make_unique<TADODataSet>("QELV_Set");
        query_->SetConnection(connection_.get());
        query_->SetCommandText(ComposeAnswerSheetStatement("", ""));
        dataSource->SetDataSet(query_.get());
    }
    void TearDown() override
    {
        host.reset();
        dataSource->SetDataSet(nullptr);
        query_.reset();
        connection_.reset();
        std::remove(path_.c_str());
        GridFixture::TearDown();
    }
    std::string CellOf(int dataCol) { return grid->Columns()[dataCol]->ColumnDisplayText(); }
    // One generated column per field of the open query, in field order, showing its field.
    void ExpectGeneratedColumns(const std::vector<std::string>& names)
    {
        ASSERT_EQ(grid->Columns().Count(), static_cast<int>(names.size()));
        EXPECT_EQ(grid->ColCount(), grid->IndicatorColumns() + grid->Columns().Count());
        for (int i = 0; i < grid->Columns().Count(); ++i) {
            TColumnEh* column = grid->Columns()[i];
            EXPECT_FALSE(column->Persistent());
            EXPECT_EQ(column->Field(), query_->Fields(i)) << names[i];
            EXPECT_EQ(column->Title()->Caption(), names[i]);
            EXPECT_EQ(CellOf(i), query_->Fields(i)->DisplayText());
        }
    }

    std::string path_;
    std::unique_ptr<TADOConnection> connection_;
    std::unique_ptr<TADODataSet> query_;
};

TEST_F(QueryDataSetGrid, ColumnsBindAndTheWindowFollowsTheQuery)
{
    query_->Open();
    SizeForDataRows(17);
    for (int i = 0; i < grid->Columns().Count(); ++i)
        EXPECT_NE(grid->Columns()[i]->Field(), nullptr) << grid->Columns()[i]->FieldName();
    EXPECT_EQ(grid->DataLink().RecordCount(), 17);
    const ScrollInfo info = grid->GetScrollInfo(TScrollBarKind::sbVertical);
    EXPECT_EQ(info.min, 1);
    EXPECT_EQ(info.page, 17);
    EXPECT_EQ(info.max, 60 + 17 - 1);
    grid->ScrollMessage(TScrollBarKind::sbVertical, TScrollCode::SB_THUMBPOSITION, 30);
    EXPECT_EQ(query_->RecNo(), 30);
    EXPECT_EQ(grid->Row(), grid->TitleRows() + grid->DataLink().ActiveRecord());
    EXPECT_EQ(grid->GetScrollInfo(TScrollBarKind::sbVertical).pos, 30);
}

TEST_F(QueryDataSetGrid, ReopeningWithOtherFieldsRebuildsTheGeneratedColumns)
{
    grid->Columns().Clear();
    query_->Open();
    SizeForDataRows(5);
    ASSERT_EQ(grid->Columns().Count(), 7);
    query_->Close();
    query_->SetCommandText("select b.xm 姓名,a.qk 缺考标记,a.zkzh 准考证号 from t_omr a left join t_bm b on a.zkzh=b.zkzh"
                           " order by 准考证号");
    query_->Open();
    ExpectGeneratedColumns({"姓名", "缺考标记", "准考证号"});
    // As many fields as before, other ones: the columns follow all the same.
    query_->Close();
    query_->SetCommandText("select b.bmh 报名号,a.zkzh 准考证号,b.xm 姓名 from t_omr a left join t_bm b on a.zkzh=b.zkzh");
    query_->Open();
    ExpectGeneratedColumns({"报名号", "准考证号", "姓名"});
}

TEST_F(QueryDataSetGrid, NameColumnWithoutADeclaredLengthFitsAChineseName)
{
    // The name column takes its width from the field, here sized by its values.
    query_->SetCommandText("select '张三丰' as 姓名");
    query_->Open();
    SizeForDataRows(3);
    TColumnEh* name = grid->Columns()[2];
    ASSERT_NE(name->Field(), nullptr);
    EXPECT_GE(name->Width(), QFontMetrics(name->Font()).horizontalAdvance(QString::fromUtf8("张三丰")) + 4);
}

TEST_F(QueryDataSetGrid, ResortedRowsArePainted)
{
    query_->Open();
    SizeForDataRows(10);
    query_->SetSort("准考证号 DESC");
    query_->First();
    const std::string highest = CellOf(0);
    query_->Next();
    EXPECT_GT(highest, CellOf(0));
    // Painting the first data row shows the first record of the new order, and leaves
    // the current record where it was.
    (void)Render();
    EXPECT_EQ(query_->RecNo(), 2);
    query_->SetSort("准考证号 ASC");
    query_->First();
    EXPECT_LT(CellOf(0), highest);
    EXPECT_EQ(grid->Row(), 1);
}

}  // namespace
}  // namespace qelvor::test
