// RelayProcess: a relay to a real server in a process of its own (a script under
// tests/support/), as a proxy or a network in front of the server would be. The script
// prints the port it listens on, takes control lines on its standard input and ends with
// that input.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qelvor::recordset::test {

class RelayProcess {
public:
    RelayProcess(const std::string& script, const std::vector<std::string>& arguments);
    ~RelayProcess();
    RelayProcess(const RelayProcess&) = delete;
    RelayProcess& operator=(const RelayProcess&) = delete;

    std::uint16_t Port() const { return port_; }

protected:
    // Sends the relay a control line, and gives it a moment to read it before the next
    // connection comes.
    void Tell(const std::string& line);

private:
    pid_t process_ = -1;  // the relay's process, waited for by the destructor
    int control_ = -1;    // the relay's standard input
    std::uint16_t port_ = 0;
};

}  // namespace qelvor::recordset::test
