// SessionSocket: the network link of a session whose client library keeps it to itself.
//
// An ODBC driver reads a whole result (or a large block of it) inside one call; nothing
// reaches the provider until that call returns, however steadily the server sends. The
// kernel still counts what arrives on the driver's socket, and shutting that socket down
// ends every wait on it at once. The socket is found as the one the driver's connect
// added to the process's open sockets.
//
// Invariant: the socket is identified by descriptor and inode together, so a descriptor
// that the driver closed and the process reused for something else is never touched.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <set>
#include <utility>

namespace qelvor::recordset {

class SessionSocket {
public:
    using Descriptors = std::set<std::pair<int, ino_t>>;

    // The process's open sockets now (descriptor and inode).
    static Descriptors OpenSockets();
    // The socket opened between `before` and now; none unless exactly one was.
    static SessionSocket OpenedSince(const Descriptors& before);

    SessionSocket() = default;
    bool Found() const { return descriptor_ >= 0; }
    // Bytes the kernel received on the link so far; none for a link that does not count
    // them (not TCP) or a socket that is gone.
    std::optional<std::uint64_t> BytesReceived() const;
    // Shuts the link down in both directions: a blocked read returns at once. Any thread.
    void Shutdown() const;

private:
    SessionSocket(int descriptor, ino_t inode) : descriptor_(descriptor), inode_(inode) {}
    bool StillOurs() const;

    int descriptor_ = -1;
    ino_t inode_ = 0;
};

}  // namespace qelvor::recordset
