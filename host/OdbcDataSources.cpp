#include "host/OdbcDataSources.h"

#include <sql.h>
#include <sqlext.h>

namespace qelvor::host {

namespace {

QString FromOdbc(const SQLWCHAR* text)
{
    // unixODBC's wide characters are UTF-16 code units.
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text));
}

void Collect(SQLHENV environment, SQLUSMALLINT first, bool system, std::vector<OdbcDataSource>& sources)
{
    SQLWCHAR name[SQL_MAX_DSN_LENGTH + 1];
    SQLWCHAR description[512];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    for (SQLUSMALLINT direction = first;; direction = SQL_FETCH_NEXT) {
        const SQLRETURN rc = SQLDataSourcesW(environment, direction, name, SQL_MAX_DSN_LENGTH + 1, &nameLength,
                                             description, 512, &descriptionLength);
        if (!SQL_SUCCEEDED(rc))
            return;
        sources.push_back({FromOdbc(name), FromOdbc(description), system});
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
