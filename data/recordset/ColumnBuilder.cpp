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

ColumnBuilder::ColumnBuilder(ResultColumn& column, FieldInfo& field, ColumnStorage storage, bool deriveSize)
    : column_(&column), field_(&field), deriveSize_(deriveSize)
{
    column_->storage_ = storage;
}

ColumnBuilder ColumnBuilder::Undetermined(ResultColumn& column, FieldInfo& field)
{
    ColumnBuilder builder(column, field, ColumnStorage::Text, true);
    builder.determined_ = false;
    field.type = adVarWChar;
    return builder;
}

void ColumnBuilder::Determine(ColumnStorage storage, DataTypeEnum type)
{
    QELVOR_ASSERT(!determined_ && column_->rows_ == column_->nullCount_);
    determined_ = true;
    field_->type = type;
    column_->storage_ = storage;
    // Every row so far is null: give each its empty slot in the new storage.
    const auto rows = static_cast<std::size_t>(column_->rows_);
    if (storage == ColumnStorage::Integer || storage == ColumnStorage::Boolean)
        column_->integers_.Assign(rows, 0);
    else if (storage == ColumnStorage::Real || storage == ColumnStorage::DateTime)
        column_->reals_.Assign(rows, 0.0);
    if (!UsesArena(storage))
        column_->offsets_.Assign(1, 0);
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

void ColumnBuilder::PushOffset()
{
    if (column_->bytes_.Size() > std::numeric_limits<std::uint32_t>::max())
        throw ERecordSetError("The result is too large: a column holds more than 4 GiB of data");
    column_->offsets_.PushBack(static_cast<std::uint32_t>(column_->bytes_.Size()));
}

void ColumnBuilder::AppendNull()
{
    switch (column_->storage_) {
    case ColumnStorage::Text:
    case ColumnStorage::Binary:
    case ColumnStorage::Decimal: PushOffset(); break;
    case ColumnStorage::Integer:
    case ColumnStorage::Boolean: column_->integers_.PushBack(0); break;
    case ColumnStorage::Real:
    case ColumnStorage::DateTime: column_->reals_.PushBack(0.0); break;
    }
    AppendNullBit(true);
}

void ColumnBuilder::AppendBytes(std::string_view bytes)
{
    QELVOR_ASSERT(determined_ && UsesArena(column_->storage_));
    column_->bytes_.Append(bytes.data(), bytes.size());
    PushOffset();
    AppendNullBit(false);
    // No character is wider than its UTF-8 bytes: measure only what could be a new widest.
    if (static_cast<std::int64_t>(bytes.size()) > widestText_)
        widestText_ = std::max(widestText_, TextWidth(bytes));
}

void ColumnBuilder::AppendInteger(std::int64_t value)
{
    QELVOR_ASSERT(determined_ && (column_->storage_ == ColumnStorage::Integer || column_->storage_ == ColumnStorage::Boolean));
    column_->integers_.PushBack(value);
    smallest_ = std::min(smallest_, value);
    largest_ = std::max(largest_, value);
    AppendNullBit(false);
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
    column_->reals_.Reserve(column_->integers_.Size());
    for (std::size_t i = 0; i < column_->integers_.Size(); ++i)
        column_->reals_.PushBack(static_cast<double>(column_->integers_[i]));
    column_->integers_ = {};
    column_->storage_ = ColumnStorage::Real;
    field_->type = adDouble;
    field_->precision = 15;
    field_->numericScale = 0;
}

void ColumnBuilder::WidenToText()
{
    if (column_->storage_ == ColumnStorage::Text)
        return;
    ResultColumn widened;
    widened.storage_ = ColumnStorage::Text;
    ResultColumn* const original = column_;
    column_ = &widened;
    determined_ = true;
    widestText_ = 0;
    for (std::int64_t row = 0; row < original->rows_; ++row) {
        if (original->IsNull(row))
            AppendNull();
        else
            AppendBytes(original->Value(row).ToString());
    }
    *original = std::move(widened);
    column_ = original;
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
    // Spare capacity would cost memory for as long as the result is held.
    column_->bytes_.Trim();
    column_->offsets_.Trim();
    column_->integers_.Trim();
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
                               storages[i].deriveSize);
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
