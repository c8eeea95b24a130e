// Exceptions: the failure classes of the whole system.
//
// Every failure is an exception carrying a message (UTF-8). The windowing layer's
// message dispatch shows the message in a box; EAbort is the silent kind and shows
// nothing. Classes differ only so that callers and tests can tell the source apart.
#pragma once

#include <stdexcept>
#include <string>

namespace qelvor {

// Base of every failure the system raises on purpose.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    // The message as the user sees it (before the message box adds its full stop).
    std::string Message() const { return what(); }
};

// The silent failure: aborts the current operation without any message.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// Dataset, data source and data link errors ("%s: %s" with the component name).
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// A failure reported by the record-set layer or its provider, with the provider's
// own text and a result code (an HRESULT-like value; 0x80004005 when unspecified).
class ERecordSetError : public Exception {
public:
    ERecordSetError(const std::string& message, long resultCode = static_cast<long>(0x80004005))
        : Exception(message), resultCode_(resultCode) {}
    long ResultCode() const { return resultCode_; }

private:
    long resultCode_;
};

// Grid errors (e.g. the field map's limit).
class EGridError : public Exception {
public:
    using Exception::Exception;
};

// A module resource could not be loaded.
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

// Builds the "%s: %s" message of a named component; the text alone when unnamed.
std::string ComponentMessage(const std::string& componentName, const std::string& text);

// Raises EDatabaseError with ComponentMessage(componentName, text).
[[noreturn]] void DatabaseError(const std::string& text, const std::string& componentName = {});

}  // namespace qelvor
