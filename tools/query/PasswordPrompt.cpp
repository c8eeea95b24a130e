#include "tools/query/PasswordPrompt.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace qelvor::query {

namespace {

// The terminal as it was, for the signal handler that puts it back.
int gTerminal = -1;
termios gSaved {};

void RestoreAndDie(int signal)
{
    tcsetattr(gTerminal, TCSAFLUSH, &gSaved);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// The terminal's echo off while it lives, with the interrupts that end the program meanwhile
// restoring it first.
class EchoOff {
public:
    explicit EchoOff(int terminal) : terminal_(terminal)
    {
        if (tcgetattr(terminal, &saved_) != 0)
            return;
        gTerminal = terminal;
        gSaved = saved_;
        for (int signal : kSignals)
            previous_[Index(signal)] = std::signal(signal, RestoreAndDie);
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        active_ = tcsetattr(terminal, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (!active_)
            return;
        tcsetattr(terminal_, TCSAFLUSH, &saved_);
        for (int signal : kSignals)
            std::signal(signal, previous_[Index(signal)]);
        gTerminal = -1;
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
    bool Active() const { return active_; }

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
    static std::size_t Index(int signal)
    {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            if (kSignals[i] == signal)
                return i;
        return 0;
    }

    const int terminal_;
    termios saved_ {};
    void (*previous_[std::size(kSignals)])(int) = {};
    bool active_ = false;
};

}  // namespace

std::optional<std::string> PromptPassword(const std::string& prompt, std::chrono::seconds bound)
{
    // The terminal of our own opening: standard input stays as it was given to us.
    const int terminal = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (terminal < 0)
        return std::nullopt;
    std::optional<std::string> answer;
    {
        EchoOff echoOff(terminal);
        if (echoOff.Active() && write(terminal, prompt.data(), prompt.size()) == static_cast<ssize_t>(prompt.size())) {
            const auto end = std::chrono::steady_clock::now() + bound;
            std::string line;
            for (;;) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
                if (left.count() <= 0)
                    break;
                pollfd wait = {terminal, POLLIN, 0};
                const int ready = poll(&wait, 1, static_cast<int>(left.count()));
                if (ready < 0 && errno == EINTR)
                    continue;
                if (ready <= 0)
                    break;
                char c = 0;
                const ssize_t got = read(terminal, &c, 1);
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                    break;
                if (c == '\n' || c == '\r') {
                    answer = line;
                    break;
                }
                line += c;
            }
        }
    }
    close(terminal);
    return answer;
}

}  // namespace qelvor::query
