// The parameter scan of statement texts.
#include <gtest/gtest.h>

#include "data/ParameterScan.h"

namespace qelvor {
namespace {

using Names = std::vector<std::string>;

TEST(ParameterScan, NamedParametersBecomeMarkers)
{
    const ScannedStatement scanned = ScanParameters("select * from t where a=:first and b = :second_2,:第三");
    EXPECT_EQ(scanned.text, "select * from t where a=? and b = ?,?");
    EXPECT_EQ(scanned.names, (Names{"first", "second_2", "第三"}));

    const ScannedStatement repeated = ScanParameters("x=:p or y=:p or z=:\"a b\"");
    EXPECT_EQ(repeated.text, "x=? or y=? or z=?");
    EXPECT_EQ(repeated.names, (Names{"p", "p", "a b"}));
}

TEST(ParameterScan, ColonsThatAreNoParameters)
{
    EXPECT_EQ(ScanParameters("select a::int from t").text, "select a:int from t");
    EXPECT_TRUE(ScanParameters("a : b, c:").names.empty());
    EXPECT_EQ(ScanParameters("a : b, c:").text, "a : b, c:");
}

// Every quote character keeps its literal open until the same character closes it.
TEST(ParameterScan, QuotedTextIsLeftAlone)
{
    for (const std::string statement :
         {"where z='1\"2:abc' order by x", "where z='1`:x'", "where z=\"it's :here\"", "where z=`a':b`",
          "where z='it''s :x'", "where z='张:三'"}) {
        const ScannedStatement scanned = ScanParameters(statement);
        EXPECT_EQ(scanned.text, statement);
        EXPECT_TRUE(scanned.names.empty()) << statement;
    }
    const ScannedStatement after = ScanParameters("where z='a\"b' and y=:p");
    EXPECT_EQ(after.names, Names{"p"}) << "the literal closes with its own quote";
}

}  // namespace
}  // namespace qelvor
