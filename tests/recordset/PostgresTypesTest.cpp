// The libpq provider's reading of the server's column types and text values, without a
// server: type modifiers, every storage, and texts a type can hold but a naive parse breaks.
#include <gtest/gtest.h>

#include <cmath>

#include "data/recordset/ColumnBuilder.h"
#include "data/recordset/PostgresTypes.h"

namespace qelvor::recordset {
namespace {

TEST(PostgresTypesTest, TypeModifiersGiveSizesPrecisionAndScale)
{
    const PostgresColumnType varchar = MapPostgresType(1043, 15 + 4);  // varchar(15)
    EXPECT_EQ(varchar.type, adVarWChar);
    EXPECT_EQ(varchar.definedSize, 15);
    const PostgresColumnType fixed = MapPostgresType(1042, 1 + 4);  // char(1)
    EXPECT_EQ(fixed.type, adWChar);
    EXPECT_TRUE(fixed.isFixed);
    EXPECT_EQ(fixed.definedSize, 1);
    EXPECT_EQ(MapPostgresType(1043, -1).definedSize, 0) << "unlimited varchar: sized from its values";
    const PostgresColumnType numeric = MapPostgresType(1700, ((10 << 16) | 2) + 4);  // numeric(10,2)
    EXPECT_EQ(numeric.type, adNumeric);
    EXPECT_EQ(numeric.precision, 10);
    EXPECT_EQ(numeric.numericScale, 2);
    EXPECT_EQ(MapPostgresType(21, -1).type, adSmallInt);
    EXPECT_EQ(MapPostgresType(20, -1).type, adBigInt);
    EXPECT_EQ(MapPostgresType(1184, -1).type, adDBTimeStamp);
    EXPECT_EQ(MapPostgresType(17, -1).storage, ColumnStorage::Binary);
    EXPECT_EQ(MapPostgresType(600, -1).storage, ColumnStorage::Text) << "a point arrives as its text";
}

Variant Parsed(unsigned oid, std::string_view text)
{
    ResultColumn column;
    FieldInfo field;
    const PostgresColumnType mapped = MapPostgresType(oid, -1);
    ColumnBuilder builder(column, field, mapped.storage, true);
    ColumnBuilder::SetDateKind(column, mapped.dateKind);
    std::string scratch;
    AppendPostgresValue(builder, mapped, text, scratch);
    builder.Finish();
    return column.Value(0);
}

TEST(PostgresTypesTest, ServerTextsBecomeValues)
{
    EXPECT_EQ(Parsed(16, "t"), Variant(true));
    EXPECT_EQ(Parsed(16, "f"), Variant(false));
    EXPECT_EQ(Parsed(20, "-9223372036854775808"), Variant(std::int64_t{-9223372036854775807 - 1}));
    EXPECT_EQ(Parsed(701, "1.5e-3"), Variant(0.0015));
    EXPECT_TRUE(std::isinf(Parsed(701, "-Infinity").Get<double>()));
    EXPECT_TRUE(std::isnan(Parsed(700, "NaN").Get<double>()));
    EXPECT_EQ(Parsed(1700, "-0.25"), Variant(DecimalValue{"-0.25"}));
    EXPECT_EQ(Parsed(1082, "2024-03-01").ToString(), "2024-03-01");
    EXPECT_EQ(Parsed(1114, "2024-03-01 13:45:30.5").ToString(), Parsed(1184, "2024-03-01 13:45:30.5+08").ToString());
    EXPECT_EQ(Parsed(1184, "2024-03-01 13:45:30-05:30").ToString(), "2024-03-01 13:45:30");
    EXPECT_EQ(Parsed(17, "\\x00ff41"), Variant(Bytes{0x00, 0xff, 0x41}));
    EXPECT_TRUE(Parsed(17, "\\xzz").IsNull()) << "a broken form is never read as other bytes";
    EXPECT_EQ(Parsed(25, "张三\t"), Variant("张三\t"));
}

}  // namespace
}  // namespace qelvor::recordset
