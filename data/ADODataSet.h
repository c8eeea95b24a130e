// ADODataSet: the query dataset that runs one statement over a TADOConnection.
//
// The whole result is fetched into a client-side record set on open; the dataset
// exposes it through the record window of TDataSet and can reorder the held rows
// by a sort string ("name ASC, other DESC") without asking the database again.
// TCustomADODataSet holds the behaviour; TADODataSet publishes it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/recordset/RecordSetTypes.h"

namespace qelvor {

class TADOConnection;
class TADOCommand;
namespace recordset { class RecordSet; }

enum class TCommandType { cmdUnknown, cmdText, cmdTable, cmdStoredProc, cmdFile, cmdTableDirect };
enum class TCursorLocation { clUseServer, clUseClient };
enum class TCursorType { ctUnspecified, ctOpenForwardOnly, ctKeyset, ctDynamic, ctStatic };
enum class TADOLockType { ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic };

class TCustomADODataSet : public TDataSet {
public:
    ~TCustomADODataSet() override;

    TADOConnection* Connection() const { return connection_; }
    // Attaches the dataset (and its inner command) to connection as a client.
    void SetConnection(TADOConnection* connection);
    const std::string& CommandText() const;
    // An equal text is ignored; a different one on an open dataset raises
    // "Cannot perform this operation on an open dataset".
    void SetCommandText(const std::string& text);
    TCommandType CommandType() const;
    void SetCommandType(TCommandType type);
    int CommandTimeout() const;
    void SetCommandTimeout(int seconds);
    bool ParamCheck() const;
    void SetParamCheck(bool check);
    TCursorLocation CursorLocation() const { return cursorLocation_; }
    TCursorType CursorType() const { return cursorType_; }
    TADOLockType LockType() const { return lockType_; }
    int CacheSize() const { return cacheSize_; }
    int MaxRecords() const { return maxRecords_; }
    bool EnableBCD() const { return enableBCD_; }
    void SetEnableBCD(bool enable) { enableBCD_ = enable; }
    // The inner command (statement, scanned text, parameters, connection uses).
    TADOCommand& Command() { return *command_; }

    // The record set's sort string; setting needs an open dataset.
    std::string Sort() const;
    void SetSort(const std::string& sortText);

    int RecordCount() const override;
    int RecNo() const override;
    void SetRecNo(int recordNumber) override;
    bool IsSequenced() const override;
    int CompareBookmarks(const TBookmark& first, const TBookmark& second) const override;
    bool BookmarkValid(const TBookmark& bookmark) override;

    // The open record set, or nullptr.
    recordset::RecordSet* Recordset() const { return recordSet_.get(); }
    // The fields named by the current sort text, in its order.
    const std::vector<TField*>& IndexFields() const { return indexFields_; }

protected:
    explicit TCustomADODataSet(std::string name = {});

    void InternalOpen() override;
    void InternalClose() override;
    void InternalFirst() override;
    void InternalLast() override;
    TGetResult GetRecord(int slot, TGetMode mode, bool doCheck) override;
    void InternalSetToRecord(int slot) override;
    void InternalGotoBookmark(const TBookmark& bookmark) override;
    Variant ReadFieldValue(int slot, const TField& field) override;
    bool InternalSetToRecordNumber(int recordNumber) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void CreateFields();
    void UpdateIndexFields();
    // Moves the record set onto the record of `slot` unless it is there already.
    void PositionOn(const RecordBuffer& buffer);

    std::vector<TField*> indexFields_;  // fields of the current sort, in key order
    TADOConnection* connection_ = nullptr;  // the connection the statement runs on (not owned)
    std::unique_ptr<TADOCommand> command_;  // the statement text and its parameters
    std::unique_ptr<recordset::RecordSet> recordSet_;  // the fetched result while open
    std::unique_ptr<recordset::RecordSet> retiredRecordSet_;  // the last closed one, until the next open
    TCursorLocation cursorLocation_ = TCursorLocation::clUseClient;  // where the result is held: always the client here
    TCursorType cursorType_ = TCursorType::ctKeyset;  // the cursor type asked for on open
    TADOLockType lockType_ = TADOLockType::ltOptimistic;  // the lock type asked for on open
    int cacheSize_ = 1;  // rows the record set reads at a time
    int maxRecords_ = 0;  // most rows fetched; 0: all
    bool enableBCD_ = true;  // decimal columns become BCD fields rather than floats
};

class TADODataSet : public TCustomADODataSet {
public:
    explicit TADODataSet(std::string name = {}) : TCustomADODataSet(std::move(name)) {}
};

}  // namespace qelvor
