#include "data/recordset/LinkSecurity.h"

#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <memory>

#include "data/recordset/ConnectionString.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string FirstOf(const ConnectionString& settings, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (const auto value = settings.Find(name))
            return *value;
    return {};
}

bool Contains(const std::string& text, std::initializer_list<const char*> needles)
{
    return std::any_of(needles.begin(), needles.end(),
                       [&text](const char* needle) { return text.find(needle) != std::string::npos; });
}

}  // namespace

TlsSettings ReadTlsSettings(const ConnectionString& settings)
{
    TlsSettings tls;
    tls.caFile = FirstOf(settings, {"CA File", "sslrootcert", "SSLCA"});
    tls.clientCert = FirstOf(settings, {"Client Cert", "sslcert"});
    tls.clientKey = FirstOf(settings, {"Client Key", "sslkey"});
    const auto key = settings.Has("Encrypt") ? std::string("Encrypt") : std::string("SSLMode");
    if (const auto value = settings.Find(key); value && !value->empty()) {
        const std::string mode = Lower(*value);
        if (mode == "off" || mode == "disable" || mode == "no" || mode == "false")
            tls.mode = EncryptMode::Off;
        else if (mode == "prefer" || mode == "allow")
            tls.mode = EncryptMode::Prefer;
        else if (mode == "require" || mode == "yes" || mode == "true")
            tls.mode = EncryptMode::Require;
        else if (mode == "verify-ca")
            tls.mode = EncryptMode::VerifyCa;
        else if (mode == "verify-full")
            tls.mode = EncryptMode::VerifyFull;
        else
            throw ERecordSetError("The connection string's " + key + " is not one of off, prefer, require, verify-ca, "
                                  "verify-full: \"" + *value + "\"");
    } else if (const auto verify = settings.Find("SSLVERIFY"); verify && !verify->empty()) {
        // The driver checks the chain whenever an authority is named; SSLVERIFY adds the name.
        if (*verify != "0")
            tls.mode = EncryptMode::VerifyFull;
        else if (!tls.caFile.empty())
            tls.mode = EncryptMode::VerifyCa;
    } else if (!tls.caFile.empty()) {
        tls.mode = EncryptMode::VerifyFull;
    }
    return tls;
}

const char* EncryptModeName(EncryptMode mode)
{
    switch (mode) {
    case EncryptMode::LibraryDefault: return "";
    case EncryptMode::Off: return "off";
    case EncryptMode::Prefer: return "prefer";
    case EncryptMode::Require: return "require";
    case EncryptMode::VerifyCa: return "verify-ca";
    case EncryptMode::VerifyFull: return "verify-full";
    }
    return "";
}

std::string DescribeLinkSecurity(const LinkSecurity& security)
{
    if (!security.network)
        return "Local database";
    if (!security.known)
        return "Encryption unknown";
    if (!security.encrypted)
        return "Not encrypted";
    std::string text = "Encrypted";
    if (!security.protocol.empty())
        text += " (" + security.protocol + ")";
    if (security.hostVerified)
        return text + ", server verified";
    if (security.authorityVerified)
        return text + ", authority verified (host name not checked)";
    return text + ", server not verified";
}

TlsFailure ClassifyTlsFailure(const std::string& libraryText)
{
    const std::string text = Lower(libraryText);
    if (Contains(text, {"certificate has expired"}))
        return TlsFailure::Expired;
    // libpq names both names; the MariaDB library says only that the check failed, which it
    // says for nothing but the name once the chain has been accepted.
    if (Contains(text, {"does not match host name", "validation of ssl server certificate failed", "hostname mismatch"}))
        return TlsFailure::HostMismatch;
    if (Contains(text, {"self-signed certificate", "self signed certificate", "unable to get local issuer certificate",
                        "unable to get issuer certificate", "unable to verify the first certificate"}))
        return TlsFailure::UnknownAuthority;
    // A PostgreSQL server whose rules admit no session in clear over TCP.
    if (Contains(text, {"no encryption"}) && Contains(text, {"pg_hba.conf"}))
        return TlsFailure::EncryptionRequired;
    if (Contains(text, {"insecure transport", "secure transport"}))
        return TlsFailure::EncryptionRequired;
    if (Contains(text, {"server does not support ssl", "ssl connection is required", "ssl not supported",
                        "server doesn't support tls", "server does not support tls"}))
        return TlsFailure::EncryptionUnavailable;
    return TlsFailure::None;
}

std::string TlsFailureText(TlsFailure failure, const std::string& libraryText)
{
    const char* words = nullptr;
    switch (failure) {
    case TlsFailure::None: return libraryText;
    case TlsFailure::EncryptionRequired:
        words = "The server requires encryption (Encrypt=require, or verify-full with its authority's CA File)";
        break;
    case TlsFailure::EncryptionUnavailable: words = "The server does not offer encryption, which Encrypt demands"; break;
    case TlsFailure::UnknownAuthority:
        words = "The server's certificate is not signed by a trusted authority (check CA File)";
        break;
    case TlsFailure::HostMismatch:
        words = "The server's certificate is for another host name than the one connected to";
        break;
    case TlsFailure::Expired: words = "The server's certificate has expired"; break;
    }
    return std::string(words) + ": " + libraryText;
}

TlsFailure DiagnoseCertificate(const void* leaf, const void* chain, const std::string& caFile)
{
    if (!leaf || caFile.empty())
        return TlsFailure::None;
    const std::unique_ptr<X509_STORE, decltype(&X509_STORE_free)> store(X509_STORE_new(), X509_STORE_free);
    const std::unique_ptr<X509_STORE_CTX, decltype(&X509_STORE_CTX_free)> context(X509_STORE_CTX_new(),
                                                                                 X509_STORE_CTX_free);
    if (!store || !context || X509_STORE_load_file(store.get(), caFile.c_str()) != 1)
        return TlsFailure::None;
    X509* const certificate = const_cast<X509*>(static_cast<const X509*>(leaf));
    auto* const untrusted = const_cast<STACK_OF(X509)*>(static_cast<const STACK_OF(X509)*>(chain));
    if (X509_STORE_CTX_init(context.get(), store.get(), certificate, untrusted) != 1)
        return TlsFailure::None;
    if (X509_verify_cert(context.get()) == 1)
        return TlsFailure::None;
    switch (X509_STORE_CTX_get_error(context.get())) {
    case X509_V_ERR_CERT_HAS_EXPIRED: return TlsFailure::Expired;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_SIGNATURE_FAILURE: return TlsFailure::UnknownAuthority;
    default: return TlsFailure::None;
    }
}

}  // namespace qelvor::recordset
