#include "tools/orvexctl/SameVersionQuestion.h"

#include <poll.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>

#include "platform/CodePage.h"
#include "resources/Resource.h"
#include "resources/StringTable.h"

namespace orvexctl {

bool SameVersionQuestion::ReadLine(std::string* line) {
    line->clear();
    for (;;) {
        if (m_stop && m_stop->load() != 0) return false;
        pollfd pfd{STDIN_FILENO, POLLIN, 0};
        const int rc = poll(&pfd, 1, 100);  // a stop request is seen within 0.1 s
        if (rc < 0 && errno == EINTR) continue;
        if (rc < 0) return false;
        if (rc == 0) continue;
        char c = 0;
        const ssize_t n = read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return !line->empty();
        if (c == '\n') return true;
        line->push_back(c);
    }
}

bool SameVersionQuestion::Ask(const std::string& host) {
    if (m_yes) return true;
    std::lock_guard<std::mutex> guard(m_lock);  // one question at a time
    const std::string text = platform::CodePage::WideToOem(
        orvex::LoadStringText(orvex::IDS_CONFIRM_SAME_VERSION, orvex::kLanguageEnglish));
    std::fprintf(stderr, "%s%s [OK/Cancel]: ", m_batch ? (host + ": ").c_str() : "", text.c_str());
    std::fflush(stderr);
    std::string answer;
    if (!ReadLine(&answer)) return false;
    for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return answer == "ok" || answer == "y" || answer == "yes";
}

}  // namespace orvexctl
