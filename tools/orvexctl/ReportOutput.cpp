#include "tools/orvexctl/ReportOutput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace orvexctl {
namespace {

bool g_progressOnly = false;

bool Fail(const std::string& what, int error) {
    std::cerr << "orvexctl: " << what << ": " << std::strerror(error) << std::endl;
    return false;
}

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

bool ReportOutput::TakeOption(const Arguments& args, std::size_t& i, std::string* error) {
    if (args[i] != "--output") return false;
    if (i + 1 >= args.size() || args[i + 1].empty()) {
        *error = "--output needs a file name";
        return true;
    }
    m_path = args[++i];
    return true;
}

bool ReportOutput::Write(const std::string& report) const {
    if (m_path.empty()) {
        if (std::fwrite(report.data(), 1, report.size(), stdout) != report.size() ||
            std::fflush(stdout) != 0) {
            return Fail("cannot write the report to standard output", errno);
        }
        return true;
    }
    const auto slash = m_path.rfind('/');
    std::string temp = (slash == std::string::npos ? std::string() : m_path.substr(0, slash + 1)) +
                       ".orvexctl-report-XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return Fail("cannot create a file beside " + m_path, errno);
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);  // a report as any new file, not the temporary's 0600
    bool ok = WriteAll(fd, report) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(temp.c_str(), m_path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        return Fail("cannot write the report to " + m_path, error);
    }
    return true;
}

bool ReportOutput::CloseStandardOutput(int earlierError) {
    errno = earlierError;
    const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout) && earlierError == 0;
    const int error = errno;
    const bool closed = std::fclose(stdout) == 0;
    if (g_progressOnly) return true;
    if (!flushed) return Fail("cannot write to standard output", error != 0 ? error : EIO);
    if (!closed) return Fail("cannot close standard output", errno);
    return true;
}

void ReportOutput::StandardOutputIsProgressOnly() {
    g_progressOnly = true;
}

}  // namespace orvexctl
