// The column model: binding by name, effective values and their defaults, storage
// tests, width rules, generated columns and font inheritance.
#include <QFontMetrics>

#include "data/DataSource.h"
#include "data/FieldDefs.h"
#include "runtime/FormatSettings.h"
#include "tests/grid/support/GridFixture.h"

namespace qelvor::test {
namespace {

using ColumnModel = GridFixture;

TEST_F(ColumnModel, TitlesShowFieldNamesAndColumnsBindLazily)
{
    AttachDataSet(5);
    SizeForDataRows(5);
    TColumnEh* first = grid->Columns()[0];
    EXPECT_EQ(first->Title()->Caption(), "准考证号");
    ASSERT_NE(first->Field(), nullptr);
    EXPECT_EQ(first->Field()->FieldName(), "准考证号");
    EXPECT_EQ(first->ColumnDisplayText(), AnswerSheetValue(0, 0).ToString());
    // Closing drops the fields; the columns keep their names and titles.
    dataSet->Close();
    EXPECT_EQ(first->BoundField(), nullptr);
    EXPECT_EQ(first->Title()->Caption(), "准考证号");
    EXPECT_EQ(grid->Columns().Count(), 7);
}

TEST_F(ColumnModel, NamesBindWithoutRegardToCaseAndMissingNamesAreNoError)
{
    TFieldDef id;
    id.name = "ID";
    id.dataType = TFieldType::ftInteger;
    id.fieldNo = 1;
    TFieldDef name;
    name.name = "Name";
    name.dataType = TFieldType::ftString;
    name.size = 30;
    name.fieldNo = 2;
    GridTestDataSet data({id, name}, 3, [](int row, int column) {
        return column == 0 ? Variant(row + 1) : Variant("n" + std::to_string(row));
    });
    grid->Columns()[1]->SetFieldName("name");
    grid->Columns()[2]->SetFieldName("nothing here");
    dataSource->SetDataSet(&data);
    data.Open();
    SizeForDataRows(5);
    EXPECT_EQ(grid->Columns()[1]->FieldName(), "Name");
    EXPECT_EQ(grid->Columns()[1]->ColumnDisplayText(), "n0");
    TColumnEh* missing = grid->Columns()[2];
    EXPECT_EQ(missing->Field(), nullptr);
    EXPECT_EQ(missing->Title()->Caption(), "nothing here");
    EXPECT_EQ(missing->ColumnDisplayText(), "");
    EXPECT_TRUE(missing->ReadOnly());
    EXPECT_EQ(grid->DataLink().MappedField(2), nullptr);
    EXPECT_EQ(grid->DataLink().MappedField(1), data.Fields(1));
    EXPECT_TRUE(grid->DataLink().SparseMap());
    dataSource->SetDataSet(nullptr);
}

TEST_F(ColumnModel, NameColumnWidthComesFromItsField)
{
    TColumnEh* name = grid->Columns()[2];
    EXPECT_EQ(name->Width(), grid->DefaultColWidth());
    EXPECT_EQ(name->Width(), 64);
    AttachDataSet(5);
    SizeForDataRows(5);
    const int zero = QFontMetrics(DesignFont()).horizontalAdvance(QLatin1Char('0'));
    EXPECT_EQ(name->Width(), zero * name->Field()->DisplayWidth() + 4);
    EXPECT_EQ(grid->ColWidths(3), name->Width());
    EXPECT_FALSE(name->IsWidthStored());
    EXPECT_EQ(grid->Columns()[0]->Width(), 107);
    EXPECT_TRUE(grid->Columns()[0]->IsWidthStored());
}

TEST_F(ColumnModel, TitleButtonDefaultsFromTheGridAndCanBeOverridden)
{
    TColumnTitleEh* title = grid->Columns()[1]->Title();
    EXPECT_TRUE(title->TitleButton());
    EXPECT_FALSE(title->IsTitleButtonStored());
    title->SetTitleButton(false);
    EXPECT_FALSE(title->TitleButton());
    EXPECT_TRUE(title->IsTitleButtonStored());
    EXPECT_TRUE(grid->Columns()[1]->ExplicitValues().Contains(cvTitleButton));
    grid->Columns()[1]->RestoreDefaults();
    EXPECT_TRUE(title->TitleButton());
    EXPECT_TRUE(grid->Columns()[1]->ExplicitValues().Empty());
}

TEST_F(ColumnModel, WidthRules)
{
    TColumnEh* column = grid->Columns()[2];
    // A width equal to the default is not stored.
    column->SetWidth(column->DefaultWidth());
    EXPECT_FALSE(column->ExplicitValues().Contains(cvWidth));
    column->SetMinWidth(40);
    column->SetWidth(10);
    EXPECT_EQ(column->Width(), 40);
    column->SetMaxWidth(80);
    column->SetWidth(200);
    EXPECT_EQ(column->Width(), 80);
    column->SetWidth(-1);
    EXPECT_EQ(column->Width(), 80);
    // A column outside any grid falls back to fixed defaults.
    TDBGridColumnEh loose(nullptr);
    EXPECT_EQ(loose.Width(), 64);
    EXPECT_EQ(loose.Color(), clWindow);
    EXPECT_EQ(loose.Title()->Color(), clBtnFace);
    EXPECT_FALSE(loose.Title()->TitleButton());
}

TEST_F(ColumnModel, HiddenColumnLeavesTheListAndTheCurrentCellMoves)
{
    AttachDataSet(5);
    SizeForDataRows(5);
    ASSERT_EQ(grid->Col(), 1);
    grid->Columns()[0]->SetVisible(false);
    EXPECT_EQ(grid->VisibleColumnList().Count(), 6);
    EXPECT_EQ(grid->VisibleColumnList()[0], grid->Columns()[1]);
    EXPECT_EQ(grid->ColWidths(1), -1);
    EXPECT_EQ(grid->Col(), 2);
    grid->Columns()[0]->SetVisible(true);
    EXPECT_EQ(grid->ColWidths(1), 107);
}

TEST_F(ColumnModel, GeneratedColumnsFollowTheFields)
{
    grid->Columns().Clear();
    EXPECT_EQ(grid->Columns().Count(), 1);
    EXPECT_FALSE(grid->Columns()[0]->Persistent());
    AttachDataSet(5);
    SizeForDataRows(5);
    ASSERT_EQ(grid->Columns().Count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_FALSE(grid->Columns()[i]->Persistent());
        EXPECT_EQ(grid->Columns()[i]->Field(), dataSet->Fields(i));
    }
    EXPECT_FALSE(grid->DataLink().SparseMap());
    // Generated columns write some values through to their field.
    grid->Columns()[0]->Title()->SetCaption("Ticket");
    EXPECT_EQ(dataSet->Fields(0)->DisplayLabel(), "Ticket");
    dataSet->Close();
    EXPECT_EQ(grid->Columns().Count(), 1);
    EXPECT_EQ(grid->Columns()[0]->FieldName(), "");
}

TEST_F(ColumnModel, GridFontReachesUnassignedColumnFontsAndRowHeights)
{
    QFont own = DesignFont();
    own.setPixelSize(20);
    grid->Columns()[3]->SetFont(own);
    QFont larger = DesignFont();
    larger.setPixelSize(16);
    host->setFont(larger);
    EXPECT_EQ(grid->Columns()[0]->Font().pixelSize(), 16);
    EXPECT_EQ(grid->Columns()[3]->Font().pixelSize(), 20);
    EXPECT_EQ(grid->DefaultRowHeight(), QFontMetrics(larger).height() + 4);
    // With the parent's font the titles follow too.
    EXPECT_TRUE(grid->ParentFont());
    EXPECT_EQ(grid->TitleFont().pixelSize(), 16);
    EXPECT_EQ(grid->Columns()[1]->Title()->Font().pixelSize(), 16);
}

// A dataset of one field per class a column's display format treats differently:
// row 0 holds values, row 1 nulls.
class ColumnDisplayFormat : public GridFixture {
protected:
    void SetUp() override
    {
        GridFixture::SetUp();
        const std::vector<std::pair<const char*, TFieldType>> kinds = {
            {"Amount", TFieldType::ftFloat}, {"Exact", TFieldType::ftBCD},     {"Count", TFieldType::ftInteger},
            {"Stamp", TFieldType::ftDateTime}, {"Day", TFieldType::ftDate}, {"Name", TFieldType::ftString},
            {"Flag", TFieldType::ftBoolean}};
        std::vector<TFieldDef> defs;
        for (const auto& [name, type] : kinds) {
            TFieldDef def;
            def.name = name;
            def.dataType = type;
            def.size = type == TFieldType::ftString ? 10 : 0;
            def.precision = type == TFieldType::ftBCD ? 20 : 0;
            def.fieldNo = static_cast<int>(defs.size()) + 1;
            defs.push_back(def);
            grid->Columns()[static_cast<int>(defs.size()) - 1]->SetFieldName(name);
        }
        data_ = std::make_unique<GridTestDataSet>(defs, 2, [](int row, int column) { return row == 0 ? Value(column) : Variant(); });
        dataSource->SetDataSet(data_.get());
        data_->Open();
        SizeForDataRows(2);
    }
    void TearDown() override
    {
        dataSource->SetDataSet(nullptr);
        data_.reset();
        GridFixture::TearDown();
    }
    static Variant Value(int column)
    {
        switch (column) {
        case 0: return Variant(1234567.891);
        case 1: return Variant(DecimalValue{"12345678901234567.5"});
        case 2: return Variant(5);
        case 3: return Variant(DateTimeValue{45306 + 50709.0 / 86400});  // 2024-01-15 14:05:09
        case 4: return Variant(DateTimeValue{45306, DateTimeValue::Kind::Date});
        case 5: return Variant("张三");
        default: return Variant(true);
        }
    }
    std::string Shown(int column, const std::string& format)
    {
        grid->Columns()[column]->SetDisplayFormat(format);
        return grid->Columns()[column]->ColumnDisplayText();
    }

    std::unique_ptr<GridTestDataSet> data_;
};

TEST_F(ColumnDisplayFormat, NumbersAndDatesFollowTheFormatOtherFieldsShowNothing)
{
    EXPECT_EQ(Shown(0, "#,##0.00"), "1,234,567.89");
    EXPECT_EQ(Shown(1, "#,##0"), "12,345,678,901,234,568");  // exact digits, not a double's
    EXPECT_EQ(Shown(2, "000"), "005");
    const std::string separator(1, DateSeparator());
    EXPECT_EQ(Shown(3, "yyyy/mm/dd h:nn:ss am/pm"), "2024" + separator + "01" + separator + "15 2:05:09 pm");
    EXPECT_EQ(Shown(4, "d.m.yy"), "15.1.24");
    EXPECT_EQ(Shown(5, "0.00"), "");
    EXPECT_EQ(Shown(6, "0"), "");
}

TEST_F(ColumnDisplayFormat, WithoutAFormatTheFieldsOwnTextShows)
{
    data_->Fields(0)->SetDisplayFormat("0.000");
    EXPECT_EQ(Shown(0, ""), "1234567.891");
    EXPECT_EQ(Shown(5, ""), "张三");
    EXPECT_EQ(Shown(6, ""), "True");
    // A null shows empty, with or without a format.
    data_->Next();
    for (int column = 0; column < 7; ++column) {
        EXPECT_EQ(Shown(column, ""), "") << column;
        EXPECT_EQ(Shown(column, "0"), "") << column;
    }
}

TEST_F(ColumnModel, StorageTests)
{
    TColumnEh* column = grid->Columns()[0];
    EXPECT_FALSE(column->IsColorStored());
    column->SetColor(clWindow);
    EXPECT_FALSE(column->IsColorStored());
    EXPECT_TRUE(column->ExplicitValues().Contains(cvColor));
    column->SetColor(clYellow);
    EXPECT_TRUE(column->IsColorStored());
    EXPECT_FALSE(column->IsFontStored());
    column->SetFont(column->Font());
    EXPECT_TRUE(column->IsFontStored());
    EXPECT_FALSE(column->Title()->IsCaptionStored());
    column->Title()->SetCaption("准考证号");
    EXPECT_FALSE(column->Title()->IsCaptionStored());
    column->Title()->SetCaption("Ticket");
    EXPECT_TRUE(column->Title()->IsCaptionStored());
    EXPECT_FALSE(column->IsIncrementStored());
    column->SetIncrement(2.0L);
    EXPECT_TRUE(column->IsIncrementStored());
}

TEST_F(ColumnModel, FieldMapEntriesFollowColumnsByName)
{
    AttachDataSet(5);
    SizeForDataRows(5);
    ASSERT_EQ(grid->DataLink().FieldMapCount(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(grid->DataLink().MappedField(i), dataSet->Fields(i));
    EXPECT_EQ(grid->DataLink().MappedField(-1), nullptr);
    EXPECT_EQ(grid->DataLink().MappedField(7), nullptr);
    EXPECT_GE(grid->DataLink().FieldMapCapacity(), 7);
    grid->Columns()[6]->SetFieldName("不存在");
    grid->LockLayout();
    grid->UnlockLayout();
    EXPECT_EQ(grid->DataLink().MappedField(6), nullptr);
    EXPECT_FALSE(grid->DataLink().DefaultFields());
}

}  // namespace
}  // namespace qelvor::test
