// HostAddress: a server's host name turned into an address within a connect's bounds.
//
// Client libraries resolve a host name inside their connect call, where neither the
// connect's deadline nor a cancel reaches (a name server that does not answer holds the
// call for as long as the resolver's own retries last). The providers resolve the name
// first, with the C library's asynchronous lookup waited for through the ConnectAttempt,
// and hand the library the numeric address.
//
// A lookup given up on (the deadline, a cancel) may still be running inside the C
// library; its request stays allocated until the library is done with it, and is freed by
// a later lookup.
#pragma once

#include <optional>
#include <string>

namespace qelvor::recordset {

class ConnectAttempt;

// The numeric address of host (the first the resolver gives, IPv4 or IPv6), resolved within
// the attempt's bounds; raises ERecordSetError naming the host when it has none, the
// time-out, or EWorkCancelled. None for what needs no lookup: an empty host, a numeric
// address, a Unix-socket folder or path (starting with '/').
std::optional<std::string> ResolveHostWithin(const std::string& host, ConnectAttempt& attempt);

}  // namespace qelvor::recordset
