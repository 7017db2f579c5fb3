#include "tools/orvexctl/ReportOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "tools/orvexctl/ReportStream.h"

namespace orvexctl {
namespace {

bool g_progressOnly = false;

bool Fail(const std::string& what, int error) {
    std::cerr << "orvexctl: " << what << ": " << std::strerror(error) << std::endl;
    return false;
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
    ReportStream stream(m_path);
    stream.Add(report);
    return stream.End();
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
