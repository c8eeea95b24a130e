// ConnectDialog: "连接数据库" — the user picks a configured ODBC data source or types a
// full connection string, gives user name and password (never echoed), the encryption mode
// and the authority's certificate file (chosen in a file dialog), and may test the
// connection first; the driver's own message is shown when it fails, and whether the
// tested link is encrypted and verified when it succeeds.
//
// OK connects once more and closes only when that succeeds, so the host never takes a
// choice that cannot connect. The controls keep their places whatever message shows. The last choice (without the password) is read from and
// written to the settings given.
#pragma once

#include <QDialog>
#include <QSettings>
#include <vector>

#include "host/ConnectionChoice.h"
#include "host/OdbcDataSources.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QScrollArea;

namespace qelvor::host {

class ConnectDialog : public QDialog {
public:
    ConnectDialog(QSettings& settings, std::vector<OdbcDataSource> sources, QWidget* parent = nullptr);

    // The connection string of the accepted choice (with the password).
    QString ChosenConnectionString() const { return BuildConnectionString(Choice()); }
    // The choice as the fields hold it now.
    ConnectionChoice Choice() const;

    // Tries the current choice; shows and returns whether it connected.
    bool TestConnection();
    void accept() override;

private:
    static constexpr int kStatusLines = 3;
    // The status label in a scrolled area of a fixed height.
    QScrollArea* StatusArea();
    void Restore(const ConnectionChoice& choice);
    void ChooseCaFile();

    QSettings& settings_;
    std::vector<OdbcDataSource> sources_;
    QListWidget* sourceList_ = nullptr;
    QLineEdit* stringEdit_ = nullptr;
    QLineEdit* userEdit_ = nullptr;
    QLineEdit* passwordEdit_ = nullptr;
    QComboBox* encryptBox_ = nullptr;   // the mode; its first item leaves the provider's default
    QLineEdit* caFileEdit_ = nullptr;   // the authority's certificate file
    QLabel* status_ = nullptr;
};

}  // namespace qelvor::host
