// LinkSecurity: the encryption keys of a connection string and what a server link turned
// out to be.
//
// Our own spelling (the README lists it):
//   Encrypt=off|prefer|require|verify-ca|verify-full
//   CA File=PATH   Client Cert=PATH   Client Key=PATH
// The client libraries' usual names are read too: libpq's sslmode (with its disable and
// allow), sslrootcert, sslcert, sslkey; the MariaDB driver's SSLCA, SSLCERT, SSLKEY and
// SSLVERIFY=1 (verify-full). Our spelling wins over an alias given as well. Without a mode,
// a named authority means verify-full (naming one and not checking it would be a trap),
// and without either the client library keeps its own default.
//
// Failures of an encrypted connect are said in words that name the fault (the server
// requires encryption, an authority not trusted, a certificate for another host name, an
// expired certificate), followed by the library's own text.
#pragma once

#include <optional>
#include <string>

namespace qelvor::recordset {

class ConnectionString;

enum class EncryptMode { LibraryDefault, Off, Prefer, Require, VerifyCa, VerifyFull };

struct TlsSettings {
    EncryptMode mode = EncryptMode::LibraryDefault;
    std::string caFile;      // the authority's certificate(s), PEM; empty: none named
    std::string clientCert;  // the client's certificate, PEM; empty: none
    std::string clientKey;   // its key; empty: none

    bool VerifiesAuthority() const { return mode == EncryptMode::VerifyCa || mode == EncryptMode::VerifyFull; }
    bool Demands() const { return mode == EncryptMode::Require || VerifiesAuthority(); }
};

// Reads the keys above; raises ERecordSetError for a mode it does not know.
TlsSettings ReadTlsSettings(const ConnectionString& settings);
// The mode as our spelling writes it ("verify-full"); "" for the library default.
const char* EncryptModeName(EncryptMode mode);

// What one open session's link is.
struct LinkSecurity {
    bool network = false;            // a link to a server (false: a local file)
    bool known = true;               // whether the rest is known (a driver may not tell)
    bool encrypted = false;          // TLS is in use
    bool authorityVerified = false;  // the server's certificate was checked against an authority
    bool hostVerified = false;       // and its name against the host connected to
    std::string protocol;            // "TLSv1.3", when known
    std::string cipher;              // the cipher suite, when known
};

// One line for a status bar: "Encrypted (TLSv1.3), server verified", "Not encrypted", ...
std::string DescribeLinkSecurity(const LinkSecurity& security);

// The kinds of failure an encrypted connect names.
enum class TlsFailure { None, EncryptionRequired, EncryptionUnavailable, UnknownAuthority, HostMismatch, Expired };

// What a client library's connect failure says, as one of the kinds (None: not one of them).
TlsFailure ClassifyTlsFailure(const std::string& libraryText);
// The failure in our words, with the library's text after them; libraryText alone for None.
std::string TlsFailureText(TlsFailure failure, const std::string& libraryText);

// Checks the server's certificate chain (leaf first, as the server sent it) against the
// authority in caFile, as a verifying connect would, and names what fails: for a library
// whose message says only that verification failed. None when the chain verifies or the
// check cannot be made. chain is OpenSSL's STACK_OF(X509), leaf is an X509.
TlsFailure DiagnoseCertificate(const void* leaf, const void* chain, const std::string& caFile);

}  // namespace qelvor::recordset
