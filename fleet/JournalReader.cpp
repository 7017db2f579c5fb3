#include "fleet/JournalReader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "fleet/ChangeJournal.h"

namespace orvex {
namespace {

constexpr std::size_t kMaxLine = 1024 * 1024;
constexpr std::size_t kReadBlock = 64 * 1024;

// "" when `path` is a readable regular file or does not exist; else why not.
std::string Unreadable(const std::string& path, bool* exists) {
    struct stat st {};
    *exists = stat(path.c_str(), &st) == 0;
    if (!*exists) return errno == ENOENT ? "" : path + ": " + std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return path + ": " + std::strerror(EISDIR);
    if (!S_ISREG(st.st_mode)) return path + ": not a regular file";
    return "";
}

}  // namespace

JournalReader::JournalReader() {
    Json::CharReaderBuilder builder;
    builder["stackLimit"] = 64;
    builder["collectComments"] = false;
    m_parser.reset(builder.newCharReader());
}

JournalReader::~JournalReader() {
    if (m_file) std::fclose(m_file);
}

bool JournalReader::Open(const std::string& path, std::string* error) {
    for (const std::string& candidate : {ChangeJournal::RotatedPath(path), path}) {
        bool exists = false;
        const std::string why = Unreadable(candidate, &exists);
        if (!why.empty()) {
            *error = why;
            return false;
        }
        if (exists) m_paths.push_back(candidate);
    }
    return true;
}

bool JournalReader::Fill() {
    if (m_begin > 0) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_begin));
        m_begin = 0;
    }
    const std::size_t had = m_buffer.size();
    m_buffer.resize(had + kReadBlock);
    const std::size_t got = std::fread(m_buffer.data() + had, 1, kReadBlock, m_file);
    m_buffer.resize(had + got);
    return got > 0;
}

bool JournalReader::NextLine(std::string* line) {
    for (;;) {
        if (!m_file) {
            if (m_current >= m_paths.size()) return false;
            m_file = std::fopen(m_paths[m_current].c_str(), "rb");
            if (!m_file) {
                m_error = m_paths[m_current] + ": " + std::strerror(errno);
                return false;
            }
            m_buffer.clear();
            m_begin = 0;
            m_tooLong = false;
        }
        const char* start = m_buffer.data() + m_begin;
        const std::size_t held = m_buffer.size() - m_begin;
        const void* end = held > 0 ? std::memchr(start, '\n', held) : nullptr;
        if (end) {
            const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(end) - start);
            m_begin += length + 1;
            if (std::exchange(m_tooLong, false)) {
                ++m_skipped;
                continue;
            }
            line->assign(start, length);
            return true;
        }
        if (held > kMaxLine) {
            // Longer than any entry: dropped as it comes, up to its line end.
            m_tooLong = true;
            m_buffer.clear();
            m_begin = 0;
        }
        if (Fill()) continue;
        if (std::ferror(m_file)) m_error = m_paths[m_current] + ": " + std::strerror(errno);
        std::fclose(m_file);
        m_file = nullptr;
        ++m_current;
        if (!m_error.empty()) return false;
        // The last line of a file, without its line end.
        const bool torn = m_buffer.size() > m_begin;
        if (torn && !m_tooLong) {
            line->assign(m_buffer.data() + m_begin, m_buffer.size() - m_begin);
            m_buffer.clear();
            m_begin = 0;
            return true;
        }
        if (torn || m_tooLong) ++m_skipped;
        m_buffer.clear();
        m_begin = 0;
    }
}

bool JournalReader::Next(Json::Value* entry) {
    std::string line;
    while (NextLine(&line)) {
        if (line.empty() || line == "\r") continue;
        std::string errors;
        bool parsed = false;
        try {
            parsed = m_parser->parse(line.data(), line.data() + line.size(), entry, &errors);
        } catch (const Json::Exception&) {
            parsed = false;  // nested too deep: no entry of ours
        }
        const Json::Value& read = *entry;
        if (parsed && read.isObject() && read["time"].isString()) return true;
        ++m_skipped;
    }
    return false;
}

}  // namespace orvex
