#include "cgi/DownloadTarget.h"

#include <cstring>

namespace orvex {

DownloadTarget::DownloadTarget(int saveMode, std::string filePath, char* buffer,
                               std::size_t capacity)
    : m_saveMode(saveMode),
      m_path(std::move(filePath)),
      m_buffer(buffer),
      m_capacity(buffer ? capacity : 0) {}

bool DownloadTarget::Open() {
    if (m_saveMode != 0 || m_file) return true;
    m_file.reset(std::fopen(m_path.c_str(), "w+b"));
    if (!m_file) m_failure = 26;
    return m_file != nullptr;
}

bool DownloadTarget::Store(const char* data, std::size_t size) {
    if (!Open()) return false;
    if (m_saveMode == 0) {
        if (std::fwrite(data, 1, size, m_file.get()) != size) m_failure = 26;  // disk full
    } else if (m_offset + size > m_capacity) {
        m_failure = 14;  // the body does not fit the caller's buffer: refused, not cut
    } else {
        std::memcpy(m_buffer + m_offset, data, size);
        m_offset += size;
    }
    return m_failure == 0;
}

bool DownloadTarget::Finish() {
    if (!Open()) return false;
    if (m_file && (std::fflush(m_file.get()) != 0 || std::fclose(m_file.release()) != 0))
        m_failure = 26;
    return m_failure == 0;
}

}  // namespace orvex
