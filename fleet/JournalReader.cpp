#include "fleet/JournalReader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "fleet/ChangeJournal.h"

namespace orvex {
namespace {

constexpr std::size_t kMaxLine = 1024 * 1024;

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

bool JournalReader::NextLine(std::string* line) {
    for (;;) {
        if (!m_file) {
            if (m_current >= m_paths.size()) return false;
            m_file = std::fopen(m_paths[m_current].c_str(), "rb");
            if (!m_file) {
                m_error = m_paths[m_current] + ": " + std::strerror(errno);
                return false;
            }
        }
        line->clear();
        bool tooLong = false, any = false;
        for (int c; (c = getc_unlocked(m_file)) != EOF;) {
            any = true;
            if (c == '\n') break;
            if (line->size() < kMaxLine) {
                line->push_back(static_cast<char>(c));
            } else {
                tooLong = true;
            }
        }
        if (!any) {
            if (std::ferror(m_file)) m_error = m_paths[m_current] + ": " + std::strerror(errno);
            std::fclose(m_file);
            m_file = nullptr;
            ++m_current;
            if (!m_error.empty()) return false;
            continue;
        }
        if (tooLong) {
            ++m_skipped;
            continue;
        }
        return true;
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
