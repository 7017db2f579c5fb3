#pragma once
#include <cstddef>

#include "tools/orvexctl/CommandLine.h"
#include "tools/orvexctl/PasswordInput.h"
#include "tools/orvexctl/ReportOutput.h"

namespace orvexctl {

// The options the commands that talk to cameras share: --format, --output, and
// --password / --password-file.
class CommonOptions {
public:
    enum Taken { kNotOurs, kTaken, kBad };
    // Takes one of them at args[i], advancing i past its value; kBad after its message on
    // standard error (the command then exits with status 2).
    static Taken Take(const Arguments& args, std::size_t& i, Format* format, ReportOutput* output,
                      PasswordInput* password);
};

}  // namespace orvexctl
