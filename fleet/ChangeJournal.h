#pragma once
#include <json/json.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace orvex {

// The change journal: one JSON line for every change Orvex makes to a camera (a set, an
// upgrade), from the window or from orvexctl, appended to
// $XDG_STATE_HOME/orvex/journal.jsonl (~/.local/state/orvex/ by default). Each line is
// written whole with one append, so several programs may write at once. A journal that
// cannot be written never stops a change: the first failure is reported, once. Passwords
// are never part of an entry. Thread-safe.
class ChangeJournal {
public:
    using Reporter = std::function<void(const std::string& message)>;

    // `program` names the writer ("orvex", "orvexctl"); `path` empty: the default path.
    ChangeJournal(std::string program, Reporter reporter, std::string path = "");
    // Adds "time" (UTC, ISO 8601) and "program" to the entry and appends it.
    bool Append(Json::Value entry);
    const std::string& Path() const { return m_path; }

    static std::string DefaultPath();
    // Reads every entry; lines that are not JSON objects are counted in `skipped`.
    // False with a message when the file exists but cannot be read.
    static bool ReadAll(const std::string& path, std::vector<Json::Value>* entries,
                        std::size_t* skipped, std::string* error);

private:
    bool Write(const std::string& line, std::string* error);

    std::string m_program;
    Reporter m_reporter;
    std::string m_path;
    std::mutex m_lock;
    bool m_reported = false;
};

}  // namespace orvex
