// The compressed record store: whatever goes into a column comes back the same, read in
// any order, from any thread, whichever codec each block got; short results and results
// long enough to be compressed on the second thread alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "data/recordset/ColumnBlocks.h"
#include "data/recordset/ColumnBuilder.h"
#include "data/recordset/SortKeys.h"
#include "runtime/Collation.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset::test {
namespace {

using Texts = std::vector<std::optional<std::string>>;

// A column filled with values (nullopt: null), through a pipeline or inline.
struct Filled {
    ResultColumn column;
    FieldInfo field;
};

void Fill(Filled& filled, ColumnStorage storage, const Texts& values, bool pipelined)
{
    BlockPipeline pipeline;
    ColumnBuilder builder(filled.column, filled.field, storage, true, pipelined ? &pipeline : nullptr);
    for (const auto& value : values) {
        if (value)
            builder.AppendBytes(*value);
        else
            builder.AppendNull();
    }
    builder.Finish();
}

void ExpectSameTexts(const ResultColumn& column, const Texts& values, unsigned seed)
{
    ASSERT_EQ(column.RowCount(), static_cast<std::int64_t>(values.size()));
    std::vector<std::int64_t> order(values.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<std::int64_t>(i);
    std::shuffle(order.begin(), order.end(), std::mt19937(seed));
    std::string read;
    for (const std::int64_t row : order) {
        const auto& expected = values[static_cast<std::size_t>(row)];
        ASSERT_EQ(column.IsNull(row), !expected.has_value()) << "row " << row;
        column.CopyBytes(row, read);
        ASSERT_EQ(read, expected.value_or("")) << "row " << row;
        const Variant value = column.Value(row);
        ASSERT_EQ(value.IsNull(), !expected.has_value());
    }
}

std::string Digits(std::mt19937& random, int length)
{
    std::string text;
    for (int i = 0; i < length; ++i)
        text.push_back(static_cast<char>('0' + random() % 10));
    return text;
}

// Columns shaped as examination data and as what breaks codecs, at sizes around a block.
std::vector<std::pair<std::string, Texts>> TextCases(std::size_t rows)
{
    std::mt19937 random(static_cast<unsigned>(rows));
    std::vector<std::pair<std::string, Texts>> cases;
    Texts tickets, mixedDigits, names, answers, hostile, longValues, sparse;
    const std::vector<std::string> surnames = {"王", "李", "张", "刘", "陈", "杨"};
    for (std::size_t row = 0; row < rows; ++row) {
        // 15-digit numbers with leading zeros now and then, and nulls.
        tickets.push_back(row % 17 == 3 ? std::nullopt : std::optional(row % 5 == 0 ? "000" + Digits(random, 12)
                                                                                     : Digits(random, 15)));
        // Digits of changing lengths, 19 digits (the most a block packs) and one more.
        const int length = static_cast<int>(row % 21);
        mixedDigits.push_back(length == 0 ? std::string() : row % 7 == 0 ? std::string(19, '9') : Digits(random, length));
        // Few distinct values: kept in the dictionary.
        names.push_back(row % 11 == 0 ? std::nullopt
                                      : std::optional(surnames[random() % surnames.size()] + (row % 2 ? "伟" : "敏")));
        // Every value distinct: the dictionary's trial rejects it.
        std::string answer;
        for (int i = 0; i < 90; ++i)
            answer.push_back("ABCD-"[random() % 5]);
        answers.push_back(answer);
        // Invalid UTF-8, embedded zero bytes, empty texts, a lone continuation byte.
        static const char* const kHostile[] = {"", "\xff\xfe", "", "\x80", "é"};
        hostile.push_back(row % 5 == 2 ? std::string("a\0b", 3) : std::string(kHostile[row % 5]));
        // Values longer than a block of others, across block edges.
        longValues.push_back(row % 630 == 62 ? std::string(100000 + row, static_cast<char>('a' + row % 26))
                                            : std::to_string(row));
        // Almost every row null: blocks of nulls only.
        sparse.push_back(row % 200 == 199 ? std::optional<std::string>("x") : std::nullopt);
    }
    cases.emplace_back("tickets", tickets);
    cases.emplace_back("mixed digits", mixedDigits);
    cases.emplace_back("names", names);
    cases.emplace_back("answers", answers);
    cases.emplace_back("hostile", hostile);
    cases.emplace_back("long values", longValues);
    cases.emplace_back("sparse", sparse);
    return cases;
}

TEST(RecordStore, TextComesBackAsItWentInAtEveryShapeAndSize)
{
    // 1 row, a block less one, a block, a block and one, and enough for the second thread
    // and for the dictionary's trial to decide.
    for (const std::size_t rows : {std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{65},
                                   std::size_t{ColumnEncoder::kTrialValues + 1000}}) {
        for (const auto& [name, values] : TextCases(rows)) {
            for (const bool pipelined : {false, true}) {
                SCOPED_TRACE(name + ", " + std::to_string(rows) + " rows" + (pipelined ? ", pipelined" : ""));
                Filled filled;
                Fill(filled, ColumnStorage::Text, values, pipelined);
                ExpectSameTexts(filled.column, values, static_cast<unsigned>(rows));
            }
        }
    }
}

TEST(RecordStore, BinaryAndDecimalTextKeepTheirKind)
{
    Texts values;
    for (int row = 0; row < 200; ++row)
        values.push_back(row % 9 == 0 ? std::nullopt : std::optional(std::string("\x00\x01", 2) + std::to_string(row)));
    Filled binary;
    Fill(binary, ColumnStorage::Binary, values, false);
    ExpectSameTexts(binary.column, values, 1);
    EXPECT_TRUE(binary.column.Value(1).Holds<qelvor::Bytes>());

    Texts decimals;
    for (int row = 0; row < 200; ++row)
        decimals.push_back(std::to_string(row * 7 - 500) + ".25");
    Filled decimal;
    Fill(decimal, ColumnStorage::Decimal, decimals, false);
    ExpectSameTexts(decimal.column, decimals, 2);
    EXPECT_EQ(decimal.column.Value(3).ToString(), "-479.25");
}

TEST(RecordStore, IntegersAtTheExtremesAndBooleans)
{
    std::vector<std::optional<std::int64_t>> values;
    std::mt19937_64 random(5);
    for (int row = 0; row < 5000; ++row) {
        if (row % 13 == 0)
            values.emplace_back(std::nullopt);
        else if (row % 64 == 1)
            values.emplace_back(std::numeric_limits<std::int64_t>::min());
        else if (row % 64 == 2)
            values.emplace_back(std::numeric_limits<std::int64_t>::max());
        else
            values.emplace_back(row < 2500 ? static_cast<std::int64_t>(random() % 1000) - 500
                                           : static_cast<std::int64_t>(random()));
    }
    for (const bool pipelined : {false, true}) {
        ResultColumn column;
        FieldInfo field;
        field.type = adBigInt;
        BlockPipeline pipeline;
        ColumnBuilder builder(column, field, ColumnStorage::Integer, false, pipelined ? &pipeline : nullptr);
        for (const auto& value : values) {
            if (value)
                builder.AppendInteger(*value);
            else
                builder.AppendNull();
        }
        builder.Finish();
        for (std::int64_t row = static_cast<std::int64_t>(values.size()) - 1; row >= 0; --row) {
            const auto& expected = values[static_cast<std::size_t>(row)];
            ASSERT_EQ(column.IsNull(row), !expected.has_value());
            ASSERT_EQ(column.Integer(row), expected.value_or(0)) << "row " << row;
        }
    }
    ResultColumn flags;
    FieldInfo field;
    ColumnBuilder builder(flags, field, ColumnStorage::Boolean, false);
    for (int row = 0; row < 100; ++row)
        builder.AppendInteger(row % 3 == 0);
    builder.Finish();
    EXPECT_EQ(flags.Value(3), Variant(true));
    EXPECT_EQ(flags.Value(4), Variant(false));
}

TEST(RecordStore, ColumnsWidenedOrDeterminedAfterBlocksWereWrittenKeepEveryValue)
{
    // Integers, then a real: every integer already in blocks becomes a double.
    {
        ResultColumn column;
        FieldInfo field;
        BlockPipeline pipeline;
        ColumnBuilder builder(column, field, ColumnStorage::Integer, false, &pipeline);
        for (int row = 0; row < 10000; ++row)
            builder.AppendInteger(row * 3);
        builder.WidenToReal();
        builder.AppendReal(0.5);
        builder.Finish();
        ASSERT_EQ(column.RowCount(), 10001);
        EXPECT_EQ(column.Real(9999), 29997.0);
        EXPECT_EQ(column.Real(10000), 0.5);
    }
    // Integers, then a text: the column becomes text with every earlier value.
    {
        ResultColumn column;
        FieldInfo field;
        BlockPipeline pipeline;
        ColumnBuilder builder(column, field, ColumnStorage::Integer, false, &pipeline);
        for (int row = 0; row < 10000; ++row) {
            if (row % 100 == 7)
                builder.AppendNull();
            else
                builder.AppendInteger(row);
        }
        builder.WidenToText();
        builder.AppendBytes("end");
        for (int row = 0; row < 100; ++row)
            builder.AppendBytes("after");
        builder.Finish();
        ASSERT_EQ(column.RowCount(), 10101);
        EXPECT_EQ(column.Value(8).ToString(), "8");
        EXPECT_TRUE(column.IsNull(107));
        EXPECT_EQ(column.Value(9999).ToString(), "9999");
        EXPECT_EQ(column.Value(10000).ToString(), "end");
        EXPECT_EQ(column.Value(10100).ToString(), "after");
    }
    // Nulls over several blocks before the first value decides the storage.
    for (const ColumnStorage storage : {ColumnStorage::Integer, ColumnStorage::Real, ColumnStorage::Text}) {
        ResultColumn column;
        FieldInfo field;
        BlockPipeline pipeline;
        ColumnBuilder builder = ColumnBuilder::Undetermined(column, field, &pipeline);
        for (int row = 0; row < 200; ++row)
            builder.AppendNull();
        builder.Determine(storage, storage == ColumnStorage::Text ? adVarWChar : adInteger);
        if (storage == ColumnStorage::Integer)
            builder.AppendInteger(42);
        else if (storage == ColumnStorage::Real)
            builder.AppendReal(4.5);
        else
            builder.AppendBytes("x");
        builder.Finish();
        ASSERT_EQ(column.RowCount(), 201);
        EXPECT_TRUE(column.IsNull(199));
        EXPECT_FALSE(column.Value(200).IsNull());
    }
}

TEST(RecordStore, ManyThreadsReadOneColumnAtOnce)
{
    const auto cases = TextCases(20000);
    Filled filled;
    Fill(filled, ColumnStorage::Text, cases[3].second, true);
    std::vector<std::thread> readers;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&, t] {
            std::mt19937 random(static_cast<unsigned>(t));
            std::string read;
            for (int i = 0; i < 20000; ++i) {
                const auto row = static_cast<std::int64_t>(random() % 20000);
                filled.column.CopyBytes(row, read);
                if (read != *cases[3].second[static_cast<std::size_t>(row)])
                    ++wrong[static_cast<std::size_t>(t)];
            }
        });
    }
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST(RecordStore, RegularDataIsHeldInAFractionOfItsSize)
{
    // Guards the codec choice: packed digits, the dictionary and zstd each doing their job.
    const auto cases = TextCases(ColumnEncoder::kTrialValues + 1000);
    const auto rows = static_cast<double>(ColumnEncoder::kTrialValues + 1000);
    for (const auto& [name, limit] : std::vector<std::pair<std::string, double>>{
             {"tickets", 7.0}, {"names", 2.0}, {"answers", 40.0}, {"sparse", 1.0}}) {
        const auto found = std::find_if(cases.begin(), cases.end(), [&](const auto& c) { return c.first == name; });
        Filled filled;
        Fill(filled, ColumnStorage::Text, found->second, true);
        EXPECT_LT(static_cast<double>(filled.column.MemoryUsage()) / rows, limit) << name;
    }
}

TEST(RecordStore, KeysFromDigitsAndFromTheDictionaryOrderLikeTheCollation)
{
    std::mt19937 random(8);
    const Collation& collation = Collation::ForLocale("zh_CN");
    const std::vector<std::string> pool = {"王伟", "王", "李娜", "Zhang", "zhang", "张三", "", "阿", "10", "9"};
    for (const int shape : {0, 1}) {
        Texts values;
        for (int row = 0; row < 3000; ++row) {
            if (row % 37 == 0)
                values.emplace_back(std::nullopt);
            else
                values.emplace_back(shape == 0 ? Digits(random, 12) : pool[random() % pool.size()]);
        }
        Filled filled;
        Fill(filled, ColumnStorage::Text, values, false);
        EXPECT_TRUE(shape == 0 ? filled.column.AllDigitsOfOneLength() : filled.column.AllDictionary());
        const SortKeys keys(filled.column, collation);
        for (int pair = 0; pair < 20000; ++pair) {
            const auto a = static_cast<std::uint32_t>(random() % values.size());
            const auto b = static_cast<std::uint32_t>(random() % values.size());
            const auto& va = values[a];
            const auto& vb = values[b];
            const int expected = !va || !vb ? static_cast<int>(!vb) - static_cast<int>(!va) : collation.Compare(*va, *vb);
            ASSERT_EQ((keys.Compare(a, b) > 0) - (keys.Compare(a, b) < 0), (expected > 0) - (expected < 0))
                << va.value_or("null") << " vs " << vb.value_or("null");
        }
    }
}

TEST(RecordStore, DamagedBlocksRaiseInsteadOfReadingAstray)
{
    StagedBlock block;
    for (int row = 0; row < 10; ++row) {
        block.bytes += "value " + std::to_string(row * 1000);
        block.ends.push_back(static_cast<std::uint32_t>(block.bytes.size()));
    }
    block.rows = 10;
    std::string written;
    blocks::AppendTextBlock(written, block);
    DecodedBlock decoded;
    blocks::DecodeText(written, 10, {}, decoded);
    EXPECT_EQ(decoded.Row(9), "value 9000");
    // Every shorter block, a wrong row count and codes beyond the dictionary raise: a
    // damaged block is never read beyond its end.
    for (std::size_t length = 0; length < written.size(); ++length)
        EXPECT_THROW(blocks::DecodeText(std::string_view(written).substr(0, length), 10, {}, decoded), ERecordSetError)
            << length;
    EXPECT_THROW(blocks::DecodeText(written, 11, {}, decoded), ERecordSetError);
    EXPECT_THROW(blocks::DecodeText(written, 0, {}, decoded), ERecordSetError);
    const std::string codes = std::string(1, static_cast<char>(BlockCodec::Dictionary)) + '\x08' + std::string(10, '\x05');
    EXPECT_THROW(blocks::DecodeText(codes, 10, {}, decoded), ERecordSetError) << "a code beyond the dictionary";
    // One row of one byte, written as index 15 of an alphabet of one.
    const std::string alphabet = {static_cast<char>(BlockCodec::Alphabet), 1, 'A', 4, 1, 1, 0x0f};
    EXPECT_THROW(blocks::DecodeText(alphabet, 1, {}, decoded), ERecordSetError) << "an index past the alphabet";
    const std::string wellFormed = {static_cast<char>(BlockCodec::Alphabet), 1, 'A', 4, 1, 1, 0x00};
    blocks::DecodeText(wellFormed, 1, {}, decoded);
    EXPECT_EQ(decoded.Row(0), "A");
}

}  // namespace
}  // namespace qelvor::recordset::test
