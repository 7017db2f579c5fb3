#pragma once
#include <json/json.h>

#include <functional>
#include <mutex>
#include <string>

namespace orvex {

// The change journal: one JSON line for every change Orvex makes to a camera (a set, an
// upgrade), from the window or from orvexctl, appended to
// $XDG_STATE_HOME/orvex/journal.jsonl (~/.local/state/orvex/ by default; the file 0600,
// its folders 0700). A change is written before it is sent ("phase": "sent", with an
// "id") and again when it has ended ("phase": "result", the same id), each line flushed
// to the disk, so that a run killed in between still leaves the change on record. Lines
// are appended under a lock of the file, never after a torn last line, and a line the
// disk could not take whole is cut off again. Past ORVEX_JOURNAL_MAX_MB (64) the file
// becomes journal.1.jsonl (one old file is kept). A journal that cannot be written never
// stops a change: the first failure is reported, once. Passwords are never part of an
// entry. Thread-safe.
class ChangeJournal {
public:
    using Reporter = std::function<void(const std::string& message)>;

    // `program` names the writer ("orvex", "orvexctl"); `path` empty: the default path.
    ChangeJournal(std::string program, Reporter reporter, std::string path = "");
    // Adds "time" (UTC, ISO 8601) and "program" to the entry and appends it; false with
    // the reason in `why` (when given).
    bool Append(Json::Value entry, std::string* why = nullptr);
    const std::string& Path() const { return m_path; }

    static std::string DefaultPath();
    // mkdir -p, mode 0700 for the folders it makes.
    static bool MakeFolders(const std::string& folder);
    // The file the journal at `path` is rotated to.
    static std::string RotatedPath(const std::string& path);
    // A fresh id that ties the entries of one change together.
    static std::string NewId();
    // "2026-12-10T10:18:33Z".
    static std::string UtcNow();

private:
    bool Write(const std::string& line, std::string* error);
    bool Rotate(int* fd, std::string* error);

    std::string m_program;
    Reporter m_reporter;
    std::string m_path;
    std::mutex m_lock;
    bool m_reported = false;
};

}  // namespace orvex
