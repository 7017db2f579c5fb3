#include "fleet/ReportHeader.h"

#include <ctime>

#include "resources/Version.h"

namespace orvex {

const std::string& ReportHeader::RunTime() {
    static const std::string time = [] {
        const std::time_t now = std::time(nullptr);
        std::tm utc{};
        gmtime_r(&now, &utc);
        char text[32];
        std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &utc);
        return std::string(text);
    }();
    return time;
}

Json::Value ReportHeader::Begin(const std::string& kind) {
    Json::Value document(Json::objectValue);
    document["schema"] = kSchema;
    document["orvexctl"] = kOrvexVersion;
    document["report"] = kind;
    document["time"] = RunTime();
    return document;
}

}  // namespace orvex
