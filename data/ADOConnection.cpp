#include "data/ADOConnection.h"

#include <algorithm>

#include "data/DataSet.h"
#include "runtime/Exceptions.h"
#include "runtime/LongWork.h"

namespace qelvor {

TADOConnection::TADOConnection(std::string name)
    : TComponent(std::move(name)), connection_(std::make_unique<recordset::Connection>())
{
}

TADOConnection::~TADOConnection()
{
    BeginDestroy();
    // Clients learn of the destruction through their free notifications.
    connection_->Close();
}

const std::string& TADOConnection::ConnectionString() const
{
    return connection_->ConnectionString();
}

void TADOConnection::SetConnectionString(const std::string& value)
{
    if (Connected())
        DatabaseError("Cannot perform this operation on an open connection", Name());
    connection_->SetConnectionString(value);
}

bool TADOConnection::Connected() const
{
    return connection_->State() == recordset::adStateOpen;
}

void TADOConnection::SetConnected(bool connected)
{
    if (connected == Connected())
        return;
    if (connected) {
        if (BeforeConnect)
            BeforeConnect(*this);
        // A connect can wait for a server up to its time-out: long work, so that a window
        // stays painted and its user can cancel it (EWorkCancelled, silent).
        WorkProgress progress;
        recordset::Connection& connection = *connection_;
        RunLongWork(LongWorkKind::Connect, [&connection, &progress] { connection.Open({}, &progress); }, progress);
    }
    // Copy: a client may detach itself while it is told.
    const std::vector<Client> clients = clients_;
    for (const Client& client : clients) {
        if (client.onConnectChange)
            client.onConnectChange(connected);
    }
    if (connected) {
        if (AfterConnect)
            AfterConnect(*this);
    } else {
        connection_->Close();
    }
}

void TADOConnection::AttachClient(TComponent* client, TConnectChangeEvent onConnectChange)
{
    const auto known = std::find_if(clients_.begin(), clients_.end(), [client](const Client& c) { return c.component == client; });
    if (known != clients_.end()) {
        known->onConnectChange = std::move(onConnectChange);
        return;
    }
    clients_.push_back({client, std::move(onConnectChange)});
    if (auto* dataSet = dynamic_cast<TDataSet*>(client))
        clientDataSets_.push_back(dataSet);
    // Either side may go first; both drop their references then.
    FreeNotification(client);
    client->FreeNotification(this);
}

void TADOConnection::DetachClient(TComponent* client)
{
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(), [client](const Client& c) { return c.component == client; }),
                   clients_.end());
    clientDataSets_.erase(std::remove(clientDataSets_.begin(), clientDataSets_.end(), client), clientDataSets_.end());
    RemoveFreeNotification(client);
    client->RemoveFreeNotification(this);
}

void TADOConnection::EnsureConnected()
{
    if (!Connected())
        SetConnected(true);
}

bool TADOConnection::BackslashEscapesInLiterals()
{
    EnsureConnected();
    return connection_->BackslashEscapesInLiterals();
}

void TADOConnection::ReleaseIfIdle()
{
    if (!Connected() || keepConnection_ || InTransaction() || Loading())
        return;
    const bool anyActive = std::any_of(clientDataSets_.begin(), clientDataSets_.end(), [](const TDataSet* d) { return d->Active(); });
    if (!anyActive)
        Close();
}

void TADOConnection::Notification(TComponent* component, TOperation operation)
{
    if (operation != TOperation::opRemove)
        return;
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(), [component](const Client& c) { return c.component == component; }),
                   clients_.end());
    clientDataSets_.erase(std::remove(clientDataSets_.begin(), clientDataSets_.end(), component), clientDataSets_.end());
}

}  // namespace qelvor
