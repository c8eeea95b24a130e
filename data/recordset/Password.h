// Password: a password that never appears on a command line.
//
// A password named on the command line ("--connect …;Pwd=…") can be read by every local
// user in the process list. The programs take it instead from a file only its owner can
// read (--password-file), from the client library's own conventions (libpq's PGPASSWORD and
// ~/.pgpass, the MariaDB library's MYSQL_PWD, which the libraries read themselves when the
// connection string gives no password), or by asking: a connect that the server refuses
// for want of a password raises EPasswordNeeded, and the program asks its user.
#pragma once

#include <string>

#include "runtime/Exceptions.h"

namespace qelvor::recordset {

class ConnectionString;

// The server wants a password and the connection string gave none (nor did the library's
// environment); the message is the server's.
class EPasswordNeeded : public ERecordSetError {
public:
    using ERecordSetError::ERecordSetError;
};

// The password in the file at path: its first line, without the line's end. Raises
// ERecordSetError when the file cannot be read, is no regular file, is not the user's own,
// or can be read or written by its group or others (it names the chmod that mends it).
std::string ReadPasswordFile(const std::string& path);

// Whether the connection string gives a password (a Pwd or Password that is not empty).
bool GivesPassword(const ConnectionString& settings);

// The connection string with password as its Pwd, in place of any Pwd or Password it had.
// Values are written braced where they need it, so that any character survives.
std::string WithPassword(const std::string& connectionString, const std::string& password);

}  // namespace qelvor::recordset
