#pragma once
#include <string>

namespace orvexctl {

// The texts written from the command table: the list of commands, one command's help,
// and the completion scripts for bash and zsh.
class CommandHelp {
public:
    // Every command with its line, and where to read more.
    static std::string List();
    // Usage, options (one line each), exit statuses and examples; "" for no such command.
    static std::string Of(const std::string& command);
    // "bash" or "zsh"; "" for another shell.
    static std::string Completion(const std::string& shell);
};

}  // namespace orvexctl
