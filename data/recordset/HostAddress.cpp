#include "data/recordset/HostAddress.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <signal.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "data/recordset/ConnectAttempt.h"
#include "runtime/Exceptions.h"

namespace qelvor::recordset {

namespace {

// One asynchronous lookup: the C library writes into it until gai_error says it is done.
struct Lookup {
    std::string host;
    addrinfo hints{};
    gaicb request{};

    explicit Lookup(std::string name) : host(std::move(name))
    {
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        request.ar_name = host.c_str();
        request.ar_request = &hints;
    }
    ~Lookup()
    {
        if (request.ar_result)
            freeaddrinfo(request.ar_result);
    }
    Lookup(const Lookup&) = delete;
    Lookup& operator=(const Lookup&) = delete;
};

// Lookups given up on while the library still ran them; freed once it has finished.
// Never destroyed, so that one still running at exit is not freed under the library.
class Abandoned {
public:
    static Abandoned& Instance()
    {
        static Abandoned* const instance = new Abandoned;
        return *instance;
    }
    void Keep(std::unique_ptr<Lookup> lookup)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        lookups_.push_back(std::move(lookup));
    }
    void FreeFinished()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::erase_if(lookups_, [](const std::unique_ptr<Lookup>& lookup) {
            return gai_error(&lookup->request) != EAI_INPROGRESS;
        });
    }

private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<Lookup>> lookups_;
};

bool IsNumeric(const std::string& host)
{
    unsigned char address[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), address) == 1 || inet_pton(AF_INET6, host.c_str(), address) == 1;
}

std::string AddressText(const addrinfo& info)
{
    char text[INET6_ADDRSTRLEN] = {};
    const void* address = info.ai_family == AF_INET6
                              ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(info.ai_addr)->sin6_addr)
                              : static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(info.ai_addr)->sin_addr);
    if (!inet_ntop(info.ai_family, address, text, sizeof text))
        return {};
    return text;
}

}  // namespace

std::optional<std::string> ResolveHostWithin(const std::string& host, ConnectAttempt& attempt)
{
    if (host.empty() || host.front() == '/' || IsNumeric(host))
        return std::nullopt;
    // An attempt already cancelled or over starts no lookup: a fast one would otherwise
    // finish before the loop below first looks at the attempt.
    attempt.ThrowIfOver();
    Abandoned::Instance().FreeFinished();
    auto lookup = std::make_unique<Lookup>(host);
    gaicb* list[] = {&lookup->request};
    sigevent none{};
    none.sigev_notify = SIGEV_NONE;
    if (getaddrinfo_a(GAI_NOWAIT, list, 1, &none) != 0)
        throw ERecordSetError("Cannot look up the server \"" + host + "\"");
    // The library tells no descriptor when it is done: short waits, between which the
    // attempt's deadline and cancel are looked at.
    constexpr timespec kLookInterval{0, 10'000'000};
    while (gai_error(&lookup->request) == EAI_INPROGRESS) {
        try {
            attempt.ThrowIfOver();
        } catch (...) {
            if (gai_cancel(&lookup->request) == EAI_NOTCANCELED)
                Abandoned::Instance().Keep(std::move(lookup));
            throw;
        }
        gai_suspend(list, 1, &kLookInterval);
    }
    const int result = gai_error(&lookup->request);
    if (result != 0 || !lookup->request.ar_result)
        throw ERecordSetError("The server \"" + host + "\" cannot be found: " + gai_strerror(result));
    const std::string address = AddressText(*lookup->request.ar_result);
    if (address.empty())
        throw ERecordSetError("The server \"" + host + "\" cannot be found");
    return address;
}

}  // namespace qelvor::recordset
