#include "tools/orvexctl/CommonOptions.h"

namespace orvexctl {

CommonOptions::Taken CommonOptions::Take(const Arguments& args, std::size_t& i, Format* format,
                                         ReportOutput* output, PasswordInput* password) {
    std::string error;
    const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
    if (TakeFormatOption(args, i, format, &error) || output->TakeOption(args, i, &error)) {
        if (!error.empty()) return BadArguments(error), kBad;
        return kTaken;
    }
    if (password->TakeOption(args[i], value, &error)) {
        if (!error.empty()) return BadArguments(error), kBad;
        ++i;
        return kTaken;
    }
    return kNotOurs;
}

}  // namespace orvexctl
