// Encrypted links on the native providers, against throwaway servers that speak TLS only,
// with an authority, a wrong authority and an expired certificate made by openssl:
// - a session in clear is refused, and the message says the server requires encryption;
// - a verifying connect succeeds and the connection reports the link encrypted and verified;
// - a wrong authority, a host name the certificate does not bear and an expired
//   certificate each fail with words that name the fault;
// - the libraries' own key names work as ours do;
// - a search over the encrypted link returns the rows it returns over SQLite.
// And without servers: the keys as read, the failure texts as classified, the certificate
// check that names what libpq does not.
#include <gtest/gtest.h>

#include <openssl/pem.h>
#include <openssl/x509.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "data/recordset/Connection.h"
#include "data/recordset/ConnectionString.h"
#include "data/recordset/LinkSecurity.h"
#include "data/recordset/OdbcDriverSettings.h"
#include "data/recordset/Password.h"
#include "data/recordset/ResultBatch.h"
#include "data/recordset/ResultTable.h"
#include "runtime/Exceptions.h"
#include "sampledata/SampleDatabase.h"
#include "tests/support/PrivateServer.h"

namespace qelvor::recordset::test {
namespace {

using qelvor::test::PrivateServer;

// The connection string's part after its driver, with the native provider in its place.
std::string NativeString(const PrivateServer& server, PrivateServer::Kind kind)
{
    const std::string& odbc = server.OdbcConnectionString();
    const std::string rest = odbc.substr(odbc.find(';'));
    return (kind == PrivateServer::Kind::Postgres ? "Provider=PostgreSQL" : "Provider=MariaDB") + rest
         + ";Connect Timeout=20";
}

// What opening text raises ("" when it opens).
std::string OpenFailure(const std::string& text)
{
    Connection connection;
    try {
        connection.Open(text);
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// Every row of the statement's first result, each as its values' texts joined by "|".
std::vector<std::string> Rows(Connection& connection, const std::string& statement)
{
    const auto batch = connection.Execute(statement, 60, 0);
    const ResultTable* table = batch->Current();
    std::vector<std::string> rows;
    if (!table)
        return rows;
    for (std::int64_t row = 0; row < table->RowCount(); ++row) {
        std::string text;
        for (int column = 0; column < table->FieldCount(); ++column)
            text += table->Value(column, row).ToString() + "|";
        rows.push_back(text);
    }
    return rows;
}

class EncryptedLinkTest : public ::testing::TestWithParam<PrivateServer::Kind> {
protected:
    // Each server starts at its first test (ctest runs each test in a process of its own).
    static void TearDownTestSuite()
    {
        delete postgres_;
        delete mariadb_;
        postgres_ = mariadb_ = nullptr;
    }

    void SetUp() override
    {
        PrivateServer*& server = GetParam() == PrivateServer::Kind::Postgres ? postgres_ : mariadb_;
        if (!server)
            server = new PrivateServer(GetParam(), true);
        if (!Server().Available()) {
            if (qelvor::test::ServerTestsRequired())
                FAIL() << Server().Problem();
            GTEST_SKIP() << Server().Problem();
        }
    }

    PrivateServer& Server() const { return GetParam() == PrivateServer::Kind::Postgres ? *postgres_ : *mariadb_; }
    bool IsPostgres() const { return GetParam() == PrivateServer::Kind::Postgres; }
    std::string Plain() const { return NativeString(Server(), GetParam()); }
    std::string Certificate(const std::string& name) const { return Server().CertificateDir() + "/" + name; }
    std::string Verifying(const std::string& authority = "ca.crt") const
    {
        return Plain() + ";Encrypt=verify-full;CA File=" + Certificate(authority);
    }

    static PrivateServer* postgres_;
    static PrivateServer* mariadb_;
};

PrivateServer* EncryptedLinkTest::postgres_ = nullptr;
PrivateServer* EncryptedLinkTest::mariadb_ = nullptr;

TEST_P(EncryptedLinkTest, ASessionInClearIsRefusedAsSuch)
{
    // Without a mode libpq tries TLS first (its default), the MariaDB library does not.
    std::vector<std::string> modes = {";Encrypt=off", ";sslmode=disable"};
    if (!IsPostgres())
        modes.push_back("");
    for (const std::string& mode : modes) {
        const std::string failure = OpenFailure(Plain() + mode);
        EXPECT_NE(failure.find("The server requires encryption"), std::string::npos) << mode << ": " << failure;
    }
}

TEST_P(EncryptedLinkTest, AVerifyingConnectSucceedsAndSaysSo)
{
    Connection connection;
    connection.Open(Verifying());
    const LinkSecurity security = connection.Security();
    EXPECT_TRUE(security.network);
    EXPECT_TRUE(security.encrypted);
    EXPECT_TRUE(security.authorityVerified);
    EXPECT_TRUE(security.hostVerified);
    EXPECT_EQ(security.protocol.rfind("TLSv1.", 0), 0u) << security.protocol;
    EXPECT_EQ(DescribeLinkSecurity(security), "Encrypted (" + security.protocol + "), server verified");
    // The server's own view of the session.
    const std::string check = IsPostgres() ? "SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()"
                                           : "SELECT VARIABLE_VALUE <> '' FROM information_schema.SESSION_STATUS "
                                             "WHERE VARIABLE_NAME = 'SSL_CIPHER'";
    const std::vector<std::string> rows = Rows(connection, check);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0] == "True|" || rows[0] == "1|" || rows[0] == "true|" || rows[0] == "-1|") << rows[0];

    // Encrypted without checking the server: said so.
    Connection unverified;
    unverified.Open(Plain() + ";Encrypt=require");
    const LinkSecurity loose = unverified.Security();
    EXPECT_TRUE(loose.encrypted);
    EXPECT_FALSE(loose.authorityVerified);
    EXPECT_FALSE(loose.hostVerified);
    EXPECT_NE(DescribeLinkSecurity(loose).find("not verified"), std::string::npos);
    // Offered and taken when only preferred.
    Connection preferred;
    preferred.Open(Plain() + ";Encrypt=prefer");
    EXPECT_TRUE(preferred.Security().encrypted);
}

TEST_P(EncryptedLinkTest, EachVerificationFailureIsNamed)
{
    const std::string authority = OpenFailure(Verifying("other-ca.crt"));
    EXPECT_NE(authority.find("not signed by a trusted authority"), std::string::npos) << authority;

    const std::string host = OpenFailure(Replaced(Verifying(), "Server=127.0.0.1", "Server=127.0.0.2"));
    EXPECT_NE(host.find("another host name"), std::string::npos) << host;
    // verify-ca does not look at the name.
    EXPECT_EQ(OpenFailure(Replaced(Plain(), "Server=127.0.0.1", "Server=127.0.0.2") + ";Encrypt=verify-ca;CA File="
                          + Certificate("ca.crt")),
              "");

    Server().Expire();
    const std::string expired = OpenFailure(Verifying());
    Server().Renew();
    EXPECT_NE(expired.find("has expired"), std::string::npos) << expired;
    EXPECT_EQ(OpenFailure(Verifying()), "");
}

TEST_P(EncryptedLinkTest, TheLibrariesOwnKeysWork)
{
    const std::string own = IsPostgres() ? ";sslmode=verify-full;sslrootcert=" + Certificate("ca.crt")
                                         : ";SSLVERIFY=1;SSLCA=" + Certificate("ca.crt");
    Connection connection;
    connection.Open(Plain() + own);
    EXPECT_TRUE(connection.Security().hostVerified);
    const std::string wrong = IsPostgres() ? ";sslmode=verify-full;sslrootcert=" + Certificate("other-ca.crt")
                                           : ";SSLVERIFY=1;SSLCA=" + Certificate("other-ca.crt");
    EXPECT_NE(OpenFailure(Plain() + wrong).find("trusted authority"), std::string::npos);
    // A client certificate and key, which the server accepts from its own authority.
    Connection withCertificate;
    withCertificate.Open(Verifying() + ";Client Cert=" + Certificate("client.crt") + ";Client Key="
                         + Certificate("client.key"));
    EXPECT_TRUE(withCertificate.Security().encrypted);
}

// A server that wants a password the connection string does not give: the library's own
// environment supplies it, and without one the connect says a password is needed.
TEST_P(EncryptedLinkTest, APasswordComesFromTheLibrarysEnvironmentOrIsAskedFor)
{
    const std::string password = "p;w}d 'x";
    Connection admin;
    if (IsPostgres()) {
        admin.Open(Verifying());
        admin.Execute("DROP ROLE IF EXISTS qelvor_password; CREATE ROLE qelvor_password LOGIN PASSWORD 'p;w}d ''x'", 30, 0);
    } else {
        admin.Open("Provider=MariaDB;Server=localhost;Uid=root;Socket=" + Server().Folder() + "/socket");
        admin.Execute("DROP USER IF EXISTS 'qelvor_password'@'127.0.0.1'; "
                      "CREATE USER 'qelvor_password'@'127.0.0.1' IDENTIFIED BY 'p;w}d ''x'; "
                      "GRANT SELECT ON qelvor.* TO 'qelvor_password'@'127.0.0.1'",
                      30, 0);
    }
    const std::string user = IsPostgres() ? "Uid=postgres" : "Uid=qelvor";
    const std::string withoutPassword = Replaced(Verifying(), user, "Uid=qelvor_password");
    const char* variable = IsPostgres() ? "PGPASSWORD" : "MYSQL_PWD";
    Connection refused;
    EXPECT_THROW(refused.Open(withoutPassword), EPasswordNeeded);
    setenv(variable, password.c_str(), 1);
    const std::string fromEnvironment = OpenFailure(withoutPassword);
    unsetenv(variable);
    EXPECT_EQ(fromEnvironment, "");
    EXPECT_EQ(OpenFailure(WithPassword(withoutPassword, password)), "");
    // A wrong password is the server's refusal, not a question.
    try {
        Connection wrong;
        wrong.Open(WithPassword(withoutPassword, "wrong"));
        ADD_FAILURE() << "a wrong password connected";
    } catch (const EPasswordNeeded&) {
        ADD_FAILURE() << "a wrong password asked again";
    } catch (const ERecordSetError&) {
    }
}

TEST_P(EncryptedLinkTest, ASearchReturnsWhatItReturnsOverSqlite)
{
    constexpr std::int64_t kSheets = 3000;
    constexpr std::uint64_t kSeed = 33;
    char pattern[] = "/tmp/qelvor-tls-sheets.XXXXXX";
    const int file = mkstemp(pattern);
    ASSERT_GE(file, 0);
    close(file);
    CreateSampleDatabase(pattern, kSheets, kSeed);
    Connection local;
    local.Open(std::string("Provider=SQLite;Data Source=") + pattern);

    Connection remote;
    remote.Open(Verifying());
    if (IsPostgres())
        remote.Execute("DROP SCHEMA IF EXISTS tls_search CASCADE; CREATE SCHEMA tls_search; SET search_path TO tls_search",
                       60, 0);
    LoadSampleRows(remote, kSheets, kSeed);
    const std::string search =
        "SELECT o.zkzh, o.qk, o.lwtth, b.bmh, b.xm FROM t_omr o LEFT JOIN t_bm b ON b.zkzh = o.zkzh "
        "WHERE o.zkzh LIKE '%17%' ORDER BY o.zkzh";
    const std::vector<std::string> expected = Rows(local, search);
    EXPECT_GT(expected.size(), 10u);
    EXPECT_EQ(Rows(remote, search), expected);
    std::remove(pattern);
}

INSTANTIATE_TEST_SUITE_P(Native, EncryptedLinkTest,
                         ::testing::Values(PrivateServer::Kind::Postgres, PrivateServer::Kind::MariaDb),
                         [](const auto& param) {
                             return param.param == PrivateServer::Kind::Postgres ? std::string("PostgreSQL")
                                                                                : std::string("MariaDB");
                         });

// The same servers through the ODBC drivers, our keys given as the drivers' own keywords.
class EncryptedOdbcLinkTest : public EncryptedLinkTest {
protected:
    std::string Plain() const { return Server().OdbcConnectionString() + ";Connect Timeout=20"; }
    std::string Verifying(const std::string& authority = "ca.crt") const
    {
        return Plain() + ";Encrypt=verify-full;CA File=" + Certificate(authority);
    }
};

TEST_P(EncryptedOdbcLinkTest, VerifiesAndNamesEachFailure)
{
    Connection connection;
    connection.Open(Verifying());
    const LinkSecurity security = connection.Security();
    EXPECT_TRUE(security.encrypted);
    EXPECT_TRUE(security.hostVerified);
    EXPECT_EQ(security.protocol.rfind("TLSv1.", 0), 0u) << security.protocol;

    const std::string refused = OpenFailure(Plain() + ";Encrypt=off");
    EXPECT_NE(refused.find("The server requires encryption"), std::string::npos) << refused;
    const std::string authority = OpenFailure(Verifying("other-ca.crt"));
    EXPECT_NE(authority.find("not signed by a trusted authority"), std::string::npos) << authority;
    const std::string host = OpenFailure(Replaced(Verifying(), "Server=127.0.0.1", "Server=127.0.0.2"));
    EXPECT_NE(host.find("another host name"), std::string::npos) << host;
    Server().Expire();
    const std::string expired = OpenFailure(Verifying());
    Server().Renew();
    EXPECT_NE(expired.find("has expired"), std::string::npos) << expired;
}

INSTANTIATE_TEST_SUITE_P(Odbc, EncryptedOdbcLinkTest,
                         ::testing::Values(PrivateServer::Kind::Postgres, PrivateServer::Kind::MariaDb),
                         [](const auto& param) {
                             return param.param == PrivateServer::Kind::Postgres ? std::string("PostgreSQL")
                                                                                 : std::string("MariaDB");
                         });

// The keys, with our spelling and the libraries' own.
TEST(EncryptionKeys, AreReadInEverySpelling)
{
    const TlsSettings ours =
        ReadTlsSettings(ConnectionString("Encrypt=Verify-CA;CA File=/a;Client Cert=/c;Client Key=/k"));
    EXPECT_EQ(ours.mode, EncryptMode::VerifyCa);
    EXPECT_EQ(ours.caFile, "/a");
    EXPECT_EQ(ours.clientCert, "/c");
    EXPECT_EQ(ours.clientKey, "/k");

    const TlsSettings libpq = ReadTlsSettings(ConnectionString("sslmode=disable;sslrootcert=/a;sslcert=/c;sslkey=/k"));
    EXPECT_EQ(libpq.mode, EncryptMode::Off);
    EXPECT_EQ(libpq.caFile, "/a");
    EXPECT_EQ(libpq.clientKey, "/k");
    EXPECT_EQ(ReadTlsSettings(ConnectionString("sslmode=allow")).mode, EncryptMode::Prefer);

    const TlsSettings maria = ReadTlsSettings(ConnectionString("SSLCA=/a;SSLCERT=/c;SSLKEY=/k"));
    EXPECT_EQ(maria.mode, EncryptMode::VerifyFull) << "an authority named without a mode is checked";
    EXPECT_EQ(maria.clientCert, "/c");
    EXPECT_EQ(ReadTlsSettings(ConnectionString("SSLCA=/a;SSLVERIFY=0")).mode, EncryptMode::VerifyCa);
    EXPECT_EQ(ReadTlsSettings(ConnectionString("SSLVERIFY=1")).mode, EncryptMode::VerifyFull);
    EXPECT_EQ(ReadTlsSettings(ConnectionString("SSLVERIFY=0")).mode, EncryptMode::LibraryDefault);
    EXPECT_EQ(ReadTlsSettings(ConnectionString("Server=x")).mode, EncryptMode::LibraryDefault);

    // Ours wins over an alias given as well.
    const TlsSettings both = ReadTlsSettings(ConnectionString("sslmode=require;Encrypt=off;SSLCA=/x;CA File=/y"));
    EXPECT_EQ(both.mode, EncryptMode::Off);
    EXPECT_EQ(both.caFile, "/y");

    EXPECT_THROW(ReadTlsSettings(ConnectionString("Encrypt=maybe")), ERecordSetError);
}

TEST(EncryptionKeys, BecomeTheDriversOwnKeywords)
{
    const ConnectionString postgres(WithDriverTlsKeywords(
        "Driver={PostgreSQL Unicode};Server=h;Encrypt=verify-ca;CA File=/a b/c'a.crt;Client Key=/k"));
    EXPECT_EQ(postgres.Find("SSLmode"), "verify-ca");
    EXPECT_EQ(postgres.Find("pqopt"), "sslrootcert='/a b/c\\'a.crt' sslkey='/k'");
    const ConnectionString maria(
        WithDriverTlsKeywords("Driver={MariaDB Unicode};Server=h;Encrypt=verify-full;CA File=/a;Client Cert=/c"));
    EXPECT_EQ(maria.Find("FORCETLS"), "1");
    EXPECT_EQ(maria.Find("SSLCA"), "/a");
    EXPECT_EQ(maria.Find("SSLCERT"), "/c");
    EXPECT_EQ(maria.Find("SSLVERIFY"), "1");
    EXPECT_FALSE(ConnectionString(WithDriverTlsKeywords("Driver={MariaDB Unicode};Encrypt=verify-ca;CA File=/a"))
                     .Has("SSLVERIFY"));
    // The driver's own keyword, given, stays as given; other drivers and DSNs are left alone.
    EXPECT_EQ(ConnectionString(WithDriverTlsKeywords("Driver={PostgreSQL Unicode};sslmode=require;Encrypt=off"))
                  .Find("sslmode"),
              "require");
    EXPECT_EQ(WithDriverTlsKeywords("DSN=exams;Encrypt=verify-full;CA File=/a"), "DSN=exams;Encrypt=verify-full;CA File=/a");
    EXPECT_THROW(WithDriverTlsKeywords("Driver={MariaDB Unicode};Encrypt=verify-full"), ERecordSetError);
}

TEST(EncryptionKeys, AVerifyingMariaDbModeWithoutAnAuthorityIsRefused)
{
    // Without an authority the library would accept any certificate.
    const std::string failure = OpenFailure("Provider=MariaDB;Server=127.0.0.1;Port=1;Encrypt=verify-full");
    EXPECT_NE(failure.find("needs the authority's certificate"), std::string::npos) << failure;
}

// The libraries' texts as they come (PostgreSQL 15's libpq, MariaDB Connector/C 3.3).
TEST(EncryptionFailures, AreClassifiedFromTheLibrariesTexts)
{
    struct Case {
        const char* text;
        TlsFailure kind;
    };
    const Case cases[] = {
        {"FATAL:  no pg_hba.conf entry for host \"127.0.0.1\", user \"postgres\", database \"postgres\", no encryption",
         TlsFailure::EncryptionRequired},
        {"server certificate for \"127.0.0.1\" does not match host name \"127.0.0.2\"", TlsFailure::HostMismatch},
        {"TLS/SSL error: Validation of SSL server certificate failed (SQLSTATE HY000)", TlsFailure::HostMismatch},
        {"TLS/SSL error: self-signed certificate in certificate chain (SQLSTATE HY000)", TlsFailure::UnknownAuthority},
        {"TLS/SSL error: certificate has expired (SQLSTATE HY000)", TlsFailure::Expired},
        {"server does not support SSL, but SSL was required", TlsFailure::EncryptionUnavailable},
        {"SSL error: certificate verify failed", TlsFailure::None},  // libpq: the chain is looked at
        {"password authentication failed for user \"x\"", TlsFailure::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyTlsFailure(c.text), c.kind) << c.text;
    EXPECT_EQ(TlsFailureText(TlsFailure::None, "as is"), "as is");
    EXPECT_EQ(TlsFailureText(TlsFailure::Expired, "lib"), "The server's certificate has expired: lib");
}

// The check that names why a chain failed, on certificates made by the servers' script.
TEST(EncryptionFailures, TheCertificateCheckNamesTheFault)
{
    char pattern[] = "/tmp/qelvor-certificates.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    ASSERT_EQ(std::system(("bash " QELVOR_SUPPORT_DIR "/tls_certificates.sh " + dir + " >/dev/null").c_str()), 0);
    const auto load = [&dir](const char* name) {
        FILE* file = std::fopen((dir + "/" + name).c_str(), "r");
        X509* certificate = file ? PEM_read_X509(file, nullptr, nullptr, nullptr) : nullptr;
        if (file)
            std::fclose(file);
        return std::unique_ptr<X509, decltype(&X509_free)>(certificate, X509_free);
    };
    const auto valid = load("server.crt");
    const auto expired = load("expired.crt");
    ASSERT_TRUE(valid && expired);
    EXPECT_EQ(DiagnoseCertificate(valid.get(), nullptr, dir + "/ca.crt"), TlsFailure::None);
    EXPECT_EQ(DiagnoseCertificate(expired.get(), nullptr, dir + "/ca.crt"), TlsFailure::Expired);
    EXPECT_EQ(DiagnoseCertificate(valid.get(), nullptr, dir + "/other-ca.crt"), TlsFailure::UnknownAuthority);
    EXPECT_EQ(DiagnoseCertificate(valid.get(), nullptr, dir + "/missing.crt"), TlsFailure::None);
    std::system(("rm -rf " + dir).c_str());
}

}  // namespace
}  // namespace qelvor::recordset::test
