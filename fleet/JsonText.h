#pragma once
#include <json/json.h>

#include <memory>
#include <sstream>
#include <string>

namespace orvex {

// A report document as the fleet commands write it: indented (or on one line, without
// its line end), UTF-8 left as it is.
// One writer of each kind per thread: building a writer costs more than writing a
// journal entry.
inline std::string JsonText(const Json::Value& document, bool indented = true) {
    thread_local const std::unique_ptr<Json::StreamWriter> writers[2] = {
        [] {
            Json::StreamWriterBuilder builder;
            builder["indentation"] = "";
            builder["emitUTF8"] = true;
            return std::unique_ptr<Json::StreamWriter>(builder.newStreamWriter());
        }(),
        [] {
            Json::StreamWriterBuilder builder;
            builder["indentation"] = "  ";
            builder["emitUTF8"] = true;
            return std::unique_ptr<Json::StreamWriter>(builder.newStreamWriter());
        }()};
    thread_local std::ostringstream out;
    out.str(std::string());
    out.clear();
    writers[indented ? 1 : 0]->write(document, &out);
    if (indented) out << '\n';
    return out.str();
}

}  // namespace orvex
