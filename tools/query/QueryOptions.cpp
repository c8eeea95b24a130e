#include "tools/query/QueryOptions.h"

namespace qelvor::query {

namespace {

// The member that receives the value of a valued option, or nullptr.
std::string* ValueTarget(QueryOptions& options, const std::string& name)
{
    if (name == "--connect")
        return &options.connect;
    if (name == "--password-file")
        return &options.passwordFile;
    if (name == "--start")
        return &options.start;
    if (name == "--end")
        return &options.end;
    if (name == "--sort") {
        options.hasSort = true;
        return &options.sort;
    }
    return nullptr;
}

}  // namespace

std::string UsageText()
{
    return "usage: qelvor-query --connect STR [--password-file FILE] [--start TEXT] [--end TEXT]\n"
           "                    [--sort \"SORT STRING\"] [--timing]\n"
           "  --connect STR   connection string: \"Provider=SQLite;Data Source=FILE\",\n"
           "                  \"Provider=PostgreSQL;Server=HOST;Database=DB;Uid=USER\" or an ODBC string;\n"
           "                  Encrypt=verify-full;CA File=FILE for a verified, encrypted link\n"
           "  --password-file FILE  the password, on the first line of a file only you can read\n"
           "                  (a Pwd= in --connect is visible to every local user in the process list);\n"
           "                  without one: PGPASSWORD or ~/.pgpass, MYSQL_PWD, or a prompt on a terminal\n"
           "  --start TEXT    start admission ticket number, as typed in the browse window (blanks\n"
           "                  at either end are dropped, full-width digits read as digits)\n"
           "  --end TEXT      end admission ticket number\n"
           "  --sort TEXT     sort string, e.g. \"准考证号 DESC, 姓名 ASC\"\n"
           "  --timing        print open and sort times to standard error\n"
           "Each value may also be given as --name=value (needed for values that begin with '-').\n"
           "Output: a header line of field names, then one line per record, tab-separated;\n"
           "tab, newline, carriage return and backslash in values are written as \\t, \\n, \\r, \\\\.\n"
           "Exit status: 0 success, 1 database failure, 2 usage error.\n";
}

QueryOptions ParseQueryOptions(const std::vector<std::string>& arguments)
{
    QueryOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (name == "--timing" || name == "--help" || name == "-h") {
            if (equals != std::string::npos)
                throw UsageError("option " + name + " takes no value");
            (name == "--timing" ? options.timing : options.help) = true;
            continue;
        }
        std::string* target = ValueTarget(options, name);
        if (!target)
            throw UsageError("unknown argument: " + argument);
        if (equals != std::string::npos) {
            *target = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            *target = arguments[++i];
        } else {
            throw UsageError("option " + name + " needs a value");
        }
    }
    if (!options.help && options.connect.empty())
        throw UsageError("missing --connect");
    return options;
}

}  // namespace qelvor::query
