// ADODataSet, lifecycle: connection, statement, opening and closing.
#include "data/ADODataSet.h"

#include "data/ADOCommand.h"
#include "data/ADOConnection.h"
#include "data/ADOFieldDefs.h"
#include "data/recordset/RecordSet.h"
#include "runtime/Exceptions.h"
#include "runtime/LongWork.h"

namespace qelvor {

namespace {

constexpr int kBookmarkSize = 16;

recordset::CursorLocationEnum ToAdo(TCursorLocation value)
{
    return value == TCursorLocation::clUseServer ? recordset::adUseServer : recordset::adUseClient;
}

recordset::CursorTypeEnum ToAdo(TCursorType value)
{
    switch (value) {
    case TCursorType::ctUnspecified: return recordset::adOpenUnspecified;
    case TCursorType::ctOpenForwardOnly: return recordset::adOpenForwardOnly;
    case TCursorType::ctKeyset: return recordset::adOpenKeyset;
    case TCursorType::ctDynamic: return recordset::adOpenDynamic;
    case TCursorType::ctStatic: return recordset::adOpenStatic;
    }
    return recordset::adOpenKeyset;
}

recordset::LockTypeEnum ToAdo(TADOLockType value)
{
    switch (value) {
    case TADOLockType::ltUnspecified: return recordset::adLockUnspecified;
    case TADOLockType::ltReadOnly: return recordset::adLockReadOnly;
    case TADOLockType::ltPessimistic: return recordset::adLockPessimistic;
    case TADOLockType::ltOptimistic: return recordset::adLockOptimistic;
    case TADOLockType::ltBatchOptimistic: return recordset::adLockBatchOptimistic;
    }
    return recordset::adLockOptimistic;
}

// Command types that run through the connection (a file or direct table does not).
bool UsesConnection(TCommandType type)
{
    return type != TCommandType::cmdFile && type != TCommandType::cmdTableDirect;
}

}  // namespace

TCustomADODataSet::TCustomADODataSet(std::string name)
    : TDataSet(std::move(name)), command_(std::make_unique<TADOCommand>())
{
}

TCustomADODataSet::~TCustomADODataSet()
{
    BeginDestroy();
    Close();
    if (connection_)
        connection_->DetachClient(this);
    command_->SetConnection(nullptr);
}

void TCustomADODataSet::SetConnection(TADOConnection* connection)
{
    if (connection == connection_)
        return;
    if (connection_)
        connection_->DetachClient(this);
    command_->SetConnection(connection);
    connection_ = connection;
    if (connection_)
        connection_->AttachClient(this);
    if (!Loading())
        DataEvent(TDataEvent::dePropertyChange, 0);
}

const std::string& TCustomADODataSet::CommandText() const
{
    return command_->CommandText();
}

void TCustomADODataSet::SetCommandText(const std::string& text)
{
    if (text == command_->CommandText())
        return;
    if (Active())
        DatabaseError("Cannot perform this operation on an open dataset", Name());
    command_->SetCommandText(text);
    if (!Loading())
        DataEvent(TDataEvent::dePropertyChange, 0);
}

TCommandType TCustomADODataSet::CommandType() const
{
    return command_->CommandType();
}

void TCustomADODataSet::SetCommandType(TCommandType type)
{
    command_->SetCommandType(type);
}

int TCustomADODataSet::CommandTimeout() const
{
    return command_->CommandTimeout();
}

void TCustomADODataSet::SetCommandTimeout(int seconds)
{
    command_->SetCommandTimeout(seconds);
}

bool TCustomADODataSet::ParamCheck() const
{
    return command_->ParamCheck();
}

void TCustomADODataSet::SetParamCheck(bool check)
{
    command_->SetParamCheck(check);
}

void TCustomADODataSet::InternalOpen()
{
    if (UsesConnection(CommandType()))
        command_->AddConnectionUse(TConnectionUse::cuOpenRecordset);
    if (command_->CommandText().empty())
        DatabaseError("Missing CommandText property", Name());

    // A new record set at every open: nothing of a previous result survives. It is opened
    // on the side, perhaps on a worker while the window repaints, and becomes the
    // dataset's only once the whole result is in.
    auto opened = std::make_unique<recordset::RecordSet>();
    opened->SetCursorLocation(ToAdo(cursorLocation_));
    opened->SetCacheSize(cacheSize_);
    opened->SetMaxRecords(maxRecords_);
    recordset::Command& source = command_->AdoCommand();
    const auto cursorType = ToAdo(cursorType_);
    const auto lockType = ToAdo(lockType_);
    const auto options = ToAdo(CommandType());
    WorkProgress progress;
    // The previous result is freed by the work too: freeing millions of rows takes the
    // window's thread tens of milliseconds, time the window would not repaint.
    std::unique_ptr<recordset::RecordSet> retired = std::move(retiredRecordSet_);
    RunLongWork(LongWorkKind::Search,
                [&retired, &opened, &source, cursorType, lockType, options, &progress] {
                    retired.reset();
                    opened->Open(source, cursorType, lockType, options, &progress);
                },
                progress);
    recordSet_ = std::move(opened);
    while (recordSet_->State() == recordset::adStateClosed) {
        if (!recordSet_->NextRecordset())
            DatabaseError("CommandText does not return a result set", Name());
    }

    SetUnidirectional(cursorType_ == TCursorType::ctOpenForwardOnly);
    SetBookmarkSize(recordSet_->SupportsBookmarks() ? kBookmarkSize : 0);
    if (DefaultFields())
        CreateFields();
    if (recordSet_->SupportsBookmarks() && recordSet_->SupportsMovePrevious())
        InternalFirst();
}

void TCustomADODataSet::CreateFields()
{
    std::vector<recordset::FieldInfo> columns;
    columns.reserve(static_cast<std::size_t>(recordSet_->FieldCount()));
    for (int i = 0; i < recordSet_->FieldCount(); ++i)
        columns.push_back(recordSet_->Field(i));
    for (const TFieldDef& def : FieldDefsOfColumns(columns, enableBCD_)) {
        if (!def.hidden)
            AddField(CreateField(this, def));
    }
}

void TCustomADODataSet::InternalClose()
{
    indexFields_.clear();
    // Kept until the next open frees it off the window's thread (or the dataset goes).
    retiredRecordSet_ = std::move(recordSet_);
    command_->RemoveConnectionUse(TConnectionUse::cuOpenRecordset);
}

void TCustomADODataSet::Notification(TComponent* component, TOperation operation)
{
    if (operation == TOperation::opRemove && component == connection_)
        connection_ = nullptr;
}

}  // namespace qelvor
