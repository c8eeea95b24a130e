#include "data/recordset/OdbcLiteralStyle.h"

#include <sqlext.h>

#include <algorithm>
#include <cctype>

#include "data/recordset/OdbcSupport.h"
#include "data/recordset/Utf16.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool Contains(std::string_view text, std::string_view part)
{
    return Lower(text).find(Lower(part)) != std::string::npos;
}

bool PostgresEscapes(std::string_view standardConformingStrings)
{
    return Lower(standardConformingStrings) != "on";
}

bool MysqlEscapes(std::string_view sqlMode)
{
    return !Contains(sqlMode, "NO_BACKSLASH_ESCAPES");
}

// The first value of the one-row answer to statement, or none when anything fails.
std::optional<std::string> SingleValue(SQLHDBC connection, const std::string& statementText)
{
    try {
        const OdbcHandle statement(SQL_HANDLE_STMT, connection);
        std::u16string wide = ToUtf16(statementText);
        if (!SQL_SUCCEEDED(SQLExecDirectW(statement.Get(), reinterpret_cast<SQLWCHAR*>(wide.data()),
                                          static_cast<SQLINTEGER>(wide.size())))
            || !SQL_SUCCEEDED(SQLFetch(statement.Get())))
            return std::nullopt;
        SQLWCHAR value[1024] = {};
        SQLLEN length = 0;
        if (!SQL_SUCCEEDED(SQLGetData(statement.Get(), 1, SQL_C_WCHAR, value, sizeof value, &length))
            || length == SQL_NULL_DATA)
            return std::nullopt;
        std::string text;
        const auto* units = reinterpret_cast<const std::uint16_t*>(value);
        AppendUtf8(units, Utf16Length(units, std::size(value) - 1), text);
        return text;
    } catch (const ERecordSetError&) {
        return std::nullopt;  // no statement handle: the connection is gone
    }
}

}  // namespace

std::optional<BackslashSettingQuery> BackslashSettingQueryFor(std::string_view dbmsName)
{
    if (Contains(dbmsName, "PostgreSQL"))
        return BackslashSettingQuery{"SHOW standard_conforming_strings", &PostgresEscapes};
    if (Contains(dbmsName, "MySQL") || Contains(dbmsName, "MariaDB"))
        return BackslashSettingQuery{"SELECT @@SESSION.sql_mode", &MysqlEscapes};
    return std::nullopt;
}

bool OdbcBackslashEscapes(SQLHDBC connection)
{
    SQLWCHAR name[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(connection, SQL_DBMS_NAME, name, sizeof name, &length)))
        return true;
    std::string dbmsName;
    const auto* units = reinterpret_cast<const std::uint16_t*>(name);
    AppendUtf8(units, Utf16Length(units, std::size(name) - 1), dbmsName);
    const auto query = BackslashSettingQueryFor(dbmsName);
    if (!query)
        return false;
    const auto value = SingleValue(connection, query->statement);
    return !value || query->escapes(*value);
}

}  // namespace qelvor::recordset
