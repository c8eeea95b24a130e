// Fields: labels, widths, alignment, display texts, formats and lookups.
#include <gtest/gtest.h>

#include "data/ADOFieldDefs.h"
#include "data/BooleanField.h"
#include "data/DateTimeFields.h"
#include "data/FieldFormat.h"
#include "data/NumericFields.h"
#include "data/StringFields.h"
#include "data/recordset/DateText.h"
#include "runtime/Exceptions.h"
#include "runtime/FormatSettings.h"
#include "tests/data/support/MemoryDataSet.h"

namespace qelvor::test {
namespace {

TFieldDef Def(std::string name, TFieldType type, int size = 0, int precision = 0)
{
    TFieldDef def;
    def.name = std::move(name);
    def.dataType = type;
    def.size = size;
    def.precision = precision;
    def.fieldNo = 1;
    return def;
}

// An open dataset with one field of `def` holding `value` in its only record.
struct OneValue {
    OneValue(TFieldDef def, Variant value)
    {
        def.fieldNo = 1;
        dataSet = std::make_unique<MemoryDataSet>(std::vector<TFieldDef>{def}, std::vector<std::vector<Variant>>{{value}});
        dataSet->Open();
    }
    TField& field() { return *dataSet->Fields(0); }
    std::unique_ptr<MemoryDataSet> dataSet;
};

TEST(FieldNames, LabelFallsBackToTheName)
{
    MemoryDataSet dataSet(1);
    auto field = CreateField(&dataSet, Def("准考证号", TFieldType::ftString, 15));
    EXPECT_EQ(field->DisplayLabel(), "准考证号");
    EXPECT_EQ(field->DisplayName(), "准考证号");
    field->SetDisplayLabel("Ticket");
    EXPECT_EQ(field->DisplayLabel(), "Ticket");
    field->SetFieldName("Ticket");
    field->SetFieldName("Other");
    EXPECT_EQ(field->DisplayLabel(), "Other") << "a label equal to the new name is not kept";
    field->SetDisplayLabel("Other");
    field->SetFieldName("Third");
    EXPECT_EQ(field->DisplayLabel(), "Third") << "a label set to the name follows the name";
}

TEST(FieldWidths, ClassDefaultsAndStoredWidths)
{
    MemoryDataSet dataSet(1);
    EXPECT_EQ(CreateField(&dataSet, Def("s", TFieldType::ftString, 30))->DisplayWidth(), 30);
    EXPECT_EQ(CreateField(&dataSet, Def("s", TFieldType::ftString, 0))->DisplayWidth(), 20);
    EXPECT_EQ(CreateField(&dataSet, Def("w", TFieldType::ftWideString, 8))->DisplayWidth(), 8);
    for (TFieldType type : {TFieldType::ftInteger, TFieldType::ftSmallint, TFieldType::ftWord, TFieldType::ftAutoInc,
                            TFieldType::ftFloat, TFieldType::ftMemo})
        EXPECT_EQ(CreateField(&dataSet, Def("n", type))->DisplayWidth(), 10);
    EXPECT_EQ(CreateField(&dataSet, Def("d", TFieldType::ftBCD, 2, 8))->DisplayWidth(), 9);
    EXPECT_EQ(CreateField(&dataSet, Def("d", TFieldType::ftBCD, 2, 0))->DisplayWidth(), 10);
    EXPECT_EQ(CreateField(&dataSet, Def("d", TFieldType::ftDate))->DisplayWidth(), 10);
    EXPECT_EQ(CreateField(&dataSet, Def("t", TFieldType::ftTime))->DisplayWidth(), 10);
    EXPECT_EQ(CreateField(&dataSet, Def("dt", TFieldType::ftDateTime))->DisplayWidth(), 18);

    auto flag = CreateField(&dataSet, Def("b", TFieldType::ftBoolean));
    EXPECT_EQ(flag->DisplayWidth(), 5);
    static_cast<TBooleanField&>(*flag).SetDisplayValues("是;否否");
    EXPECT_EQ(flag->DisplayWidth(), 2) << "widths count characters, not bytes";

    auto text = CreateField(&dataSet, Def("s", TFieldType::ftString, 30));
    text->SetDisplayWidth(7);
    EXPECT_EQ(text->DisplayWidth(), 7);
    text->SetDisplayWidth(0);
    EXPECT_EQ(text->DisplayWidth(), 30);
}

// A text column without a declared length is as wide as a default string field, however
// wide its values are; a declared length is the width, also a long one.
TEST(FieldWidths, TextWithoutADeclaredLengthHasTheDefaultWidth)
{
    using namespace recordset;
    MemoryDataSet dataSet(1);
    const auto widthOf = [&](std::int64_t definedSize, std::uint32_t attributes, DataTypeEnum type = adVarWChar) {
        FieldInfo column;
        column.name = "xm";
        column.type = type;
        column.definedSize = definedSize;
        column.attributes = attributes;
        const std::vector<TFieldDef> defs = FieldDefsOfColumns({column}, false);
        return CreateField(&dataSet, defs.at(0))->DisplayWidth();
    };
    for (const std::int64_t size : {1, 8, 1000, 100000}) {
        EXPECT_EQ(widthOf(size, adFldLong), 20) << size;
        EXPECT_EQ(widthOf(size, adFldLong | adFldFixed, adChar), 20) << size;
    }
    EXPECT_EQ(widthOf(1000, 0), 1000);
    EXPECT_EQ(widthOf(8, adFldMayBeNull), 8);
    auto field = CreateField(&dataSet, FieldDefsOfColumns({FieldInfo{"xm", adVarWChar, 3, 0, 0, adFldLong, false}}, false).at(0));
    field->SetDisplayWidth(7);
    EXPECT_EQ(field->DisplayWidth(), 7) << "a stored width still wins";
    EXPECT_EQ(field->Size(), 3) << "the size is still the widest value";
}

TEST(FieldWidths, ADeclaredLengthDecidesTheWidthWhateverLongerValuesTheRowsHold)
{
    using namespace recordset;
    MemoryDataSet dataSet(1);
    FieldInfo column{"xm", adVarWChar, 64, 0, 0, adFldMayBeNull, false};
    column.declaredSize = 8;  // VARCHAR(8) holding a 64-character name
    const auto field = CreateField(&dataSet, FieldDefsOfColumns({column}, false).at(0));
    EXPECT_EQ(field->DisplayWidth(), 8);
    EXPECT_EQ(field->Size(), 64) << "the long value itself is kept whole";
}

TEST(FieldClasses, TypesAlignmentAndAttributes)
{
    MemoryDataSet dataSet(1);
    auto number = CreateField(&dataSet, Def("n", TFieldType::ftLargeint));
    EXPECT_NE(dynamic_cast<TLargeintField*>(number.get()), nullptr);
    EXPECT_EQ(number->Alignment(), TAlignment::taRightJustify);
    EXPECT_EQ(CreateField(&dataSet, Def("s", TFieldType::ftString))->Alignment(), TAlignment::taLeftJustify);
    EXPECT_TRUE(CreateField(&dataSet, Def("a", TFieldType::ftAutoInc))->ReadOnly());
    auto fixed = CreateField(&dataSet, Def("c", TFieldType::ftFixedChar, 4));
    EXPECT_TRUE(static_cast<TStringField&>(*fixed).FixedChar());
    EXPECT_TRUE(CreateField(&dataSet, Def("v", TFieldType::ftVariant))->Visible());

    try {
        CreateField(&dataSet, Def("obj", TFieldType::ftInterface));
        FAIL() << "object-valued types have no field class";
    } catch (const EDatabaseError& error) {
        EXPECT_STREQ(error.what(), "MemData: Field 'obj' is of an unknown type");
    }
}

TEST(FieldTexts, DisplayTextByClass)
{
    EXPECT_EQ(OneValue(Def("i", TFieldType::ftInteger), Variant(-42)).field().DisplayText(), "-42");
    EXPECT_EQ(OneValue(Def("i", TFieldType::ftInteger), Variant("07a")).field().DisplayText(), "07a")
        << "a value the class cannot convert shows as it is";
    EXPECT_EQ(OneValue(Def("f", TFieldType::ftFloat), Variant(2.5)).field().DisplayText(), "2.5");
    EXPECT_EQ(OneValue(Def("c", TFieldType::ftCurrency), Variant(2.5)).field().DisplayText(), "2.50");
    EXPECT_EQ(OneValue(Def("d", TFieldType::ftBCD, 2, 20), Variant(DecimalValue{"12345678901234567.89"})).field().DisplayText(),
              "12345678901234567.89")
        << "exact decimals keep every digit";
    EXPECT_EQ(OneValue(Def("b", TFieldType::ftBoolean), Variant(true)).field().DisplayText(), "True");
    EXPECT_EQ(OneValue(Def("b", TFieldType::ftBoolean), Variant(0)).field().DisplayText(), "False");
    EXPECT_EQ(OneValue(Def("w", TFieldType::ftWideString, 10), Variant("张三")).field().DisplayText(), "张三");
    EXPECT_EQ(OneValue(Def("x", TFieldType::ftVarBytes, 4), Variant(Bytes{0x00, 0xAB, 0x7F})).field().DisplayText(), "00AB7F");
    EXPECT_EQ(OneValue(Def("m", TFieldType::ftMemo), Variant("long text")).field().DisplayText(), "long text");
    EXPECT_EQ(OneValue(Def("s", TFieldType::ftString), Variant()).field().DisplayText(), "");
    EXPECT_EQ(OneValue(Def("i", TFieldType::ftInteger), Variant()).field().DisplayText(), "");
}

TEST(FieldTexts, DateFieldsShowTheirPart)
{
    // 2024-03-05 14:30:15 as days since 1899-12-30.
    const DateTimeValue moment{45356.0 + (14 * 3600 + 30 * 60 + 15) / 86400.0, DateTimeValue::Kind::DateTime};
    const std::string date = OneValue(Def("d", TFieldType::ftDate), Variant(moment)).field().DisplayText();
    EXPECT_EQ(date.substr(0, 4), "2024");
    EXPECT_EQ(date.size(), 10u);
    EXPECT_EQ(OneValue(Def("t", TFieldType::ftTime), Variant(moment)).field().DisplayText(), "14:30:15");
    const std::string both = OneValue(Def("dt", TFieldType::ftDateTime), Variant(moment)).field().DisplayText();
    EXPECT_EQ(both.substr(0, 10), date);
    EXPECT_EQ(both.substr(11), "14:30:15");
}

TEST(FieldTexts, FractionalSecondsAreCutNotRounded)
{
    // A moment just before midnight (or a new year) must not be shown on the next day.
    for (const char* stored : {"2023-06-01 23:59:59.5", "1999-12-31 23:59:59.999", "2024-01-05 10:20:30.75"}) {
        const std::optional<double> days = recordset::ParseDateTimeText(stored);
        ASSERT_TRUE(days) << stored;
        const DateTimeValue moment{*days, DateTimeValue::Kind::DateTime};
        const std::string shown = OneValue(Def("dt", TFieldType::ftDateTime), Variant(moment)).field().DisplayText();
        EXPECT_EQ(shown, std::string(stored).substr(0, 19)) << stored;
        const std::string day = OneValue(Def("d", TFieldType::ftDate), Variant(moment)).field().DisplayText();
        EXPECT_EQ(day, std::string(stored).substr(0, 10)) << stored;
    }
}

TEST(FieldTexts, DisplayFormatAndOnGetText)
{
    OneValue number(Def("i", TFieldType::ftInteger), Variant(1234567));
    number.field().SetDisplayFormat("#,##0");
    EXPECT_EQ(number.field().DisplayText(), "1,234,567");
    EXPECT_EQ(number.field().AsString(), "1234567") << "the edit text ignores the display format";

    OneValue moment(Def("dt", TFieldType::ftDateTime), Variant(DateTimeValue{45356.0 + 0.5}));
    moment.field().SetDisplayFormat("dd.mm.yyyy hh:nn");
    EXPECT_EQ(moment.field().DisplayText(), "05.03.2024 12:00");
    EXPECT_EQ(moment.field().EditText().substr(11), "12:00:00") << "the edit text ignores the display format";

    number.field().OnGetText = [](TField& field, std::string& text, bool displayText) {
        text = displayText ? "<" + field.FieldName() + ">" : "edit";
    };
    EXPECT_EQ(number.field().DisplayText(), "<i>");
    EXPECT_EQ(number.field().EditText(), "edit");
}

TEST(FieldFormat, DecimalFormats)
{
    using fieldformat::FormatDecimal;
    EXPECT_EQ(FormatDecimal("0.00", "3"), "3.00");
    EXPECT_EQ(FormatDecimal("0.00", "0.995"), "1.00");
    EXPECT_EQ(FormatDecimal("0.00", "9.999"), "10.00");
    EXPECT_EQ(FormatDecimal("#,##0.##", "-1234567.5"), "-1,234,567.5");
    EXPECT_EQ(FormatDecimal("#.##", "0"), "0");
    EXPECT_EQ(FormatDecimal("000", "7"), "007");
    EXPECT_EQ(FormatDecimal("0.0 'kg'", "2.25"), "2.3 kg");
    EXPECT_EQ(FormatDecimal("0;(0);'zero'", "-5"), "(5)");
    EXPECT_EQ(FormatDecimal("0;(0);'zero'", "0.000"), "zero");
    EXPECT_EQ(FormatDecimal("0", "-0.4"), "0") << "no sign on a value that rounds to zero";
}

TEST(FieldFormat, DateTimeFormats)
{
    // Tuesday 2024-03-05 14:30:15.250.
    const Variant moment(DateTimeValue{45356.0 + (14 * 3600 + 30 * 60 + 15.25) / 86400.0});
    const auto format = [&moment](const std::string& text) { return fieldformat::FormatDateTime(text, moment); };
    const std::string separator(1, DateSeparator());
    EXPECT_EQ(format("yyyy/mm/dd"), "2024" + separator + "03" + separator + "05");
    EXPECT_EQ(format("d/m/yy"), "5" + separator + "3" + separator + "24");
    EXPECT_EQ(format("YYYY-M-D"), "2024-3-5") << "letters in any case";
    EXPECT_EQ(format("hh:mm:ss.zzz"), "14:30:15.250") << "m after an hour means minutes";
    EXPECT_EQ(format("mm:ss"), "30:15") << "and m before seconds";
    EXPECT_EQ(format("h:n:s z"), "14:30:15 250");
    EXPECT_EQ(format("h:nn am/pm"), "2:30 pm");
    EXPECT_EQ(format("hh:nn A/P"), "02:30 P");
    EXPECT_EQ(format("h ampm"), "2 " + HalfDayName(true));
    EXPECT_EQ(fieldformat::FormatDateTime("h:nn AM/PM", Variant(DateTimeValue{45356.0 + 5 / 1440.0})), "12:05 AM");
    EXPECT_EQ(format("dddd, mmmm d"), DayName(2, false) + ", " + MonthName(3, false) + " 5");
    EXPECT_EQ(format("ddd mmm"), DayName(2, true) + " " + MonthName(3, true));
    EXPECT_EQ(format("t|tt"), "14:30|14:30:15");
    const std::string date = Variant(DateTimeValue{45356.0, DateTimeValue::Kind::Date}).ToString();
    EXPECT_EQ(format("ddddd"), date);
    EXPECT_EQ(format("c"), date + " 14:30:15");
    EXPECT_EQ(fieldformat::FormatDateTime("c", Variant(DateTimeValue{45356.0})), date) << "midnight shows no time";
    EXPECT_EQ(format("'day' d \"of\" m"), "day 5 of 3") << "quoted text is literal";
    EXPECT_EQ(fieldformat::FormatDateTime("yyyy", Variant("not a date")), "not a date");
}

TEST(FieldLookup, CaseInsensitiveUnicodeAndStrict)
{
    std::vector<TFieldDef> defs{Def("ID", TFieldType::ftInteger), Def("Straße", TFieldType::ftString),
                                Def("ÄRGER", TFieldType::ftString), Def("准考证号", TFieldType::ftString),
                                Def("id", TFieldType::ftString)};
    MemoryDataSet dataSet(defs, {});
    dataSet.Open();
    EXPECT_EQ(dataSet.FindField("id"), dataSet.Fields(0)) << "the first match wins";
    EXPECT_EQ(dataSet.FindField("STRASSE"), dataSet.Fields(1));
    EXPECT_EQ(dataSet.FindField("ärger"), dataSet.Fields(2));
    EXPECT_EQ(dataSet.FindField("准考证号"), dataSet.Fields(3));
    EXPECT_EQ(dataSet.FindField("准考证"), nullptr);
    EXPECT_EQ(dataSet.FieldByName("straSSe"), dataSet.Fields(1));
    try {
        dataSet.FieldByName("姓名");
        FAIL() << "a missing field must raise";
    } catch (const EDatabaseError& error) {
        EXPECT_STREQ(error.what(), "MemData: Field '姓名' not found");
    }
}

}  // namespace
}  // namespace qelvor::test
