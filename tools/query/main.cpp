// qelvor-query: the browse window's search on the command line (see QueryOptions.h).
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "data/recordset/ConnectionString.h"
#include "data/recordset/Password.h"
#include "runtime/UsageError.h"
#include "tools/query/PasswordPrompt.h"
#include "tools/query/QueryOptions.h"
#include "tools/query/QueryRunner.h"

int main(int argc, char** argv)
{
    // ODBC converts between wide and narrow text with the process locale.
    std::setlocale(LC_ALL, "");
    using namespace qelvor::query;
    QueryOptions options;
    try {
        options = ParseQueryOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        return qelvor::ReportUsageError("qelvor-query", error.what(), UsageText());
    }
    if (options.help) {
        std::cout << UsageText();
        return 0;
    }
    using qelvor::recordset::WithPassword;
    try {
        if (!options.passwordFile.empty())
            options.connect = WithPassword(options.connect, qelvor::recordset::ReadPasswordFile(options.passwordFile));
        // Nothing is printed unless the whole result was read from the database, so a
        // connect refused for want of a password can be tried again once it is typed.
        bool done = false;
        try {
            done = RunQuery(options, std::cout, std::cerr);
        } catch (const qelvor::recordset::EPasswordNeeded&) {
            // Asked only of a person at a terminal; a script gets the server's refusal.
            if (!isatty(STDIN_FILENO) || qelvor::recordset::GivesPassword(qelvor::recordset::ConnectionString(options.connect)))
                throw;
            const auto password = PromptPassword("Password: ", std::chrono::minutes(5));
            if (!password)
                throw;
            options.connect = WithPassword(options.connect, *password);
            done = RunQuery(options, std::cout, std::cerr);
        }
        if (!done) {
            // A full disk or a closed pipe must not pass for a complete result.
            std::cerr << "qelvor-query: cannot write the result: " << std::strerror(errno) << "\n";
            return 1;
        }
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "qelvor-query: " << error.what() << "\n";
        return 1;
    }
}
