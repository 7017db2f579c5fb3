#include "tools/orvexctl/PasswordInput.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace orvexctl {
namespace {

// Reads one line from the terminal with echo off; false when there is no terminal.
bool PromptWithoutEcho(const std::string& prompt, std::string* line) {
    const int tty = open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) return false;
    if (!isatty(STDIN_FILENO)) {
        close(tty);
        return false;
    }
    termios saved{};
    const bool haveTerm = tcgetattr(tty, &saved) == 0;
    if (haveTerm) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    if (write(tty, prompt.data(), prompt.size()) < 0) {
        // the prompt is a courtesy; reading still works
    }
    line->clear();
    char c = 0;
    while (read(tty, &c, 1) == 1 && c != '\n' && c != '\r') line->push_back(c);
    if (haveTerm) tcsetattr(tty, TCSAFLUSH, &saved);
    if (write(tty, "\n", 1) < 0) {
        // as above
    }
    close(tty);
    return true;
}

}  // namespace

bool PasswordInput::TakeOption(const std::string& option, const std::string* value, std::string* error) {
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

bool PasswordInput::Resolve(const std::string& account, const std::string& host, std::string* password,
                            std::string* error) const {
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
    if (!PromptWithoutEcho("Password for " + account + "@" + host + ": ", password)) password->clear();
    return true;
}

}  // namespace orvexctl
