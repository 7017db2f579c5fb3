#include "tools/orvexctl/PasswordInput.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>

namespace orvexctl {
namespace {

// The terminal a prompt has set to no echo, for the signal handlers below.
int g_tty = -1;
termios g_saved{};
termios g_quiet{};

// Ctrl-C, SIGTERM or Ctrl-Z at the prompt: the terminal gets its echo back before the
// signal takes effect (the default one: the process ends, or stops).
extern "C" void RestoreAndRaise(int signal) {
    tcsetattr(g_tty, TCSANOW, &g_saved);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);
}

// Back from Ctrl-Z: the prompt goes on without echo, and Ctrl-Z is caught again.
extern "C" void QuietAgain(int) {
    tcsetattr(g_tty, TCSANOW, &g_quiet);
    struct sigaction restore {};
    restore.sa_handler = &RestoreAndRaise;
    sigemptyset(&restore.sa_mask);
    sigaction(SIGTSTP, &restore, nullptr);
}

// The handlers for the time of the prompt, and the ones they replaced.
class PromptSignals {
public:
    PromptSignals() {
        struct sigaction restore {};
        restore.sa_handler = &RestoreAndRaise;
        sigemptyset(&restore.sa_mask);
        struct sigaction quiet {};
        quiet.sa_handler = &QuietAgain;
        sigemptyset(&quiet.sa_mask);
        quiet.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < 4; ++i) sigaction(kSignals[i], &restore, &m_previous[i]);
        sigaction(SIGCONT, &quiet, &m_previous[4]);
    }
    ~PromptSignals() {
        for (std::size_t i = 0; i < 4; ++i) sigaction(kSignals[i], &m_previous[i], nullptr);
        sigaction(SIGCONT, &m_previous[4], nullptr);
    }

private:
    static constexpr int kSignals[4] = {SIGINT, SIGTERM, SIGHUP, SIGTSTP};
    struct sigaction m_previous[5]{};
};

// Reads one line from the terminal with echo off; false when there is no terminal.
bool PromptWithoutEcho(const std::string& prompt, std::string* line) {
    const int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) return false;
    if (!isatty(STDIN_FILENO)) {
        close(tty);
        return false;
    }
    const bool haveTerm = tcgetattr(tty, &g_saved) == 0;
    std::optional<PromptSignals> signals;
    if (haveTerm) {
        g_tty = tty;
        g_quiet = g_saved;
        g_quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        signals.emplace();  // before echo goes off, so no signal can leave it off
        tcsetattr(tty, TCSAFLUSH, &g_quiet);
    }
    if (write(tty, prompt.data(), prompt.size()) < 0) {
        // the prompt is a courtesy; reading still works
    }
    line->clear();
    char c = 0;
    for (;;) {
        const ssize_t n = read(tty, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n != 1 || c == '\n' || c == '\r') break;
        line->push_back(c);
    }
    if (haveTerm) tcsetattr(tty, TCSAFLUSH, &g_saved);
    signals.reset();
    if (write(tty, "\n", 1) < 0) {
        // as above
    }
    g_tty = -1;
    close(tty);
    return true;
}

}  // namespace

bool PasswordInput::TakeOption(const std::string& option, const std::string* value,
                               std::string* error) {
    if (option != "--password" && option != "--password-file") return false;
    if (!value) {
        *error = option + " needs a value";
        return true;
    }
    if (option == "--password") {
        m_hasPassword = true;
        m_password = *value;
    } else {
        m_file = *value;
    }
    return true;
}

bool PasswordInput::Resolve(const std::string& account, const std::string& host,
                            std::string* password, std::string* error) const {
    if (m_hasPassword) {
        *password = m_password;
        return true;
    }
    if (!m_file.empty()) {
        std::ifstream in(m_file);
        if (!in) {
            *error = "cannot read the password file " + m_file;
            return false;
        }
        std::getline(in, *password);
        if (!password->empty() && password->back() == '\r') password->pop_back();
        return true;
    }
    if (const char* env = std::getenv("ORVEX_PASSWORD")) {
        *password = env;
        return true;
    }
    if (!PromptWithoutEcho("Password for " + account + "@" + host + ": ", password))
        password->clear();
    return true;
}

}  // namespace orvexctl
