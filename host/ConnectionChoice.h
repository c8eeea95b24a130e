// ConnectionChoice: what the user picked in the connect dialog, and the connection
// string made from it.
//
// A configured ODBC data source (DSN) or a connection string typed in full; the user name,
// the password, the encryption mode and the authority's certificate file are added to
// either (as Encrypt= and CA File=, which every server provider reads). The password is used for connecting only: the
// remembered choice (QSettings) never holds it, neither in its own field nor inside a
// typed connection string.
#pragma once

#include <QSettings>
#include <QString>

namespace qelvor::host {

struct ConnectionChoice {
    QString dataSource;        // a configured DSN; empty when a string was typed
    QString connectionString;  // typed in full; used when dataSource is empty
    QString user;
    QString password;
    QString encrypt = {};  // off, prefer, require, verify-ca, verify-full; empty: the provider's default
    QString caFile = {};   // the authority's certificate file; empty: none named
};

// The connection string for the choice; empty when nothing was chosen. Values are braced
// where a ';', a brace or outer blanks would otherwise change their meaning.
QString BuildConnectionString(const ConnectionChoice& choice);

// The connection string without its password settings (PWD, Password).
QString WithoutPassword(const QString& connectionString);

// Stores the choice without any password; loads the last stored one.
void RememberChoice(QSettings& settings, const ConnectionChoice& choice);
ConnectionChoice RememberedChoice(QSettings& settings);

}  // namespace qelvor::host
