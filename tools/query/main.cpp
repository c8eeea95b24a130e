// qelvor-query: the browse window's search on the command line (see QueryOptions.h).
#include <clocale>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

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
        std::cerr << "qelvor-query: " << error.what() << "\n" << UsageText();
        return 2;
    }
    if (options.help) {
        std::cout << UsageText();
        return 0;
    }
    try {
        // Nothing is printed unless the whole result was read.
        const std::string output = RunQuery(options, std::cerr);
        std::cout << output << std::flush;
        return std::cout ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "qelvor-query: " << error.what() << "\n";
        return 1;
    }
}
