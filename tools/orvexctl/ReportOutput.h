#pragma once
#include <string>

#include "tools/orvexctl/CommandLine.h"

namespace orvexctl {

// Where a command's report goes: standard output, or with "--output FILE" that file,
// written whole through a temporary file in the same folder renamed into place, so that a
// reader never sees half a report. Every write is checked.
class ReportOutput {
public:
    // Takes "--output FILE" at args[i] (advancing i); false when args[i] is another option;
    // a missing value leaves a message in *error.
    bool TakeOption(const Arguments& args, std::size_t& i, std::string* error);
    // Writes the report; false after saying why on standard error.
    bool Write(const std::string& report) const;
    bool ToFile() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }

    // Flushes and closes standard output at exit; false after saying why on standard
    // error. `earlierError` is the errno of a write that already failed (0: none). Output
    // that carried only progress (the report went to a file) may be gone.
    static bool CloseStandardOutput(int earlierError);
    // Standard output carries progress only: losing it (a closed pipe) is no failure.
    static void StandardOutputIsProgressOnly();

private:
    std::string m_path;
};

}  // namespace orvexctl
