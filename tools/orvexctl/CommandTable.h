#pragma once
#include <string>
#include <vector>

namespace orvexctl {

// One option of a command as help and completion show it. `value` names its argument
// ("" for a switch); `complete` says what completes it: "file", "address" (a local IPv4
// address), "values:a b c" (one of those), or "" (nothing to offer).
struct OptionEntry {
    std::string name;
    std::string value;
    std::string help;
    std::string complete;
};

// A command: one line for the command list, its usage, its options, what its exit statuses
// mean, and a few examples.
struct CommandEntry {
    std::string name;
    std::string summary;
    std::string usage;
    std::vector<OptionEntry> options;
    std::string exits;
    std::vector<std::string> examples;
};

// The one table of orvexctl's commands and options, from which `--help`, `help COMMAND`
// and the shell completion are written (and against which a test holds the parsers and
// the manual page).
class CommandTable {
public:
    static const std::vector<CommandEntry>& Commands();
    static const CommandEntry* Find(const std::string& name);
    // The options every command takes.
    static std::vector<OptionEntry> Everywhere();
};

}  // namespace orvexctl
