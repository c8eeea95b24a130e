// qelvor-query: the browse window's search on the command line (see QueryOptions.h).
#include <cerrno>
#include <clocale>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "runtime/UsageError.h"
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
    try {
        // Nothing is printed unless the whole result was read from the database.
        if (!RunQuery(options, std::cout, std::cerr)) {
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
