#include "tools/orvexctl/ReportStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace orvexctl {
namespace {

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

ReportStream::ReportStream(std::string path) : m_path(std::move(path)) {}

ReportStream::~ReportStream() {
    if (m_fd >= 0) close(m_fd);
    if (!m_temp.empty() && !m_ended) unlink(m_temp.c_str());
}

bool ReportStream::Begin() {
    m_begun = true;
    if (m_path.empty()) return true;
    const auto slash = m_path.rfind('/');
    m_temp = (slash == std::string::npos ? std::string() : m_path.substr(0, slash + 1)) +
             ".orvexctl-report-XXXXXX";
    m_fd = mkstemp(m_temp.data());
    if (m_fd < 0) {
        m_error = errno;
        m_failed = "cannot create a file beside " + m_path;
        m_temp.clear();
        return false;
    }
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(m_fd, 0666 & ~mask);  // a report as any new file, not the temporary's 0600
    return true;
}

bool ReportStream::Add(const std::string& piece) {
    if (!m_begun && !Begin()) return false;
    if (m_error != 0) return false;
    if (m_path.empty()) {
        if (std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size()) {
            m_error = errno != 0 ? errno : EIO;
            m_failed = "cannot write the report to standard output";
        }
    } else if (!WriteAll(m_fd, piece)) {
        m_error = errno != 0 ? errno : EIO;
        m_failed = "cannot write the report to " + m_path;
    }
    return m_error == 0;
}

bool ReportStream::End() {
    if (!m_begun) Begin();
    m_ended = true;
    if (m_error == 0 && m_path.empty() && std::fflush(stdout) != 0) {
        m_error = errno != 0 ? errno : EIO;
        m_failed = "cannot write the report to standard output";
    }
    if (m_error == 0 && !m_path.empty()) {
        const bool synced = fsync(m_fd) == 0;
        if (!synced || close(m_fd) != 0) m_error = errno;
        m_fd = -1;
        if (m_error == 0 && std::rename(m_temp.c_str(), m_path.c_str()) != 0) m_error = errno;
        if (m_error != 0) m_failed = "cannot write the report to " + m_path;
    }
    if (m_error == 0) return true;
    if (!m_temp.empty()) unlink(m_temp.c_str());
    std::cerr << "orvexctl: " << m_failed << ": " << std::strerror(m_error) << std::endl;
    return false;
}

}  // namespace orvexctl
