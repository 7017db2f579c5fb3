#pragma once
#include <json/json.h>

#include <string>

namespace orvex {

// A report document as the fleet commands write it: indented (or on one line, without
// its line end), UTF-8 left as it is.
inline std::string JsonText(const Json::Value& document, bool indented = true) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = indented ? "  " : "";
    writer["emitUTF8"] = true;
    return Json::writeString(writer, document) + (indented ? "\n" : "");
}

}  // namespace orvex
