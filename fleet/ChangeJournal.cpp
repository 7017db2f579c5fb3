#include "fleet/ChangeJournal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

namespace orvex {
namespace {

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

// mkdir -p with mode 0700 for the folders it makes.
bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
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

bool ChangeJournal::Append(Json::Value entry) {
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
    if (!m_reported && m_reporter)
        m_reporter("cannot write the change journal " + m_path + ": " + error);
    m_reported = true;
    return false;
}

bool ChangeJournal::Write(const std::string& line, std::string* error) {
    if (!MakeFolders(m_path)) {
        *error = std::strerror(errno);
        return false;
    }
    const int fd = open(m_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    const ssize_t written = write(fd, line.data(), line.size());
    const int writeError = errno;
    const bool closed = close(fd) == 0;
    if (written != static_cast<ssize_t>(line.size()) || !closed) {
        *error = written < 0 ? std::strerror(writeError) : "the line was cut short (disk full?)";
        return false;
    }
    return true;
}

bool ChangeJournal::ReadAll(const std::string& path, std::vector<Json::Value>* entries,
                            std::size_t* skipped, std::string* error) {
    entries->clear();
    *skipped = 0;
    std::ifstream in(path);
    if (!in) {
        if (access(path.c_str(), F_OK) != 0) return true;  // no change made yet
        *error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) continue;
        Json::Value entry;
        std::string errors;
        bool parsed = false;
        try {
            parsed = reader->parse(line.data(), line.data() + line.size(), &entry, &errors);
        } catch (const Json::Exception&) {
            parsed = false;  // nested too deep: no entry of ours
        }
        if (!parsed || !entry.isObject()) {
            ++*skipped;
            continue;
        }
        entries->push_back(entry);
    }
    return true;
}

}  // namespace orvex
