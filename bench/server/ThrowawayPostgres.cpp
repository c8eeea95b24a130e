#include "ThrowawayPostgres.h"

#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "ChildProcess.h"
#include "data/recordset/ConnectionString.h"
#include "sampledata/SampleSchema.h"

namespace qelvor::bench {

namespace {

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string CommandLine(const std::vector<std::string>& argv)
{
    std::string line;
    for (const std::string& argument : argv)
        line += (line.empty() ? "" : " ") + ShellQuote(argument);
    return line;
}

// One CSV field: NULL is an empty unquoted field, any text is quoted.
void AppendCsvField(std::string& line, const unsigned char* text, int bytes)
{
    if (!text)
        return;
    line += '"';
    for (int i = 0; i < bytes; ++i) {
        if (text[i] == '"')
            line += '"';
        line += static_cast<char>(text[i]);
    }
    line += '"';
}

// Streams every row of `table` in the SQLite file into the server's table of that name.
void CopyTable(sqlite3* source, const std::string& table, const std::string& psqlLine)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(source, ("select * from " + table).c_str(), -1, &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(source));
    FILE* psql = popen((psqlLine + " -c " + ShellQuote("\\copy " + table + " from stdin csv")).c_str(), "w");
    if (!psql)
        throw std::runtime_error("cannot start psql");
    const int columns = sqlite3_column_count(statement);
    std::string line;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        line.clear();
        for (int column = 0; column < columns; ++column) {
            if (column > 0)
                line += ',';
            AppendCsvField(line, sqlite3_column_text(statement, column), sqlite3_column_bytes(statement, column));
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), psql);
    }
    sqlite3_finalize(statement);
    if (pclose(psql) != 0)
        throw std::runtime_error("psql could not copy " + table);
}

}  // namespace

ThrowawayPostgres::ThrowawayPostgres(std::string script) : script_(std::move(script))
{
    char folder[] = "/tmp/qelvor-bench-pg.XXXXXX";
    if (!mkdtemp(folder))
        throw std::runtime_error("mkdtemp failed");
    folder_ = folder;
    // Owned by this process: the server goes with it also when it is interrupted or a
    // time-out kills it, where the destructor never runs.
    odbc_ = ShellOutput(CommandLine({script_, "start", folder_, std::to_string(getpid())}));
    while (!odbc_.empty() && (odbc_.back() == '\n' || odbc_.back() == '\r'))
        odbc_.pop_back();
    port_ = recordset::ConnectionString(odbc_).Find("Port").value_or("5432");
}

ThrowawayPostgres::~ThrowawayPostgres()
{
    std::system(CommandLine({script_, "stop", folder_}).c_str());
}

std::vector<std::string> ThrowawayPostgres::Psql() const
{
    return {"psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", "127.0.0.1", "-p", port_, "-U", "postgres", "-d", "postgres"};
}

void ThrowawayPostgres::Run(const std::string& sql) const
{
    std::vector<std::string> argv = Psql();
    argv.insert(argv.end(), {"-c", sql});
    ShellOutput(CommandLine(argv));
}

void ThrowawayPostgres::LoadFrom(const std::string& sqliteFile) const
{
    Run(sample::kCreateOmr);
    Run(sample::kCreateBm);
    sqlite3* source = nullptr;
    if (sqlite3_open_v2(sqliteFile.c_str(), &source, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open " + sqliteFile);
    try {
        CopyTable(source, "t_omr", CommandLine(Psql()));
        CopyTable(source, "t_bm", CommandLine(Psql()));
    } catch (...) {
        sqlite3_close(source);
        throw;
    }
    sqlite3_close(source);
    Run("ANALYZE");
}

}  // namespace qelvor::bench
