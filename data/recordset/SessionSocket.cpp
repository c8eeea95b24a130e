#include "data/recordset/SessionSocket.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <linux/tcp.h>  // the kernel's tcp_info, with the byte counts glibc's lacks
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace qelvor::recordset {

namespace {

// A TCP port of one end of the socket (local or peer); none for other kinds of socket.
std::optional<std::uint16_t> TcpPort(int descriptor, bool peer)
{
    sockaddr_storage address {};
    socklen_t size = sizeof address;
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    if ((peer ? getpeername(descriptor, raw, &size) : getsockname(descriptor, raw, &size)) != 0)
        return std::nullopt;
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    return std::nullopt;
}

bool HasPorts(int descriptor, std::uint16_t localPort, std::uint16_t peerPort)
{
    return TcpPort(descriptor, false) == localPort && TcpPort(descriptor, true) == peerPort;
}

// Calls visit with a duplicate of each of the process's open sockets and its inode, until
// visit returns true. A number may be closed and reused by another thread meanwhile: the
// duplicate is what is looked at.
void ForEachSocket(const std::function<bool(int, ino_t)>& visit)
{
    DIR* folder = opendir("/proc/self/fd");
    if (folder == nullptr)
        return;
    const int listing = dirfd(folder);
    while (const dirent* entry = readdir(folder)) {
        char* end = nullptr;
        const long number = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || number == listing)
            continue;
        const int own = fcntl(static_cast<int>(number), F_DUPFD_CLOEXEC, 0);
        if (own < 0)
            continue;
        struct stat info {};
        const bool stop = fstat(own, &info) == 0 && S_ISSOCK(info.st_mode) && visit(own, info.st_ino);
        close(own);
        if (stop)
            break;
    }
    closedir(folder);
}

bool SameAddress(const sockaddr* a, const sockaddr* b)
{
    if (a->sa_family != b->sa_family)
        return false;
    if (a->sa_family == AF_INET) {
        const auto* x = reinterpret_cast<const sockaddr_in*>(a);
        const auto* y = reinterpret_cast<const sockaddr_in*>(b);
        return x->sin_port == y->sin_port && x->sin_addr.s_addr == y->sin_addr.s_addr;
    }
    if (a->sa_family == AF_INET6) {
        const auto* x = reinterpret_cast<const sockaddr_in6*>(a);
        const auto* y = reinterpret_cast<const sockaddr_in6*>(b);
        return x->sin6_port == y->sin6_port && std::memcmp(&x->sin6_addr, &y->sin6_addr, sizeof x->sin6_addr) == 0;
    }
    return false;
}

}  // namespace

SessionSocket::Inodes SessionSocket::OpenSocketInodes()
{
    Inodes inodes;
    ForEachSocket([&inodes](int, ino_t inode) {
        inodes.insert(inode);
        return false;
    });
    return inodes;
}

namespace {

// The addresses host:port resolves to.
std::vector<sockaddr_storage> Resolve(const std::string& host, std::uint16_t port)
{
    addrinfo hints {};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    std::vector<sockaddr_storage> addresses;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return addresses;
    for (const addrinfo* address = found; address; address = address->ai_next) {
        sockaddr_storage copy {};
        std::memcpy(&copy, address->ai_addr, std::min<std::size_t>(address->ai_addrlen, sizeof copy));
        addresses.push_back(copy);
    }
    freeaddrinfo(found);
    return addresses;
}

// Calls visit with a duplicate of each socket opened since `before` whose peer is one of
// the addresses.
void ForEachNewLinkTo(const SessionSocket::Inodes& before, const std::vector<sockaddr_storage>& server,
                      const std::function<void(int)>& visit)
{
    ForEachSocket([&](int descriptor, ino_t inode) {
        if (before.count(inode))
            return false;
        sockaddr_storage peer {};
        socklen_t size = sizeof peer;
        if (getpeername(descriptor, reinterpret_cast<sockaddr*>(&peer), &size) != 0)
            return false;
        for (const sockaddr_storage& address : server)
            if (SameAddress(reinterpret_cast<const sockaddr*>(&peer), reinterpret_cast<const sockaddr*>(&address))) {
                visit(descriptor);
                break;
            }
        return false;
    });
}

}  // namespace

int SessionSocket::ShutdownLinksOpenedSince(const Inodes& before, const std::string& host, std::uint16_t port)
{
    int shut = 0;
    ForEachNewLinkTo(before, Resolve(host, port), [&shut](int descriptor) {
        shutdown(descriptor, SHUT_RDWR);
        ++shut;
    });
    return shut;
}

SessionSocket SessionSocket::LinkOpenedSince(const Inodes& before, const std::string& host, std::uint16_t port)
{
    std::vector<SessionSocket> found;
    ForEachNewLinkTo(before, Resolve(host, port), [&found](int descriptor) { found.push_back(Duplicate(descriptor)); });
    return found.size() == 1 ? std::move(found.front()) : SessionSocket();
}

SessionSocket SessionSocket::Duplicate(int descriptor)
{
    if (descriptor < 0)
        return {};
    const int own = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return {};
    struct stat info {};
    if (fstat(own, &info) != 0 || !S_ISSOCK(info.st_mode)) {
        close(own);
        return {};
    }
    return SessionSocket(own);
}

SessionSocket SessionSocket::FindByPorts(std::uint16_t localPort, std::uint16_t peerPort)
{
    int found = -1;
    ForEachSocket([&](int descriptor, ino_t) {
        if (!HasPorts(descriptor, localPort, peerPort))
            return false;
        found = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
        return true;
    });
    return found >= 0 ? SessionSocket(found) : SessionSocket();
}

SessionSocket::~SessionSocket()
{
    if (descriptor_ >= 0)
        close(descriptor_);
}

SessionSocket::SessionSocket(SessionSocket&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1))
{
}

SessionSocket& SessionSocket::operator=(SessionSocket&& other) noexcept
{
    if (this != &other) {
        if (descriptor_ >= 0)
            close(descriptor_);
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

std::optional<std::uint64_t> SessionSocket::BytesReceived() const
{
    if (descriptor_ < 0)
        return std::nullopt;
    tcp_info info {};
    socklen_t size = sizeof info;
    if (getsockopt(descriptor_, IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return std::nullopt;
    return info.tcpi_bytes_received;
}

void SessionSocket::Shutdown() const
{
    if (descriptor_ >= 0)
        shutdown(descriptor_, SHUT_RDWR);
}

}  // namespace qelvor::recordset
