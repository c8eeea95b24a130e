// CommandLine: the benchmarks' option parsing and failure reporting.
//
// Each benchmark declares its options (with a value or without), at most a few
// positional arguments, and a one-line synopsis. "--help" prints the usage on standard
// output and ends with status 0; an unknown option, a missing or malformed value or a
// surplus argument prints the usage on standard error and ends with status 2. Values
// are given as "--name value" or "--name=value". RunReportingFailures turns an escaping
// exception (a database failure at any size) into a message and status 1, never an abort.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qelvor::bench {

class CommandLine {
public:
    // program: the executable's name; purpose: one line printed under the synopsis.
    CommandLine(std::string program, std::string purpose);

    // An option taking a positive whole number, stored in *target.
    void AddCount(const std::string& name, std::int64_t* target, const std::string& help);
    // An option taking any text; a repeatable one collects its values in order.
    void AddText(const std::string& name, std::string* target, const std::string& help);
    void AddTexts(const std::string& name, std::vector<std::string>* target, const std::string& help);
    // An option without a value that sets *target.
    void AddFlag(const std::string& name, bool* target, const std::string& help);
    // The next positional argument (optional) goes to *target.
    void AddPositional(const std::string& label, std::string* target, const std::string& help);

    // Parses the arguments after the program name. Returns -1 to go on, otherwise the
    // status to end with (usage already printed).
    int Parse(int argc, char** argv);

    // The usage text: synopsis, purpose and one line per option.
    std::string Usage() const;

private:
    enum class Kind { Count, Text, Texts, Flag };
    struct Option {
        std::string name;
        Kind kind;
        void* target;
        std::string help;
    };
    struct Positional {
        std::string label;
        std::string* target;
        std::string help;
    };

    const Option* Find(const std::string& name) const;
    bool Store(const Option& option, const std::string& value, std::string& problem) const;
    int Refuse(const std::string& problem) const;

    std::string program_;
    std::string purpose_;
    std::vector<Option> options_;
    std::vector<Positional> positionals_;
};

// Runs body and returns its status; an exception escaping it is printed as
// "program: message" on standard error and gives status 1.
int RunReportingFailures(const char* program, const std::function<int()>& body);

}  // namespace qelvor::bench
