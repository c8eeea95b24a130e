#include "host/OdbcDataSources.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>

namespace qelvor::host {

namespace {

// The ini files hold the names as UTF-8 bytes. The driver manager's wide listing widens
// each byte on its own, which turns 考试库 into mojibake: the narrow listing gives the
// bytes as they stand.
QString FromOdbc(const SQLCHAR* text, SQLSMALLINT length)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(text), length);
}

void Collect(SQLHENV environment, SQLUSMALLINT first, bool system, std::vector<OdbcDataSource>& sources)
{
    SQLCHAR name[SQL_MAX_DSN_LENGTH * 4 + 1];
    SQLCHAR description[1024];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    for (SQLUSMALLINT direction = first;; direction = SQL_FETCH_NEXT) {
        const SQLRETURN rc = SQLDataSources(environment, direction, name, sizeof name, &nameLength, description,
                                            sizeof description, &descriptionLength);
        if (!SQL_SUCCEEDED(rc))
            return;
        const auto clamp = [](SQLSMALLINT length, std::size_t size) {
            return static_cast<SQLSMALLINT>(std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)), size - 1));
        };
        sources.push_back({FromOdbc(name, clamp(nameLength, sizeof name)),
                           FromOdbc(description, clamp(descriptionLength, sizeof description)), system});
    }
}

}  // namespace

std::vector<OdbcDataSource> ListOdbcDataSources()
{
    std::vector<OdbcDataSource> sources;
    SQLHENV environment = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment)))
        return sources;
    SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    Collect(environment, SQL_FETCH_FIRST_USER, false, sources);
    Collect(environment, SQL_FETCH_FIRST_SYSTEM, true, sources);
    SQLFreeHandle(SQL_HANDLE_ENV, environment);
    return sources;
}

}  // namespace qelvor::host
