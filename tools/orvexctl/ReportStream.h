#pragma once
#include <string>

namespace orvexctl {

// A report written piece by piece: to standard output, or to a file through a temporary
// file beside it that is renamed into place at the end, so that a reader never sees half a
// report. Every write is checked; after a failure the rest is dropped and End says why.
class ReportStream {
public:
    // `path` empty: standard output.
    explicit ReportStream(std::string path);
    ~ReportStream();
    ReportStream(const ReportStream&) = delete;
    ReportStream& operator=(const ReportStream&) = delete;

    bool Add(const std::string& piece);
    // Flushes (and renames the file into place); false after saying why on standard error.
    bool End();

private:
    bool Begin();

    std::string m_path;
    std::string m_temp;
    int m_fd = -1;
    bool m_begun = false;
    bool m_ended = false;
    int m_error = 0;  // the errno of the first failure
    std::string m_failed;  // what failed
};

}  // namespace orvexctl
