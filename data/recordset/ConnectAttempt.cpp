#include "data/recordset/ConnectAttempt.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>

#include "data/recordset/ConnectionString.h"
#include "runtime/Assert.h"
#include "runtime/Exceptions.h"
#include "runtime/LongWork.h"

namespace qelvor::recordset {

namespace {

// Ours first; then what libpq and the ODBC drivers we know call it.
constexpr const char* kTimeoutKeys[] = {"Connect Timeout", "Connection Timeout", "ConnectTimeout",
                                        "connect_timeout", "CONN_TIMEOUT",       "LoginTimeout"};

std::optional<ConnectAttempt::Clock::time_point> DeadlineAfter(int seconds)
{
    if (seconds <= 0)
        return std::nullopt;
    return ConnectAttempt::Clock::now() + std::chrono::seconds(seconds);
}

}  // namespace

int ConnectTimeoutSeconds(const ConnectionString& settings)
{
    for (const char* key : kTimeoutKeys) {
        const auto value = settings.Find(key);
        if (!value)
            continue;
        std::size_t used = 0;
        long seconds = -1;
        try {
            seconds = std::stol(*value, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != value->size() || seconds < 0 || seconds > std::numeric_limits<int>::max())
            throw ERecordSetError(std::string("The connection string's ") + key + " is not a number of seconds: \"" +
                                  *value + "\"");
        return static_cast<int>(seconds);
    }
    return kDefaultConnectTimeoutSeconds;
}

std::string ConnectTimeoutKey(const ConnectionString& settings)
{
    const auto sameKey = [](const std::string& written, std::string_view key) {
        return std::equal(written.begin(), written.end(), key.begin(), key.end(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        });
    };
    for (const char* key : kTimeoutKeys)
        for (const auto& pair : settings.Pairs())
            if (sameKey(pair.first, key))
                return pair.first;
    return kTimeoutKeys[0];
}

ConnectAttempt::ConnectAttempt(std::string server, int timeoutSeconds, WorkProgress* progress, std::string timeoutKey)
    : server_(std::move(server)),
      timeoutKey_(std::move(timeoutKey)),
      timeoutSeconds_(timeoutSeconds),
      deadline_(DeadlineAfter(timeoutSeconds)),
      progress_(progress),
      wakeDescriptor_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    QELVOR_ASSERT(timeoutSeconds >= 0);
    if (wakeDescriptor_ < 0)
        throw ERecordSetError("Cannot wait for the server: no event descriptor left");
    if (progress_)
        progress_->SetHooks([this] { Cancel(); }, [this] { Cancel(); });
}

ConnectAttempt::~ConnectAttempt()
{
    if (progress_)
        progress_->SetHooks({}, {});  // returns once a hook that runs has ended
    close(wakeDescriptor_);
}

int ConnectAttempt::SecondsLeft() const
{
    if (!deadline_)
        return 0;
    const auto left = std::chrono::ceil<std::chrono::seconds>(*deadline_ - Clock::now()).count();
    return left < 1 ? 1 : static_cast<int>(left);
}

bool ConnectAttempt::Expired() const
{
    return deadline_ && Clock::now() >= *deadline_;
}

void ConnectAttempt::ThrowTimedOut() const
{
    throw ERecordSetError("The server " + server_ + " did not answer within " + std::to_string(timeoutSeconds_) +
                          (timeoutSeconds_ == 1 ? " second" : " seconds") +
                          " (the connection's time-out, \"" + timeoutKey_ + "\" in the connection string)");
}

void ConnectAttempt::ThrowIfOver() const
{
    if (Cancelled())
        throw EWorkCancelled();
    if (Expired())
        ThrowTimedOut();
}

void ConnectAttempt::WaitForSocket(int socket, Readiness readiness)
{
    WaitForSocketOrLibrary(socket, readiness == Readiness::Read ? POLLIN : POLLOUT, std::nullopt);
}

short ConnectAttempt::WaitForSocketOrLibrary(int socket, short events,
                                            std::optional<std::chrono::milliseconds> libraryWait)
{
    QELVOR_ASSERT(socket >= 0);
    const std::optional<Clock::time_point> libraryEnd =
        libraryWait ? std::optional<Clock::time_point>(Clock::now() + *libraryWait) : std::nullopt;
    for (;;) {
        ThrowIfOver();
        const Clock::time_point now = Clock::now();
        if (libraryEnd && now >= *libraryEnd)
            return 0;
        std::optional<Clock::time_point> end = deadline_;
        if (libraryEnd && (!end || *libraryEnd < *end))
            end = libraryEnd;
        int waitMs = -1;
        if (end) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*end - now).count();
            waitMs = static_cast<int>(std::clamp<std::int64_t>(left, 0, std::numeric_limits<int>::max()));
        }
        pollfd waits[2] = {{socket, events, 0}, {wakeDescriptor_, POLLIN, 0}};
        const int ready = poll(waits, 2, waitMs);
        if (ready < 0 && errno != EINTR)
            throw ERecordSetError("Cannot wait for the server " + server_);
        if (ready > 0 && waits[0].revents != 0 && !Cancelled())
            return waits[0].revents;  // ready, or an error the library will read from the socket itself
    }
}

void ConnectAttempt::Pause(std::chrono::milliseconds duration)
{
    const Clock::time_point end = Clock::now() + duration;
    for (Clock::time_point now = Clock::now(); now < end; now = Clock::now()) {
        if (Cancelled())
            throw EWorkCancelled();
        pollfd wake = {wakeDescriptor_, POLLIN, 0};
        poll(&wake, 1, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(end - now).count()));
    }
    if (Cancelled())
        throw EWorkCancelled();
}

void ConnectAttempt::Cancel()
{
    if (cancelled_.exchange(true, std::memory_order_acq_rel))
        return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeDescriptor_, &one, sizeof one);
}

}  // namespace qelvor::recordset
