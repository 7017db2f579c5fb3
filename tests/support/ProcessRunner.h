#pragma once
#include <string>
#include <vector>

namespace orvextest {

struct ProcessResult {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs a program with arguments, feeding `input` to its standard input.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "");
// A program path from the environment (set by the test runner), e.g. ORVEXCTL.
std::string ToolPath(const char* variable);

}  // namespace orvextest
