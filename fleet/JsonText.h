#pragma once
#include <json/json.h>

#include <string>

namespace orvex {

// A report document as the fleet commands write it: indented, UTF-8 left as it is.
inline std::string JsonText(const Json::Value& document) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "  ";
    writer["emitUTF8"] = true;
    return Json::writeString(writer, document) + "\n";
}

}  // namespace orvex
