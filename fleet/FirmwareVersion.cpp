#include "fleet/FirmwareVersion.h"

#include <vector>

namespace orvex {
namespace {

std::vector<std::string> Fields(const std::string& version) {
    std::vector<std::string> fields(1);
    for (const char c : version) {
        if (c == '.') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

bool IsNumber(const std::string& field) {
    return !field.empty() && field.find_first_not_of("0123456789") == std::string::npos;
}

// Two numbers of any length, without converting them (no overflow).
int CompareNumbers(const std::string& a, const std::string& b) {
    const std::size_t x = a.find_first_not_of('0'), y = b.find_first_not_of('0');
    const std::string p = x == std::string::npos ? "" : a.substr(x);
    const std::string q = y == std::string::npos ? "" : b.substr(y);
    if (p.size() != q.size()) return p.size() < q.size() ? -1 : 1;
    return p.compare(q) < 0 ? -1 : p.compare(q) > 0 ? 1 : 0;
}

}  // namespace

int FirmwareVersion::Compare(const std::string& a, const std::string& b) {
    const std::vector<std::string> x = Fields(a), y = Fields(b);
    for (std::size_t i = 0; i < x.size() || i < y.size(); ++i) {
        const std::string p = i < x.size() ? x[i] : "0";
        const std::string q = i < y.size() ? y[i] : "0";
        int order = 0;
        if (IsNumber(p) && IsNumber(q)) {
            order = CompareNumbers(p, q);
        } else if (IsNumber(p) != IsNumber(q)) {
            order = IsNumber(p) ? 1 : -1;  // 1.7.0 is newer than 1.7.beta
        } else {
            order = p.compare(q) < 0 ? -1 : p.compare(q) > 0 ? 1 : 0;
        }
        if (order != 0) return order;
    }
    return 0;
}

}  // namespace orvex
