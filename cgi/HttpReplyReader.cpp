#include "cgi/HttpReplyReader.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "cgi/TraceMsg.h"
#include "platform/Clock.h"

namespace orvex {

using platform::Clock;
using platform::DWORD;

namespace {

constexpr DWORD kSliceMs = 50;
constexpr std::size_t kHeadLimit = 8192;  // leaves room for the body in a text buffer
constexpr std::size_t kReceiveSize = 4096;

timespec SliceTime() {
    const auto slice = Clock::RealDuration(kSliceMs);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(slice.count() / 1000000);
    ts.tv_nsec = static_cast<long>((slice.count() % 1000000) * 1000);
    return ts;
}

}  // namespace

int HttpReplyReader::Read(int timeoutSeconds, bool idle, const Sink& sink) {
    const DWORD limitMs = static_cast<DWORD>(timeoutSeconds) * 1000;
    const DWORD start = Clock::TickCount();
    DWORD last = start;
    const timespec slice = SliceTime();
    char buffer[kReceiveSize];
    for (;;) {
        if (m_abort != 0) return m_headDone ? kAborted : kNoReply;
        pollfd pfd{m_socket, POLLIN, 0};
        const int rc = ppoll(&pfd, 1, &slice, nullptr);
        if (rc < 0 && errno == EINTR) continue;
        if (rc < 0) {
            TraceMsg("\n WaitValidConnect error");
            return kNoReply;
        }
        if (rc == 0) {
            if (static_cast<DWORD>(Clock::TickCount() - (idle ? last : start)) >= limitMs)
                return AtTimeOut();
            continue;
        }
        const ssize_t n = recv(m_socket, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        if (m_abort != 0) return m_headDone ? kAborted : kNoReply;
        if (n < 0) return kCut;
        if (n == 0) return AtClose();
        last = Clock::TickCount();
        const std::size_t size = static_cast<std::size_t>(n);
        const int outcome =
            m_headDone ? TakeBodyBytes(buffer, size, sink) : TakeHeaderBytes(buffer, size, sink);
        if (outcome != kMore) return outcome;
    }
}

int HttpReplyReader::TakeHeaderBytes(const char* data, std::size_t size, const Sink& sink) {
    m_headText.append(data, size);
    for (;;) {
        m_head = HttpHead::Parse(m_headText);
        if (!m_head.Complete()) return m_headText.size() > kHeadLimit ? kBadReply : kMore;
        if (m_head.malformed) return kBadReply;
        // An interim reply (100 Continue and the like) is followed by the real one.
        if (m_head.status < 200 && m_head.status != 101) {
            m_headText.erase(0, m_head.headerLength);
            continue;
        }
        break;
    }
    m_headDone = true;
    const std::string rest = m_headText.substr(m_head.headerLength);
    m_headText.resize(m_head.headerLength);
    if (m_head.Bodyless() || (!m_head.chunked && m_head.contentLength == 0)) return kComplete;
    return rest.empty() ? kMore : TakeBodyBytes(rest.data(), rest.size(), sink);
}

int HttpReplyReader::TakeBodyBytes(const char* data, std::size_t size, const Sink& sink) {
    if (m_head.chunked) {
        const auto counted = [&](const char* bytes, std::size_t n) {
            m_body += static_cast<long long>(n);
            return sink(bytes, n);
        };
        const ChunkedBody::State state = m_chunks.Feed(data, size, counted);
        if (m_chunks.SinkRefused()) return kSinkRefused;
        if (state == ChunkedBody::State::kError) return kBadReply;
        return state == ChunkedBody::State::kDone ? kComplete : kMore;
    }
    std::size_t take = size;
    if (m_head.contentLength >= 0) {
        // Never more than the announced body; bytes beyond it are dropped.
        take = static_cast<std::size_t>(
            std::min<long long>(static_cast<long long>(size), m_head.contentLength - m_body));
    }
    if (take > 0 && !sink(data, take)) return kSinkRefused;
    m_body += static_cast<long long>(take);
    return m_head.contentLength >= 0 && m_body == m_head.contentLength ? kComplete : kMore;
}

int HttpReplyReader::AtTimeOut() {
    if (m_headDone && CloseDelimited() && m_body > 0) {
        // A peer that never closes: what it sent stands.
        TraceMsg("\r\n---reply without length or close: %lld body bytes taken at the time-out---",
                 m_body);
        return kComplete;
    }
    return kNoReply;
}

int HttpReplyReader::AtClose() const {
    if (!m_headDone) return m_headText.empty() ? kCut : kBadReply;
    return CloseDelimited() ? kComplete : kCut;
}

}  // namespace orvex
