#include "data/ADOCommand.h"

#include <algorithm>

#include "data/ADOConnection.h"
#include "data/ParameterScan.h"
#include "data/recordset/Connection.h"
#include "runtime/Exceptions.h"
#include "runtime/LongWork.h"

namespace qelvor {

recordset::CommandTypeEnum ToAdo(TCommandType type)
{
    switch (type) {
    case TCommandType::cmdUnknown: return recordset::adCmdUnknown;
    case TCommandType::cmdText: return recordset::adCmdText;
    case TCommandType::cmdTable: return recordset::adCmdTable;
    case TCommandType::cmdStoredProc: return recordset::adCmdStoredProc;
    case TCommandType::cmdFile: return recordset::adCmdFile;
    case TCommandType::cmdTableDirect: return recordset::adCmdTableDirect;
    }
    return recordset::adCmdText;
}

TADOCommand::TADOCommand(std::string name) : TComponent(std::move(name)) {}

TADOCommand::~TADOCommand()
{
    BeginDestroy();
    SetConnection(nullptr);
}

void TADOCommand::SetConnection(TADOConnection* connection)
{
    connectionString_.clear();
    ownConnection_.reset();
    if (connection == connection_)
        return;
    if (connection_)
        connection_->DetachClient(this);
    connection_ = connection;
    if (connection_)
        connection_->AttachClient(this, [this](bool connecting) { ConnectChanged(connecting); });
    command_.SetActiveConnection(nullptr);
}

void TADOCommand::SetConnectionString(const std::string& value)
{
    if (value == connectionString_)
        return;
    if (connection_)
        SetConnection(nullptr);
    connectionString_ = value;
    ownConnection_.reset();
    command_.SetActiveConnection(nullptr);
}

void TADOCommand::SetCommandType(TCommandType type)
{
    commandType_ = type;
    command_.SetCommandType(ToAdo(type));
}

void TADOCommand::SetCommandText(const std::string& text)
{
    commandText_ = text;
    if (commandType_ != TCommandType::cmdText || text.empty() || !paramCheck_) {
        command_.SetCommandText(text);
        if (!Loading())
            command_.Parameters().clear();
        return;
    }
    ScannedStatement scanned = ScanParameters(text);
    std::vector<recordset::Parameter> parameters;
    parameters.reserve(scanned.names.size());
    const std::vector<recordset::Parameter>& current = command_.Parameters();
    for (std::string& name : scanned.names) {
        recordset::Parameter parameter;
        const auto same = std::find_if(current.begin(), current.end(), [&](const auto& p) { return p.name == name; });
        if (same != current.end())
            parameter.value = same->value;
        parameter.name = std::move(name);
        parameters.push_back(std::move(parameter));
    }
    command_.SetCommandText(scanned.text);
    // Parameters of an earlier statement must not be bound to this one.
    command_.Parameters() = std::move(parameters);
}

void TADOCommand::AddConnectionUse(TConnectionUse use)
{
    if (uses_ == 0)
        TakeConnection();
    uses_ |= static_cast<unsigned>(use);
}

void TADOCommand::RemoveConnectionUse(TConnectionUse use)
{
    if (!HasConnectionUse(use))
        return;
    uses_ &= ~static_cast<unsigned>(use);
    if (uses_ == 0 && connection_)
        connection_->ReleaseIfIdle();
}

void TADOCommand::TakeConnection()
{
    if (command_.ActiveConnection() && command_.ActiveConnection()->State() == recordset::adStateOpen)
        return;
    if (!connectionString_.empty()) {
        if (!ownConnection_)
            ownConnection_ = std::make_unique<recordset::Connection>();
        if (ownConnection_->State() != recordset::adStateOpen) {
            // As the connection component connects: long work, which a window can cancel.
            WorkProgress progress;
            recordset::Connection& connection = *ownConnection_;
            const std::string& text = connectionString_;
            RunLongWork(LongWorkKind::Connect, [&connection, &text, &progress] { connection.Open(text, &progress); },
                        progress);
        }
        command_.SetActiveConnection(ownConnection_.get());
        return;
    }
    if (!connection_)
        throw EDatabaseError("Missing Connection or ConnectionString");
    connection_->EnsureConnected();
    command_.SetActiveConnection(&connection_->AdoConnection());
}

void TADOCommand::ConnectChanged(bool connecting)
{
    // A closed connection must be taken (reopened) again before the next use.
    if (!connecting)
        command_.SetActiveConnection(nullptr);
}

void TADOCommand::Notification(TComponent* component, TOperation operation)
{
    if (operation == TOperation::opRemove && component == connection_) {
        connection_ = nullptr;
        command_.SetActiveConnection(nullptr);
    }
}

}  // namespace qelvor
