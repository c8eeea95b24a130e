#include "data/recordset/Password.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "data/recordset/ConnectionString.h"

namespace qelvor::recordset {

namespace {

// A password file is a line, not a document: anything longer is not what was meant.
constexpr std::size_t kMaxPasswordFile = 4096;

bool IsPasswordKey(const std::string& key)
{
    std::string lower;
    for (char c : key)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "pwd" || lower == "password";
}

// A value as the connection-string reader takes it back unchanged.
std::string Written(const std::string& value)
{
    const bool plain = value.find_first_of(";{}'\"") == std::string::npos
                    && (value.empty() || (!std::isspace(static_cast<unsigned char>(value.front()))
                                          && !std::isspace(static_cast<unsigned char>(value.back()))));
    if (plain)
        return value;
    std::string braced = "{";
    for (char c : value) {
        braced += c;
        if (c == '}')
            braced += '}';
    }
    return braced + "}";
}

// Closes the descriptor it was given on leaving.
struct OwnedDescriptor {
    int descriptor;
    ~OwnedDescriptor()
    {
        if (descriptor >= 0)
            close(descriptor);
    }
};

}  // namespace

std::string ReadPasswordFile(const std::string& path)
{
    const std::string name = "The password file \"" + path + "\"";
    const OwnedDescriptor file{open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
    if (file.descriptor < 0)
        throw ERecordSetError(name + " cannot be read: " + std::strerror(errno));
    struct stat facts {};
    if (fstat(file.descriptor, &facts) != 0)
        throw ERecordSetError(name + " cannot be read: " + std::strerror(errno));
    if (!S_ISREG(facts.st_mode))
        throw ERecordSetError(name + " is not a regular file");
    if (facts.st_uid != geteuid())
        throw ERecordSetError(name + " belongs to another user");
    if (facts.st_mode & (S_IRWXG | S_IRWXO))
        throw ERecordSetError(name + " can be read or changed by other users; allow only yourself: chmod 600 " + path);
    std::string content;
    char buffer[512];
    for (;;) {
        const ssize_t got = read(file.descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw ERecordSetError(name + " cannot be read: " + std::strerror(errno));
        if (got == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
        if (content.size() > kMaxPasswordFile)
            throw ERecordSetError(name + " is too long for a password");
    }
    // The first line is the password; an editor's final line end is not part of it.
    const std::size_t end = content.find('\n');
    if (end != std::string::npos)
        content.erase(end);
    if (!content.empty() && content.back() == '\r')
        content.pop_back();
    if (content.empty())
        throw ERecordSetError(name + " is empty");
    return content;
}

bool GivesPassword(const ConnectionString& settings)
{
    for (const auto& [key, value] : settings.Pairs())
        if (IsPasswordKey(key) && !value.empty())
            return true;
    return false;
}

std::string WithPassword(const std::string& connectionString, const std::string& password)
{
    const ConnectionString settings(connectionString);
    std::string text;
    for (const auto& [key, value] : settings.Pairs())
        if (!IsPasswordKey(key))
            text += key + "=" + Written(value) + ";";
    return text + "Pwd=" + Written(password);
}

}  // namespace qelvor::recordset
