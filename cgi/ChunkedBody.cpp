#include "cgi/ChunkedBody.h"

#include <algorithm>
#include <cctype>

namespace orvex {
namespace {

constexpr std::size_t kLineLimit = 1024;
constexpr unsigned long long kChunkLimit = 1ULL << 40;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

// "SIZE[;extension]" in hex, the CR already dropped.
bool ChunkedBody::TakeSizeLine() {
    std::size_t i = 0;
    while (i < m_line.size() && (m_line[i] == ' ' || m_line[i] == '\t')) ++i;
    unsigned long long size = 0;
    std::size_t digits = 0;
    for (; i < m_line.size() && HexValue(m_line[i]) >= 0; ++i, ++digits) {
        size = size * 16 + static_cast<unsigned long long>(HexValue(m_line[i]));
        if (size > kChunkLimit) return false;
    }
    while (i < m_line.size() && (m_line[i] == ' ' || m_line[i] == '\t')) ++i;
    if (digits == 0 || (i < m_line.size() && m_line[i] != ';')) return false;
    m_left = size;
    m_line.clear();
    if (size == 0) {
        m_state = State::kDone;  // trailers, if any, are not waited for
    } else {
        m_step = Step::kData;
    }
    return true;
}

ChunkedBody::State ChunkedBody::Feed(const char* data, std::size_t size, const Sink& sink) {
    std::size_t at = 0;
    while (at < size && m_state == State::kMore) {
        if (m_step == Step::kData) {
            const std::size_t take =
                static_cast<std::size_t>(std::min<unsigned long long>(m_left, size - at));
            if (!sink(data + at, take)) {
                m_sinkRefused = true;
                return m_state;
            }
            at += take;
            m_left -= take;
            if (m_left == 0) m_step = Step::kDataEnd;
            continue;
        }
        const char c = data[at++];
        if (c != '\n') {
            if (m_line.size() >= kLineLimit) {
                m_state = State::kError;
                break;
            }
            m_line.push_back(c);
            continue;
        }
        if (!m_line.empty() && m_line.back() == '\r') m_line.pop_back();
        if (m_step == Step::kDataEnd) {
            // The CR LF that closes a chunk's data, and nothing else.
            if (!m_line.empty()) {
                m_state = State::kError;
                break;
            }
            m_step = Step::kSizeLine;
            continue;
        }
        if (!TakeSizeLine()) m_state = State::kError;
    }
    return m_state;
}

}  // namespace orvex
