#pragma once
#include <functional>
#include <string>
#include <vector>

namespace orvextest {

struct ProcessResult {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs a program with arguments, feeding `input` to its standard input. `whileRunning`,
// when given, runs on a thread of its own with the program's process id while it runs;
// `inChild` runs in the child just before the program starts (limits, another user).
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "", std::function<void(int pid)> whileRunning = {},
                         std::function<void()> inChild = {});
// Runs a program on a terminal of its own (a pseudo-terminal): everything it writes there
// is returned; `answer` is typed once `prompt` has appeared.
ProcessResult RunOnTerminal(const std::string& program, const std::vector<std::string>& args,
                            const std::string& prompt, const std::string& answer);
// A program path from the environment (set by the test runner), e.g. ORVEXCTL.
std::string ToolPath(const char* variable);

}  // namespace orvextest
