// ADOConnection: the host's database connection component.
//
// The host creates it, sets ConnectionString and opens it; the module's datasets
// attach to it as clients. ReleaseIfIdle closes it when KeepConnection is off and no
// client dataset is active. The underlying session is AdoConnection().
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/Component.h"
#include "data/recordset/Connection.h"

namespace qelvor {

class TDataSet;

class TADOConnection : public TComponent {
public:
    using TConnectChangeEvent = std::function<void(bool connecting)>;

    explicit TADOConnection(std::string name = {});
    ~TADOConnection() override;

    const std::string& ConnectionString() const;
    // Only while closed; raises the open-connection error otherwise.
    void SetConnectionString(const std::string& value);
    bool Connected() const;
    // Opens or closes; opening raises ERecordSetError with the provider's message, or
    // EWorkCancelled when the user cancelled the connect (see runtime/LongWork.h).
    void SetConnected(bool connected);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }
    bool KeepConnection() const { return keepConnection_; }
    void SetKeepConnection(bool keep) { keepConnection_ = keep; }
    bool InTransaction() const { return false; }

    // The connection object of the record-set layer.
    recordset::Connection& AdoConnection() { return *connection_; }

    // Client registration; a dataset client is also listed in ClientDataSets.
    void AttachClient(TComponent* client, TConnectChangeEvent onConnectChange = {});
    void DetachClient(TComponent* client);
    const std::vector<TDataSet*>& ClientDataSets() const { return clientDataSets_; }

    // Opens when not connected.
    void EnsureConnected();
    // Whether the session reads a backslash inside a string literal as an escape.
    // Connects first when needed: whoever asks is about to send a statement.
    bool BackslashEscapesInLiterals();
    // Closes when connected, KeepConnection is off, no transaction, not loading and
    // no client dataset is active.
    void ReleaseIfIdle();

    std::function<void(TADOConnection&)> BeforeConnect, AfterConnect;

protected:
    // Drops a client that is destroyed without detaching.
    void Notification(TComponent* component, TOperation operation) override;

private:
    struct Client {
        TComponent* component;
        TConnectChangeEvent onConnectChange;
    };
    std::unique_ptr<recordset::Connection> connection_;
    std::vector<Client> clients_;
    std::vector<TDataSet*> clientDataSets_;
    bool keepConnection_ = true;
};

}  // namespace qelvor
