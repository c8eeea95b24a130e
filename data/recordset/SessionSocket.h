// SessionSocket: the network link of a session, held for as long as the session lives.
//
// An ODBC driver reads a whole result (or a large block of it) inside one call; nothing
// reaches the provider until that call returns, however steadily the server sends. The
// kernel still counts what arrives on the session's socket, and shutting that socket down
// ends every wait on it at once (a forced stop).
//
// Invariant: the object holds a duplicate descriptor of its own for the socket, so the
// number it shuts down or reads can never have been closed and reused meanwhile for
// something else (another session, the display's connection, a log file): the socket
// stays open at least until the object ends. It is found by what identifies it — its
// descriptor as the client library reports it, or its TCP ports as the server reports
// them — never by which descriptors appeared while the session connected.
//
// Threads: made and destroyed by the session's owner; BytesReceived and Shutdown may be
// called from other threads while it lives.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace qelvor::recordset {

class SessionSocket {
public:
    // The socket behind descriptor (which the client library keeps using); none when it
    // is not a socket.
    static SessionSocket Duplicate(int descriptor);
    // The process's one TCP socket whose local port is localPort and whose peer's port is
    // peerPort (a TCP connection's local port is unique on the host); none otherwise.
    static SessionSocket FindByPorts(std::uint16_t localPort, std::uint16_t peerPort);

    // A connect that must end before its client library gives up (a deadline passed, a
    // cancel): the inodes of the process's sockets before it began, and the shutdown of
    // every TCP link to host:port opened since. Returns how many were shut.
    using Inodes = std::set<ino_t>;
    static Inodes OpenSocketInodes();
    static int ShutdownLinksOpenedSince(const Inodes& before, const std::string& host, std::uint16_t port);
    // The one TCP link to host:port opened since `before`; none when there is not exactly one.
    static SessionSocket LinkOpenedSince(const Inodes& before, const std::string& host, std::uint16_t port);

    SessionSocket() = default;
    ~SessionSocket();
    SessionSocket(SessionSocket&& other) noexcept;
    SessionSocket& operator=(SessionSocket&& other) noexcept;
    SessionSocket(const SessionSocket&) = delete;
    SessionSocket& operator=(const SessionSocket&) = delete;

    bool Found() const { return descriptor_ >= 0; }
    // Bytes the kernel received on the link so far; none for a link that does not count
    // them (not TCP) or when no socket was found.
    std::optional<std::uint64_t> BytesReceived() const;
    // Shuts the link down in both directions: a blocked read returns at once. Any thread.
    void Shutdown() const;

private:
    explicit SessionSocket(int descriptor) : descriptor_(descriptor) {}

    int descriptor_ = -1;  // our own duplicate of the session's socket, closed by us only
};

}  // namespace qelvor::recordset
