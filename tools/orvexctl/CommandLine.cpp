#include "tools/orvexctl/CommandLine.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/UdpSocket.h"

namespace orvexctl {

namespace {
std::atomic<bool> g_quiet{false};
}

void SetQuiet(bool quiet) {
    g_quiet = quiet;
}

bool Quiet() {
    return g_quiet;
}

bool FancyTerminal(int fd) {
    const char* noColor = std::getenv("NO_COLOR");
    const char* term = std::getenv("TERM");
    return isatty(fd) != 0 && !(noColor && *noColor) && !(term && std::strcmp(term, "dumb") == 0);
}

int BadArguments(const std::string& message) {
    std::cerr << "orvexctl: " << message << std::endl;
    return kExitBadArguments;
}

bool ParseInteger(const std::string& text, long low, long high, long* value) {
    if (text.empty() || text.size() > 18) return false;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

bool IsIpv4(const std::string& text) {
    in_addr_t ignored = 0;
    return platform::ParseIpv4(text, &ignored);
}

std::string OneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return line;
}

bool TakeFormatOption(const Arguments& args, std::size_t& i, Format* format, std::string* error) {
    if (args[i] != "--format") return false;
    if (i + 1 >= args.size()) {
        *error = "--format needs text, csv or json";
        return true;
    }
    const std::string& value = args[++i];
    if (value == "text") {
        *format = Format::kText;
    } else if (value == "csv") {
        *format = Format::kCsv;
    } else if (value == "json") {
        *format = Format::kJson;
    } else {
        *error = "--format takes text, csv or json, got '" + value + "'";
    }
    return true;
}

}  // namespace orvexctl
