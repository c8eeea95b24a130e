#include "data/recordset/SessionSocket.h"

#include <dirent.h>
#include <netinet/in.h>
#include <linux/tcp.h>  // the kernel's tcp_info, with the byte counts glibc's lacks
#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace qelvor::recordset {

SessionSocket::Descriptors SessionSocket::OpenSockets()
{
    Descriptors sockets;
    DIR* folder = opendir("/proc/self/fd");
    if (folder == nullptr)
        return sockets;
    const int own = dirfd(folder);
    while (const dirent* entry = readdir(folder)) {
        char* end = nullptr;
        const long descriptor = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || descriptor == own)
            continue;
        struct stat info {};
        if (fstat(static_cast<int>(descriptor), &info) == 0 && S_ISSOCK(info.st_mode))
            sockets.emplace(static_cast<int>(descriptor), info.st_ino);
    }
    closedir(folder);
    return sockets;
}

SessionSocket SessionSocket::OpenedSince(const Descriptors& before)
{
    const Descriptors now = OpenSockets();
    Descriptors added;
    std::set_difference(now.begin(), now.end(), before.begin(), before.end(), std::inserter(added, added.end()));
    if (added.size() != 1)
        return {};
    return {added.begin()->first, added.begin()->second};
}

bool SessionSocket::StillOurs() const
{
    struct stat info {};
    return descriptor_ >= 0 && fstat(descriptor_, &info) == 0 && S_ISSOCK(info.st_mode) && info.st_ino == inode_;
}

std::optional<std::uint64_t> SessionSocket::BytesReceived() const
{
    if (!StillOurs())
        return std::nullopt;
    tcp_info info {};
    socklen_t size = sizeof info;
    if (getsockopt(descriptor_, IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return std::nullopt;
    return info.tcpi_bytes_received;
}

void SessionSocket::Shutdown() const
{
    if (StillOurs())
        shutdown(descriptor_, SHUT_RDWR);
}

}  // namespace qelvor::recordset
