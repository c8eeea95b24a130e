// HostOptions: the host program's command line.
//
//   --module PATH          the module to load (default: beside the executable)
//   --connect STRING       the database connection string (default: the demo database)
//   --password-file FILE   the password, on the first line of a file only its owner can read
//                          (a Pwd= in --connect is visible to every local user in the process list)
//   --demo-rows N          rows of a demo database made here (default 20,000)
//   --browse               opens the browse window right away
//   --screenshot FILE      writes a PNG of the browse window once shown, then closes it
//   --make-demo FILE       makes a demo database at FILE and exits
//   --high-contrast        shows every window in white on black
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace qelvor::host {

inline constexpr std::int64_t kDefaultDemoRows = 20000;
// The name the program gives itself in its usage text and messages.
inline constexpr const char* kHostProgramName = "qelvor-host";

struct HostOptions {
    QString modulePath;        // empty: beside the executable
    QString connectionString;  // empty: the demo database
    QString passwordFile;      // the file that holds the password; empty: none named
    QString password;          // read from passwordFile at start-up (never from the command line)
    std::int64_t demoRows = kDefaultDemoRows;
    bool browse = false;
    QString screenshotPath;
    QString makeDemoPath;
    bool highContrast = false;
};

// Parses arguments (argv[0] first). On a usage error returns nullopt and sets error;
// --help sets error to the usage text and helpRequested.
std::optional<HostOptions> ParseHostOptions(const QStringList& arguments, QString& error, bool& helpRequested);
// The usage text that --help prints and a refused command line follows.
QString HostUsageText();

}  // namespace qelvor::host
