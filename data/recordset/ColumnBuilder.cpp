#include "data/recordset/ColumnBuilder.h"

#include "data/recordset/ResultTable.h"

#include <algorithm>
#include <limits>
#include <string>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "runtime/Assert.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

// Wide and fullwidth characters (CJK ideographs among them) fill two cells, as they
// take two bytes in the double-byte code pages that declared text sizes count in.
int CharacterWidth(UChar32 c)
{
    const int width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
    return width == U_EA_WIDE || width == U_EA_FULLWIDTH ? 2 : 1;
}

// Display width of UTF-8 text in character cells; an invalid sequence counts as one.
std::int64_t TextWidth(std::string_view utf8)
{
    std::int64_t width = 0;
    const auto length = static_cast<std::int32_t>(utf8.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT_OR_FFFD(utf8.data(), i, length, c);
        width += CharacterWidth(c);
    }
    return width;
}

}  // namespace

ColumnBuilder::ColumnBuilder(ResultColumn& column, FieldInfo& field, ColumnStorage storage, bool deriveSize,
                             BlockPipeline* pipeline)
    : column_(&column),
      field_(&field),
      pipeline_(pipeline),
      encoder_(std::make_unique<ColumnEncoder>(column)),
      deriveSize_(deriveSize)
{
    column_->storage_ = storage;
}

ColumnBuilder ColumnBuilder::Undetermined(ResultColumn& column, FieldInfo& field, BlockPipeline* pipeline)
{
    ColumnBuilder builder(column, field, ColumnStorage::Text, true, pipeline);
    builder.determined_ = false;
    field.type = adVarWChar;
    return builder;
}

void ColumnBuilder::Settle()
{
    if (pipeline_)
        pipeline_->Drain();
    if (staged_.rows > 0 && UsesBlocks(column_->storage_)) {
        encoder_->Write(staged_);
        staged_.Clear();
    }
}

void ColumnBuilder::Determine(ColumnStorage storage, DataTypeEnum type)
{
    QELVOR_ASSERT(!determined_ && column_->rows_ == column_->nullCount_);
    determined_ = true;
    field_->type = type;
    if (pipeline_)
        pipeline_->Drain();
    column_->storage_ = storage;
    // Every row so far is null: the blocks written hold no value (AllNull suits any
    // storage), and the staged rows are empty texts and zeros, which suit any too.
    if (!UsesBlocks(storage)) {
        column_->reals_.Assign(static_cast<std::size_t>(column_->rows_), 0.0);
        column_->blocks_ = {};
        column_->blockStarts_ = PodArray<std::uint64_t>(1, 0);
        staged_.Clear();
    }
}

void ColumnBuilder::AppendNullBit(bool isNull)
{
    const auto row = static_cast<std::size_t>(column_->rows_);
    if ((row & 63) == 0)
        column_->nulls_.PushBack(0);
    if (isNull) {
        column_->nulls_.Back() |= std::uint64_t{1} << (row & 63);
        ++column_->nullCount_;
    }
    ++column_->rows_;
}

void ColumnBuilder::EndRow()
{
    if (++staged_.rows < kRowsPerBlock)
        return;
    if (pipeline_) {
        pipeline_->Submit(*encoder_, staged_);
    } else {
        encoder_->Write(staged_);
        staged_.Clear();
    }
}

void ColumnBuilder::AppendNull()
{
    if (UsesBlocks(column_->storage_)) {
        staged_.nulls |= std::uint64_t{1} << staged_.rows;
        staged_.ends.push_back(static_cast<std::uint32_t>(staged_.bytes.size()));
        staged_.integers[staged_.rows] = 0;
        AppendNullBit(true);
        EndRow();
    } else {
        column_->reals_.PushBack(0.0);
        AppendNullBit(true);
    }
}

void ColumnBuilder::AppendBytes(std::string_view bytes)
{
    QELVOR_ASSERT(determined_ && UsesArena(column_->storage_));
    if (staged_.bytes.size() + bytes.size() > std::numeric_limits<std::uint32_t>::max())
        throw ERecordSetError("The result is too large: 64 of its values hold more than 4 GiB of data");
    staged_.bytes.append(bytes);
    staged_.ends.push_back(static_cast<std::uint32_t>(staged_.bytes.size()));
    AppendNullBit(false);
    EndRow();
    // No character is wider than its UTF-8 bytes: measure only what could be a new widest.
    if (static_cast<std::int64_t>(bytes.size()) > widestText_)
        widestText_ = std::max(widestText_, TextWidth(bytes));
}

void ColumnBuilder::AppendInteger(std::int64_t value)
{
    QELVOR_ASSERT(determined_ && (column_->storage_ == ColumnStorage::Integer || column_->storage_ == ColumnStorage::Boolean));
    staged_.integers[staged_.rows] = value;
    smallest_ = std::min(smallest_, value);
    largest_ = std::max(largest_, value);
    AppendNullBit(false);
    EndRow();
}

void ColumnBuilder::AppendReal(double value)
{
    QELVOR_ASSERT(determined_ && (column_->storage_ == ColumnStorage::Real || column_->storage_ == ColumnStorage::DateTime));
    column_->reals_.PushBack(value);
    AppendNullBit(false);
}

void ColumnBuilder::WidenToReal()
{
    QELVOR_ASSERT(column_->storage_ == ColumnStorage::Integer);
    Settle();
    column_->reals_.Reserve(static_cast<std::size_t>(column_->rows_));
    for (std::int64_t row = 0; row < column_->rows_; ++row)
        column_->reals_.PushBack(static_cast<double>(column_->Integer(row)));
    column_->blocks_ = {};
    column_->blockStarts_ = PodArray<std::uint64_t>(1, 0);
    column_->storage_ = ColumnStorage::Real;
    field_->type = adDouble;
    field_->precision = 15;
    field_->numericScale = 0;
}

void ColumnBuilder::WidenToText()
{
    if (column_->storage_ == ColumnStorage::Text)
        return;
    Settle();
    ResultColumn widened;
    widened.storage_ = ColumnStorage::Text;
    ResultColumn* const original = column_;
    column_ = &widened;
    encoder_ = std::make_unique<ColumnEncoder>(widened);
    determined_ = true;
    widestText_ = 0;
    for (std::int64_t row = 0; row < original->rows_; ++row) {
        if (original->IsNull(row))
            AppendNull();
        else
            AppendBytes(original->Value(row).ToString());
    }
    // The rows re-appended went inline or through the pipeline: all written before the
    // column moves.
    if (pipeline_)
        pipeline_->Drain();
    *original = std::move(widened);
    column_ = original;
    encoder_->Retarget(*original);
    deriveSize_ = true;
    field_->type = adVarWChar;
    field_->definedSize = 0;
    field_->precision = 0;
    field_->numericScale = 0;
    field_->attributes &= ~static_cast<std::uint32_t>(adFldFixed);
}

void ColumnBuilder::Finish()
{
    if (column_->storage_ == ColumnStorage::Integer) {
        const auto fits = [&](std::int64_t limit) { return smallest_ >= -limit - 1 && largest_ <= limit; };
        DataTypeEnum& type = field_->type;
        if (type == adTinyInt && !fits(127))
            type = adSmallInt;
        if (type == adSmallInt && !fits(32767))
            type = adInteger;
        if (type == adInteger && !fits(2147483647))
            type = adBigInt;
    }
    Settle();
    // Spare capacity would cost memory for as long as the result is held.
    encoder_->Finish();
    column_->reals_.Trim();
    column_->nulls_.Trim();
    if (column_->storage_ == ColumnStorage::Text) {
        // Declared lengths are not enforced by every engine: never report a size that a
        // held value exceeds.
        if (!deriveSize_ && field_->definedSize < widestText_)
            field_->declaredSize = field_->definedSize;
        if (deriveSize_ || field_->definedSize < widestText_)
            field_->definedSize = std::max<std::int64_t>({widestText_, 1, deriveSize_ ? 0 : field_->definedSize});
        // A size taken from the values is no declared length: marked as a long field, so
        // that no reader lays the column out by what this one result happens to hold.
        if (deriveSize_)
            field_->attributes |= adFldLong;
    }
}

TableFill::TableFill(std::vector<FieldInfo> fields, const std::vector<Storage>& storages)
    : table_(std::make_unique<ResultTable>(std::move(fields)))
{
    builders_.reserve(storages.size());
    for (std::size_t i = 0; i < storages.size(); ++i) {
        const int index = static_cast<int>(i);
        builders_.emplace_back(table_->MutableColumn(index), table_->MutableField(index), storages[i].storage,
                               storages[i].deriveSize, &pipeline_);
        if (storages[i].storage == ColumnStorage::DateTime)
            ColumnBuilder::SetDateKind(table_->MutableColumn(index), storages[i].dateKind);
    }
}

TableFill::~TableFill() = default;

std::unique_ptr<ResultTable> TableFill::Finish()
{
    for (ColumnBuilder& builder : builders_)
        builder.Finish();
    table_->SetRowCount(rows_);
    return std::move(table_);
}

}  // namespace qelvor::recordset
