// ADOCommand: the statement, its parameters and its use of a connection.
//
// A query dataset owns one. Assigning the text scans it for named parameters (see
// ParameterScan.h) when CommandType is cmdText and ParamCheck is on. The command
// takes its connection lazily: the first entry added to ConnectionUses opens the
// connection if needed and binds the record-set command to it; removing the last
// entry lets an idle connection close (TADOConnection::ReleaseIfIdle).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/ADODataSet.h"
#include "data/recordset/Command.h"
#include "runtime/Component.h"

namespace qelvor {

class TADOConnection;
namespace recordset { class Connection; }

// Why a command currently needs its connection.
enum class TConnectionUse : unsigned { cuOpenRecordset = 1, cuParameterLookup = 2 };

class TADOCommand : public TComponent {
public:
    explicit TADOCommand(std::string name = {});
    ~TADOCommand() override;

    TADOConnection* Connection() const { return connection_; }
    // Clears the own connection string, detaches from the old connection and attaches
    // to the new one (with a connect-change callback).
    void SetConnection(TADOConnection* connection);
    // A connection string the command opens on its own when no connection is attached.
    const std::string& ConnectionString() const { return connectionString_; }
    void SetConnectionString(const std::string& value);

    // The text as assigned (the record-set command holds the scanned text).
    const std::string& CommandText() const { return commandText_; }
    void SetCommandText(const std::string& text);
    TCommandType CommandType() const { return commandType_; }
    void SetCommandType(TCommandType type);
    int CommandTimeout() const { return command_.CommandTimeout(); }
    void SetCommandTimeout(int seconds) { command_.SetCommandTimeout(seconds); }
    bool ParamCheck() const { return paramCheck_; }
    void SetParamCheck(bool check) { paramCheck_ = check; }
    // Positional parameters, one per "?" of the scanned text.
    std::vector<recordset::Parameter>& Parameters() { return command_.Parameters(); }

    // The record-set command that executes the statement.
    recordset::Command& AdoCommand() { return command_; }

    bool HasConnectionUse(TConnectionUse use) const { return (uses_ & static_cast<unsigned>(use)) != 0; }
    // The first use takes the connection; raises "Missing Connection or ConnectionString"
    // when there is nothing to take.
    void AddConnectionUse(TConnectionUse use);
    // Removing the last use lets an idle connection close.
    void RemoveConnectionUse(TConnectionUse use);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void TakeConnection();
    void ConnectChanged(bool connecting);

    TADOConnection* connection_ = nullptr;
    std::string connectionString_;
    std::unique_ptr<recordset::Connection> ownConnection_;  // opened from connectionString_
    std::string commandText_;
    TCommandType commandType_ = TCommandType::cmdText;
    bool paramCheck_ = true;
    recordset::Command command_;
    unsigned uses_ = 0;
};

// The record-set layer's value of a command type.
recordset::CommandTypeEnum ToAdo(TCommandType type);

}  // namespace qelvor
