#include "fleet/IsoTime.h"

#include <cstdio>
#include <ctime>

namespace orvex {

bool IsoTime::IsDate(const std::string& text) {
    return text.size() == 10 && text[4] == '-' && text[7] == '-';
}

bool IsoTime::Parse(const std::string& text, std::int64_t* seconds) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &used) != 3 || used != 10)
        return false;
    std::size_t at = 10;
    int offset = 0;  // seconds east of UTC
    if (at < text.size()) {
        if (text[at] != 'T' && text[at] != ' ') return false;
        if (std::sscanf(text.c_str() + at + 1, "%2d:%2d%n", &hour, &minute, &used) != 2 || used != 5)
            return false;
        at += 6;
        if (at < text.size() && text[at] == ':') {
            if (std::sscanf(text.c_str() + at + 1, "%2d%n", &second, &used) != 1 || used != 2)
                return false;
            at += 3;
        }
        if (at < text.size() && text[at] == 'Z') {
            ++at;
        } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            int zh = 0, zm = 0;
            if (std::sscanf(text.c_str() + at + 1, "%2d:%2d%n", &zh, &zm, &used) != 2 || used != 5 ||
                zh > 23 || zm > 59)
                return false;
            offset = (text[at] == '+' ? 1 : -1) * (zh * 3600 + zm * 60);
            at += 6;
        }
        if (at != text.size()) return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 ||
        year < 1970)
        return false;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    const std::time_t t = timegm(&tm);
    if (tm.tm_mday != day) return false;  // 31 April and the like
    *seconds = static_cast<std::int64_t>(t) - offset;
    return true;
}

}  // namespace orvex
