#include "bench/common/CommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "runtime/UsageError.h"

namespace qelvor::bench {

CommandLine::CommandLine(std::string program, std::string purpose)
    : program_(std::move(program)), purpose_(std::move(purpose))
{
    AddFlag("--help", nullptr, "print this text and exit");
}

void CommandLine::AddCount(const std::string& name, std::int64_t* target, const std::string& help)
{
    options_.push_back({name, Kind::Count, target, help});
}

void CommandLine::AddText(const std::string& name, std::string* target, const std::string& help)
{
    options_.push_back({name, Kind::Text, target, help});
}

void CommandLine::AddTexts(const std::string& name, std::vector<std::string>* target, const std::string& help)
{
    options_.push_back({name, Kind::Texts, target, help});
}

void CommandLine::AddFlag(const std::string& name, bool* target, const std::string& help)
{
    options_.push_back({name, Kind::Flag, target, help});
}

void CommandLine::AddPositional(const std::string& label, std::string* target, const std::string& help)
{
    positionals_.push_back({label, target, help});
}

std::string CommandLine::Usage() const
{
    std::string synopsis = "usage: " + program_;
    std::string lines;
    for (const Positional& positional : positionals_) {
        synopsis += " [" + positional.label + "]";
        lines += "  " + positional.label + std::string(positional.label.size() < 14 ? 14 - positional.label.size() : 1, ' ')
               + positional.help + "\n";
    }
    for (const Option& option : options_) {
        const std::string form = option.name + (option.kind == Kind::Count ? " N" : option.kind == Kind::Flag ? "" : " TEXT");
        if (option.target)
            synopsis += " [" + form + "]";
        lines += "  " + form + std::string(form.size() < 14 ? 14 - form.size() : 1, ' ') + option.help + "\n";
    }
    return synopsis + "\n" + purpose_ + "\n" + lines;
}

const CommandLine::Option* CommandLine::Find(const std::string& name) const
{
    for (const Option& option : options_)
        if (option.name == name)
            return &option;
    return nullptr;
}

bool CommandLine::Store(const Option& option, const std::string& value, std::string& problem) const
{
    switch (option.kind) {
    case Kind::Count: {
        char* end = nullptr;
        errno = 0;
        const long long number = std::strtoll(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || errno != 0 || number <= 0) {
            problem = option.name + " needs a positive whole number, not \"" + value + "\"";
            return false;
        }
        *static_cast<std::int64_t*>(option.target) = number;
        return true;
    }
    case Kind::Text: *static_cast<std::string*>(option.target) = value; return true;
    case Kind::Texts: static_cast<std::vector<std::string>*>(option.target)->push_back(value); return true;
    case Kind::Flag: break;
    }
    problem = option.name + " takes no value";
    return false;
}

int CommandLine::Refuse(const std::string& problem) const
{
    return ReportUsageError(program_, problem, Usage());
}

int CommandLine::Parse(int argc, char** argv)
{
    std::size_t positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.size() < 2 || argument[0] != '-') {
            if (positional == positionals_.size())
                return Refuse("unexpected argument \"" + argument + "\"");
            *positionals_[positional++].target = argument;
            continue;
        }
        const std::size_t equals = argument.find('=');
        const Option* option = Find(argument.substr(0, equals));
        if (!option)
            return Refuse("unknown option \"" + argument + "\"");
        if (option->kind == Kind::Flag) {
            if (equals != std::string::npos)
                return Refuse(option->name + " takes no value");
            if (!option->target) {
                std::fputs(Usage().c_str(), stdout);
                return 0;
            }
            *static_cast<bool*>(option->target) = true;
            continue;
        }
        std::string value;
        if (equals != std::string::npos)
            value = argument.substr(equals + 1);
        else if (i + 1 < argc)
            value = argv[++i];
        else
            return Refuse(option->name + " needs a value");
        std::string problem;
        if (!Store(*option, value, problem))
            return Refuse(problem);
    }
    return -1;
}

int RunReportingFailures(const char* program, const std::function<int()>& body)
{
    try {
        return body();
    } catch (const std::exception& failure) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", program, failure.what());
        return 1;
    }
}

}  // namespace qelvor::bench
