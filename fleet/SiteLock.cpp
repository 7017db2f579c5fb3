#include "fleet/SiteLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "fleet/ChangeJournal.h"

namespace orvex {
namespace {

std::string HolderOf(int fd) {
    char text[32] = {};
    const ssize_t n = pread(fd, text, sizeof(text) - 1, 0);
    if (n <= 0) return "";
    std::string pid(text, static_cast<std::size_t>(n));
    pid = pid.substr(0, pid.find('\n'));
    return pid.find_first_not_of("0123456789") == std::string::npos ? pid : "";
}

}  // namespace

std::string SiteLock::Folder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/orvex";
    const std::string journal = ChangeJournal::DefaultPath();
    return journal.substr(0, journal.rfind('/'));
}

bool SiteLock::Holds(const std::string& adapter) const {
    return std::find(m_adapters.begin(), m_adapters.end(), adapter) != m_adapters.end();
}

bool SiteLock::Acquire(std::vector<std::string> adapters, double seconds,
                       const std::atomic<int>* stop, std::string* error) {
    Release();
    std::sort(adapters.begin(), adapters.end());
    adapters.erase(std::unique(adapters.begin(), adapters.end()), adapters.end());
    const std::string folder = Folder();
    if (!ChangeJournal::MakeFolders(folder)) {
        *error = "cannot make the lock folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                           std::chrono::duration<double>(seconds));
    for (const std::string& adapter : adapters) {
        const std::string path = folder + "/site-" + adapter + ".lock";
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            *error = "cannot open the lock " + path + ": " + std::strerror(errno);
            Release();
            return false;
        }
        while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK || errno == EINTR;
            if (!busy || std::chrono::steady_clock::now() >= until ||
                (stop && stop->load() != 0)) {
                const std::string pid = HolderOf(fd);
                *error = busy ? "another Orvex is changing cameras on " + adapter +
                                    (pid.empty() ? "" : " (pid " + pid + ")")
                              : "cannot lock " + path + ": " + std::strerror(errno);
                close(fd);
                Release();
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        // Ours now: say who holds it (a full disk only loses the pid from the message).
        const std::string pid = std::to_string(getpid()) + "\n";
        if (ftruncate(fd, 0) == 0 && pwrite(fd, pid.data(), pid.size(), 0) < 0) {
            // the lock holds all the same
        }
        m_fds.push_back(fd);
        m_adapters.push_back(adapter);
    }
    return true;
}

void SiteLock::Release() {
    for (int fd : m_fds) close(fd);  // closing the file gives up its lock
    m_fds.clear();
    m_adapters.clear();
}

}  // namespace orvex
