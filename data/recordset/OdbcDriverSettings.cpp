#include "data/recordset/OdbcDriverSettings.h"

#include <algorithm>
#include <cctype>

#include "data/recordset/ConnectionString.h"
#include "data/recordset/LinkSecurity.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

constexpr const char* kPostgresLeanFetch = "UseDeclareFetch=1;Fetch=10000";
constexpr const char* kWholeResultPlans = "set cursor_tuple_fraction=1";

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool Contains(const std::string& text, const char* part)
{
    return Lower(text).find(part) != std::string::npos;
}

}  // namespace

bool IsPostgresDriver(const std::string& driverName)
{
    return Lower(driverName).rfind("psqlodbc", 0) == 0;
}

bool NamesPostgresDriver(const std::string& connectionString)
{
    const auto driver = ConnectionString(connectionString).Find("Driver");
    return driver && (Contains(*driver, "postgres") || Contains(*driver, "psqlodbc"));
}

std::optional<std::string> WithLeanFetchSettings(const std::string& driverName, const std::string& connectionString)
{
    const ConnectionString settings(connectionString);
    if (!IsPostgresDriver(driverName) || settings.Has("UseDeclareFetch"))
        return std::nullopt;
    std::string completed = connectionString;
    if (!completed.empty() && completed.back() != ';')
        completed += ';';
    completed += kPostgresLeanFetch;
    const std::string own = settings.Find("ConnSettings").value_or("");
    // A brace would end the braced value early: leave such a user's settings alone.
    if (own.find('}') == std::string::npos)
        completed += std::string(";ConnSettings={") + kWholeResultPlans + (own.empty() ? "" : ";" + own) + "}";
    if (!settings.Has("CommLog"))
        completed += ";CommLog=0";
    return completed;
}

bool NamesMariaDbDriver(const std::string& connectionString)
{
    const auto driver = ConnectionString(connectionString).Find("Driver");
    return driver && (Contains(*driver, "mariadb") || Contains(*driver, "maodbc"));
}

namespace {

// A value as the connection-string reader takes it back unchanged (braced when needed).
std::string Braced(const std::string& value)
{
    if (value.find_first_of(";{}") == std::string::npos && !value.empty() && value.front() != ' ' && value.back() != ' ')
        return value;
    std::string text = "{";
    for (char c : value) {
        text += c;
        if (c == '}')
            text += '}';
    }
    return text + "}";
}

// A libpq parameter value, quoted.
std::string LibpqValue(const std::string& value)
{
    std::string text = "'";
    for (char c : value) {
        if (c == '\'' || c == '\\')
            text += '\\';
        text += c;
    }
    return text + "'";
}

}  // namespace

std::string WithDriverTlsKeywords(const std::string& connectionString)
{
    const ConnectionString settings(connectionString);
    const TlsSettings tls = ReadTlsSettings(settings);
    const bool postgres = NamesPostgresDriver(connectionString);
    const bool mariadb = !postgres && NamesMariaDbDriver(connectionString);
    if ((!postgres && !mariadb) || (tls.mode == EncryptMode::LibraryDefault && tls.caFile.empty()))
        return connectionString;
    std::string text = connectionString;
    const auto add = [&text, &settings](const char* key, const std::string& value) {
        if (value.empty() || settings.Has(key))
            return;
        if (!text.empty() && text.back() != ';')
            text += ';';
        text += std::string(key) + "=" + Braced(value);
    };
    if (postgres) {
        add("SSLmode", tls.mode == EncryptMode::Off ? "disable" : EncryptModeName(tls.mode));
        std::string libpq;
        for (const auto& [keyword, value] : {std::pair{"sslrootcert", tls.caFile}, std::pair{"sslcert", tls.clientCert},
                                             std::pair{"sslkey", tls.clientKey}})
            if (!value.empty())
                libpq += std::string(libpq.empty() ? "" : " ") + keyword + "=" + LibpqValue(value);
        add("pqopt", libpq);
        return text;
    }
    if (tls.VerifiesAuthority() && tls.caFile.empty())
        throw ERecordSetError(std::string("Encrypt=") + EncryptModeName(tls.mode)
                              + " needs the authority's certificate (CA File=PATH)");
    if (tls.Demands())
        add("FORCETLS", "1");
    if (tls.mode != EncryptMode::Off) {
        add("SSLCA", tls.caFile);
        add("SSLCERT", tls.clientCert);
        add("SSLKEY", tls.clientKey);
    }
    if (tls.mode == EncryptMode::VerifyFull)
        add("SSLVERIFY", "1");
    return text;
}

bool IsMariaDbDriver(const std::string& driverName)
{
    return Lower(driverName).rfind("libmaodbc", 0) == 0;
}

bool NarrowTextIsUtf8(const std::string& driverName, const std::string& connectionString, bool localeIsUtf8)
{
    // Only the Unicode build of the PostgreSQL driver sets the session to UTF-8.
    if (Lower(driverName).rfind("psqlodbcw", 0) == 0)
        return localeIsUtf8;
    if (IsMariaDbDriver(driverName)) {
        const std::string charset = Lower(ConnectionString(connectionString).Find("CHARSET").value_or(""));
        return charset == "utf8" || charset == "utf8mb4" || charset == "utf8mb3";
    }
    return false;
}

}  // namespace qelvor::recordset
