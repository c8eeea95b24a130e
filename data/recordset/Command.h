// Command: a statement with its settings, bound to a connection.
#pragma once

#include <string>
#include <vector>

#include "data/recordset/RecordSetTypes.h"
#include "runtime/Variant.h"

namespace qelvor::recordset {

class Connection;

struct Parameter {
    std::string name;
    DataTypeEnum type = adVarWChar;
    std::int64_t size = 0;
    int precision = 0;
    int numericScale = 0;
    int direction = 1;  // input
    std::uint32_t attributes = 0;
    Variant value;
};

class Command {
public:
    Connection* ActiveConnection() const { return activeConnection_; }
    void SetActiveConnection(Connection* connection) { activeConnection_ = connection; }

    const std::string& CommandText() const { return commandText_; }
    void SetCommandText(const std::string& text) { commandText_ = text; }

    CommandTypeEnum CommandType() const { return commandType_; }
    void SetCommandType(CommandTypeEnum type) { commandType_ = type; }

    // Seconds; 30 by default, 0 = no limit.
    int CommandTimeout() const { return commandTimeout_; }
    void SetCommandTimeout(int seconds) { commandTimeout_ = seconds; }

    // Positional parameters for the "?" markers of the text.
    std::vector<Parameter>& Parameters() { return parameters_; }
    const std::vector<Parameter>& Parameters() const { return parameters_; }

private:
    Connection* activeConnection_ = nullptr;
    std::string commandText_;
    CommandTypeEnum commandType_ = adCmdText;
    int commandTimeout_ = 30;
    std::vector<Parameter> parameters_;
};

}  // namespace qelvor::recordset
