#pragma once
#include <gtest/gtest.h>
#include <json/json.h>

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
    return value;
}

}  // namespace orvextest
