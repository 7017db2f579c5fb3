#include "tests/support/ProcessRunner.h"

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace orvextest {

std::string ToolPath(const char* variable) {
    const char* path = std::getenv(variable);
    if (!path) throw std::runtime_error(std::string(variable) + " is not set");
    return path;
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input, std::function<void(int pid)> whileRunning,
                         std::function<void()> inChild) {
    int in[2], out[2], err[2];
    if (pipe(in) || pipe(out) || pipe(err)) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        if (inChild) inChild();
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (!input.empty() && write(in[1], input.data(), input.size()) < 0) {
        // the program may have exited without reading
    }
    close(in[1]);
    std::thread watcher;
    if (whileRunning) watcher = std::thread([whileRunning, pid] { whileRunning(pid); });
    ProcessResult result;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    char buffer[4096];
    while (open > 0) {
        poll(fds, 2, -1);
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof(buffer));
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (watcher.joinable()) watcher.join();
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

ProcessResult RunOnTerminal(const std::string& program, const std::vector<std::string>& args,
                            const std::string& prompt, const std::string& answer) {
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid < 0) return {};
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    ProcessResult result;
    bool answered = false;
    char buffer[4096];
    for (;;) {
        pollfd fd{terminal, POLLIN, 0};
        if (poll(&fd, 1, 30000) <= 0) break;
        const ssize_t n = read(terminal, buffer, sizeof(buffer));
        if (n <= 0) break;  // the program ended (EIO on the pseudo-terminal)
        result.out.append(buffer, static_cast<std::size_t>(n));
        if (!answered && result.out.find(prompt) != std::string::npos) {
            answered = true;
            if (write(terminal, answer.data(), answer.size()) < 0) break;
        }
    }
    close(terminal);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace orvextest
