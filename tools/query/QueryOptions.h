// QueryOptions: the command line of qelvor-query.
//
//   qelvor-query --connect STR [--password-file FILE] [--start TEXT] [--end TEXT]
//                [--sort "SORT STRING"] [--timing]
//
// Every option with a value also takes the form --name=value, which is the way to
// pass a value that begins with a dash. A repeated option keeps its last value.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace qelvor::query {

struct QueryOptions {
    std::string connect;
    std::string passwordFile;  // the file that holds the password; empty: none named
    std::string start;
    std::string end;
    std::string sort;
    bool hasSort = false;  // --sort given (an empty sort string restores statement order)
    bool timing = false;
    bool help = false;
};

// A malformed command line; the message says what is wrong.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name; raises UsageError.
QueryOptions ParseQueryOptions(const std::vector<std::string>& arguments);

// The usage text (several lines, ends with a newline).
std::string UsageText();

}  // namespace qelvor::query
