#pragma once
#include <gtest/gtest.h>
#include <json/json.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace orvextest {

// A JSON document as jsoncpp reads it; a parse error fails the test that asked.
inline Json::Value ParseJson(const std::string& text) {
    Json::Value value;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors)) << errors << text;
    // Every report a test reads is kept for the check against its published schema.
    const char* dump = std::getenv("ORVEX_REPORT_DUMP");
    if (dump && value.isObject() && value.isMember("schema") && value["report"].isString()) {
        static std::atomic<int> count{0};
        std::ofstream(std::string(dump) + "/" + value["report"].asString() + "-" + std::to_string(getpid()) +
                          "-" + std::to_string(++count) + ".json",
                      std::ios::binary)
            << text;
    }
    return value;
}

}  // namespace orvextest
