// RecordSet: opening, results, field access and sorting. Cursor movement, bookmarks
// and positions are in RecordSetCursor.cpp.
#include "data/recordset/RecordSet.h"

#include "data/recordset/Command.h"
#include "data/recordset/Connection.h"
#include "data/recordset/RecordSetErrors.h"
#include "data/recordset/ResultBatch.h"
#include "data/recordset/SortState.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

RecordSet::RecordSet() = default;
RecordSet::~RecordSet() = default;

void RecordSet::Open(Command& source, CursorTypeEnum, LockTypeEnum, int, WorkProgress* progress)
{
    // Every cursor here is a client cursor over a fetched result: cursor type, lock type
    // and options do not change how the rows are read.
    if (batch_)
        throw ERecordSetError(kObjectOpen);
    Connection* connection = source.ActiveConnection();
    if (!connection || connection->State() != adStateOpen)
        throw ERecordSetError(kConnectionUnusable);
    if (source.CommandText().empty())
        throw ERecordSetError(kNoCommandText);
    batch_ = connection->Execute(source.CommandText(), source.Parameters(), source.CommandTimeout(), maxRecords_, progress);
    SelectCurrentResult();
}

void RecordSet::SelectCurrentResult()
{
    table_ = batch_ ? batch_->Current() : nullptr;
    // Made here, not on first use: a sort prepared on another thread must find it.
    sortState_ = table_ ? std::make_unique<SortState>(*table_) : nullptr;
    sortText_.clear();
    position_ = table_ && table_->RowCount() > 0 ? 0 : -1;
}

bool RecordSet::NextRecordset()
{
    if (!batch_)
        throw ERecordSetError(kObjectClosed);
    const bool more = batch_->Advance();
    SelectCurrentResult();
    return more;
}

void RecordSet::Close()
{
    batch_.reset();
    SelectCurrentResult();
}

ObjectStateEnum RecordSet::State() const
{
    return table_ ? adStateOpen : adStateClosed;
}

void RecordSet::RequireOpen() const
{
    if (!table_)
        throw ERecordSetError(kObjectClosed);
}

void RecordSet::RequireRow() const
{
    RequireOpen();
    if (IsBOF() || IsEOF())
        throw ERecordSetError(kNoCurrentRecord);
}

int RecordSet::FieldCount() const
{
    RequireOpen();
    return table_->FieldCount();
}

const FieldInfo& RecordSet::Field(int index) const
{
    RequireOpen();
    if (index < 0 || index >= table_->FieldCount())
        throw ERecordSetError(kNoSuchItem);
    return table_->Field(index);
}

Variant RecordSet::Value(int index) const
{
    RequireRow();
    if (index < 0 || index >= table_->FieldCount())
        throw ERecordSetError(kNoSuchItem);
    return table_->Value(index, RowAt(position_));
}

std::int64_t RecordSet::RowAt(std::int64_t position) const
{
    return sortState_ ? sortState_->RowAt(position) : position;
}

void RecordSet::SetSort(const std::string& sortText)
{
    AdoptSort(PrepareSort(sortText));
}

SortOrder RecordSet::PrepareSort(const std::string& sortText) const
{
    RequireOpen();
    return sortState_->Compute(sortText);
}

void RecordSet::AdoptSort(SortOrder order)
{
    RequireOpen();
    const bool onRow = !IsBOF() && !IsEOF();
    const std::int64_t bookmark = onRow ? RowAt(position_) : -1;
    sortText_ = std::move(order.sortText);
    sortState_->Adopt(std::move(order));
    if (onRow)
        position_ = sortState_->PositionOf(bookmark);
}

std::size_t RecordSet::MemoryUsage() const
{
    std::size_t bytes = sizeof(*this);
    if (table_)
        bytes += table_->MemoryUsage();
    if (sortState_)
        bytes += sortState_->MemoryUsage();
    return bytes;
}

}  // namespace qelvor::recordset
