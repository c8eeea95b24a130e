// HostWindow: the examination-management host's main window.
//
// It owns the database connection and the loaded module. Its action "卷面信息浏览"
// calls the module's ShowForm with the window's handle and the connection. The status
// bar names the database (without its password) while the start-up connect runs and
// once connected, at start and after the connect dialog alike, says whether the link to
// a server is encrypted and whether the server was verified, and shows the module's
// version at its right. A server that asks for a password the host was not given (by
// --password-file, the connection string or the client library's environment) gets one
// from a password box. The action "连接数据库…" opens the connect dialog and, when the
// user connects, the browse window uses the new connection (after a failed or cancelled
// connect from the dialog the previous connection stays). Failures (no module, a module without
// its exports, a connection that cannot be opened, a failure leaving ShowForm) are
// reported as messages and the host goes on running (after a failed connect without a
// connection, which its window says; browsing needs one); in unattended mode
// (--screenshot) they go to standard error only and the host ends with exit code 1.
#pragma once

#include <QMainWindow>
#include <memory>

#include "host/HostOptions.h"

class QAction;
class QLabel;

namespace qelvor {
class TADOConnection;
class TLongWorkWindowScope;
}

namespace qelvor::host {

class ModuleLoader;

class HostWindow : public QMainWindow {
public:
    explicit HostWindow(HostOptions options);
    ~HostWindow() override;

    // Opens the database and loads the module; opens the browse window when asked to.
    void Start();
    // Shows the module's browse window (the action's handler).
    void OpenBrowseWindow();
    // Lets the user pick a database in the connect dialog and switches to it.
    void ConnectToDatabase();

private:
    bool Unattended() const { return !options_.screenshotPath.isEmpty(); }
    void ReportError(const QString& message);
    void LoadModule();
    void OpenDatabase();
    // Opens connection; false (after saying why, unless the user cancelled) when it fails.
    // A server that wants a password gets one typed in a password box, once (not unattended).
    bool Connect(TADOConnection& connection);
    // Asks for the password the server wants; false when the user gives none.
    bool AskPassword(TADOConnection& connection, const QString& serverMessage);
    // Shows in the window whether a database is connected (and which), and allows browsing then.
    void ShowConnectionState(const QString& description);
    QString ConnectionString();
    void MakeDemoDatabaseWithProgress(const QString& path);
    void RunBrowseWindowOnce();

    HostOptions options_;
    QAction* browseAction_ = nullptr;
    QAction* connectAction_ = nullptr;
    QLabel* moduleState_ = nullptr;  // "No module loaded", or the module's name and version
    QLabel* linkState_ = nullptr;    // whether the database link is encrypted and verified
    std::unique_ptr<ModuleLoader> module_;
    std::unique_ptr<TLongWorkWindowScope> longWork_;  // connects wait with the window painted
    std::unique_ptr<TADOConnection> connection_;     // open, or none (not connected)
    bool failed_ = false;
};

}  // namespace qelvor::host
