#pragma once
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace orvex {

// Where a download's body goes: a file (save mode 0), opened only when the first byte of
// a good reply arrives so that an error page never truncates it, or a caller's buffer of
// fixed capacity (save mode 1), never written past.
class DownloadTarget {
public:
    DownloadTarget(int saveMode, std::string filePath, char* buffer, std::size_t capacity);
    // Stores body bytes; false with Failure() set (26 the file, 14 the buffer is full).
    bool Store(const char* data, std::size_t size);
    // Ends a good download: the file exists (an empty body makes an empty file) and is
    // flushed and closed; false with Failure() 26 when that fails.
    bool Finish();
    int Failure() const { return m_failure; }

private:
    struct Closer {
        void operator()(std::FILE* f) const {
            if (f) std::fclose(f);
        }
    };
    bool Open();

    int m_saveMode;
    std::string m_path;
    char* m_buffer;
    std::size_t m_capacity;
    std::size_t m_offset = 0;
    std::unique_ptr<std::FILE, Closer> m_file;
    int m_failure = 0;
};

}  // namespace orvex
