#include "cgi/HttpHead.h"

#include <cctype>
#include <string>

namespace orvex {
namespace {

constexpr long long kLengthLimit = 1LL << 40;  // far beyond any reply we take

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// "HTTP/x.y NNN reason": the status, or 0 when the line is no status line.
int StatusOf(std::string_view line) {
    if (line.substr(0, 5) != "HTTP/") return 0;
    const auto space = line.find(' ');
    if (space == std::string_view::npos || line.size() < space + 4) return 0;
    int status = 0;
    for (std::size_t i = space + 1; i < space + 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return 0;
        status = status * 10 + (line[i] - '0');
    }
    if (line.size() > space + 4 && line[space + 4] != ' ') return 0;
    return status >= 100 ? status : 0;
}

// Decimal digits only; -1 for anything else or a value beyond the limit.
long long LengthOf(std::string_view value) {
    if (value.empty()) return -1;
    long long n = 0;
    for (char c : value) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
        n = n * 10 + (c - '0');
        if (n > kLengthLimit) return -1;
    }
    return n;
}

bool EndsInChunked(std::string_view value) {
    const auto comma = value.rfind(',');
    const std::string_view last =
        TrimBlanks(comma == std::string_view::npos ? value : value.substr(comma + 1));
    return SameName(last, "chunked");
}

}  // namespace

HttpHead HttpHead::Parse(std::string_view data) {
    HttpHead head;
    std::size_t at = 0;
    bool first = true;
    while (at < data.size()) {
        const auto lf = data.find('\n', at);
        if (lf == std::string_view::npos) break;  // the line has not arrived whole
        std::string_view line = data.substr(at, lf - at);
        at = lf + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {
            first = false;
            head.status = StatusOf(line);
            if (head.status == 0) head.malformed = true;
            continue;
        }
        if (line.empty()) {
            head.headerLength = at;
            break;
        }
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = TrimBlanks(line.substr(0, colon));
        const std::string_view value = TrimBlanks(line.substr(colon + 1));
        if (SameName(name, "Content-Length")) {
            const long long length = LengthOf(value);
            if (length < 0 || (head.contentLength >= 0 && head.contentLength != length)) {
                head.malformed = true;
            } else {
                head.contentLength = length;
            }
        } else if (SameName(name, "Transfer-Encoding")) {
            head.chunked = EndsInChunked(value);
        }
    }
    return head;
}

}  // namespace orvex
