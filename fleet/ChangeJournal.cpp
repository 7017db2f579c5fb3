#include "fleet/ChangeJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace orvex {
namespace {

constexpr long long kDefaultMaxMb = 64;

long long MaxBytes() {
    const char* text = std::getenv("ORVEX_JOURNAL_MAX_MB");
    char* end = nullptr;
    const long long mb = text ? std::strtoll(text, &end, 10) : 0;
    return (text && *end == '\0' && mb >= 1 && mb <= 1024 * 1024 ? mb : kDefaultMaxMb) * 1024 *
           1024;
}

int OpenLocked(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    while (flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int error = errno;
            close(fd);
            errno = error;
            return -1;
        }
    }
    return fd;
}

bool WriteAll(int fd, const std::string& text, std::size_t* done) {
    *done = 0;
    while (*done < text.size()) {
        const ssize_t n = write(fd, text.data() + *done, text.size() - *done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        *done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

ChangeJournal::ChangeJournal(std::string program, Reporter reporter, std::string path)
    : m_program(std::move(program)),
      m_reporter(std::move(reporter)),
      m_path(path.empty() ? DefaultPath() : std::move(path)) {}

std::string ChangeJournal::DefaultPath() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/orvex/journal.jsonl";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/") + "/.local/state/orvex/journal.jsonl";
}

bool ChangeJournal::MakeFolders(const std::string& folder) {
    for (std::size_t at = 0; at != std::string::npos;) {
        at = folder.find('/', at + 1);
        if (mkdir(folder.substr(0, at).c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

std::string ChangeJournal::RotatedPath(const std::string& path) {
    const std::string suffix = ".jsonl";
    if (path.size() > suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
        return path.substr(0, path.size() - suffix.size()) + ".1" + suffix;
    return path + ".1";
}

std::string ChangeJournal::UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string ChangeJournal::NewId() {
    unsigned char bytes[8] = {};
    if (getrandom(bytes, sizeof(bytes), 0) != static_cast<ssize_t>(sizeof(bytes))) {
        // No random source: the time and the process still tell changes apart.
        const auto now = static_cast<unsigned long long>(std::time(nullptr)) ^
                         (static_cast<unsigned long long>(getpid()) << 40);
        std::memcpy(bytes, &now, sizeof(bytes));
    }
    char text[17];
    for (int i = 0; i < 8; ++i) std::snprintf(text + 2 * i, 3, "%02x", bytes[i]);
    return text;
}

bool ChangeJournal::Append(Json::Value entry, std::string* why) {
    Json::Value line(Json::objectValue);
    line["time"] = UtcNow();
    line["program"] = m_program;
    for (const std::string& key : entry.getMemberNames()) line[key] = entry[key];
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    writer["emitUTF8"] = true;
    const std::string text = Json::writeString(writer, line) + "\n";
    std::lock_guard<std::mutex> guard(m_lock);
    std::string error;
    if (Write(text, &error)) return true;
    if (why) *why = error;
    if (!m_reported && m_reporter)
        m_reporter("cannot write the change journal " + m_path + ": " + error);
    m_reported = true;
    return false;
}

bool ChangeJournal::Rotate(int* fd, std::string* error) {
    struct stat now {};
    if (fstat(*fd, &now) != 0 || now.st_size < MaxBytes()) return true;
    if (std::rename(m_path.c_str(), RotatedPath(m_path).c_str()) != 0) {
        *error = std::string("cannot rotate the journal: ") + std::strerror(errno);
        return false;
    }
    close(*fd);
    *fd = OpenLocked(m_path);
    if (*fd < 0) *error = std::strerror(errno);
    return *fd >= 0;
}

bool ChangeJournal::Write(const std::string& line, std::string* error) {
    const auto slash = m_path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(m_path.substr(0, slash))) {
        *error = std::strerror(errno);
        return false;
    }
    int fd = -1;
    // Another writer may rotate the file while this one waits for the lock: write to the
    // file that has the name once the lock is held.
    for (int attempt = 0; attempt < 3; ++attempt) {
        fd = OpenLocked(m_path);
        if (fd < 0) {
            *error = std::strerror(errno);
            return false;
        }
        struct stat held {}, named {};
        if (fstat(fd, &held) == 0 && stat(m_path.c_str(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev)
            break;
        close(fd);
        fd = -1;
    }
    if (fd < 0) {
        *error = "the journal keeps being replaced";
        return false;
    }
    const auto fail = [&](const std::string& why) {
        close(fd);
        *error = why;
        return false;
    };
    if (!Rotate(&fd, error)) return fail(*error);
    struct stat before {};
    if (fstat(fd, &before) != 0) return fail(std::strerror(errno));
    std::string text = line;
    char last = '\n';
    if (before.st_size > 0 && pread(fd, &last, 1, before.st_size - 1) == 1 && last != '\n')
        text.insert(0, "\n");  // a torn last line stays a line of its own
    std::size_t written = 0;
    if (!WriteAll(fd, text, &written)) {
        const int writeError = errno;
        // Cut what the disk took of it, so that the file ends with a whole line again.
        const bool cut = written == 0 || ftruncate(fd, before.st_size) == 0;
        return fail(std::string(writeError != 0 ? std::strerror(writeError) : "short write") +
                    (written > 0 ? (cut ? " (the part written was cut off again)"
                                        : " (the part written could not be cut off)")
                                 : ""));
    }
    if (fdatasync(fd) != 0) return fail(std::strerror(errno));
    if (close(fd) != 0) {
        *error = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace orvex
