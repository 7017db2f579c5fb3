#pragma once
#include <json/json.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace orvex {

// Reads the change journal entry by entry, the rotated file first, so that memory stays
// the same however long the journal is. A line that is not an entry (not a JSON object
// with a text "time": a torn line, something else's) is skipped and counted; so is a line
// longer than any entry (1 MiB).
class JournalReader {
public:
    JournalReader();
    ~JournalReader();
    // Opens the journal at `path` (and the file it was rotated to). A journal that does
    // not exist yet holds nothing; one that is not a readable file is an error
    // ("PATH: Is a directory").
    bool Open(const std::string& path, std::string* error);
    // The next entry; false at the end (or when a file cannot be read on: see Error).
    bool Next(Json::Value* entry);
    std::size_t Skipped() const { return m_skipped; }
    const std::string& Error() const { return m_error; }

private:
    bool NextLine(std::string* line);
    // Reads the next block of the current file behind what is held; false at its end.
    bool Fill();

    std::vector<std::string> m_paths;
    std::size_t m_current = 0;
    std::FILE* m_file = nullptr;
    std::vector<char> m_buffer;  // read but not yet taken from m_begin on
    std::size_t m_begin = 0;
    bool m_tooLong = false;  // dropping the rest of a line longer than any entry
    std::size_t m_skipped = 0;
    std::string m_error;
    std::unique_ptr<Json::CharReader> m_parser;
};

}  // namespace orvex
